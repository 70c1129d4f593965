#include "recording/openrecording.h"

#include "model/appstate.h"

namespace zr5 {

QString TakeOpenedRecording(AppState& state, const RecordingHeader& header) {
    state.model.Motor = header.motorParameters();

    Settings& s = state.settings;
    s.RedCTInUse = static_cast<std::int16_t>(header.red());
    s.BlueCTInUse = static_cast<std::int16_t>(header.blue());
    s.YellowCTInUse = static_cast<std::int16_t>(header.yellow());
    s.recomputeCTInUseCode();

    // A line the file lacks keeps the value in memory rather than falling back to an initial one.
    const SettingsFileContents file = ReadSettingsFile(state.dataDirectory.settingsFile());
    const Settings& f = file.settings;
    if (file.lineRead[0])
        s.CommPort = f.CommPort;
    if (file.lineRead[1])
        s.CurrentCurve = f.CurrentCurve;
    if (file.lineRead[2])
        s.ReceiveDuration = f.ReceiveDuration;
    if (file.lineRead[3])
        s.CTRatio = f.CTRatio;
    if (file.lineRead[4])
        s.PTRatio = f.PTRatio;
    if (file.lineRead[5])
        s.SegmentHalfSpan = f.SegmentHalfSpan;
    return state.WriteSettings();
}

} // namespace zr5
