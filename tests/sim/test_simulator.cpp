#include <QProcess>

#include <cerrno>
#include <csignal>

#include "analysis/cumulative.h"
#include "link/demoinstrument.h"
#include "link/receptionfixture.h"
#include "support/succeeded.h"

namespace zr5::test {
namespace {

// The simulated instrument program on its own pseudo-terminal.
class SimulatorProcess {
public:
    explicit SimulatorProcess(const QStringList& arguments) {
        process.setProgram(QStringLiteral(ZR5_SIM_PROGRAM));
        process.setArguments(arguments);
        process.start();
    }
    ~SimulatorProcess() {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            process.waitForFinished(5000);
        }
    }
    QString device() {
        while (!process.canReadLine() && process.waitForReadyRead(5000)) {
        }
        return QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    QProcess process;
};

// The rows must be frames first, first + 1, ... of the simulator's sequence: none lost, none
// doubled, none damaged. Returns the first frame's number, or -1.
long long checkConsecutive(const std::vector<ChannelRowValues>& rows,
                           const sim::SimulatedInstrument& instrument, float ct, float pt) {
    if (rows.empty())
        return -1;
    long long first = -1;
    for (long long k = 0; k < 100000 && first < 0; ++k)
        if (scaled(instrument.sentValues(std::uint64_t(k)), ct, pt) == rows[0])
            first = k;
    EXPECT_GE(first, 0) << "the first row is none of the frames sent";
    if (first < 0)
        return -1;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i], scaled(instrument.sentValues(std::uint64_t(first) + i), ct, pt))
            << "row " << i;
        if (::testing::Test::HasFailure())
            break;
    }
    return first;
}

TEST_F(ReceptionTest, TimedReceptionFromTheSimulatorLosesNoFrame) {
    SimulatorProcess simulator({"--rate", "300", "--garbage", "4", "--split", "--seed", "11"});
    const QString device = simulator.device();
    ASSERT_TRUE(device.startsWith("/dev/")) << device.toStdString();
    setDuration(1.0f);
    ASSERT_TRUE(test::Succeeded(controller->start(ReceptionMode::Timed, device)));
    const ReceptionOutcome outcome = waitFinished(10000);
    EXPECT_EQ(outcome.end, ReceptionEnd::Completed);
    EXPECT_GT(outcome.rows, 50); // split frames at 300 a second, for one second
    const ReadBack back = readRecording(temporaryRecording());
    EXPECT_EQ(back.info.header.Duration, 1.0f);
    sim::FrameFormat format{true, 4, true};
    checkConsecutive(back.rows, sim::SimulatedInstrument(11, format), 40, 2);
}

TEST_F(ReceptionTest, AfterALineNobodyReadTheSimulatorKeepsItsPace) {
    // 2000 frames a second fill the pseudo-terminal within the pause, so its writes block.
    SimulatorProcess simulator({"--rate", "2000", "--seed", "5"});
    const QString device = simulator.device();
    ASSERT_TRUE(device.startsWith("/dev/")) << device.toStdString();
    QTest::qWait(2000); // the pause is the situation under test: nobody reads the line
    setDuration(1.0f);
    ASSERT_TRUE(test::Succeeded(controller->start(ReceptionMode::Timed, device)));
    const ReceptionOutcome outcome = waitFinished(10000);
    EXPECT_EQ(outcome.end, ReceptionEnd::Completed);
    // Duration times rate, not the frames it "owed" sent at full speed.
    EXPECT_NEAR(double(outcome.rows), 2000.0, 100.0);
}

TEST_F(ReceptionTest, ManualReceptionFromASimulatorThatHangsUp) {
    SimulatorProcess simulator({"--rate", "0", "--no-trailer", "--hangup-after", "3000"});
    const QString device = simulator.device();
    ASSERT_TRUE(device.startsWith("/dev/"));
    ASSERT_TRUE(test::Succeeded(controller->start(ReceptionMode::Manual, device)));
    const ReceptionOutcome outcome = waitFinished(20000);
    EXPECT_EQ(outcome.end, ReceptionEnd::PortFailed);
    EXPECT_TRUE(outcome.complete);
    const ReadBack back = readRecording(temporaryRecording());
    EXPECT_EQ(qint64(back.rows.size()), outcome.rows);
    sim::FrameFormat format{false, 0, false};
    const long long first = checkConsecutive(back.rows, sim::SimulatedInstrument(1, format), 40, 2);
    EXPECT_LE(first + outcome.rows, 3000);
}

TEST_F(ReceptionTest, SimulatorScalesBehindTransformers) {
    // Behind a 40:1 CT the instrument sees a fortieth of the motor's current; the recording with
    // CT ratio 40 shows the motor's own values again.
    SimulatorProcess simulator({"--ct", "40", "--pt", "2", "--rate", "200"});
    const QString device = simulator.device();
    ASSERT_TRUE(test::Succeeded(controller->start(ReceptionMode::Manual, device)));
    ASSERT_TRUE(waitRows(5));
    controller->stop();
    const ReadBack back = readRecording(temporaryRecording());
    ASSERT_GE(back.rows.size(), 5u);
    EXPECT_NEAR(back.rows[0][0], -46.5f, 6.0f); // A, lagging: the current carries the sign
    EXPECT_NEAR(back.rows[0][1], 220.0f, 3.0f); // V
}

TEST_F(ReceptionTest, DemoInstrumentRunsWhileItLives) {
    qint64 simulator = 0;
    {
        DemoInstrument demo;
        ASSERT_TRUE(
            test::Succeeded(demo.start({"--rate", "200"}, QStringLiteral(ZR5_SIM_PROGRAM))));
        ASSERT_TRUE(demo.isRunning());
        simulator = demo.processId();
        ASSERT_GT(simulator, 0);
        ASSERT_TRUE(test::Succeeded(controller->start(ReceptionMode::Manual, demo.device())));
        EXPECT_TRUE(waitRows(3));
        controller->stop();
    }
    // Gone with its owner: the simulator has ended and been reaped. (Its pseudo-terminal's name
    // is no witness: another program may be handed the same number at once.)
    errno = 0;
    EXPECT_EQ(::kill(pid_t(simulator), 0), -1);
    EXPECT_EQ(errno, ESRCH);
}

TEST(Simulator, StopsOnSigtermWhileNobodyReadsItsLine) {
    ensureApplication();
    // As fast as possible with no reader: the line fills within milliseconds and the writes wait.
    SimulatorProcess simulator({"--rate", "0"});
    ASSERT_FALSE(simulator.device().isEmpty());
    simulator.process.waitForFinished(300);
    simulator.process.terminate();
    EXPECT_TRUE(simulator.process.waitForFinished(1000)) << "still blocked after SIGTERM";
}

TEST(Simulator, RefusesBadOptionsWithoutOpeningALine) {
    ensureApplication();
    const QStringList cases[] = {
        {"--rate", "-2"},
        {"--rate", "fast"},
        {"--rate"},
        {"--frames", "-1"},
        {"--hangup-after", "-5"},
        {"--garbage", "-1"},
        {"--garbage", "1000000"},
        {"--ct", "0"},
        {"--load", "-3"},
        {"--bogus"},
    };
    for (const QStringList& arguments : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        SimulatorProcess simulator(arguments);
        ASSERT_TRUE(simulator.process.waitForFinished(5000));
        EXPECT_EQ(simulator.process.exitCode(), 2);
        EXPECT_EQ(simulator.process.readAllStandardOutput(), ""); // no device
        EXPECT_TRUE(QString::fromLocal8Bit(simulator.process.readAllStandardError())
                        .contains(QStringLiteral("无法识别")));
    }
}

// The line's name is the simulator's one line on standard output: when it cannot be written the
// simulator stops with the reason rather than send frames nobody can find.
TEST(Simulator, StopsWhenItCannotPrintTheLinesName) {
    ensureApplication();
    QProcess simulator;
    simulator.setStandardOutputFile(QStringLiteral("/dev/full"));
    simulator.start(QStringLiteral(ZR5_SIM_PROGRAM), {"--frames", "1000000"});
    ASSERT_TRUE(simulator.waitForFinished(5000));
    EXPECT_EQ(simulator.exitCode(), 1);
    EXPECT_TRUE(QString::fromLocal8Bit(simulator.readAllStandardError())
                    .startsWith(QStringLiteral("zr5-sim: 无法写出线路名称 /dev/")));
}

TEST(DemoInstrument, MissingSimulatorIsReported) {
    ensureApplication();
    DemoInstrument demo;
    const QString error = demo.start({}, QStringLiteral("/nonexistent/zr5-sim")).error();
    EXPECT_TRUE(error.contains("zr5-sim")) << error.toStdString();
    EXPECT_FALSE(demo.isRunning());
}

// The demonstration's motor data are those of the motor the simulator streams: a recording of
// it, analysed with them, runs at about three quarters load (the simulator's 75 % with its slow
// swings), not at the 150-200 % that other motor data gave.
TEST_F(ReceptionTest, TheDemonstrationsMotorDataFitTheSimulatedMotor) {
    state->settings.CTRatio = state->settings.PTRatio = 1;
    state->settings.RedCTInUse = state->settings.BlueCTInUse = state->settings.YellowCTInUse = 1;
    state->settings.recomputeCTInUseCode();
    state->model.Motor = DemoInstrument::simulatedMotor();
    ASSERT_TRUE(state->model.Motor.MotorParametersValid);
    DemoInstrument demo;
    ASSERT_TRUE(test::Succeeded(demo.start({"--rate", "200"}, QStringLiteral(ZR5_SIM_PROGRAM))));
    ASSERT_TRUE(test::Succeeded(controller->start(ReceptionMode::Manual, demo.device())));
    ASSERT_TRUE(waitRows(40));
    controller->stop();
    waitFinished();
    MeasurementModel model;
    AnalysisResults results;
    CumulativeAnalysis pass(state->dataDirectory.temporaryRecording(), model, results);
    ASSERT_TRUE(test::Succeeded(pass.runAll()));
    EXPECT_GT(results.LoadRateMinimum, 50);
    EXPECT_LT(results.LoadRateMaximum, 100);
    EXPECT_GT(results.EfficiencyMinimum, 80);
    EXPECT_LT(results.EfficiencyMaximum, 100);
}

} // namespace
} // namespace zr5::test
