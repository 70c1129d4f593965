#pragma once

#include <array>
#include <optional>

namespace zr5 {

// The main window's command controls whose enabled and visible flags follow the command states.
enum class CommandControl {
    Command1,
    Command2,
    Command3,
    Command4,
    mnuCLOSE,
    mnuSAVEFILE,
    mnuSAVE_AS,
    mnuTTT, // the analysis menu: its 数据分析 item (测试汇总 stays open)
    mnuSet,
    mnuFileOpen,
};
constexpr int kCommandControlCount = 10;

// The events that change the command states.
enum class CommandEvent {
    StartUp,
    AbortedReception, // the start-up initialisation run again after a row error
    TimedReceptionStarts,
    ManualReceptionStarts,
    StopButton,
    TimedReceptionFinishes,
    ManualReceptionFinishes,
    OpenCompletes,
    SaveCompletes,
    SaveAsCompletes,
    Close,
};
constexpr int kCommandEventCount = 11;

// What one event does to one control; an empty field leaves that flag as it was.
struct ControlChange {
    std::optional<bool> enabled;
    std::optional<bool> visible;
};
using CommandStateChanges = std::array<ControlChange, kCommandControlCount>;

// The changes each event makes: every command sets the flags of the controls it names and leaves
// the others alone.
CommandStateChanges CommandStateTable(CommandEvent event);

// What a running reception blocks on top of the table's states: the file commands and the
// analysis, since the recording being written has no extrema until the reception ends. A blocked
// control is disabled while the reception runs and shows the table's state again afterwards.
bool BlockedWhileReceiving(CommandControl control);

} // namespace zr5
