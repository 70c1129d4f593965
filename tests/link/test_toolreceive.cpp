#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>

#include "receptionfixture.h"

namespace zr5::test {
namespace {

class ToolReceive : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        simulator.setProgram(QStringLiteral(ZR5_SIM_PROGRAM));
    }
    void TearDown() override {
        for (QProcess* p : {&tool, &simulator})
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
    }
    QString startSimulator(const QStringList& arguments) {
        simulator.setArguments(arguments);
        simulator.start();
        while (!simulator.canReadLine() && simulator.waitForReadyRead(5000)) {
        }
        return QString::fromLocal8Bit(simulator.readLine()).trimmed();
    }
    void startTool(const QStringList& arguments) {
        tool.setProgram(QStringLiteral(ZR5_TOOL_PATH));
        tool.setArguments(QStringList{"--data-dir", dir.filePath("data")} + arguments);
        tool.start();
        ASSERT_TRUE(tool.waitForStarted(5000));
    }
    int waitTool(int timeoutMs = 20000) {
        EXPECT_TRUE(tool.waitForFinished(timeoutMs));
        err = tool.readAllStandardError();
        out = tool.readAllStandardOutput();
        return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    }
    bool fileHasRows(const QString& path, qint64 rows) {
        return waitUntil(
            [&] { return QFileInfo(path).size() >= kEmptyRecordingBytes + rows * kRowBytes; },
            10000);
    }

    QTemporaryDir dir;
    QProcess simulator;
    QProcess tool;
    QByteArray out, err;
};

TEST_F(ToolReceive, TimedRecordingWithRatiosAndMotorData) {
    const QString device = startSimulator({"--rate", "200", "--seed", "4"});
    const QString output = dir.filePath("timed.MTR");
    startTool({"receive", "--port", device, "--seconds", "1", "--ct", "40", "--pt", "2", "--motor",
               "4,30,56.8,92.2,19.9,0.9,380", output});
    ASSERT_EQ(waitTool(), 0) << err.toStdString();
    EXPECT_TRUE(out.contains("timed.MTR")) << out.toStdString();
    const ReadBack back = readRecording(output);
    EXPECT_EQ(back.info.header.Duration, 1.0f);
    EXPECT_EQ(back.info.header.Motor,
              (std::array<float, 7>{4, 30, 56.8f, 92.2f, 19.9f, 0.9f, 380}));
    ASSERT_GT(back.rows.size(), 50u);
    // Each row is a frame of the simulator, scaled; the next row is the next frame.
    const sim::SimulatedInstrument instrument(4);
    long long first = -1;
    for (long long k = 0; k < 10000 && first < 0; ++k)
        if (scaled(instrument.sentValues(k), 40, 2) == back.rows[0])
            first = k;
    ASSERT_GE(first, 0);
    for (std::size_t i = 0; i < back.rows.size(); ++i)
        ASSERT_EQ(back.rows[i], scaled(instrument.sentValues(first + i), 40, 2)) << i;
    // The last progress line: every row, and the time the reception ran.
    const QRegularExpressionMatch progress =
        QRegularExpression(QStringLiteral("已接收 (\\d+) 行，([0-9.]+) 秒\n"))
            .match(QString::fromUtf8(err));
    ASSERT_TRUE(progress.hasMatch()) << err.toStdString();
    EXPECT_EQ(progress.captured(1).toULongLong(), back.rows.size());
    EXPECT_GE(progress.captured(2).toDouble(), 1.0);
}

TEST_F(ToolReceive, UntilStoppedLeavesAValidRecordingWhateverEndsIt) {
    // Ctrl-C, SIGTERM and a closed terminal end it cleanly; kill -9 loses the last half second.
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
        SCOPED_TRACE(signal);
        const QString device = startSimulator({"--rate", "100"});
        const QString output = dir.filePath(QStringLiteral("manual%1.MTR").arg(signal));
        startTool({"receive", "--port", device, "--until-stopped", output});
        ASSERT_TRUE(fileHasRows(output, 5)); // the rows reach the disk while it runs
        ::kill(pid_t(tool.processId()), signal);
        const int exitCode = waitTool();
        if (signal != SIGKILL) {
            ASSERT_EQ(exitCode, 0) << err.toStdString();
        }
        const ReadBack back = readRecording(output);
        EXPECT_GE(back.rows.size(), 5u);
        EXPECT_GT(back.info.header.Duration, 0.0f); // the time of the last row
        simulator.terminate();
        simulator.waitForFinished(5000);
    }
}

TEST_F(ToolReceive, HangUpKeepsTheRowsAndFails) {
    const QString device = startSimulator({"--rate", "200", "--hangup-after", "60"});
    const QString output = dir.filePath("cut.MTR");
    startTool({"receive", "--port", device, "--seconds", "30", output});
    EXPECT_EQ(waitTool(), 1);
    EXPECT_TRUE(err.contains(device.toLocal8Bit())) << err.toStdString();
    // In the user's words, not the system's "Inappropriate ioctl for device".
    EXPECT_TRUE(QString::fromUtf8(err).contains(QStringLiteral("已断开"))) << err.toStdString();
    const ReadBack back = readRecording(output); // a complete, valid recording
    EXPECT_GT(back.rows.size(), 0u);
    EXPECT_LE(back.rows.size(), 60u);
}

TEST_F(ToolReceive, RefusesBadArgumentsAndAMissingPort) {
    const QString output = dir.filePath("none.MTR");
    struct Case {
        QStringList args;
        const char* expected;
        int exitCode = 1; // 2: a wrong command line
    };
    const Case cases[] = {
        {{"receive", "--port", dir.filePath("no-tty"), "--seconds", "5", output}, "设备不存在"},
        {{"receive", "--port", "/dev/null", output}, "用法", 2},
        {{"receive", "--port", "/dev/null", "--seconds", "5", "--until-stopped", output},
         "用法",
         2},
        {{"receive", "--port", "/dev/null", "--seconds", "-1", output}, "--seconds"},
        {{"receive", "--port", "/dev/null", "--seconds", "5", "--ct", "0", output}, "--ct"},
        {{"receive", "--port", "/dev/null", "--seconds", "5", "--motor", "1,2,3", output},
         "--motor"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        startTool(c.args);
        EXPECT_EQ(waitTool(), c.exitCode);
        EXPECT_TRUE(QString::fromUtf8(err).contains(QString::fromUtf8(c.expected)))
            << err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(output));
    }
}

TEST_F(ToolReceive, KeepsAnExistingFileUnlessToldToOverwrite) {
    const QString output = dir.filePath("old.MTR");
    QFile old(output);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an earlier recording");
    old.close();
    startTool({"receive", "--port", "/dev/null", "--seconds", "1", output});
    EXPECT_EQ(waitTool(), 1);
    EXPECT_TRUE(err.contains("--overwrite"));
    EXPECT_EQ(QFileInfo(output).size(), 20);
}

} // namespace
} // namespace zr5::test
