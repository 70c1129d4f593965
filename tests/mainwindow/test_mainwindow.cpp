// The main window: its captions and menus, the command states of every event, the File popup,
// F12, Exit and the hand-over to the other windows.

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <map>

#include "analysiswindow/analysiswindow.h"
#include "help/aboutbox.h"
#include "mainwindow/livetable.h"
#include "mainwindow/mainwindow.h"
#include "motor/motorparameterdialog.h"
#include "recording/synthetic.h"
#include "settings/settingsdialog.h"
#include "support/guitest.h"
#include "support/succeeded.h"
#include "support/testnames.h"
#include "ui/geometry.h"

namespace zr5::test {
namespace {

class MainWindowTest : public WindowTest {
protected:
    MainWindowTest() : window(state, services) {
        window.show();
        QCoreApplication::processEvents();
    }

    QPushButton* button(const char* name) {
        auto* b = window.findChild<QPushButton*>(QString::fromLatin1(name));
        EXPECT_NE(b, nullptr) << name;
        return b;
    }
    // A menu item, or the title item of a whole menu.
    QAction* item(const char* name) {
        const QString n = QString::fromLatin1(name);
        if (auto* menu = window.findChild<QMenu*>(n))
            return menu->menuAction();
        auto* a = window.findChild<QAction*>(n);
        EXPECT_NE(a, nullptr) << name;
        return a;
    }

    MainWindow window;
};

// What a control shows: enabled or not, and for the buttons hidden or not.
struct ControlState {
    bool enabled;
    bool visible;
    bool operator==(const ControlState&) const = default;
};

const char* const kControls[9] = {"Command1",    "Command2",   "Command3", "Command4", "mnuCLOSE",
                                  "mnuSAVEFILE", "mnuSAVE_AS", "mnuDAT",   "mnuSet"};

// One row of the command-state table, cells as the table writes them: "+", "-", "" (unchanged),
// "hidden", "shown, +", "hidden, -".
struct StateRow {
    const char* event;
    CommandEvent id;
    const char* cells[9];
};
void PrintTo(const StateRow& c, std::ostream* os) {
    *os << c.event;
}

const StateRow kStateTable[] = {
    {"start_up", CommandEvent::StartUp, {"+", "-", "", "hidden", "-", "-", "-", "-", "+"}},
    {"aborted_reception",
     CommandEvent::AbortedReception,
     {"+", "-", "shown, +", "hidden", "-", "-", "-", "-", "+"}},
    {"timed_reception_starts",
     CommandEvent::TimedReceptionStarts,
     {"-", "", "-", "-", "", "", "", "", ""}},
    {"manual_reception_starts",
     CommandEvent::ManualReceptionStarts,
     {"-", "-", "hidden, -", "shown, +", "", "", "", "", ""}},
    {"stop_button",
     CommandEvent::StopButton,
     {"+", "+", "shown, +", "hidden, -", "", "", "", "", ""}},
    {"timed_reception_finishes",
     CommandEvent::TimedReceptionFinishes,
     {"+", "+", "+", "+", "+", "+", "-", "+", "+"}},
    {"manual_reception_finishes",
     CommandEvent::ManualReceptionFinishes,
     {"+", "+", "", "", "+", "+", "-", "+", "+"}},
    {"open_completes", CommandEvent::OpenCompletes, {"-", "+", "-", "-", "+", "-", "+", "+", ""}},
    {"save_completes", CommandEvent::SaveCompletes, {"+", "+", "+", "-", "+", "+", "-", "+", "+"}},
    {"save_as_completes",
     CommandEvent::SaveAsCompletes,
     {"-", "+", "", "", "+", "-", "+", "+", "-"}},
    {"close", CommandEvent::Close, {"+", "-", "+", "+", "-", "-", "-", "-", "+"}},
};

ControlState expected(const char* cell, ControlState before) {
    const std::string c = cell;
    ControlState after = before;
    if (c.find("hidden") != std::string::npos)
        after.visible = false;
    if (c.find("shown") != std::string::npos)
        after.visible = true;
    if (c.find('+') != std::string::npos)
        after.enabled = true;
    if (c.find('-') != std::string::npos)
        after.enabled = false;
    return after;
}

class CommandStates : public MainWindowTest, public ::testing::WithParamInterface<StateRow> {
protected:
    ControlState read(int c) {
        if (c < 4) {
            QPushButton* b = button(kControls[c]);
            return {b->isEnabled(), !b->isHidden()};
        }
        return {item(kControls[c])->isEnabled(), true};
    }
    void set(int c, ControlState s) {
        if (c < 4) {
            button(kControls[c])->setEnabled(s.enabled);
            button(kControls[c])->setVisible(s.visible);
        } else {
            item(kControls[c])->setEnabled(s.enabled);
        }
    }
};

// Every event sets the controls it names and leaves the others as they were: checked from two
// opposite starting points, so that "unchanged" cannot pass by chance.
TEST_P(CommandStates, EachEventSetsExactlyTheControlsItNames) {
    const StateRow& row = GetParam();
    for (const bool start : {true, false}) {
        for (int c = 0; c < 9; ++c)
            set(c, {start, c < 4 ? start : true});
        window.applyCommandEvent(row.id);
        for (int c = 0; c < 9; ++c)
            EXPECT_EQ(read(c), expected(row.cells[c], {start, c < 4 ? start : true}))
                << row.event << ": " << kControls[c] << " from " << (start ? "on" : "off");
    }
}

INSTANTIATE_TEST_SUITE_P(Table, CommandStates, ::testing::ValuesIn(kStateTable),
                         [](const auto& info) { return std::string(info.param.event); });

TEST_F(MainWindowTest, StartsInTheNoDataState) {
    EXPECT_EQ(window.windowTitle(), QStringLiteral(" ZR-5 多功能电量测试仪 "));
    EXPECT_TRUE(button("Command1")->isEnabled());
    EXPECT_FALSE(button("Command2")->isEnabled());
    EXPECT_TRUE(button("Command3")->isEnabled());
    EXPECT_TRUE(button("Command3")->isVisible());
    EXPECT_FALSE(button("Command4")->isVisible());
    for (const char* off : {"mnuCLOSE", "mnuSAVEFILE", "mnuSAVE_AS", "mnuDAT"})
        EXPECT_FALSE(item(off)->isEnabled()) << off;
    // The analysis menu stays open for the survey, which needs no recording.
    for (const char* on : {"mnuSet", "mnuFileOpen", "mnuEXIT", "mnuHELP", "mnuHE", "mnuABOUT",
                           "mnuTTT", "mnuSurvey"})
        EXPECT_TRUE(item(on)->isEnabled()) << on;
    EXPECT_EQ(state.CurrentFileName(), state.dataDirectory.temporaryRecording());
}

TEST_F(MainWindowTest, MenusCarryTheirCaptionsAndAccessKeysInOrder) {
    const std::map<QString, QStringList> menus = {
        {"FILE", {"打开(&O)", "关闭(&C)", "", "保存(&S)", "另存为(&A)", "", "退出(&X)"}},
        {"mnuTTT", {"数据分析(&D)", "测试汇总(&S)"}},
        {"mnuSet", {"选项(&L)", "电机参数(&J)"}},
        {"mnuHELP", {"帮助(&H)", "", "关于(&A)"}},
    };
    QStringList titles;
    for (QAction* a : window.menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles, QStringList({"文件(&F)", "分析(&T)", "设置(&E)", "帮助(&H)"}));
    for (const auto& [name, captions] : menus) {
        auto* menu = window.findChild<QMenu*>(name);
        ASSERT_NE(menu, nullptr) << name.toStdString();
        QStringList got;
        for (QAction* a : menu->actions())
            got << (a->isSeparator() ? QString() : a->text());
        EXPECT_EQ(got, captions) << name.toStdString();
    }
    EXPECT_EQ(button("Command1")->toolTip(), QStringLiteral("请先设置定时时间"));
    EXPECT_EQ(button("Command3")->text(), QStringLiteral("手动接收"));
    EXPECT_EQ(button("Command4")->text(), QStringLiteral("终止接收"));
    EXPECT_EQ(button("Command2")->text(), QStringLiteral("数据分析"));
}

TEST_F(MainWindowTest, ButtonsAndClientAreaSitWhereTheLayoutPutsThem) {
    EXPECT_EQ(window.centralWidget()->size(),
              QSize(TwipsToPixels(7650, &window), TwipsToPixels(2655, &window)));
    EXPECT_EQ(button("Command3")->geometry(), TwipsRect(1080, 2040, 975, 375, &window));
    EXPECT_EQ(button("Command4")->geometry(), button("Command3")->geometry());
    EXPECT_EQ(button("Command1")->geometry(), TwipsRect(3480, 2040, 975, 375, &window));
    EXPECT_EQ(button("Command2")->geometry(), TwipsRect(5880, 2040, 975, 375, &window));
    // 15 twips to a pixel at 96 DPI.
    if (window.logicalDpiX() == 96) {
        EXPECT_EQ(button("Command1")->geometry(), QRect(232, 136, 65, 25));
    }
}

TEST_F(MainWindowTest, AfterSaveAsReceptionAndSettingsStayBlockedUntilClose) {
    window.applyCommandEvent(CommandEvent::TimedReceptionFinishes);
    window.applyCommandEvent(CommandEvent::SaveAsCompletes);
    window.applyCommandEvent(CommandEvent::SaveAsCompletes);
    EXPECT_FALSE(button("Command1")->isEnabled());
    EXPECT_FALSE(item("mnuSet")->isEnabled());
    EXPECT_FALSE(item("mnuSAVEFILE")->isEnabled());
    EXPECT_TRUE(item("mnuSAVE_AS")->isEnabled());
    window.applyCommandEvent(CommandEvent::Close);
    EXPECT_TRUE(button("Command1")->isEnabled());
    EXPECT_TRUE(item("mnuSet")->isEnabled());
}

TEST_F(MainWindowTest, AfterATimedReceptionTheStopButtonIsEnabledButHidden) {
    window.applyCommandEvent(CommandEvent::TimedReceptionStarts);
    window.applyCommandEvent(CommandEvent::TimedReceptionFinishes);
    EXPECT_TRUE(button("Command4")->isEnabled());
    EXPECT_FALSE(button("Command4")->isVisible());
    window.applyCommandEvent(CommandEvent::ManualReceptionStarts);
    EXPECT_TRUE(button("Command4")->isVisible());
    EXPECT_FALSE(button("Command3")->isVisible());
}

TEST_F(MainWindowTest, ReceptionButtonsAskForTheirCommands) {
    QSignalSpy timed(&window, &MainWindow::timedReceptionRequested);
    QSignalSpy manual(&window, &MainWindow::manualReceptionRequested);
    QSignalSpy stop(&window, &MainWindow::stopReceptionRequested);
    QTest::mouseClick(button("Command1"), Qt::LeftButton);
    QTest::mouseClick(button("Command3"), Qt::LeftButton);
    window.applyCommandEvent(CommandEvent::ManualReceptionStarts);
    QTest::mouseClick(button("Command4"), Qt::LeftButton);
    EXPECT_EQ(timed.count(), 1);
    EXPECT_EQ(manual.count(), 1);
    EXPECT_EQ(stop.count(), 1);
}

// Both ways of opening the analysis window, with the place each gives it.
struct AnalysisOpeningCase {
    const char* name;
    bool fromButton;
    QPoint place;
};

class AnalysisOpeningTest : public MainWindowTest,
                            public ::testing::WithParamInterface<AnalysisOpeningCase> {
protected:
    void open() {
        if (GetParam().fromButton)
            QTest::mouseClick(button("Command2"), Qt::LeftButton);
        else
            item("mnuDAT")->trigger();
    }
    std::vector<AnalysisWindow*> analysisWindows() const {
        std::vector<AnalysisWindow*> open;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* a = qobject_cast<AnalysisWindow*>(w); a && a->isVisible())
                open.push_back(a);
        return open;
    }
};

TEST_P(AnalysisOpeningTest, TheAnalysisWindowTakesTheMainWindowsPlaceAndGivesItBack) {
    const QString path = dataFile(QStringLiteral("a.MTR"));
    ASSERT_TRUE(test::Succeeded(WriteSyntheticRecording(path, 50, 60, 1)));
    ASSERT_TRUE(window.openRecording(path));
    open();
    const auto windows = analysisWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(windows[0]->pos(), QPoint(TwipsToPixels(GetParam().place.x(), &window),
                                        TwipsToPixels(GetParam().place.y(), &window)));
    EXPECT_TRUE(messages.shown.empty());
    windows[0]->close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.isVisible());
}

TEST_P(AnalysisOpeningTest, ARecordingWithoutRowsIsRefusedAndTheMainWindowStays) {
    messages.expecting = true;
    const QString path = dataFile(QStringLiteral("empty.MTR"));
    WriteRecording(path, 0, {}, {1, 1, 1});
    ASSERT_TRUE(window.openRecording(path));
    open();
    EXPECT_TRUE(analysisWindows().empty());
    EXPECT_TRUE(window.isVisible());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("错误警告！！！"));
}

INSTANTIATE_TEST_SUITE_P(Ways, AnalysisOpeningTest,
                         ::testing::Values(AnalysisOpeningCase{"button", true, {500, 200}},
                                           AnalysisOpeningCase{"menu", false, {60, 285}}),
                         ByName());

TEST_F(MainWindowTest, MotorParametersOpenOneDialogAtItsPlace) {
    messages.expecting = true;
    item("mnuMOTO")->trigger();
    item("mnuMOTO")->trigger();
    const auto dialogs = window.findChildren<MotorParameterDialog*>();
    ASSERT_EQ(dialogs.size(), 1);
    EXPECT_TRUE(dialogs[0]->isVisible());
    EXPECT_EQ(dialogs[0]->pos(),
              QPoint(TwipsToPixels(3000, &window), TwipsToPixels(2000, &window)));
    item("mnuEXIT")->trigger();
    EXPECT_FALSE(dialogs[0]->isVisible());
}

TEST_F(MainWindowTest, RightClickOnTheBackgroundPopsUpTheFileMenu) {
    window.applyCommandEvent(CommandEvent::TimedReceptionFinishes);
    QWidget* area = window.centralWidget();
    const QPoint background(TwipsToPixels(120, area), TwipsToPixels(2400, area));
    ASSERT_EQ(area->childAt(background), nullptr);

    QTest::mouseClick(area, Qt::LeftButton, {}, background);
    EXPECT_FALSE(window.fileMenu()->isVisible());
    QTest::mousePress(area, Qt::RightButton, {}, background);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.fileMenu()->isVisible(); }, 2000));
    // The popup is the File menu itself, so its items are enabled exactly as in the menu bar.
    for (const char* name : {"mnuCLOSE", "mnuSAVEFILE", "mnuFileOpen", "mnuEXIT"})
        EXPECT_TRUE(window.fileMenu()->actions().contains(item(name))) << name;
    EXPECT_TRUE(item("mnuSAVEFILE")->isEnabled());
    EXPECT_FALSE(item("mnuSAVE_AS")->isEnabled());
    window.fileMenu()->hide();

    // A value box is not the background.
    QTest::mousePress(window.liveTable().box(4), Qt::RightButton);
    EXPECT_FALSE(window.fileMenu()->isVisible());
}

struct KeyCase {
    const char* what;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool ends;
};
void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << c.what;
}

class EndKey : public MainWindowTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(EndKey, OnlyF12AloneEndsTheProgram) {
    const KeyCase& k = GetParam();
    QSignalSpy ended(&window, &MainWindow::programEndRequested);
    // Sent to the button that has the focus, the key still reaches the window.
    button("Command1")->setFocus();
    QTest::keyRelease(button("Command1"), k.key, k.modifiers);
    EXPECT_EQ(ended.count(), k.ends ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, EndKey,
    ::testing::Values(KeyCase{"f12", Qt::Key_F12, Qt::NoModifier, true},
                      KeyCase{"shift_f12", Qt::Key_F12, Qt::ShiftModifier, false},
                      KeyCase{"ctrl_f12", Qt::Key_F12, Qt::ControlModifier, false},
                      KeyCase{"alt_f12", Qt::Key_F12, Qt::AltModifier, false},
                      KeyCase{"ctrl_alt_f12", Qt::Key_F12, Qt::ControlModifier | Qt::AltModifier,
                              false},
                      KeyCase{"f11", Qt::Key_F11, Qt::NoModifier, false}),
    [](const auto& info) { return std::string(info.param.what); });

// A window that notes when it is closed.
class NotedWindow final : public QWidget {
public:
    NotedWindow(const char* name, std::vector<std::string>& closed)
        : name_(name), closed_(closed) {}

protected:
    void closeEvent(QCloseEvent* e) override {
        closed_.push_back(name_);
        QWidget::closeEvent(e);
    }

private:
    std::string name_;
    std::vector<std::string>& closed_;
};

TEST_F(MainWindowTest, ExitClosesTheWindowsMostRecentlyLoadedFirstThenEnds) {
    std::vector<std::string> closed;
    NotedWindow analysis("analysis", closed);
    NotedWindow motor("motor", closed);
    window.registerWindow(&analysis);
    analysis.show();
    item("mnuLJtime")->trigger(); // the settings dialog is loaded next
    auto* settings = window.findChild<SettingsDialog*>();
    ASSERT_NE(settings, nullptr);
    window.registerWindow(&motor);
    motor.show();
    window.registerWindow(&analysis); // loaded once: registering again keeps its place
    QObject::connect(settings, &QDialog::rejected, &window, [&] { closed.push_back("settings"); });
    QObject::connect(&window, &MainWindow::programEndRequested, &window,
                     [&] { closed.push_back("end"); });

    item("mnuEXIT")->trigger();
    EXPECT_EQ(closed, (std::vector<std::string>{"motor", "settings", "analysis", "end"}));
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(settings->isVisible());
}

TEST_F(MainWindowTest, ClosingTheMainWindowEndsTheProgram) {
    QSignalSpy ended(&window, &MainWindow::programEndRequested);
    std::vector<std::string> closed;
    NotedWindow help("help", closed);
    window.registerWindow(&help);
    help.show();
    window.close();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(closed, std::vector<std::string>{"help"});
}

TEST_F(MainWindowTest, SettingsDialogOpensOnceAtItsPlace) {
    item("mnuLJtime")->trigger();
    item("mnuLJtime")->trigger();
    const auto dialogs = window.findChildren<SettingsDialog*>();
    ASSERT_EQ(dialogs.size(), 1);
    EXPECT_TRUE(dialogs[0]->isVisible());
    EXPECT_FALSE(dialogs[0]->isModal());
    EXPECT_EQ(dialogs[0]->pos(),
              QPoint(TwipsToPixels(3000, &window), TwipsToPixels(2000, &window)));
}

TEST_F(MainWindowTest, ADamagedSettingsFileIsReportedAtStartAMissingOneIsNot) {
    messages.expecting = true;
    EXPECT_TRUE(messages.shown.empty()); // no file: the first run
    ASSERT_TRUE(WriteAll(state.dataDirectory.settingsFile(), " 2 \r\n 0 \r\n abc \r\n"));
    window.Form_Load();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("错误警告！！！"));
    EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("第 3 行")));
    EXPECT_EQ(state.settings.CommPort, 2);
}

TEST_F(MainWindowTest, StartUpReadsTheSettingsFile) {
    ASSERT_TRUE(WriteAll(state.dataDirectory.settingsFile(),
                         SettingsBytes(3, 7, 3725, 40, 2, 20, 1, 0, 1)));
    state.model.ElapsedTime = 99;
    window.Form_Load(true);
    EXPECT_EQ(state.settings.CommPort, 3);
    EXPECT_EQ(state.settings.ConfiguredDuration, 3725.0f);
    EXPECT_EQ(state.settings.CTInUseCode, 5);
    EXPECT_EQ(state.model.ElapsedTime, 0.0f);
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
} // namespace zr5::test
