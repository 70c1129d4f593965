#include "link/serialerror.h"

#include <cerrno>

#include "recording/outputfile.h"

namespace zr5 {

namespace {

// What a failed system call on a serial device means, as far as the user can act on it. Empty for
// errno values that say nothing about the device (a stale value left by an earlier call).
QString DeviceReason(int systemErrno) {
    switch (systemErrno) {
    case EACCES:
    case EPERM:
        return QStringLiteral("当前用户没有使用该设备的权限");
    case EBUSY:
        return QStringLiteral("设备正被其他程序使用");
    case ENOENT:
        return QStringLiteral("设备不存在");
    case ENODEV:
    case ENXIO:
    case EIO:
    case EBADF:
        return QStringLiteral("设备已断开");
    default:
        return {};
    }
}

// The system's own failures that are no fault of the device.
QString ResourceReason(int systemErrno) {
    switch (systemErrno) {
    case ENOMEM:
    case EMFILE:
    case ENFILE:
        return SystemErrorReason(systemErrno);
    default:
        return {};
    }
}

QString Either(const QString& reason, const QString& otherwise) {
    return reason.isEmpty() ? otherwise : reason;
}

} // namespace

QString SerialErrorReason(QSerialPort::SerialPortError error, int systemErrno) {
    switch (error) {
    case QSerialPort::NoError:
        return {};
    case QSerialPort::DeviceNotFoundError:
        return systemErrno == ENODEV ? QStringLiteral("设备不存在或已断开")
                                     : QStringLiteral("设备不存在");
    case QSerialPort::PermissionError:
        // Also a lock the port's own lock file refused, which leaves errno as it was.
        if (systemErrno == EBUSY || systemErrno == EACCES || systemErrno == EPERM)
            return DeviceReason(systemErrno);
        return QStringLiteral("没有权限，或已被其他程序占用");
    case QSerialPort::OpenError:
        return QStringLiteral("串行口已被打开");
    case QSerialPort::NotOpenError:
        return QStringLiteral("串行口未打开");
    case QSerialPort::UnsupportedOperationError:
        switch (systemErrno) {
        case ENOTTY:
            // A terminal call on a file or pipe, or on a line that was hung up.
            return QStringLiteral("该设备不是串行口，或已断开");
        case EINVAL:
            return QStringLiteral("设备不支持所需的通信参数（9600 波特、8 位数据、无校验、"
                                  "1 位停止位）");
        default:
            return QStringLiteral("设备不支持所需的操作");
        }
    case QSerialPort::ResourceError:
        // A device that went away: the read that noticed it leaves errno as it was.
        return Either(ResourceReason(systemErrno), QStringLiteral("设备已断开"));
    case QSerialPort::ReadError:
        // A read that ends the line (the cable pulled, the device gone) leaves errno as it was.
        return Either(DeviceReason(systemErrno), QStringLiteral("读不到数据，设备已断开"));
    case QSerialPort::WriteError:
        return Either(DeviceReason(systemErrno), QStringLiteral("无法写入设备"));
    case QSerialPort::TimeoutError:
        return QStringLiteral("操作超时");
    case QSerialPort::UnknownError:
        break;
    }
    // The port reports the system errors it has no name for as unknown: errno is then the cause.
    if (QString reason = Either(DeviceReason(systemErrno), ResourceReason(systemErrno));
        !reason.isEmpty())
        return reason;
    if (systemErrno != 0)
        return QStringLiteral("未知错误（系统错误代码 %1）").arg(systemErrno);
    return QStringLiteral("未知错误");
}

} // namespace zr5
