#pragma once

// Test implementations of the window seams: messages are recorded and questions answered from a
// script, file dialogs return prepared names, the clock is set by hand.

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "ui/services.h"

namespace zr5::test {

struct ShownMessage {
    QString title;
    QString text;
    bool isQuestion = false;
};

// A test that expects a message says so (expecting = true); any other message fails the test
// through onUnexpected, which the test programs set (tests/support/failonmessage.cpp).
class FakeMessages final : public MessageService {
public:
    std::vector<ShownMessage> shown;
    std::deque<bool> answers; // for questions, in order; No when empty
    bool expecting = false;
    static std::function<void(const ShownMessage&)>& onUnexpected() {
        static std::function<void(const ShownMessage&)> report;
        return report;
    }

    void message(QWidget*, const QString& title, const QString& text) override {
        record({title, text, false});
    }
    bool question(QWidget*, const QString& title, const QString& text) override {
        record({title, text, true});
        if (answers.empty())
            return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    const ShownMessage* last() const { return shown.empty() ? nullptr : &shown.back(); }

private:
    void record(const ShownMessage& m) {
        shown.push_back(m);
        if (!expecting && onUnexpected())
            onUnexpected()(m);
    }
};

struct FileDialogCall {
    bool save = false;
    QString title;
    QString filter;
    QString defaultSuffix;
    QString folder; // where the dialog opened
};

class FakeFileDialogs final : public FileDialogService {
public:
    std::vector<FileDialogCall> calls;
    std::deque<std::optional<QString>> answers; // nullopt: the user cancels

    std::optional<QString> openFileName(QWidget*, const QString& title, const QString& filter,
                                        const QString& suffix) override {
        calls.push_back({false, title, filter, suffix, startFolder()});
        return next();
    }
    std::optional<QString> saveFileName(QWidget*, const QString& title, const QString& filter,
                                        const QString& suffix) override {
        calls.push_back({true, title, filter, suffix, startFolder()});
        return next();
    }
    std::optional<QString> folderName(QWidget*, const QString& title) override {
        calls.push_back({false, title, QString(), QString(), startFolder()});
        return next();
    }

private:
    std::optional<QString> next() {
        std::optional<QString> a;
        if (!answers.empty()) {
            a.swap(answers.front());
            answers.pop_front();
        }
        return a;
    }
};

class FakeClock final : public Clock {
public:
    double wallSeconds = 36000.0;
    qint64 monotonicMs = 0;
    double secondsSinceMidnight() const override { return wallSeconds; }
    qint64 monotonicMilliseconds() const override { return monotonicMs; }
    void advance(double seconds) {
        wallSeconds += seconds;
        monotonicMs += qint64(seconds * 1000.0);
    }
};

} // namespace zr5::test
