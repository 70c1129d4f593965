#include "ui/services.h"

#include <QFileDialog>
#include <QMessageBox>

namespace zr5 {

void QtMessageService::message(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtMessageService::question(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

namespace {
std::optional<QString> runDialog(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}
} // namespace

std::optional<QString> QtFileDialogService::openFileName(QWidget* parent, const QString& title,
                                                         const QString& filter,
                                                         const QString& defaultSuffix) {
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(defaultSuffix);
    return runDialog(dialog);
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
    QFileDialog dialog(parent, title, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    return runDialog(dialog);
}

} // namespace zr5
