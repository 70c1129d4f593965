#include "sim/pseudoterminal.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace zr5::sim {

namespace {
QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}
} // namespace

PseudoTerminal::~PseudoTerminal() {
    hangUp();
}

QString PseudoTerminal::open() {
    hangUp();
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        return QStringLiteral("无法创建伪终端：%1").arg(systemError());
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        const QString error = QStringLiteral("无法创建伪终端：%1").arg(systemError());
        hangUp();
        return error;
    }
    path_ = QString::fromLocal8Bit(::ptsname(master_));
    slave_ = ::open(path_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw{};
    if (slave_ < 0 || ::tcgetattr(slave_, &raw) != 0) {
        const QString error = QStringLiteral("无法打开伪终端 %1：%2").arg(path_, systemError());
        hangUp();
        return error;
    }
    // Before the reader sets its own line settings, bytes must already pass untouched.
    ::cfmakeraw(&raw);
    ::cfsetispeed(&raw, B9600);
    ::cfsetospeed(&raw, B9600);
    if (::tcsetattr(slave_, TCSANOW, &raw) != 0) {
        const QString error = QStringLiteral("无法设置伪终端 %1：%2").arg(path_, systemError());
        hangUp();
        return error;
    }
    return {};
}

bool PseudoTerminal::write(const char* data, std::size_t size, std::size_t* written) {
    std::size_t done = 0;
    bool ok = master_ >= 0;
    while (ok && done < size) {
        const ssize_t n = ::write(master_, data + done, size - done);
        if (n > 0)
            done += std::size_t(n);
        else
            ok = false;
    }
    if (written)
        *written = done;
    return ok;
}

std::size_t PseudoTerminal::unreadBytes() const {
    int count = 0;
    if (slave_ < 0 || ::ioctl(slave_, FIONREAD, &count) != 0)
        return 0;
    return std::size_t(count);
}

void PseudoTerminal::hangUp() {
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = master_ = -1;
}

} // namespace zr5::sim
