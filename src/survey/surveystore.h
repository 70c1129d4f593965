#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <vector>

#include "assessment/assessment.h"
#include "survey/surveydatabase.h"

namespace zr5 {

// The recordings (*.MTR in any case) among files and folders, folders walked to the bottom, in
// name order, and the names that are neither.
TolerantRead<QStringList> FindRecordings(const QStringList& paths);

// Where an import files its recordings: the plant and department (default names when empty)
// and the motor's tag (empty: the name of the folder the recording lies in).
struct ImportOptions {
    QString plant;
    QString department;
    QString motorTag;
};

struct ImportOutcome {
    int added = 0;
    int changed = 0; // a known path with new content
    int moved = 0;   // known content whose old path is gone
    int unchanged = 0;
    QStringList duplicates; // "path：与 other 内容相同"
    QStringList damaged;    // "path：reason"
};

// Files the recordings into the survey in one transaction: a damaged recording is listed and
// skipped; the same content under another name is counted once (and follows a moved file).
Result<ImportOutcome> ImportRecordings(SurveyDatabase& survey, const QStringList& recordings,
                                       const ImportOptions& options);

// The SHA-256 of a file's content in hexadecimal, or why it could not be read.
Result<QString> ContentHash(const QString& path);

// The assessment's settings as the survey keeps them: compact JSON, the same text for the same
// settings, so that a result is stale exactly when its text differs.
QString SettingsText(const AssessmentSettings& settings);

struct SurveyAssessOptions {
    AssessmentSettings settings;
    int jobs = 1;
    // Called on the calling thread after each result is stored (in the open transaction).
    std::function<void(int done, int total)> progress;
    // Set by Ctrl-C: no new recording is started; finished results are kept.
    const std::atomic_bool* cancel = nullptr;
};

struct SurveyAssessOutcome {
    int toAssess = 0;
    int assessed = 0;
    int current = 0; // already assessed with this content and these settings
    int missing = 0;
    int damaged = 0;
    bool cancelled = false;
    QStringList problems; // "path：reason"
};

// Assesses every recording whose content, settings or program version changed since its stored
// result, one recording per job on a thread pool of options.jobs threads, all in one transaction.
Result<SurveyAssessOutcome> AssessSurvey(SurveyDatabase& survey, const DataDirectory& data,
                                         const SurveyAssessOptions& options);

// Stores one recording's result (the object `zr5-tool assess --json` prints) in place of its old
// one, with each figure in the figure table under its path ("zone_hours.economic",
// "replacement[0].annual_saving_kwh"). Inside a transaction the caller holds.
Status StoreAssessment(SurveyDatabase& survey, qint64 recordingId, const QString& contentHash,
                       const QJsonObject& figures, const AssessmentSettings& settings);

// What an import or an assessment run did, as `zr5-tool survey` prints it and the survey window
// shows it: a line for each damaged, skipped or duplicated recording, and the summary line.
struct SurveyRunText {
    QStringList problems;
    QString summary;
};
// `unreadable`: the names FindRecordings could not take.
SurveyRunText ImportText(const ImportOutcome& out, const QStringList& unreadable);
SurveyRunText AssessText(const SurveyAssessOutcome& out);

// One recording of `survey list`.
struct SurveyRecordingLine {
    qint64 id = 0;
    QString plant, department, motor, path;
    QString state;   // assessed, stale, damaged, missing
    QString problem; // the reason of a damaged one
    QString settings;
};
Result<std::vector<SurveyRecordingLine>> ListSurvey(SurveyDatabase& survey);

// One recording of a motor, as the survey window opens and compares them.
struct SurveyMotorRecording {
    QString path;
    double startTime = 0; // seconds since midnight, from the header
    qint64 modifiedMs = 0;
    QString state; // ok, damaged, missing
};
// The recordings of the motor `tag` of a department of a plant, the earliest first: the header
// gives only the time of day, so the day is the file's last write less the recording's duration.
Result<std::vector<SurveyMotorRecording>> MotorRecordings(SurveyDatabase& survey,
                                                          const QString& plant,
                                                          const QString& department,
                                                          const QString& tag);

} // namespace zr5
