#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>

#include "model/clock.h"

class QFileDialog;
class QMessageBox;
class QWidget;

namespace zr5 {

// The fixed titles of the program's messages: errors of reception, settings and motor data; misuse
// of the file commands; the save question after a reception.
inline const QString kErrorTitle = QStringLiteral("错误警告！！！");
inline const QString kOperationErrorTitle = QStringLiteral("操作错误警告！！！");
inline const QString kReceptionTitle = QStringLiteral("数据接收！！！");

// Message boxes reach the windows through this, so that tests answer them without a modal dialog.
class MessageService {
public:
    virtual ~MessageService() = default;
    // A modal message with an OK button only.
    virtual void message(QWidget* parent, const QString& title, const QString& text) = 0;
    // A modal question with Yes and No buttons; true for Yes.
    virtual bool question(QWidget* parent, const QString& title, const QString& text) = 0;
};

// The common file dialogs. An empty result means the user cancelled.
class FileDialogService {
public:
    virtual ~FileDialogService() = default;
    // The folder the next dialog opens in.
    virtual void setStartFolder(const QString& folder) { startFolder_ = folder; }
    const QString& startFolder() const { return startFolder_; }
    // Open: the file must exist.
    virtual std::optional<QString> openFileName(QWidget* parent, const QString& title,
                                                const QString& filter,
                                                const QString& defaultSuffix) = 0;
    // Save: the default suffix is added to a bare name; an existing file is confirmed before it is
    // overwritten.
    virtual std::optional<QString> saveFileName(QWidget* parent, const QString& title,
                                                const QString& filter,
                                                const QString& defaultSuffix) = 0;
    // Save, starting from a suggested file name.
    virtual std::optional<QString> saveFileNameFrom(QWidget* parent, const QString& title,
                                                    const QString& filter,
                                                    const QString& defaultSuffix,
                                                    const QString& suggested) {
        Q_UNUSED(suggested);
        return saveFileName(parent, title, filter, defaultSuffix);
    }
    // A folder to write files into (the services that open no dialog cancel).
    virtual std::optional<QString> folderName(QWidget* parent, const QString& title) {
        Q_UNUSED(parent);
        Q_UNUSED(title);
        return std::nullopt;
    }

private:
    QString startFolder_;
};

// The seams every window receives.
struct UiServices {
    MessageService& messages;
    FileDialogService& files;
    Clock& clock;
};

// Makes a message box wide enough for its whole title and places it over its window.
void FitMessageBox(QMessageBox& box, QWidget* parent);

// The Qt implementations used by the program.
class QtMessageService final : public MessageService {
public:
    void message(QWidget* parent, const QString& title, const QString& text) override;
    bool question(QWidget* parent, const QString& title, const QString& text) override;
};

// The program's file dialog, before it runs: in the start folder, its columns whole, dates and
// sizes in Chinese whatever the system's locale.
std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, const QString& title,
                                            const QString& filter, const QString& defaultSuffix,
                                            const QString& folder, bool save);

class QtFileDialogService final : public FileDialogService {
public:
    std::optional<QString> openFileName(QWidget* parent, const QString& title,
                                        const QString& filter,
                                        const QString& defaultSuffix) override;
    std::optional<QString> saveFileName(QWidget* parent, const QString& title,
                                        const QString& filter,
                                        const QString& defaultSuffix) override;
    std::optional<QString> saveFileNameFrom(QWidget* parent, const QString& title,
                                            const QString& filter, const QString& defaultSuffix,
                                            const QString& suggested) override;
    std::optional<QString> folderName(QWidget* parent, const QString& title) override;
};

} // namespace zr5
