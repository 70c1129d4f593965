// Recordings as any file may hold them: the header and extrema reader, the analysis of whatever
// the reader accepts, and the recovery of a cut file.

#include <QFile>

#include "analysis/cumulative.h"
#include "fuzz/fuzzsupport.h"
#include "model/appstate.h"
#include "model/splitseconds.h"
#include "recording/recordingfile.h"
#include "recording/repair.h"

using namespace zr5;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = fuzz::WriteInput(QStringLiteral("input.MTR"), data, size);
    const Result<RecordingInfo> info = ReadRecordingInfo(path);
    if (info) {
        SplitSeconds(info->header.StartTime);
        SplitSeconds(info->header.Duration);
        info->header.motorParameters();
        (void)(info->header.red() + info->header.blue() + info->header.yellow());
        if (AnalysisRefusal(*info)) {
            AppState state{DataDirectory(fuzz::ScratchFolder())};
            state.recordingOpened(path);
            CumulativeAnalysis pass(state.CurrentFileName(), state.model, state.analysis);
            static_cast<void>(pass.runAll());
        }
    }
    const QString repaired = fuzz::ScratchFile(QStringLiteral("repaired.MTR"));
    if (RecoverableRows(path) && RepairRecording(path, repaired))
        ReadRecordingInfo(repaired);
    QFile::remove(repaired);
    return 0;
}
