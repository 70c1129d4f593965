#pragma once

#include <QProcess>
#include <QString>

namespace zr5 {

// The simulated instrument of `zr5 --demo`: runs zr5-sim, which streams a running motor on a
// pseudo-terminal, for as long as this object lives.
class DemoInstrument {
public:
    DemoInstrument() = default;
    ~DemoInstrument();
    DemoInstrument(const DemoInstrument&) = delete;
    DemoInstrument& operator=(const DemoInstrument&) = delete;

    // Starts the simulator (by default zr5-sim found beside the program, in the build tree or on
    // the PATH) and waits for its device. Returns an empty string or why there is no
    // demonstration instrument.
    QString start(const QStringList& simulatorArguments = {}, const QString& program = {});
    bool isRunning() const { return process_.state() != QProcess::NotRunning; }
    const QString& device() const { return device_; }

    static QString findSimulator();

private:
    QProcess process_;
    QString device_;
};

} // namespace zr5
