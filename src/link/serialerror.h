#pragma once

#include <QSerialPort>
#include <QString>

namespace zr5 {

// Why the serial port failed, in the user's words. The port's own error text is not used: it is
// English, and after a hang-up it names whatever errno last held ("File exists"). `systemErrno` is
// errno as it stood when the port reported the error; it only refines errors that come from a
// system call.
QString SerialErrorReason(QSerialPort::SerialPortError error, int systemErrno);

} // namespace zr5
