#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace zr5 {

class AppState;
struct UiServices;

// How a file command ended, for the window to set its caption and command states.
enum class FileCommandOutcome {
    Completed, // CurrentFileName() names the new file
    Cancelled, // the user cancelled the dialog
    Refused,   // a message said why; nothing changed
};

// The File menu's commands on the current recording: open a recording, close it, save the last
// reception under a chosen name, save the current recording under another name. Dialogs and
// messages go through the window seams.
class FileCommands {
public:
    FileCommands(AppState& state, UiServices& services);

    FileCommandOutcome Open(QWidget* parent);
    // Open without the dialog (a recording named on the command line).
    FileCommandOutcome OpenFile(QWidget* parent, const QString& name);
    void Close();
    FileCommandOutcome Save(QWidget* parent);
    FileCommandOutcome SaveAs(QWidget* parent);

    static const QString kFilter;

private:
    FileCommandOutcome copyTo(QWidget* parent, const QString& name);
    // Offers to recover the rows of a cut recording into a new file, and opens that.
    FileCommandOutcome offerRepair(QWidget* parent, const QString& name, qint64 rows);
    // Where the next dialog opens: the current recording's folder, else the last folder used,
    // else the data directory.
    void prepareDialog();
    void rememberFolder(const std::optional<QString>& chosen);

    AppState& state_;
    UiServices& services_;
    QString lastFolder_;
};

} // namespace zr5
