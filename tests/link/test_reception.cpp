#include <QElapsedTimer>
#include <QFileInfo>

#include "receptionfixture.h"
#include "support/fakeservices.h"
#include "support/succeeded.h"
#include "support/testnames.h"

namespace zr5::test {
namespace {

QByteArray rawFrame(const ChannelRowValues& v, bool trailer = true) {
    return sim::EncodeFrame(v, trailer);
}

ChannelRowValues decoded(const QByteArray& frameWithMarker) {
    return DecodeFrameNumbers(reinterpret_cast<const std::uint8_t*>(frameWithMarker.constData()) +
                              3);
}

// --- Both modes, every framing the instrument may use: rows equal the frames sent, scaled. ---

struct FramingCase {
    const char* name;
    ReceptionMode mode;
    sim::FrameFormat format;
};

void PrintTo(const FramingCase& c, std::ostream* os) {
    *os << c.name;
}

class ReceptionFraming : public ReceptionTest, public ::testing::WithParamInterface<FramingCase> {};

TEST_P(ReceptionFraming, RowsEqualTheFramesSentScaledByTheRatios) {
    const FramingCase& c = GetParam();
    const bool timed = c.mode == ReceptionMode::Timed;
    setDuration(timed ? 1.5f : 60.0f);
    sim::SimulatedInstrument instrument(7, c.format);
    constexpr int kFrames = 40;
    startOrFail(c.mode);
    for (int k = 0; k < kFrames; ++k) {
        const QByteArray bytes = instrument.frameBytes(k);
        int from = 0;
        std::vector<int> cuts = instrument.splitPoints(k);
        cuts.push_back(int(bytes.size()));
        for (int cut : cuts) {
            if (c.format.splitFrames)
                sendAndWaitTaken(bytes.mid(from, cut - from));
            else
                send(bytes.mid(from, cut - from));
            from = cut;
        }
    }
    ASSERT_TRUE(waitRows(kFrames));
    if (!timed)
        controller->stop();
    const ReceptionOutcome outcome = waitFinished();
    EXPECT_EQ(outcome.end, ReceptionEnd::Completed);
    EXPECT_TRUE(outcome.complete);
    EXPECT_EQ(outcome.rows, kFrames);
    EXPECT_EQ(outcome.recording, temporaryRecording());
    EXPECT_FALSE(port.isOpen());

    const ReadBack back = readRecording(temporaryRecording());
    ASSERT_EQ(back.rows.size(), std::size_t(kFrames));
    for (int k = 0; k < kFrames; ++k)
        EXPECT_EQ(back.rows[k], scaled(instrument.sentValues(k), 40, 2)) << "row " << k;
    const RecordingHeader& h = back.info.header;
    EXPECT_FLOAT_EQ(h.StartTime, state->model.StartTime);
    if (timed)
        EXPECT_EQ(h.Duration, 1.5f);
    else
        EXPECT_EQ(h.Duration, state->model.ElapsedTime); // the last row's elapsed time
    EXPECT_EQ(h.Motor, state->model.Motor.values());
    EXPECT_EQ(h.CTFlags, (std::array<float, 3>{1, 0, 1}));
    EXPECT_EQ(back.info.RowMaximum, state->model.RowMaximum);
    EXPECT_EQ(back.info.RowMinimum, state->model.RowMinimum);
    // Channel 1 current of a 56.8 A motor at three quarters load, times the CT ratio.
    EXPECT_GT(back.info.RowMaximum[0], 40 * 40.0f);
    EXPECT_LT(back.info.RowMaximum[0], 40 * 60.0f);
    EXPECT_EQ(state->CurrentFileName(), temporaryRecording());
}

INSTANTIATE_TEST_SUITE_P(
    Framings, ReceptionFraming,
    ::testing::Values(FramingCase{"TimedWithTrailer", ReceptionMode::Timed, {}},
                      FramingCase{"ManualWithTrailer", ReceptionMode::Manual, {}},
                      FramingCase{"TimedNoTrailer", ReceptionMode::Timed, {false, 0, false}},
                      FramingCase{"ManualNoTrailer", ReceptionMode::Manual, {false, 0, false}},
                      FramingCase{"ManualGarbage", ReceptionMode::Manual, {true, 11, false}},
                      FramingCase{"TimedGarbageNoTrailer", ReceptionMode::Timed, {false, 5, false}},
                      FramingCase{"ManualSplitFrames", ReceptionMode::Manual, {true, 2, true}},
                      FramingCase{"TimedSplitNoTrailer", ReceptionMode::Timed, {false, 0, true}}),
    ByName());

TEST_F(ReceptionTest, DoubledMarkerByteCostsOnlyThatFrame) {
    const ChannelRowValues a{1, 220, 0.2f, 1, 220, 0.2f, 1, 220, 0.2f};
    const ChannelRowValues b{2, 221, 0.4f, 2, 221, 0.4f, 2, 221, 0.4f};
    startOrFail(ReceptionMode::Manual);
    send(QByteArray("\x12") + rawFrame(a) + rawFrame(b));
    ASSERT_TRUE(waitRows(1));
    controller->stop();
    const ReadBack back = readRecording(temporaryRecording());
    ASSERT_EQ(back.rows.size(), 1u);
    EXPECT_EQ(back.rows[0], scaled(decoded(rawFrame(b)), 40, 2));
}

TEST_F(ReceptionTest, BytesWaitingBeforeTheStartAreDropped) {
    const ChannelRowValues stale{9, 9, 0.01f, 9, 9, 0.01f, 9, 9, 0.01f};
    const ChannelRowValues fresh{1, 230, 0.2f, 1, 230, 0.2f, 1, 230, 0.2f};
    send(rawFrame(stale) + rawFrame(stale));
    startOrFail(ReceptionMode::Manual);
    send(rawFrame(fresh));
    ASSERT_TRUE(waitRows(1));
    controller->stop();
    const ReadBack back = readRecording(temporaryRecording());
    ASSERT_EQ(back.rows.size(), 1u);
    EXPECT_EQ(back.rows[0], scaled(decoded(rawFrame(fresh)), 40, 2));
}

// --- Ends: time, stop, silence ---

TEST_F(ReceptionTest, ZeroDurationGivesHeaderAndExtremaOnly) {
    setDuration(0);
    startOrFail(ReceptionMode::Timed);
    const ReceptionOutcome outcome = waitFinished(3000);
    EXPECT_EQ(outcome.end, ReceptionEnd::Completed);
    EXPECT_EQ(outcome.rows, 0);
    EXPECT_EQ(QFileInfo(temporaryRecording()).size(), kEmptyRecordingBytes);
    const ReadBack back = readRecording(temporaryRecording());
    EXPECT_EQ(back.info.RecordCount, 0);
    EXPECT_EQ(back.info.header.Duration, 0.0f);
    for (int k = 0; k < 12; ++k) {
        EXPECT_EQ(back.info.RowMaximum[k], -100000.0f);
        EXPECT_EQ(back.info.RowMinimum[k], 100000.0f);
    }
}

TEST_F(ReceptionTest, TimedReceptionEndsAtItsEndTimeWhenTheInstrumentIsSilent) {
    setDuration(0.3f);
    QElapsedTimer watch;
    watch.start();
    startOrFail(ReceptionMode::Timed);
    const ReceptionOutcome outcome = waitFinished(5000);
    EXPECT_GE(watch.elapsed(), 300);
    EXPECT_EQ(outcome.end, ReceptionEnd::Completed);
    // What the recorder's last progress line reports: the time it ran, not a last row's time.
    EXPECT_GE(controller->elapsedSeconds(), 0.3);
    EXPECT_LE(controller->elapsedSeconds(), watch.elapsed() / 1000.0);
    const ReadBack back = readRecording(temporaryRecording());
    EXPECT_EQ(back.info.RecordCount, 0);
    EXPECT_EQ(back.info.header.Duration, 0.3f);
}

TEST_F(ReceptionTest, StopEndsAManualReceptionThatStillWaitsForData) {
    startOrFail(ReceptionMode::Manual);
    send(QByteArray("\x12\x34\x56\x01\x02", 5)); // a frame that never completes
    controller->stop();
    ASSERT_EQ(finished->size(), 1);
    EXPECT_FALSE(controller->isActive());
    EXPECT_FALSE(port.isOpen());
    const ReadBack back = readRecording(temporaryRecording());
    EXPECT_EQ(back.info.RecordCount, 0);
    EXPECT_EQ(back.info.header.Duration, 0.0f);
}

TEST_F(ReceptionTest, NoSecondReceptionWhileOneIsActiveAndItsRatiosHold) {
    startOrFail(ReceptionMode::Manual);
    const ChannelRowValues v{1, 220, 0.2f, 1, 220, 0.2f, 1, 220, 0.2f};
    send(rawFrame(v));
    ASSERT_TRUE(waitRows(1));
    const Status refused = controller->start(ReceptionMode::Timed, line.devicePath());
    EXPECT_EQ(refused.error(), QStringLiteral("数据接收正在进行，请先终止当前的接收！"));
    EXPECT_TRUE(controller->isActive());
    EXPECT_EQ(controller->mode(), ReceptionMode::Manual);
    state->settings.CTRatio = 1; // the settings dialog, meanwhile
    send(rawFrame(v));
    ASSERT_TRUE(waitRows(2));
    controller->stop();
    const ReadBack back = readRecording(temporaryRecording());
    ASSERT_EQ(back.rows.size(), 2u); // the file was not recreated
    // The ratios of the start hold for the whole recording.
    EXPECT_EQ(back.rows[1], back.rows[0]);
    EXPECT_EQ(back.rows[1][0], 40.0f);
}

TEST_F(ReceptionTest, ACrossMidnightReceptionCountsOnTheMonotonicClock) {
    FakeClock& time = useFakeClock();
    time.wallSeconds = 86399.0; // one second before midnight
    time.monotonicMs = 5000;
    setDuration(2);
    startOrFail(ReceptionMode::Timed);
    const ChannelRowValues v{1, 220, 0.2f, 1, 220, 0.2f, 1, 220, 0.2f};
    time.monotonicMs = 5500;
    send(rawFrame(v));
    ASSERT_TRUE(waitRows(1));
    time.wallSeconds = 0.5; // the wall clock restarts at midnight
    time.monotonicMs = 6500;
    send(rawFrame(v));
    ASSERT_TRUE(waitRows(2));
    EXPECT_FLOAT_EQ(state->model.ElapsedTime, 1.5f);
    time.monotonicMs = 7000; // the end time
    send(rawFrame(v));
    const ReceptionOutcome outcome = waitFinished(3000);
    EXPECT_EQ(outcome.rows, 2);
    const ReadBack back = readRecording(temporaryRecording());
    EXPECT_EQ(back.info.header.StartTime, 86399.0f);
    EXPECT_EQ(back.info.header.Duration, 2.0f);
    EXPECT_EQ(back.rows.size(), 2u);
}

// --- The live table and the disk ---

TEST_F(ReceptionTest, LiveTableGetsTheLatestRowAtMost25TimesASecond) {
    sim::SimulatedInstrument instrument(3);
    constexpr int kFrames = 600;
    QByteArray burst;
    for (int k = 0; k < kFrames; ++k)
        burst += instrument.frameBytes(k);
    QElapsedTimer watch;
    watch.start();
    startOrFail(ReceptionMode::Manual);
    sendLarge(burst);
    ASSERT_TRUE(waitRows(kFrames));
    controller->stop();
    const qint64 ms = watch.elapsed();
    ASSERT_GE(shown->size(), 1);
    EXPECT_LE(shown->size(), 2 + ms / ReceptionController::kLiveTableIntervalMs);
    EXPECT_LT(shown->size(), kFrames / 4);
    const LiveTableRow last = shown->last().first().value<LiveTableRow>();
    EXPECT_EQ(last.values[0], std::fabs(state->model.SampleRow[0])); // a current: its magnitude
    EXPECT_EQ(last.values[10], state->model.SampleRow[10]);
}

TEST_F(ReceptionTest, RowsReachTheDiskAsAValidRecordingWhileReceiving) {
    startOrFail(ReceptionMode::Manual);
    const ChannelRowValues v{1, 220, 0.2f, 1, 220, 0.2f, 1, 220, 0.2f};
    send(rawFrame(v) + rawFrame(v) + rawFrame(v));
    ASSERT_TRUE(waitRows(3));
    // Read by another handle, as after a crash: the rows and their extrema.
    EXPECT_TRUE(waitUntil(
        [&] {
            const Result<RecordingInfo> info = ReadRecordingInfo(temporaryRecording());
            return info && info->RecordCount == 3 && info->RowMaximum[0] > 0.9f;
        },
        1500));
    EXPECT_TRUE(controller->isActive());
    controller->stop();
}

// --- Faults ---

TEST_F(ReceptionTest, MissingPortNamesThePortAndChangesNothing) {
    QFile previous(temporaryRecording());
    ASSERT_TRUE(previous.open(QIODevice::WriteOnly));
    previous.write("previous recording");
    previous.close();
    const QString error = controller
                              ->start(ReceptionMode::Timed, dir.filePath("no-such-tty"),
                                      QStringLiteral("COM2 (/dev/ttyUSB7)"))
                              .error();
    EXPECT_TRUE(error.contains("COM2 (/dev/ttyUSB7)")) << error.toStdString();
    EXPECT_TRUE(error.contains("设备不存在")) << error.toStdString();
    EXPECT_FALSE(controller->isActive());
    EXPECT_TRUE(finished->isEmpty());
    QFile after(temporaryRecording());
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), "previous recording");
}

TEST_F(ReceptionTest, BusyPortIsRefusedWithItsReason) {
    QSerialPort other;
    other.setPortName(line.devicePath());
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    const QString error = controller->start(ReceptionMode::Manual, line.devicePath()).error();
    EXPECT_TRUE(error.contains(line.devicePath())) << error.toStdString();
    EXPECT_TRUE(error.contains("占用")) << error.toStdString();
    EXPECT_FALSE(controller->isActive());
}

TEST_F(ReceptionTest, HangUpKeepsTheRowsAndCompletesTheRecording) {
    startOrFail(ReceptionMode::Timed);
    sim::SimulatedInstrument instrument(5);
    QByteArray five;
    for (int k = 0; k < 5; ++k)
        five += instrument.frameBytes(k);
    send(five);
    ASSERT_TRUE(waitRows(5));
    line.hangUp();
    const ReceptionOutcome outcome = waitFinished(5000);
    EXPECT_EQ(outcome.end, ReceptionEnd::PortFailed);
    EXPECT_TRUE(outcome.complete);
    EXPECT_EQ(outcome.rows, 5);
    EXPECT_TRUE(outcome.message.contains(port.portName())) << outcome.message.toStdString();
    EXPECT_FALSE(port.isOpen());
    const ReadBack back = readRecording(temporaryRecording());
    ASSERT_EQ(back.rows.size(), 5u);
    EXPECT_EQ(back.rows[4], scaled(instrument.sentValues(4), 40, 2));
    EXPECT_EQ(back.info.RowMaximum, state->model.RowMaximum);
    // The rows cover the time up to the last one, so the row times stay right.
    EXPECT_EQ(back.info.header.Duration, state->model.ElapsedTime);
}

TEST_F(ReceptionTest, AfterAHangUpTheCablePluggedBackReceivesAgain) {
    sim::SimulatedInstrument instrument(5);
    startOrFail(ReceptionMode::Manual);
    send(instrument.frameBytes(0));
    ASSERT_TRUE(waitRows(1));
    line.hangUp();
    EXPECT_EQ(waitFinished(5000).end, ReceptionEnd::PortFailed);

    // The same port object, a new line: the earlier failure must not linger.
    ASSERT_TRUE(test::Succeeded(line.open()));
    finished->clear();
    startOrFail(ReceptionMode::Manual);
    send(instrument.frameBytes(1) + instrument.frameBytes(2));
    ASSERT_TRUE(waitRows(2));
    line.hangUp();
    const ReceptionOutcome outcome = waitFinished(5000);
    EXPECT_EQ(outcome.end, ReceptionEnd::PortFailed);
    EXPECT_EQ(outcome.rows, 2);
    const ReadBack back = readRecording(temporaryRecording());
    ASSERT_EQ(back.rows.size(), 2u);
    EXPECT_EQ(back.rows[1], scaled(instrument.sentValues(2), 40, 2));
}

// Huge ratios make a frame of the instrument's largest numbers a row no measurement gives (U * I
// would overflow): it is dropped and counted, and the reception goes on with the next frame.
TEST_F(ReceptionTest, ImpossibleRowIsDroppedAndTheReceptionGoesOn) {
    state->settings.CTRatio = 1e12f;
    state->settings.PTRatio = 1e12f;
    const ChannelRowValues small{1e-12f, 2e-10f, 1e-25f, 0, 0, 0, 0, 0, 0};
    const ChannelRowValues huge{9e18f, 9e18f, 0, 0, 0, 0, 0, 0, 0};
    FakeClock& time = useFakeClock();
    for (ReceptionMode mode : {ReceptionMode::Manual, ReceptionMode::Timed}) {
        SCOPED_TRACE(mode == ReceptionMode::Manual ? "manual" : "timed");
        finished->clear();
        startOrFail(mode);
        time.advance(0.5);
        sendAndWaitTaken(rawFrame(small));
        ASSERT_TRUE(waitRows(1));
        time.advance(1.0);
        send(rawFrame(huge) + rawFrame(small));
        ASSERT_TRUE(waitRows(2));
        EXPECT_EQ(controller->framesDropped(), 1);
        controller->stop();
        const ReceptionOutcome outcome = waitFinished(5000);
        EXPECT_EQ(outcome.end, ReceptionEnd::Completed);
        EXPECT_EQ(outcome.droppedFrames, 1);
        EXPECT_TRUE(outcome.complete);
        const ReadBack back = readRecording(temporaryRecording());
        ASSERT_EQ(back.rows.size(), 2u);
        EXPECT_EQ(back.rows[1], back.rows[0]); // both the small frame, scaled
        EXPECT_EQ(back.info.RowMaximum, state->model.RowMaximum);
        EXPECT_LT(back.info.RowMaximum[0], 10.0f);
        ASSERT_FALSE(shown->isEmpty());
        EXPECT_EQ(shown->last().at(0).value<LiveTableRow>().droppedFrames, 1);
    }
}

} // namespace
} // namespace zr5::test
