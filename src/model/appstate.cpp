#include "model/appstate.h"

namespace zr5 {

AppState::AppState(DataDirectory dir) : dataDirectory(std::move(dir)) {
    settings = Settings::initial();
    CurrentFileName = dataDirectory.temporaryRecording();
}

QString AppState::currentRecordingPath() const {
    return CurrentFileName.isEmpty() ? dataDirectory.temporaryRecording() : CurrentFileName;
}

QStringList AppState::ReadSettings() {
    SettingsFileContents contents = ReadSettingsFile(dataDirectory.settingsFile());
    settings = contents.settings;
    return contents.problems;
}

QString AppState::WriteSettings() const {
    if (QString error = dataDirectory.ensureExists(); !error.isEmpty())
        return error;
    return WriteSettingsFile(dataDirectory.settingsFile(), settings);
}

} // namespace zr5
