#include <gtest/gtest.h>

#include <QMetaEnum>
#include <cerrno>

#include "link/serialerror.h"

using namespace zr5;

namespace {

bool HasLatinLetters(const QString& text) {
    for (QChar ch : text)
        if (ch.isLetter() && ch.unicode() < 0x80)
            return true;
    return false;
}

} // namespace

// Every port error gets a Chinese reason that is true whatever errno happens to hold; errno only
// names the cause where the error comes from that system call.
TEST(SerialErrorReason, ChineseAndTrueWhateverErrnoWasLeft) {
    struct Case {
        QSerialPort::SerialPortError error;
        int systemErrno;
        QString reason;
    };
    const Case cases[] = {
        // the cable pulled: the read ends the line and errno still holds an earlier call's value
        {QSerialPort::ReadError, EEXIST, QStringLiteral("读不到数据，设备已断开")},
        {QSerialPort::ReadError, 0, QStringLiteral("读不到数据，设备已断开")},
        {QSerialPort::ReadError, EIO, QStringLiteral("设备已断开")},
        {QSerialPort::ResourceError, EEXIST, QStringLiteral("设备已断开")},
        {QSerialPort::ResourceError, EAGAIN, QStringLiteral("设备已断开")},
        {QSerialPort::ResourceError, EMFILE, QStringLiteral("打开的文件太多")},
        // the port's lock file refused: errno says nothing
        {QSerialPort::PermissionError, EEXIST, QStringLiteral("没有权限，或已被其他程序占用")},
        {QSerialPort::PermissionError, EACCES, QStringLiteral("当前用户没有使用该设备的权限")},
        {QSerialPort::PermissionError, EBUSY, QStringLiteral("设备正被其他程序使用")},
        {QSerialPort::DeviceNotFoundError, ENOENT, QStringLiteral("设备不存在")},
        {QSerialPort::DeviceNotFoundError, ENODEV, QStringLiteral("设备不存在或已断开")},
        // a file or a hung-up line opened as a port
        {QSerialPort::UnsupportedOperationError, ENOTTY,
         QStringLiteral("该设备不是串行口，或已断开")},
        {QSerialPort::UnsupportedOperationError, EINVAL,
         QStringLiteral("设备不支持所需的通信参数（9600 波特、8 位数据、无校验、1 位停止位）")},
        {QSerialPort::UnsupportedOperationError, EEXIST, QStringLiteral("设备不支持所需的操作")},
        {QSerialPort::WriteError, EEXIST, QStringLiteral("无法写入设备")},
        {QSerialPort::WriteError, EBADF, QStringLiteral("设备已断开")},
        {QSerialPort::OpenError, EBUSY, QStringLiteral("串行口已被打开")},
        {QSerialPort::NotOpenError, 0, QStringLiteral("串行口未打开")},
        {QSerialPort::TimeoutError, EAGAIN, QStringLiteral("操作超时")},
        {QSerialPort::UnknownError, EACCES, QStringLiteral("当前用户没有使用该设备的权限")},
        {QSerialPort::UnknownError, ENOMEM, QStringLiteral("内存不足")},
        {QSerialPort::UnknownError, EEXIST,
         QStringLiteral("未知错误（系统错误代码 %1）").arg(EEXIST)},
        {QSerialPort::UnknownError, 0, QStringLiteral("未知错误")},
        {QSerialPort::NoError, EEXIST, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "error " << c.error << ", errno " << c.systemErrno);
        const QString reason = SerialErrorReason(c.error, c.systemErrno);
        EXPECT_EQ(reason, c.reason);
        EXPECT_FALSE(HasLatinLetters(reason)) << reason.toStdString();
    }
    // and no error the port can report goes without a reason, whatever errno holds
    const QMetaEnum errors = QMetaEnum::fromType<QSerialPort::SerialPortError>();
    for (int i = 0; i < errors.keyCount(); ++i) {
        const auto error = QSerialPort::SerialPortError(errors.value(i));
        for (int systemErrno : {0, EEXIST, EIO, EACCES, ENOTTY}) {
            const QString reason = SerialErrorReason(error, systemErrno);
            EXPECT_EQ(reason.isEmpty(), error == QSerialPort::NoError) << errors.key(i);
            EXPECT_FALSE(HasLatinLetters(reason)) << errors.key(i) << reason.toStdString();
        }
    }
}
