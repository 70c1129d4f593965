#include "sim/pseudoterminal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include "recording/outputfile.h"

namespace zr5::sim {

namespace {
QString systemError() {
    return SystemErrorReason(errno); // in the user's words, not the system's English
}
} // namespace

PseudoTerminal::~PseudoTerminal() {
    hangUp();
}

Status PseudoTerminal::open() {
    hangUp();
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        return Status::failure(QStringLiteral("无法创建伪终端：%1").arg(systemError()));
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        Status error = Status::failure(QStringLiteral("无法创建伪终端：%1").arg(systemError()));
        hangUp();
        return error;
    }
    path_ = QString::fromLocal8Bit(::ptsname(master_));
    slave_ = ::open(path_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw{};
    if (slave_ < 0 || ::tcgetattr(slave_, &raw) != 0) {
        Status error =
            Status::failure(QStringLiteral("无法打开伪终端 %1：%2").arg(path_, systemError()));
        hangUp();
        return error;
    }
    // Writes never block: a full line is waited for in write(), which can be told to stop.
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    // Before the reader sets its own line settings, bytes must already pass untouched.
    ::cfmakeraw(&raw);
    ::cfsetispeed(&raw, B9600);
    ::cfsetospeed(&raw, B9600);
    if (::tcsetattr(slave_, TCSANOW, &raw) != 0) {
        Status error =
            Status::failure(QStringLiteral("无法设置伪终端 %1：%2").arg(path_, systemError()));
        hangUp();
        return error;
    }
    return {};
}

bool PseudoTerminal::write(const char* data, std::size_t size, std::size_t* written,
                           bool (*stop)()) {
    std::size_t done = 0;
    bool ok = master_ >= 0;
    while (ok && done < size) {
        if (stop && stop()) {
            ok = false;
            break;
        }
        const ssize_t n = ::write(master_, data + done, size - done);
        if (n > 0) {
            done += std::size_t(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            ok = false;
            break;
        }
        // The line is full: wait for room, looking at the stop request ten times a second.
        pollfd room{master_, POLLOUT, 0};
        const int ready = ::poll(&room, 1, 100);
        if (ready < 0 && errno == EINTR && !stop)
            ok = false; // without a stop request, a signal ends the wait
        else if (ready > 0 && (room.revents & (POLLERR | POLLNVAL)))
            ok = false;
    }
    if (written)
        *written = done;
    return ok;
}

void PseudoTerminal::hangUp() {
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = master_ = -1;
}

} // namespace zr5::sim
