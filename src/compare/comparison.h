#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "assessment/assessment.h"
#include "model/figurelist.h"
#include "model/result.h"

namespace zr5 {

// The efficiency against the load rate of a recording's normal rows, counted in cells of a grid,
// so that a million rows draw as a few hundred cells.
struct EfficiencyCloud {
    static constexpr int kLoadCells = 75; // load rate 0..150 %, 2 % a cell; above in the last
    static constexpr double kLoadCellWidth = 2;
    static constexpr int kEfficiencyCells = 100; // efficiency 0..100 %, 1 % a cell
    static constexpr double kEfficiencyCellHeight = 1;
    std::vector<qint64> counts = std::vector<qint64>(std::size_t(kLoadCells * kEfficiencyCells));
    qint64 rows = 0;

    void add(double loadRate, double efficiency);
    qint64 count(int loadCell, int efficiencyCell) const {
        return counts[std::size_t(loadCell * kEfficiencyCells + efficiencyCell)];
    }
};

// One recording as the comparison sees it: its assessment and, from the same pass, its rows in
// normal running, its load-duration curve and its efficiency cloud.
struct ComparedRecording {
    AssessmentRun run;
    qint64 normalRows = 0;
    // The input power (kW) of every row sorted from the highest, reduced to kDurationPoints
    // points evenly spread over the share of time 0..1.
    static constexpr int kDurationPoints = 401;
    std::vector<float> loadDuration;
    EfficiencyCloud cloud;

    double hours() const { return double(run.recording.header.Duration) / 3600.0; }
    double normalHours() const;
    double normalInputEnergy() const; // kWh
    // kWh in per kWh out over normal running.
    double specificInput() const;
    double meanInputPower() const;  // kW over the whole recording
    double meanPowerFactor() const; // of the energies: P / sqrt(P² + Q²)
};

// Reads and assesses one recording for a comparison; `role` ("改造前", "改造后") names it in
// the refusals: a recording that cannot be analysed, one without rated data, one without a row
// in normal running.
Result<ComparedRecording> AnalyseForComparison(const QString& path, const QString& role,
                                               const DataDirectory& dataDirectory,
                                               const AssessmentSettings& settings);

// One line of the side-by-side table: a group title, or a figure of both recordings with the
// change from before to after.
struct ComparisonRow {
    QString key; // "input_energy_kwh", "zone_hours/economic"; empty for a title
    QString label;
    QString unit;
    int digits = 3;
    std::optional<double> before, after; // none where a recording has no value
    QString missingBefore, missingAfter; // why not
    bool isGroup() const { return key.isEmpty(); }
    std::optional<double> difference() const; // after − before
    std::optional<double> percent() const;    // of before; none when before is 0
};

// The comparison of two recordings of one motor, normalised to the work delivered.
struct Comparison {
    ComparedRecording before, after;
    AssessmentSettings settings;
    // (specific before − specific after) × the after-recording's output energy, and that scaled
    // to a year by the after-recording's duration.
    Saving saving;
    QStringList warnings; // why the comparison may mislead; empty when it is fair

    double specificBefore() const { return before.specificInput(); }
    double specificAfter() const { return after.specificInput(); }
};

// Compares two analysed recordings (swapping them needs no second read).
Comparison CompareRecordings(ComparedRecording before, ComparedRecording after,
                             const AssessmentSettings& settings);
// Both read and compared; the first refusal when one cannot be.
Result<Comparison> CompareRecordingFiles(const QString& before, const QString& after,
                                         const DataDirectory& dataDirectory,
                                         const AssessmentSettings& settings);

// The fairness rules: mean load rates that differ by more than this share of the larger, and
// normal running shorter than this.
constexpr double kLoadRateTolerance = 0.2;
constexpr double kShortestNormalHours = 10.0 / 60.0;

// The side-by-side table: the comparison's own figures (duration, rows in normal running, mean
// input power, mean power factor, specific input energy), then every number of the assessment's
// keyed list (its fields and objects, not its estimates) matched by key.
std::vector<ComparisonRow> ComparisonRows(const Comparison& c);
// A row's four values as the tables show them: before, after, difference, percentage.
QStringList ComparisonRowTexts(const ComparisonRow& row);

// The one-line verdict.
QString ComparisonVerdict(const Comparison& c);
// The comparison as plain text (the tool's output) and as the JSON object of `compare --json`.
QString ComparisonText(const Comparison& c);
QJsonObject ComparisonJson(const Comparison& c);

} // namespace zr5
