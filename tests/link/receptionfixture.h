#pragma once

// A reception over a real pseudo-terminal: the test plays the instrument on one end, the
// reception controller reads the other through QSerialPort.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

#include "link/receptioncontroller.h"
#include "model/appstate.h"
#include "model/clock.h"
#include "model/instrumentnumber.h"
#include "recording/recordingfile.h"
#include "sim/pseudoterminal.h"
#include "sim/simulatedinstrument.h"
#include "support/fakeservices.h"
#include "support/succeeded.h"
#include "support/waituntil.h"

namespace zr5::test {

inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "link_reception_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

struct ReadBack {
    RecordingInfo info;
    std::vector<ChannelRowValues> rows;
};

inline ReadBack readRecording(const QString& path) {
    ReadBack back;
    Result<RecordingInfo> info = ReadRecordingInfo(path);
    EXPECT_TRUE(info.ok()) << info.error().toStdString();
    if (!info)
        return back;
    back.info = *info;
    auto reader = RecordingRowReader::open(*info);
    EXPECT_TRUE(reader.ok());
    if (!reader)
        return back;
    ChannelRowValues row;
    while ((*reader)->next(row))
        back.rows.push_back(row);
    return back;
}

inline ChannelRowValues scaled(ChannelRowValues v, float ct, float pt) {
    ApplyTransformerRatios(v, ct, pt);
    return v;
}

class ReceptionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        ASSERT_TRUE(dir.isValid());
        state = std::make_unique<AppState>(DataDirectory(dir.path()));
        state->settings.CTRatio = 40;
        state->settings.PTRatio = 2;
        state->settings.RedCTInUse = 1;
        state->settings.BlueCTInUse = 0;
        state->settings.YellowCTInUse = 1;
        state->model.Motor = MotorParameters::fromValues({4, 30, 56.8f, 92.2f, 19.9f, 0.9f, 380});
        setDuration(60);
        ASSERT_TRUE(test::Succeeded(line.open()));
        controller = std::make_unique<ReceptionController>(*state, *clock, port);
        finished = std::make_unique<QSignalSpy>(controller.get(), &ReceptionController::finished);
        shown = std::make_unique<QSignalSpy>(controller.get(), &ReceptionController::rowShown);
    }

    // Drives time by hand: the controller is made again on a fake clock.
    FakeClock& useFakeClock() {
        auto fake = std::make_unique<FakeClock>();
        FakeClock& time = *fake;
        controller.reset();
        clock = std::move(fake);
        controller = std::make_unique<ReceptionController>(*state, *clock, port);
        finished = std::make_unique<QSignalSpy>(controller.get(), &ReceptionController::finished);
        shown = std::make_unique<QSignalSpy>(controller.get(), &ReceptionController::rowShown);
        return time;
    }

    void setDuration(float seconds) {
        state->settings.ReceiveDuration = seconds;
        state->settings.ConfiguredDuration = seconds;
    }

    void startOrFail(ReceptionMode mode) {
        ASSERT_TRUE(test::Succeeded(controller->start(mode, line.devicePath())));
        ASSERT_TRUE(controller->isActive());
    }

    void send(const QByteArray& bytes) { ASSERT_TRUE(line.write(bytes.constData(), bytes.size())); }

    // Sends a piece and waits until the reception has taken it in, so that the next piece comes
    // in a read of its own.
    void sendAndWaitTaken(const QByteArray& bytes) {
        const auto before = controller->scanner().bytesReceived();
        send(bytes);
        ASSERT_TRUE(waitUntil(
            [&] {
                return controller->scanner().bytesReceived() >= before + bytes.size() ||
                       !controller->isActive();
            },
            5000));
    }

    // More than the line holds at once: in pieces, each taken in before the next, as this thread
    // is also the reader.
    void sendLarge(const QByteArray& bytes) {
        for (qsizetype at = 0; at < bytes.size(); at += 1024)
            sendAndWaitTaken(bytes.mid(at, 1024));
    }

    bool waitRows(qint64 rows, int timeoutMs = 5000) {
        waitUntil([&] { return controller->rowsReceived() >= rows || !controller->isActive(); },
                  timeoutMs);
        return controller->rowsReceived() >= rows; // a burst may bring several rows at once
    }

    ReceptionOutcome waitFinished(int timeoutMs = 10000) {
        if (finished->isEmpty())
            finished->wait(timeoutMs);
        EXPECT_EQ(finished->size(), 1);
        if (finished->isEmpty())
            return {};
        return finished->first().first().value<ReceptionOutcome>();
    }

    QString temporaryRecording() const { return state->dataDirectory.temporaryRecording(); }

    QTemporaryDir dir;
    std::unique_ptr<AppState> state;
    std::unique_ptr<Clock> clock = std::make_unique<SystemClock>();
    QSerialPort port;
    sim::PseudoTerminal line;
    std::unique_ptr<ReceptionController> controller;
    std::unique_ptr<QSignalSpy> finished;
    std::unique_ptr<QSignalSpy> shown;
};

} // namespace zr5::test
