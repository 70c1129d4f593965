#pragma once

#include <QString>
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

} // namespace zr5
