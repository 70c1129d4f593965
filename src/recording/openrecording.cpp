#include "recording/openrecording.h"

#include "model/appstate.h"

namespace zr5 {

Status TakeOpenedRecording(AppState& state, const RecordingHeader& header) {
    state.model.Motor = header.motorParameters();

    Settings& s = state.settings;
    s.RedCTInUse = static_cast<std::int16_t>(header.red());
    s.BlueCTInUse = static_cast<std::int16_t>(header.blue());
    s.YellowCTInUse = static_cast<std::int16_t>(header.yellow());
    s.recomputeCTInUseCode();

    // A line the file lacks keeps the value in memory rather than falling back to an initial one.
    const SettingsFileContents file = ReadSettingsFile(state.dataDirectory.settingsFile());
    TakeSettingsLines(s, file, 0, 6);
    return state.WriteSettings();
}

} // namespace zr5
