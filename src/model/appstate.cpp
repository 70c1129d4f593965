#include "model/appstate.h"

namespace zr5 {

AppState::AppState(DataDirectory dir) : dataDirectory(std::move(dir)) {
    settings = Settings::initial();
    currentFileName_ = dataDirectory.temporaryRecording();
}

bool AppState::isTemporaryRecording() const {
    return currentFileName_ == dataDirectory.temporaryRecording();
}

void AppState::recordingOpened(const QString& path) {
    currentFileName_ = path;
}

void AppState::recordingSaved(const QString& path) {
    currentFileName_ = path;
}

void AppState::recordingClosed() {
    currentFileName_ = dataDirectory.temporaryRecording();
    settings.ReceiveDuration = settings.ConfiguredDuration;
}

void AppState::receptionStarted(const QString& path) {
    currentFileName_ = path;
    // A reception runs for the configured time, whatever an analysis left here meanwhile.
    settings.ReceiveDuration = settings.ConfiguredDuration;
}

void AppState::analysisBegun(qint64 recordCount, float duration) {
    recordCount_ = recordCount;
    settings.ReceiveDuration = duration;
}

QStringList AppState::ReadSettings() {
    SettingsFileContents contents = ReadSettingsFile(dataDirectory.settingsFile());
    settings = contents.settings;
    return contents.problems;
}

Status AppState::WriteSettings() const {
    if (Status exists = dataDirectory.ensureExists(); !exists)
        return exists;
    return WriteSettingsFile(dataDirectory.settingsFile(), settings);
}

} // namespace zr5
