#pragma once

#include <QString>
#include <cstddef>

#include "model/result.h"

namespace zr5::sim {

// The instrument's end of a pseudo-terminal: a program opens devicePath() as its serial port and
// reads what is written here. The line is raw (no echo, no line editing, no character
// translation), as a serial line is. The terminal end is held open too, so that a reader may
// close and reopen the port without the line going away.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Fails with the reason the pseudo-terminal could not be made.
    Status open();
    const QString& devicePath() const { return path_; }
    bool isOpen() const { return master_ >= 0; }

    // Writes every byte, waiting while the line is full. False when the line is gone, or when
    // stop() says so while it waits (asked at least ten times a second), or without stop when a
    // signal interrupted the wait; then *written says how far it got.
    bool write(const char* data, std::size_t size, std::size_t* written = nullptr,
               bool (*stop)() = nullptr);
    // The cable is pulled: both ends close, and the reader's next read fails.
    void hangUp();

private:
    int master_ = -1;
    int slave_ = -1;
    QString path_;
};

} // namespace zr5::sim
