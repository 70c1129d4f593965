#include "link/demoinstrument.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace zr5 {

DemoInstrument::~DemoInstrument() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
        process_.waitForFinished(1000);
    }
}

QString DemoInstrument::findSimulator() {
    const QDir programDir(QCoreApplication::applicationDirPath());
    // Installed side by side, or the build tree's src/app and src/sim.
    for (const QString& candidate : {programDir.filePath(QStringLiteral("zr5-sim")),
                                     programDir.filePath(QStringLiteral("../sim/zr5-sim"))}) {
        const QFileInfo fi(candidate);
        if (fi.isFile() && fi.isExecutable())
            return fi.canonicalFilePath();
    }
    return QStandardPaths::findExecutable(QStringLiteral("zr5-sim"));
}

Status DemoInstrument::start(const QStringList& simulatorArguments, const QString& simulator) {
    const QString program = simulator.isEmpty() ? findSimulator() : simulator;
    if (program.isEmpty())
        return Status::failure(
            QStringLiteral("找不到演示仪表程序 zr5-sim（应与 zr5 在同一目录中）。"));
    process_.setProgram(program);
    // The simulator must not outlive the program, however the program ends.
    process_.setArguments(QStringList{QStringLiteral("--exit-with-parent")} + simulatorArguments);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start();
    if (!process_.waitForStarted(5000))
        return Status::failure(QStringLiteral("无法启动演示仪表程序 %1：%2")
                                   .arg(QDir::toNativeSeparators(program), process_.errorString()));
    while (!process_.canReadLine() && process_.waitForReadyRead(5000)) {
    }
    device_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
    if (device_.isEmpty())
        return Status::failure(QStringLiteral("演示仪表程序 %1 没有给出设备名。")
                                   .arg(QDir::toNativeSeparators(program)));
    return {};
}

MotorParameters DemoInstrument::simulatedMotor() {
    // Y200L-4: 30 kW, 56.8 A, 92.2 %, with no-load figures by the catalogue's estimation rules.
    MotorParameters m = MotorParameters::fromValues({4, 30, 56.8f, 92.2f, 19.9f, 0.9f, 380});
    m.revalidate();
    return m;
}

} // namespace zr5
