#pragma once

#include <QString>
#include <vector>

#include "analysis/curves.h"
#include "model/measurementmodel.h"
#include "model/result.h"
#include "settings/datadirectory.h"
#include "settings/settings.h"

namespace zr5 {

// What the last cumulative analysis left for the segmented analysis and for printing.
struct AnalysisResults {
    CurveAxisTables axes;
    std::vector<float> ActiveEnergySeries;   // W·h after row r, entries 1..RecordCount
    std::vector<float> ReactiveEnergySeries; // var·h
    float TotalActiveEnergy = 0;
    float TotalReactiveEnergy = 0;
    float EfficiencyMaximum = 0;
    float EfficiencyMinimum = 100;
    float LoadRateMaximum = 0;
    float LoadRateMinimum = 150;
    QString analysedFile; // the recording the results belong to; empty before any pass
    bool complete = false;
};

// The program's one shared state: created in main, passed by reference to every window, so that
// every window sees the others' changes at once. Tests create their own.
class AppState {
public:
    explicit AppState(DataDirectory dataDirectory = DataDirectory(DataDirectory::defaultRoot()));

    DataDirectory dataDirectory;
    MeasurementModel model;
    Settings settings;
    AnalysisResults analysis;

    // The recording every window works on: the full path of a saved or opened recording, or of
    // the temporary recording, which is always named by its full path.
    const QString& CurrentFileName() const { return currentFileName_; }
    bool isTemporaryRecording() const;
    // The rows of the recording as the last analysis found them.
    qint64 RecordCount() const { return recordCount_; }

    // What changes the current recording, and what each change brings with it.
    void recordingOpened(const QString& path);
    void recordingSaved(const QString& path); // by Save or Save As: the copy is now current
    void recordingClosed();                   // back to the temporary recording
    void receptionStarted(const QString& path);
    void analysisBegun(qint64 recordCount, float duration);

    // Reloads all nine settings from the file, with ConfiguredDuration and CTInUseCode. Returns
    // the problems found (empty when the file was complete); the fields of bad lines take their
    // initial values.
    QStringList ReadSettings();
    // Writes the nine settings; fails with the reason.
    Status WriteSettings() const;

private:
    QString currentFileName_;
    qint64 recordCount_ = 0;
};

} // namespace zr5
