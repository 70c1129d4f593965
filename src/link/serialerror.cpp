#include "link/serialerror.h"

#include <cerrno>

namespace zr5 {

namespace {

// The reasons a failed system call on a serial device can have, as far as the user can act on
// them. Empty for errno values that say nothing about the device (a stale value left by an earlier
// call, for instance).
QString SystemReason(int systemErrno) {
    switch (systemErrno) {
    case EACCES:
    case EPERM:
        return QStringLiteral("没有权限");
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

} // namespace

QString SerialErrorReason(QSerialPort::SerialPortError error, int systemErrno) {
    switch (error) {
    case QSerialPort::NoError:
        return {};
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("设备不存在");
    case QSerialPort::PermissionError:
        return systemErrno == EBUSY ? SystemReason(EBUSY)
                                    : QStringLiteral("没有权限，或已被其他程序占用");
    case QSerialPort::OpenError:
        return QStringLiteral("串行口已被打开");
    case QSerialPort::UnsupportedOperationError:
        return QStringLiteral("设备不支持所需的通信参数");
    case QSerialPort::ResourceError:
        return QStringLiteral("设备已断开");
    case QSerialPort::ReadError: {
        // A read that ends the line (the cable pulled, the device gone) leaves errno as it was.
        const QString reason = SystemReason(systemErrno);
        return reason.isEmpty() ? QStringLiteral("读不到数据，设备已断开") : reason;
    }
    case QSerialPort::WriteError: {
        const QString reason = SystemReason(systemErrno);
        return reason.isEmpty() ? QStringLiteral("无法写入设备") : reason;
    }
    case QSerialPort::TimeoutError:
        return QStringLiteral("操作超时");
    case QSerialPort::NotOpenError:
        return QStringLiteral("串行口未打开");
    case QSerialPort::UnknownError:
        break;
    }
    const QString reason = SystemReason(systemErrno);
    return reason.isEmpty() ? QStringLiteral("未知错误") : reason;
}

} // namespace zr5
