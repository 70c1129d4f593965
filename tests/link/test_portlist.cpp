// Finding the tester's port: how a port is named, and what listening on ports finds, over real
// pseudo-terminals.

#include <QProcess>
#include <QSignalSpy>

#include "link/portlist.h"
#include "receptionfixture.h"
#include "recording/outputfile.h"
#include "support/succeeded.h"
#include "support/testnames.h"

namespace zr5::test {
namespace {

TEST(SerialPortName, NamesTheDeviceWithWhatTheSystemKnowsOfIt) {
    struct Case {
        SerialPortEntry port;
        const char* text;
    } cases[] = {
        {{"/dev/ttyS0", "", "", std::nullopt, std::nullopt}, "/dev/ttyS0"},
        {{"/dev/ttyUSB0", "USB-Serial CH340", "QinHeng Electronics", 0x1a86, 0x7523},
         "/dev/ttyUSB0 — USB-Serial CH340（QinHeng Electronics，USB 1a86:7523）"},
        // A maker the system gives as the description too is said once.
        {{"/dev/ttyACM0", "Arduino", "Arduino", std::nullopt, std::nullopt},
         "/dev/ttyACM0 — Arduino"},
        {{"/dev/ttyUSB1", "", "FTDI", 0x0403, 0x6001},
         "/dev/ttyUSB1 — 串行口（FTDI，USB 0403:6001）"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DescribeSerialPort(c.port), QString::fromUtf8(c.text));
}

TEST(PortProbe, NamesThePortsThatCarryTheInstrumentsFrames) {
    ensureApplication();
    sim::PseudoTerminal instrument, chatter, silent;
    for (sim::PseudoTerminal* t : {&instrument, &chatter, &silent})
        ASSERT_TRUE(test::Succeeded(t->open()));
    const QString missing = QStringLiteral("/dev/zr5-no-such-port");

    PortProbe probe;
    QSignalSpy finished(&probe, &PortProbe::finished);
    probe.start({instrument.devicePath(), chatter.devicePath(), silent.devicePath(), missing}, 500);
    // Three frames, and on the other line bytes that never form the marker 12 34 56.
    sim::SimulatedInstrument motor(3);
    QByteArray frames;
    for (int k = 0; k < 3; ++k)
        frames += motor.frameBytes(std::uint64_t(k));
    ASSERT_TRUE(instrument.write(frames.constData(), std::size_t(frames.size())));
    const QByteArray noise(40, '\x55');
    ASSERT_TRUE(chatter.write(noise.constData(), std::size_t(noise.size())));
    ASSERT_TRUE(finished.wait(5000));

    const auto& r = probe.results();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].verdict(), "有仪表数据（3 帧）");
    EXPECT_EQ(r[1].verdict(), "有数据，但不是仪表的数据");
    EXPECT_EQ(r[2].verdict(), "无数据");
    EXPECT_EQ(r[3].verdict(), "无法打开串行口 /dev/zr5-no-such-port：设备不存在！");
}

TEST(ToolPorts, ProbeNamesTheSimulatorsPortAndTheComMapping) {
    ensureApplication();
    QTemporaryDir dir;
    QProcess simulator;
    simulator.start(QStringLiteral(ZR5_SIM_PROGRAM), {"--rate", "50"});
    ASSERT_TRUE(simulator.waitForReadyRead(5000));
    const QString device = QString::fromLocal8Bit(simulator.readLine()).trimmed();
    ASSERT_TRUE(test::Succeeded(WriteWholeFile(dir.filePath("Ports.ini"), "COM2=/dev/ttyUSB7\n")));

    QProcess tool;
    tool.start(QStringLiteral(ZR5_TOOL_PATH),
               {"--data-dir", dir.path(), "ports", "--probe", "--port", device});
    ASSERT_TRUE(tool.waitForFinished(15000));
    simulator.kill();
    simulator.waitForFinished(5000);
    const QString out = QString::fromUtf8(tool.readAllStandardOutput());
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    EXPECT_TRUE(out.contains(device + QStringLiteral("　［有仪表数据（"))) << out.toStdString();
    EXPECT_TRUE(out.endsWith("COM1 = /dev/ttyS0\nCOM2 = /dev/ttyUSB7\nCOM3 = /dev/ttyS2\n"))
        << out.toStdString();
}

} // namespace
} // namespace zr5::test
