#include "link/portlist.h"

#include <QDir>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QTimer>
#include <algorithm>
#include <cerrno>

#include "link/framescanner.h"
#include "link/serialerror.h"

namespace zr5 {

namespace {

// What the user can do about a port the system does not let them open.
QString PermissionHint(QSerialPort::SerialPortError error, int systemErrno) {
#ifdef Q_OS_UNIX
    if (error == QSerialPort::PermissionError && (systemErrno == EACCES || systemErrno == EPERM))
        return QStringLiteral("（串行口属于 dialout 组：执行 sudo adduser $USER dialout，"
                              "重新登录后即可使用）");
#else
    Q_UNUSED(error);
    Q_UNUSED(systemErrno);
#endif
    return {};
}

QString UsbIds(const SerialPortEntry& port) {
    if (!port.vendorId || !port.productId)
        return {};
    return QStringLiteral("USB %1:%2")
        .arg(*port.vendorId, 4, 16, QLatin1Char('0'))
        .arg(*port.productId, 4, 16, QLatin1Char('0'));
}

} // namespace

std::vector<SerialPortEntry> ListSerialPorts() {
    std::vector<SerialPortEntry> ports;
    const auto available = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : available) {
        SerialPortEntry e;
        e.device = info.systemLocation();
        e.description = info.description();
        e.manufacturer = info.manufacturer();
        if (info.hasVendorIdentifier())
            e.vendorId = info.vendorIdentifier();
        if (info.hasProductIdentifier())
            e.productId = info.productIdentifier();
        ports.push_back(std::move(e));
    }
    std::sort(ports.begin(), ports.end(), [](const SerialPortEntry& a, const SerialPortEntry& b) {
        return a.device < b.device;
    });
    return ports;
}

QString DescribeSerialPort(const SerialPortEntry& port) {
    QString text = QDir::toNativeSeparators(port.device);
    QString name = port.description.trimmed();
    QStringList details;
    if (!port.manufacturer.trimmed().isEmpty() && port.manufacturer.trimmed() != name)
        details << port.manufacturer.trimmed();
    if (const QString ids = UsbIds(port); !ids.isEmpty())
        details << ids;
    if (name.isEmpty() && details.isEmpty())
        return text;
    text += QStringLiteral(" — ");
    text += name.isEmpty() ? QStringLiteral("串行口") : name;
    if (!details.isEmpty())
        text += QStringLiteral("（%1）").arg(details.join(QStringLiteral("，")));
    return text;
}

Status OpenInstrumentPort(QSerialPort& port, const QString& device, const QString& label) {
    port.setPortName(device);
    if (!port.open(QIODevice::ReadOnly)) {
        const int systemErrno = errno;
        return Status::failure(QStringLiteral("无法打开串行口 %1：%2！%3")
                                   .arg(label, SerialErrorReason(port.error(), systemErrno),
                                        PermissionHint(port.error(), systemErrno)));
    }
    // 9600 baud, 8 data bits, no parity, 1 stop bit, no handshaking: the instrument's line.
    const bool configured =
        port.setBaudRate(QSerialPort::Baud9600) && port.setDataBits(QSerialPort::Data8) &&
        port.setParity(QSerialPort::NoParity) && port.setStopBits(QSerialPort::OneStop) &&
        port.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        const QString reason = SerialErrorReason(port.error(), errno);
        port.close();
        return Status::failure(QStringLiteral("无法设置串行口 %1：%2！").arg(label, reason));
    }
    return {};
}

QString PortProbeResult::verdict() const {
    if (!failure.isEmpty())
        return failure;
    if (frames > 0)
        return QStringLiteral("有仪表数据（%1 帧）").arg(frames);
    if (bytes > 0)
        return QStringLiteral("有数据，但不是仪表的数据");
    return QStringLiteral("无数据");
}

struct PortProbe::Listener {
    QSerialPort port;
    FrameScanner scanner;
    std::size_t index = 0;
};

PortProbe::PortProbe(QObject* parent) : QObject(parent) {}

PortProbe::~PortProbe() = default;

void PortProbe::start(const QStringList& devices, int listenMs) {
    listeners_.clear();
    results_.clear();
    running_ = true;
    for (const QString& device : devices) {
        PortProbeResult result;
        result.device = device;
        auto listener = std::make_unique<Listener>();
        listener->index = results_.size();
        const Status opened =
            OpenInstrumentPort(listener->port, device, QDir::toNativeSeparators(device));
        if (!opened) {
            result.failure = opened.error();
        } else {
            Listener* l = listener.get();
            connect(&l->port, &QSerialPort::readyRead, this, [this, l] {
                const QByteArray bytes = l->port.readAll();
                l->scanner.feed(bytes.constData(), std::size_t(bytes.size()));
                ChannelRowValues numbers;
                while (l->scanner.next(numbers)) {
                }
                results_[l->index].frames = l->scanner.framesFound();
                results_[l->index].bytes = l->scanner.bytesReceived();
            });
            listeners_.push_back(std::move(listener));
        }
        results_.push_back(std::move(result));
    }
    QTimer::singleShot(listeners_.empty() ? 0 : listenMs, this, &PortProbe::finish);
}

void PortProbe::finish() {
    for (auto& l : listeners_)
        l->port.close();
    listeners_.clear();
    running_ = false;
    emit finished();
}

} // namespace zr5
