#include "mainwindow/commandstates.h"

namespace zr5 {

namespace {

constexpr std::optional<bool> On = true;
constexpr std::optional<bool> Off = false;
constexpr std::optional<bool> Keep = std::nullopt;

// One row of the table: the enabled change of each control in CommandControl order up to mnuSet
// (no event changes mnuFileOpen), and the visibility changes of Command3 and Command4 (the only
// controls that are ever hidden).
struct Row {
    std::array<std::optional<bool>, kCommandControlCount - 1> enabled;
    std::optional<bool> command3Visible;
    std::optional<bool> command4Visible;
};

Row rowFor(CommandEvent event) {
    switch (event) {
    // Enabled flags in the order Command1, Command2, Command3, Command4, mnuCLOSE, mnuSAVEFILE,
    // mnuSAVE_AS, mnuTTT, mnuSet; then the visibility of Command3 and Command4.
    case CommandEvent::StartUp:
        return {{On, Off, Keep, Keep, Off, Off, Off, Off, On}, Keep, Off};
    case CommandEvent::AbortedReception:
        return {{On, Off, On, Keep, Off, Off, Off, Off, On}, On, Off};
    case CommandEvent::TimedReceptionStarts:
        return {{Off, Keep, Off, Off, Keep, Keep, Keep, Keep, Keep}, Keep, Keep};
    case CommandEvent::ManualReceptionStarts:
        return {{Off, Off, Off, On, Keep, Keep, Keep, Keep, Keep}, Off, On};
    case CommandEvent::StopButton:
        return {{On, On, On, Off, Keep, Keep, Keep, Keep, Keep}, On, Off};
    case CommandEvent::TimedReceptionFinishes:
        return {{On, On, On, On, On, On, Off, On, On}, Keep, Keep};
    case CommandEvent::ManualReceptionFinishes:
        return {{On, On, Keep, Keep, On, On, Off, On, On}, Keep, Keep};
    case CommandEvent::OpenCompletes:
        return {{Off, On, Off, Off, On, Off, On, On, Keep}, Keep, Keep};
    case CommandEvent::SaveCompletes:
        return {{On, On, On, Off, On, On, Off, On, On}, Keep, Keep};
    case CommandEvent::SaveAsCompletes:
        return {{Off, On, Keep, Keep, On, Off, On, On, Off}, Keep, Keep};
    case CommandEvent::Close:
        return {{On, Off, On, On, Off, Off, Off, Off, On}, Keep, Keep};
    }
    return {};
}

} // namespace

CommandStateChanges CommandStateTable(CommandEvent event) {
    const Row row = rowFor(event);
    CommandStateChanges changes;
    for (std::size_t c = 0; c < row.enabled.size(); ++c)
        changes[c].enabled = row.enabled[c];
    changes[int(CommandControl::Command3)].visible = row.command3Visible;
    changes[int(CommandControl::Command4)].visible = row.command4Visible;
    return changes;
}

bool BlockedWhileReceiving(CommandControl control) {
    switch (control) {
    case CommandControl::Command2:
    case CommandControl::mnuFileOpen:
    case CommandControl::mnuCLOSE:
    case CommandControl::mnuSAVEFILE:
    case CommandControl::mnuSAVE_AS:
    case CommandControl::mnuTTT:
        return true;
    default:
        return false;
    }
}

} // namespace zr5
