#pragma once

#include <QString>

#include "recording/recordingfile.h"

namespace zr5 {

class AppState;

// Takes an opened recording's header into the shared state: the seven motor values (with the
// validity flag and the rated losses derived from them) and the three transformer flags. The
// flags then become the saved settings: lines 1 to 6 come back from the settings file (an unsaved
// change of them in memory is dropped), lines 7 to 9 from the recording; ConfiguredDuration stays.
// Fails with why the settings file could not be written.
Status TakeOpenedRecording(AppState& state, const RecordingHeader& header);

} // namespace zr5
