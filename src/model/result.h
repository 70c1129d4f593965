#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

namespace zr5 {

// A value, or the message that says why there is none. Messages are the program's own Chinese
// texts and name the file and what is wrong.
template <class T> class Result {
public:
    Result(T value) : value_(std::move(value)) {}
    static Result failure(QString message) {
        Result r;
        r.error_ = std::move(message);
        return r;
    }
    explicit operator bool() const { return value_.has_value(); }
    bool ok() const { return value_.has_value(); }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }
    const QString& error() const { return error_; }

private:
    Result() = default;
    std::optional<T> value_;
    QString error_;
};

// Success, or the message that says why not: what a call returns when it has no value to give.
// The message is the user's text, word for word.
class [[nodiscard]] Status {
public:
    Status() = default;
    static Status failure(QString message) {
        Status s;
        s.error_ = std::move(message);
        s.failed_ = true;
        return s;
    }
    // The failure of another call's result, its message unchanged.
    template <class T> static Status of(const Result<T>& result) {
        return result ? Status{} : failure(result.error());
    }
    explicit operator bool() const { return !failed_; }
    bool ok() const { return !failed_; }
    const QString& error() const { return error_; }

private:
    QString error_;
    bool failed_ = false;
};

// What a tolerant read of a small preferences file gives: always a value (initial values stand in
// for what could not be read) and the messages naming what could not, so that the caller can both
// go on and tell the user. A read that gives a value or nothing is a Result.
template <class T> struct TolerantRead {
    T value;
    QStringList problems;
    bool complete() const { return problems.isEmpty(); }
};

} // namespace zr5
