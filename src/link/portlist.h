#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "model/result.h"

class QSerialPort;

namespace zr5 {

// A serial port the system offers: a built-in one or a USB adapter.
struct SerialPortEntry {
    QString device;       // "/dev/ttyUSB0"; "COM4" on Windows
    QString description;  // "USB-Serial Controller"
    QString manufacturer; // "Prolific Technology Inc."
    std::optional<quint16> vendorId;
    std::optional<quint16> productId;
};

// The ports present now, in the order of their device names.
std::vector<SerialPortEntry> ListSerialPorts();

// One line for a port: "/dev/ttyUSB0 — USB-Serial CH340（QinHeng Electronics，USB 1a86:7523）".
QString DescribeSerialPort(const SerialPortEntry& port);

// Opens a port on the instrument's line (9600 baud, 8 data bits, no parity, 1 stop bit, no
// handshaking) for reading. label names the port in the message.
Status OpenInstrumentPort(QSerialPort& port, const QString& device, const QString& label);

// What listening on a port found.
struct PortProbeResult {
    QString device;
    QString failure;          // why the port could not be opened; empty when it was
    std::uint64_t frames = 0; // instrument frames received
    std::uint64_t bytes = 0;
    // "有仪表数据（12 帧）", "有数据，但不是仪表的数据", "无数据" or the failure.
    QString verdict() const;
};

// Listens on every port at once for a while on the instrument's line and counts the frames each
// carries. Runs in the event loop: start(), then finished() once every port has had its time.
class PortProbe : public QObject {
    Q_OBJECT
public:
    explicit PortProbe(QObject* parent = nullptr);
    ~PortProbe() override;
    static constexpr int kListenMs = 2000;

    void start(const QStringList& devices, int listenMs = kListenMs);
    bool isRunning() const { return running_; }
    const std::vector<PortProbeResult>& results() const { return results_; }

signals:
    void finished();

private:
    struct Listener;
    void finish();

    std::vector<std::unique_ptr<Listener>> listeners_;
    std::vector<PortProbeResult> results_;
    bool running_ = false;
};

} // namespace zr5
