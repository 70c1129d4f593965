#pragma once

// The windows' seams for the screenshot programs, answered without any dialog.

#include <cstdio>
#include <optional>

#include "ui/services.h"

namespace zr5::shots {

// Prints every message and question; answers No, so that nothing is saved unasked.
class SilentMessages final : public MessageService {
public:
    void message(QWidget*, const QString& title, const QString& text) override {
        std::printf("message %s: %s\n", qPrintable(title), qPrintable(text));
    }
    bool question(QWidget*, const QString& title, const QString& text) override {
        std::printf("question %s: %s\n", qPrintable(title), qPrintable(text));
        return false;
    }
};

// Open is always cancelled; Save and Save As take the name prepared for them, once, and are
// cancelled otherwise.
class NoFileDialogs final : public FileDialogService {
public:
    std::optional<QString> openFileName(QWidget*, const QString&, const QString&,
                                        const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> saveFileName(QWidget*, const QString&, const QString&,
                                        const QString&) override {
        std::optional<QString> name;
        name.swap(saveName);
        return name;
    }
    std::optional<QString> saveName;
};

} // namespace zr5::shots
