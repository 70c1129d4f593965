#include <gtest/gtest.h>

#include <cerrno>

#include "link/serialerror.h"

using namespace zr5;

// Every port error gets a Chinese reason that is true whatever errno happens to hold; errno only
// refines the errors of a system call.
TEST(SerialErrorReason, ChineseAndTrueWhateverErrnoWasLeft) {
    struct Case {
        QSerialPort::SerialPortError error;
        int systemErrno;
        const char* reason;
    };
    const Case cases[] = {
        // the cable pulled: the read ends the line and errno still holds an earlier call's value
        {QSerialPort::ReadError, EEXIST, "读不到数据，设备已断开"},
        {QSerialPort::ReadError, 0, "读不到数据，设备已断开"},
        {QSerialPort::ReadError, EIO, "设备已断开"},
        {QSerialPort::ResourceError, EEXIST, "设备已断开"},
        {QSerialPort::PermissionError, EACCES, "没有权限，或已被其他程序占用"},
        {QSerialPort::PermissionError, EBUSY, "设备正被其他程序使用"},
        {QSerialPort::DeviceNotFoundError, ENOENT, "设备不存在"},
        {QSerialPort::WriteError, EEXIST, "无法写入设备"},
        {QSerialPort::UnknownError, EACCES, "没有权限"},
        {QSerialPort::UnknownError, EEXIST, "未知错误"},
        {QSerialPort::NoError, EEXIST, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "error " << c.error << ", errno " << c.systemErrno);
        const QString reason = SerialErrorReason(c.error, c.systemErrno);
        EXPECT_EQ(reason, QString::fromUtf8(c.reason));
        for (QChar ch : reason)
            EXPECT_FALSE(ch.isLetter() && ch.unicode() < 0x80) << reason.toStdString();
    }
}
