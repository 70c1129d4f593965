#include "ui/services.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMessageBox>
#include <QSpacerItem>
#include <QTreeView>

#include "ui/geometry.h"

namespace zr5 {

void FitMessageBox(QMessageBox& box, QWidget* parent) {
    // A short text makes a narrow box, and the window manager then cuts its title ("错…！"): the
    // box is at least as wide as its title in a title bar's larger bold face, with room for the
    // title bar's buttons.
    QFont titleFont = box.font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    constexpr int kTitleBarButtons = 120;
    const int titleWidth =
        QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + kTitleBarButtons;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    // Over the window it speaks of.
    PlaceOver(box, parent);
}

void QtMessageService::message(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    FitMessageBox(box, parent);
    box.exec();
}

bool QtMessageService::question(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    FitMessageBox(box, parent);
    return box.exec() == QMessageBox::Yes;
}

namespace {

const QLocale kChinese(QLocale::Chinese, QLocale::China);

// The dialog's file list in Chinese: the file system model formats sizes, dates and the folder
// type in the system's locale, which on a field laptop is often English or C.
class ChineseFileColumns final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || index.column() == 0)
            return QIdentityProxyModel::data(index, role);
        const QFileInfo info = files->fileInfo(mapToSource(index));
        switch (index.column()) {
        case 1:
            return info.isDir() ? QString()
                                : kChinese.formattedDataSize(info.size(), 2,
                                                             QLocale::DataSizeTraditionalFormat);
        case 2:
            if (info.isDir())
                return QStringLiteral("文件夹");
            return info.suffix().isEmpty() ? QStringLiteral("文件")
                                           : info.suffix().toUpper() + QStringLiteral(" 文件");
        case 3:
            return kChinese.toString(info.lastModified(), QLocale::ShortFormat);
        default:
            return QIdentityProxyModel::data(index, role);
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        static const char* const kHeaders[] = {"名称", "大小", "类型", "修改日期"};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
            return QString::fromUtf8(kHeaders[section]);
        return QIdentityProxyModel::headerData(section, orientation, role);
    }
};

std::optional<QString> runDialog(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

} // namespace

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, const QString& title,
                                            const QString& filter, const QString& defaultSuffix,
                                            const QString& folder, bool save) {
    auto dialog = std::make_unique<QFileDialog>(parent, title, folder, filter);
    // The program's own dialog, so that its list can speak Chinese on every desktop.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setLocale(kChinese);
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog->setDefaultSuffix(defaultSuffix);
    dialog->setProxyModel(new ChineseFileColumns(dialog.get()));
    dialog->setViewMode(QFileDialog::Detail);
    if (auto* list = dialog->findChild<QTreeView*>(QStringLiteral("treeView"))) {
        list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        list->header()->setStretchLastSection(false);
    }
    dialog->resize(760, 460);
    return dialog;
}

std::optional<QString> QtFileDialogService::openFileName(QWidget* parent, const QString& title,
                                                         const QString& filter,
                                                         const QString& defaultSuffix) {
    const auto dialog = MakeFileDialog(parent, title, filter, defaultSuffix, startFolder(), false);
    return runDialog(*dialog);
}

std::optional<QString> QtFileDialogService::saveFileName(QWidget* parent, const QString& title,
                                                         const QString& filter,
                                                         const QString& defaultSuffix) {
    return saveFileNameFrom(parent, title, filter, defaultSuffix, QString());
}

std::optional<QString> QtFileDialogService::saveFileNameFrom(QWidget* parent, const QString& title,
                                                             const QString& filter,
                                                             const QString& defaultSuffix,
                                                             const QString& suggested) {
    // A suggested name opens the dialog in its folder with the name filled in.
    const auto dialog = MakeFileDialog(parent, title, filter, defaultSuffix,
                                       suggested.isEmpty() ? startFolder() : suggested, true);
    return runDialog(*dialog);
}

std::optional<QString> QtFileDialogService::folderName(QWidget* parent, const QString& title) {
    const auto dialog = MakeFileDialog(parent, title, QString(), QString(), startFolder(), false);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    return runDialog(*dialog);
}

} // namespace zr5
