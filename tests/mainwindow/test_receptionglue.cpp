// The reception behind the main window's buttons: command states of every step, the live table,
// the messages and the save question, over a real pseudo-terminal.

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>

#include "mainwindow/livetable.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/receptionglue.h"
#include "model/clock.h"
#include "settings/settingsdialog.h"
#include "sim/pseudoterminal.h"
#include "sim/simulatedinstrument.h"
#include "support/guitest.h"
#include "support/succeeded.h"
#include "support/testnames.h"
#include "support/waituntil.h"

namespace zr5::test {
namespace {

struct Controls {
    bool c1, c2, c3, c3Visible, c4, c4Visible;
    bool operator==(const Controls&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Controls& c) {
    return os << "Command1 " << c.c1 << ", Command2 " << c.c2 << ", Command3 " << c.c3 << "/"
              << c.c3Visible << ", Command4 " << c.c4 << "/" << c.c4Visible;
}

class ReceptionGlueTest : public WindowTest {
protected:
    ReceptionGlueTest() : window(state, realTime), glue(window, state, realTime) {
        EXPECT_TRUE(test::Succeeded(line.open()));
        EXPECT_TRUE(WriteAll(dataFile("Ports.ini"), "COM2=" + line.devicePath().toUtf8() + "\n"));
        state.settings.CommPort = 2;
        state.settings.ConfiguredDuration = state.settings.ReceiveDuration = 60;
        state.settings.CTRatio = 10;
        window.show();
        QCoreApplication::processEvents();
    }

    QPushButton* button(const char* name) {
        return window.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QAction* action(const char* name) {
        const QString n = QString::fromLatin1(name);
        if (auto* menu = window.findChild<QMenu*>(n))
            return menu->menuAction();
        return window.findChild<QAction*>(n);
    }
    Controls controls() {
        return {button("Command1")->isEnabled(), button("Command2")->isEnabled(),
                button("Command3")->isEnabled(), !button("Command3")->isHidden(),
                button("Command4")->isEnabled(), !button("Command4")->isHidden()};
    }
    void sendFrames(int count) {
        for (int k = 0; k < count; ++k) {
            const QByteArray b = instrument.frameBytes(std::uint64_t(sent++));
            ASSERT_TRUE(line.write(b.constData(), std::size_t(b.size())));
        }
    }
    bool waitRows(qint64 n) {
        return waitUntil([&] { return glue.controller().rowsReceived() >= n; }, 5000);
    }
    bool waitEnded() {
        return waitUntil([&] { return !glue.controller().isActive(); }, 5000);
    }

    SystemClock steady;
    UiServices realTime{messages, files, steady};
    MainWindow window;
    ReceptionGlue glue;
    sim::PseudoTerminal line;
    sim::SimulatedInstrument instrument{9};
    int sent = 0;
};

TEST_F(ReceptionGlueTest, TimedReceptionShowsRowsThenAsksAndSaves) {
    messages.expecting = true;
    state.settings.ConfiguredDuration = 0.5f;
    window.applyCommandEvent(CommandEvent::SaveCompletes); // a recording saved: analysis enabled
    ASSERT_TRUE(button("Command2")->isEnabled());
    button("Command1")->click();
    ASSERT_TRUE(glue.controller().isActive())
        << (messages.last() ? messages.last()->text.toStdString() : "");
    // The recording being written cannot be analysed before the reception ends.
    EXPECT_EQ(controls(), (Controls{false, false, false, true, false, false}));
    EXPECT_FALSE(action("mnuFileOpen")->isEnabled()); // no file command meanwhile
    sendFrames(5);
    ASSERT_TRUE(waitRows(5));
    // The live table shows the latest row: channel 1 current times the CT ratio, as a magnitude;
    // the simulated motor is inductive, as the help says a running motor is.
    const float current = std::fabs(instrument.sentValues(4)[0] * 10);
    EXPECT_TRUE(waitUntil(
        [&] {
            return window.liveTable().box(0)->text() ==
                   FormatLiveTableRow({{current}, false, {}}).boxes[0];
        },
        1000));
    EXPECT_EQ(window.liveTable().powerFactorLabel()->text(), QStringLiteral("L"));
    // ZR5_SCREENSHOTS=DIR keeps a picture of the window while it receives, to look at.
    if (const QString shots = qEnvironmentVariable("ZR5_SCREENSHOTS"); !shots.isEmpty())
        window.grab().save(QDir(shots).filePath("mainwindow-receiving.png"));
    const QString saved = dataFile("saved.MTR");
    messages.answers = {true};
    files.answers = {saved};
    ASSERT_TRUE(waitEnded());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].isQuestion);
    EXPECT_EQ(messages.shown[0].title, "数据接收！！！");
    EXPECT_EQ(messages.shown[0].text, "数据接收完成，是否保存？");
    EXPECT_EQ(QFileInfo(saved).size(), 144 + 5 * 36);
    EXPECT_EQ(state.CurrentFileName(), saved);
    EXPECT_TRUE(window.windowTitle().endsWith(QDir::toNativeSeparators(saved) + "]"));
    // Save completes: Command4 enabled but hidden until a manual reception.
    EXPECT_EQ(controls(), (Controls{true, true, true, true, false, false}));
    EXPECT_TRUE(action("mnuFileOpen")->isEnabled());

    // A reception from the saved state writes the temporary recording, and the caption says so
    // from its start to after the answer "否".
    const QString temporary =
        "[" + QDir::toNativeSeparators(state.dataDirectory.temporaryRecording()) + "]";
    button("Command3")->click();
    ASSERT_TRUE(glue.controller().isActive());
    EXPECT_TRUE(window.windowTitle().endsWith(temporary)) << window.windowTitle().toStdString();
    sendFrames(2);
    ASSERT_TRUE(waitRows(2));
    messages.answers = {false};
    button("Command4")->click();
    EXPECT_EQ(state.CurrentFileName(), state.dataDirectory.temporaryRecording());
    EXPECT_TRUE(window.windowTitle().endsWith(temporary)) << window.windowTitle().toStdString();
}

TEST_F(ReceptionGlueTest, ManualReceptionStopsWithItsButtonAndKeepsTheTemporaryRecording) {
    messages.expecting = true;
    button("Command3")->click();
    ASSERT_TRUE(glue.controller().isActive());
    EXPECT_EQ(controls(), (Controls{false, false, false, false, true, true}));
    sendFrames(3);
    ASSERT_TRUE(waitRows(3));
    messages.answers = {false};
    button("Command4")->click();
    EXPECT_FALSE(glue.controller().isActive());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].isQuestion);
    EXPECT_EQ(state.CurrentFileName(), state.dataDirectory.temporaryRecording());
    EXPECT_EQ(QFileInfo(state.CurrentFileName()).size(), 144 + 3 * 36);
    EXPECT_EQ(controls(), (Controls{true, true, true, true, false, false}));
    EXPECT_TRUE(action("mnuSAVEFILE")->isEnabled());
    EXPECT_FALSE(action("mnuSAVE_AS")->isEnabled());
}

TEST_F(ReceptionGlueTest, ASilentLineIsNamedBelowTheButtonsUntilARowComes) {
    messages.expecting = true;
    glue.setSilenceLimit(100);
    EXPECT_TRUE(window.lineWarning().isEmpty());
    button("Command3")->click();
    ASSERT_TRUE(glue.controller().isActive());
    const QString expected = "未收到数据：请检查串行口 COM2 (" +
                             QDir::toNativeSeparators(line.devicePath()) + ") 和连接线";
    ASSERT_TRUE(waitUntil([&] { return !window.lineWarning().isEmpty(); }, 5000));
    EXPECT_EQ(window.lineWarning(), expected);
    sendFrames(1);
    ASSERT_TRUE(waitUntil([&] { return window.lineWarning().isEmpty(); }, 5000));
    // Silent again after the rows: said again.
    ASSERT_TRUE(waitUntil([&] { return !window.lineWarning().isEmpty(); }, 5000));
    messages.answers = {false};
    button("Command4")->click();
    EXPECT_TRUE(window.lineWarning().isEmpty()); // the reception is over
}

// Every way a start can be refused: a message titled as the reception's errors, naming what is
// wrong, and the command states as they were, whichever button asked.
struct RefusedStart {
    const char* name;
    QByteArray portsIni; // "@" stands for the test's data directory
    int commPort;
    const char* button;
    std::vector<const char*> textContains;
};

void PrintTo(const RefusedStart& c, std::ostream* os) {
    *os << c.name;
}

class RefusedStartTest : public ReceptionGlueTest,
                         public ::testing::WithParamInterface<RefusedStart> {};

TEST_P(RefusedStartTest, ShowsWhyAndLeavesTheStatesAsTheyWere) {
    messages.expecting = true;
    const RefusedStart& c = GetParam();
    QByteArray ini = c.portsIni;
    ini.replace('@', dir.path().toUtf8());
    ASSERT_TRUE(WriteAll(dataFile("Ports.ini"), ini));
    state.settings.CommPort = c.commPort;
    // After an earlier reception, so that the start-up state would not pass for "as they were".
    window.applyCommandEvent(CommandEvent::TimedReceptionFinishes);
    const Controls before = controls();
    ASSERT_TRUE(before.c2);
    const bool openBefore = action("mnuFileOpen")->isEnabled();
    button(c.button)->click();
    EXPECT_FALSE(glue.controller().isActive());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "错误警告！！！");
    EXPECT_FALSE(messages.shown[0].isQuestion);
    for (const char* part : c.textContains)
        EXPECT_TRUE(messages.shown[0].text.contains(QString::fromUtf8(part)))
            << part << " in " << messages.shown[0].text.toStdString();
    EXPECT_EQ(controls(), before);
    EXPECT_EQ(action("mnuFileOpen")->isEnabled(), openBefore);
    EXPECT_FALSE(QFileInfo::exists(state.dataDirectory.temporaryRecording()));
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, RefusedStartTest,
    ::testing::Values(
        RefusedStart{
            "MissingDeviceManual", "COM2=@/gone\n", 2, "Command3", {"COM2", "gone", "设备不存在"}},
        RefusedStart{"MissingDeviceTimed", "COM2=@/gone\n", 2, "Command1", {"COM2", "gone"}},
        RefusedStart{
            "UnreadablePortsLine", "COM2 @/gone\n", 2, "Command1", {"Ports.ini", "第 1 行"}},
        RefusedStart{"NoSuchPortNumber", "", 0, "Command3", {"0", "COM1"}}),
    ByName());

// The cable is pulled mid-reception: the message, then the save question over a complete
// recording, and the states of a reception that finished.
struct HangUpCase {
    const char* name;
    const char* button;
    Controls after;
};

void PrintTo(const HangUpCase& c, std::ostream* os) {
    *os << c.name;
}

class HangUpTest : public ReceptionGlueTest, public ::testing::WithParamInterface<HangUpCase> {};

TEST_P(HangUpTest, ReportsThenAsksOverACompleteRecording) {
    messages.expecting = true;
    const HangUpCase& c = GetParam();
    button(c.button)->click();
    ASSERT_TRUE(glue.controller().isActive());
    sendFrames(4);
    ASSERT_TRUE(waitRows(4));
    messages.answers = {false};
    line.hangUp();
    ASSERT_TRUE(waitEnded());
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].title, "错误警告！！！");
    EXPECT_FALSE(messages.shown[0].isQuestion);
    const QString text = messages.shown[0].text;
    EXPECT_TRUE(text.contains("COM2")) << text.toStdString();
    // A true reason in the user's words, not the stale system text ("File exists").
    EXPECT_TRUE(text.contains("设备已断开")) << text.toStdString();
    const QString reason =
        text.section(QStringLiteral("出错："), 1).section(QStringLiteral("！"), 0, 0);
    EXPECT_FALSE(reason.contains(QRegularExpression("[A-Za-z]"))) << text.toStdString();
    EXPECT_TRUE(messages.shown[1].isQuestion);
    EXPECT_EQ(messages.shown[1].text, "数据接收完成，是否保存？");
    EXPECT_EQ(QFileInfo(state.CurrentFileName()).size(), 144 + 4 * 36); // a complete recording
    EXPECT_EQ(controls(), c.after);
    EXPECT_TRUE(action("mnuSAVEFILE")->isEnabled());
    EXPECT_TRUE(action("mnuFileOpen")->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Modes, HangUpTest,
    ::testing::Values(HangUpCase{"Manual", "Command3", {true, true, true, true, false, false}},
                      // A timed reception's finish enables the stop button, which stays hidden.
                      HangUpCase{"Timed", "Command1", {true, true, true, true, true, false}}),
    ByName());

// Scaled beyond any measurement, every frame is dropped, not recorded; the live table counts them
// and the reception goes on.
TEST_F(ReceptionGlueTest, ImpossibleRowsAreDroppedAndCountedInTheLiveTable) {
    messages.expecting = true;
    state.settings.CTRatio = 1e37f; // the scaled current is beyond any instrument's range
    button("Command1")->click();
    ASSERT_TRUE(glue.controller().isActive());
    sendFrames(2);
    EXPECT_TRUE(waitUntil(
        [&] {
            return window.liveTable().droppedFramesLabel()->text() ==
                   QStringLiteral("已丢弃 2 个损坏的数据帧");
        },
        5000))
        << window.liveTable().droppedFramesLabel()->text().toStdString();
    EXPECT_TRUE(glue.controller().isActive());
    EXPECT_EQ(glue.controller().rowsReceived(), 0);
    glue.controller().stop();
    ASSERT_TRUE(waitEnded());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "没有收到数据，没有可保存的记录！\r\n请检查仪表是否开机、串行口和连接线。");
    EXPECT_EQ(QFileInfo(state.dataDirectory.temporaryRecording()).size(), 144);
}

// A reception that got no row, timed or manual, says so and offers nothing to save: the window
// returns to its start-up state (no analysis of an empty recording).
TEST_F(ReceptionGlueTest, NoRowReceivedOffersNothingToSave) {
    for (const char* start : {"Command1", "Command3"}) {
        messages.expecting = true;
        messages.shown.clear();
        state.settings.ConfiguredDuration = 0.3f;
        button(start)->click();
        ASSERT_TRUE(glue.controller().isActive()) << start;
        if (QString(start) == "Command3")
            button("Command4")->click(); // the manual reception's stop
        ASSERT_TRUE(waitEnded()) << start;
        ASSERT_EQ(messages.shown.size(), 1u) << start;
        EXPECT_FALSE(messages.shown[0].isQuestion) << start;
        EXPECT_EQ(messages.shown[0].title, "数据接收！！！");
        EXPECT_EQ(messages.shown[0].text,
                  "没有收到数据，没有可保存的记录！\r\n请检查仪表是否开机、串行口和连接线。");
        EXPECT_FALSE(button("Command2")->isEnabled()) << start; // nothing to analyse
    }
}

TEST_F(ReceptionGlueTest, SettingsDialogSaysWhichDeviceEachPortIs) {
    action("mnuLJtime")->trigger();
    auto* dialog = window.findChild<SettingsDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->portOption(2)->toolTip().contains(line.devicePath()));
    EXPECT_TRUE(dialog->portOption(1)->toolTip().contains(PortMap::defaultDevice(1)));
    EXPECT_EQ(dialog->portOption(1)->text(), "COM1");
    dialog->close();
}

} // namespace
} // namespace zr5::test
