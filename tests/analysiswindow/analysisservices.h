#pragma once

// The seams the analysis window receives in tests, screenshots and benchmarks: messages are
// recorded; the window opens no file dialog, so every dialog is cancelled.

#include "support/fakeservices.h"

namespace zr5::test {

class NoFileDialogs final : public FileDialogService {
public:
    std::optional<QString> openFileName(QWidget*, const QString&, const QString&,
                                        const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> saveFileName(QWidget*, const QString&, const QString&,
                                        const QString&) override {
        return std::nullopt;
    }
};

struct AnalysisServices {
    FakeMessages messages;
    NoFileDialogs files;
    FakeClock clock;
    UiServices services{messages, files, clock};
};

} // namespace zr5::test
