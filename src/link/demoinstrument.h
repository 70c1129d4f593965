#pragma once

#include <QProcess>
#include <QString>

#include "model/motorparameters.h"
#include "model/result.h"

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
    // the PATH) and waits for its device. Fails with why there is no demonstration instrument.
    Status start(const QStringList& simulatorArguments = {}, const QString& program = {});
    bool isRunning() const { return process_.state() != QProcess::NotRunning; }
    const QString& device() const { return device_; }
    qint64 processId() const { return process_.processId(); }

    static QString findSimulator();
    // The rated data of the motor zr5-sim streams (a 30 kW four-pole motor on 380 V, running at
    // about three quarters load): the demonstration uses them when no motor data are set, so that
    // its load rate and efficiency are those of that motor.
    static MotorParameters simulatedMotor();

private:
    QProcess process_;
    QString device_;
};

} // namespace zr5
