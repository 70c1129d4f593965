#include "recording/filecommands.h"

#include <QFileInfo>

#include "model/appstate.h"
#include "recording/filecopy.h"
#include "recording/openrecording.h"
#include "recording/recordingfile.h"
#include "recording/repair.h"
#include "ui/services.h"

namespace zr5 {

const QString FileCommands::kFilter = QStringLiteral("电动机经济运行(*.MTR)");

FileCommands::FileCommands(AppState& state, UiServices& services)
    : state_(state), services_(services) {}

void FileCommands::rememberFolder(const std::optional<QString>& chosen) {
    if (chosen && !chosen->isEmpty())
        lastFolder_ = QFileInfo(*chosen).absolutePath();
}

void FileCommands::prepareDialog() {
    QString folder = state_.isTemporaryRecording()
                         ? lastFolder_
                         : QFileInfo(state_.CurrentFileName()).absolutePath();
    if (folder.isEmpty())
        folder = state_.dataDirectory.root();
    services_.files.setStartFolder(folder);
}

FileCommandOutcome FileCommands::Open(QWidget* parent) {
    prepareDialog();
    const auto name = services_.files.openFileName(parent, QStringLiteral("打开"), kFilter,
                                                   QStringLiteral("MTR"));
    rememberFolder(name);
    // Cancelling keeps the current recording: the caption still names it, so the analysis must
    // keep working on it.
    if (!name)
        return FileCommandOutcome::Cancelled;
    if (name->isEmpty())
        return FileCommandOutcome::Cancelled;
    return OpenFile(parent, *name);
}

FileCommandOutcome FileCommands::OpenFile(QWidget* parent, const QString& name) {
    const Result<RecordingInfo> info = ReadRecordingInfo(name);
    if (!info) {
        // A recording cut by a crash or a full disk: its rows can go into a new file.
        if (const Result<qint64> rows = RecoverableRows(name); rows && *rows > 0)
            return offerRepair(parent, name, *rows);
        services_.messages.message(parent, kOperationErrorTitle, info.error());
        return FileCommandOutcome::Refused;
    }
    state_.recordingOpened(name);
    if (const Status taken = TakeOpenedRecording(state_, info->header); !taken)
        services_.messages.message(parent, kErrorTitle, taken.error());
    return FileCommandOutcome::Completed;
}

FileCommandOutcome FileCommands::offerRepair(QWidget* parent, const QString& name, qint64 rows) {
    const QString title = QStringLiteral("数据恢复！！！");
    if (!services_.messages.question(
            parent, title, QStringLiteral("文件不完整：是否恢复已记录的 %1 行数据？").arg(rows)))
        return FileCommandOutcome::Cancelled;
    // Never in place: the cut file stays as it is until the user deletes it.
    const auto target = services_.files.saveFileName(parent, QStringLiteral("恢复为"), kFilter,
                                                     QStringLiteral("MTR"));
    if (!target || target->isEmpty())
        return FileCommandOutcome::Cancelled;
    const Result<RepairReport> report = RepairRecording(name, *target);
    if (!report) {
        services_.messages.message(parent, kOperationErrorTitle, report.error());
        return FileCommandOutcome::Refused;
    }
    services_.messages.message(parent, title, RepairSummary(*report, *target));
    return OpenFile(parent, *target);
}

void FileCommands::Close() {
    state_.recordingClosed();
}

FileCommandOutcome FileCommands::Save(QWidget* parent) {
    // Nothing received and nothing opened: there is no recording to save.
    if (!QFileInfo(state_.CurrentFileName()).isFile()) {
        services_.messages.message(parent, kOperationErrorTitle,
                                   QStringLiteral("请先按[接收数据]按钮，或先打开一个文件。"));
        return FileCommandOutcome::Refused;
    }
    prepareDialog();
    const auto name = services_.files.saveFileName(parent, QStringLiteral("保存"), kFilter,
                                                   QStringLiteral("MTR"));
    rememberFolder(name);
    // Cancelling leaves the reception in the temporary recording, and current.
    if (!name || name->isEmpty())
        return FileCommandOutcome::Cancelled;
    return copyTo(parent, *name);
}

FileCommandOutcome FileCommands::SaveAs(QWidget* parent) {
    // Only a saved or opened recording has a name to save under another one.
    if (state_.isTemporaryRecording()) {
        services_.messages.message(parent, kOperationErrorTitle,
                                   QStringLiteral("请[打开]一个文件。"));
        return FileCommandOutcome::Refused;
    }
    prepareDialog();
    const auto name = services_.files.saveFileName(parent, QStringLiteral("另存为"), kFilter,
                                                   QStringLiteral(".MTR"));
    rememberFolder(name);
    if (!name || name->isEmpty())
        return FileCommandOutcome::Cancelled;
    return copyTo(parent, *name);
}

FileCommandOutcome FileCommands::copyTo(QWidget* parent, const QString& name) {
    const QString source = state_.CurrentFileName();
    if (const Status copied = FileCopy(source, name); !copied) {
        // The recording stays where it is and stays current.
        services_.messages.message(parent, kOperationErrorTitle, copied.error());
        return FileCommandOutcome::Refused;
    }
    state_.recordingSaved(name);
    return FileCommandOutcome::Completed;
}

} // namespace zr5
