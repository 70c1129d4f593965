#include "mainwindow/mainwindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>

#include "analysiswindow/analysiswindow.h"
#include "help/aboutbox.h"
#include "help/helpwindow.h"
#include "mainwindow/livetable.h"
#include "model/appstate.h"
#include "model/livetablerow.h"
#include "motor/motorparameterdialog.h"
#include "settings/settingsdialog.h"
#include "survey/surveywindow.h"
#include "ui/geometry.h"
#include "ui/services.h"

namespace zr5 {

namespace {

const QString kStartCaption = QStringLiteral(" ZR-5 多功能电量测试仪 ");
const QString kCaption = QStringLiteral("电动机经济运行测试仪");

constexpr int kClientWidth = 7650;
constexpr int kClientHeight = 2655;

QAction* addItem(QMenu* menu, const char* name, const char* caption) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void addSeparator(QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(QString::fromLatin1(name));
}

QMenu* addMenu(QMenuBar* bar, const char* name, const char* caption) {
    QMenu* menu = bar->addMenu(QString::fromUtf8(caption));
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

QPushButton* makeButton(QWidget* area, const char* name, const char* caption, int left) {
    auto* button = new QPushButton(QString::fromUtf8(caption), area);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(TwipsRect(left, 2040, 975, 375, area));
    return button;
}

} // namespace

MainWindow::MainWindow(AppState& state, UiServices& services, QWidget* parent)
    : QMainWindow(parent), state_(state), services_(services), files_(state, services) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(kStartCaption);
    setFont(ChineseFont(9));

    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("MainWindowArea"));
    area->setFixedSize(TwipsToPixels(kClientWidth, this), TwipsToPixels(kClientHeight, this));
    setCentralWidget(area);
    liveTable_ = std::make_unique<LiveTable>(area);
    buildButtons(area);
    buildMenus();
    connectControls();
    // Controls that no command state names start enabled.
    stateEnabled_.fill(true);
    area->installEventFilter(this);
    // The window keeps the size of its table, as the instrument's software always had it.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    Form_Load();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildButtons(QWidget* area) {
    Command3 = makeButton(area, "Command3", "手动接收", 1080);
    Command4 = makeButton(area, "Command4", "终止接收", 1080);
    Command1 = makeButton(area, "Command1", "定时接收", 3480);
    Command1->setToolTip(QStringLiteral("请先设置定时时间"));
    Command2 = makeButton(area, "Command2", "数据分析", 5880);
    Command4->hide();
    lblLine = new QLabel(area);
    lblLine->setObjectName(QStringLiteral("lblLine"));
    lblLine->setGeometry(TwipsRect(240, 2430, 7170, 225, area));
    QPalette red = lblLine->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    lblLine->setPalette(red);
    lblLine->hide();
}

void MainWindow::showLineWarning(const QString& text) {
    lblLine->setText(text);
    lblLine->setVisible(!text.isEmpty());
}

QString MainWindow::lineWarning() const {
    return lblLine->isVisible() ? lblLine->text() : QString();
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    fileMenu_ = addMenu(bar, "FILE", "文件(&F)");
    mnuFileOpen = addItem(fileMenu_, "mnuFileOpen", "打开(&O)");
    mnuCLOSE = addItem(fileMenu_, "mnuCLOSE", "关闭(&C)");
    addSeparator(fileMenu_, "SEPRATOR2");
    mnuSAVEFILE = addItem(fileMenu_, "mnuSAVEFILE", "保存(&S)");
    mnuSAVE_AS = addItem(fileMenu_, "mnuSAVE_AS", "另存为(&A)");
    addSeparator(fileMenu_, "SEPRATOR1");
    mnuEXIT = addItem(fileMenu_, "mnuEXIT", "退出(&X)");

    mnuTTT = addMenu(bar, "mnuTTT", "分析(&T)");
    mnuDAT = addItem(mnuTTT, "mnuDAT", "数据分析(&D)");
    // Reached at any time: a survey needs no open recording.
    mnuSurvey = addItem(mnuTTT, "mnuSurvey", "测试汇总(&S)");

    mnuSet = addMenu(bar, "mnuSet", "设置(&E)");
    mnuLJtime = addItem(mnuSet, "mnuLJtime", "选项(&L)");
    mnuMOTO = addItem(mnuSet, "mnuMOTO", "电机参数(&J)");

    QMenu* help = addMenu(bar, "mnuHELP", "帮助(&H)");
    mnuHE = addItem(help, "mnuHE", "帮助(&H)");
    addSeparator(help, "seprat03");
    mnuABOUT = addItem(help, "mnuABOUT", "关于(&A)");
}

void MainWindow::connectControls() {
    connect(Command1, &QPushButton::clicked, this, &MainWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &MainWindow::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &MainWindow::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &MainWindow::Command4_Click);
    connect(mnuFileOpen, &QAction::triggered, this, &MainWindow::mnuFileOpen_Click);
    connect(mnuCLOSE, &QAction::triggered, this, &MainWindow::mnuCLOSE_Click);
    connect(mnuSAVEFILE, &QAction::triggered, this, &MainWindow::mnuSAVEFILE_Click);
    connect(mnuSAVE_AS, &QAction::triggered, this, &MainWindow::mnuSAVE_AS_Click);
    connect(mnuEXIT, &QAction::triggered, this, &MainWindow::mnuEXIT_Click);
    connect(mnuDAT, &QAction::triggered, this, &MainWindow::mnuDAT_Click);
    connect(mnuSurvey, &QAction::triggered, this, &MainWindow::mnuSurvey_Click);
    connect(mnuLJtime, &QAction::triggered, this, &MainWindow::mnuLJtime_Click);
    connect(mnuMOTO, &QAction::triggered, this, &MainWindow::mnuMOTO_Click);
    connect(mnuHE, &QAction::triggered, this, &MainWindow::mnuHE_Click);
    connect(mnuABOUT, &QAction::triggered, this, &MainWindow::mnuABOUT_Click);
    for (int k = 0; k < LiveTable::kBoxCount; ++k)
        liveTable_->box(k)->onExposed = [this](int index) { Picture1_Paint(index); };
}

void MainWindow::Form_Load(bool afterAbortedReception) {
    state_.model.ElapsedTime = 0;
    state_.recordingClosed();
    const QStringList problems = state_.ReadSettings();
    // A missing file is the first run: the initial settings serve until the dialog saves them.
    // A damaged one is reported, so that the user knows the values shown are not the saved ones.
    if (!problems.isEmpty() && QFileInfo::exists(state_.dataDirectory.settingsFile()))
        services_.messages.message(this, kErrorTitle, problems.join(QStringLiteral("\r\n")));
    applyCommandEvent(afterAbortedReception ? CommandEvent::AbortedReception
                                            : CommandEvent::StartUp);
}

void MainWindow::applyCommandEvent(CommandEvent event) {
    const CommandStateChanges changes = CommandStateTable(event);
    QPushButton* const buttons[] = {Command1, Command2, Command3, Command4};
    // Outside a reception the controls show the states as they are; keep what they show.
    if (!receiving_)
        for (int c = 0; c < kCommandControlCount; ++c)
            stateEnabled_[std::size_t(c)] =
                commandControl(CommandControl(c))->property("enabled").toBool();
    for (int c = 0; c < kCommandControlCount; ++c) {
        const ControlChange& change = changes[std::size_t(c)];
        if (change.enabled)
            stateEnabled_[std::size_t(c)] = *change.enabled;
        if (c < 4 && change.visible)
            buttons[c]->setVisible(*change.visible);
    }
    showCommandStates();
}

void MainWindow::setReceiving(bool receiving) {
    receiving_ = receiving;
    showCommandStates();
}

QObject* MainWindow::commandControl(CommandControl control) const {
    // The analysis menu's state is its 数据分析 item's: the menu itself stays open for 测试汇总.
    // clang-format off
    QObject* const controls[kCommandControlCount] = {
        Command1,    Command2,   Command3, Command4,             mnuCLOSE,
        mnuSAVEFILE, mnuSAVE_AS, mnuDAT,   mnuSet->menuAction(), mnuFileOpen};
    // clang-format on
    return controls[int(control)];
}

void MainWindow::showCommandStates() {
    for (int c = 0; c < kCommandControlCount; ++c) {
        const bool on = stateEnabled_[std::size_t(c)] &&
                        !(receiving_ && BlockedWhileReceiving(CommandControl(c)));
        commandControl(CommandControl(c))->setProperty("enabled", on);
    }
}

void MainWindow::showRow(const LiveTableRow& row) {
    receivedRow_ = row;
    liveTable_->showRow(row);
}

void MainWindow::Picture1_Paint(int /*index*/) {
    // The last received row, in the table's own units: the analysis reuses the shared row for its
    // own rows and keeps the energies there in W·h.
    liveTable_->showBoxes(FormatLiveTableRow(receivedRow_));
}

void MainWindow::Command1_Click() {
    emit timedReceptionRequested();
}
void MainWindow::Command3_Click() {
    emit manualReceptionRequested();
}
void MainWindow::Command4_Click() {
    emit stopReceptionRequested();
}
void MainWindow::Command2_Click() {
    openAnalysis(AnalysisOpening::Button);
}
void MainWindow::mnuDAT_Click() {
    openAnalysis(AnalysisOpening::Menu);
}

void MainWindow::openAnalysis(AnalysisOpening how) {
    // The analysis window takes this window's place; a recording it cannot analyse is refused
    // with a message and this window stays.
    if (AnalysisWindow* w = AnalysisWindow::open(state_, services_, this, how)) {
        registerWindow(w);
        analysisWindow_ = w;
    }
}

void MainWindow::mnuSurvey_Click() {
    // One window; a second command brings the open one to the front.
    if (!surveyWindow_) {
        surveyWindow_ = new SurveyWindow(state_, services_, this, [this](const QString& path) {
            return analyseRecording(path);
        });
        registerWindow(surveyWindow_);
    }
    surveyWindow_->show();
    surveyWindow_->raise();
    surveyWindow_->activateWindow();
}

bool MainWindow::analyseRecording(const QString& path) {
    QWidget* asking = surveyWindow_ ? static_cast<QWidget*>(surveyWindow_) : this;
    // The reception writes the current recording; another one must not take its place.
    const QString refusal =
        receiving_ ? QStringLiteral("正在接收数据，请在接收结束后再打开记录。")
        : analysisWindow_ ? QStringLiteral("请先关闭数据分析窗口。")
        : !QFileInfo(path).isFile()
            ? QStringLiteral("记录文件不在了：%1").arg(QDir::toNativeSeparators(path))
            : QString();
    if (!refusal.isEmpty()) {
        services_.messages.message(asking, kOperationErrorTitle, refusal);
        return false;
    }
    if (!openRecording(path))
        return false;
    openAnalysis(AnalysisOpening::Menu);
    return analysisWindow_ != nullptr;
}

void MainWindow::mnuMOTO_Click() {
    // One dialog; a second command brings the open one to the front.
    if (!motorDialog_) {
        motorDialog_ = new MotorParameterDialog(state_, services_, this);
        registerWindow(motorDialog_);
    }
    motorDialog_->show();
    motorDialog_->raise();
    motorDialog_->activateWindow();
}

void MainWindow::setFileCaption() {
    setWindowTitle(kCaption + QLatin1Char('[') +
                   QDir::toNativeSeparators(state_.CurrentFileName()) + QLatin1Char(']'));
}

void MainWindow::mnuFileOpen_Click() {
    if (files_.Open(this) != FileCommandOutcome::Completed)
        return;
    setFileCaption();
    applyCommandEvent(CommandEvent::OpenCompletes);
}

bool MainWindow::openRecording(const QString& path) {
    if (files_.OpenFile(this, path) != FileCommandOutcome::Completed)
        return false;
    setFileCaption();
    applyCommandEvent(CommandEvent::OpenCompletes);
    return true;
}

void MainWindow::mnuCLOSE_Click() {
    liveTable_->clearBoxes();
    setWindowTitle(kCaption);
    files_.Close();
    applyCommandEvent(CommandEvent::Close);
}

void MainWindow::mnuSAVEFILE_Click() {
    if (files_.Save(this) != FileCommandOutcome::Completed)
        return;
    setFileCaption();
    applyCommandEvent(CommandEvent::SaveCompletes);
}

void MainWindow::mnuSAVE_AS_Click() {
    if (files_.SaveAs(this) != FileCommandOutcome::Completed)
        return;
    setFileCaption();
    applyCommandEvent(CommandEvent::SaveAsCompletes);
}

void MainWindow::registerWindow(QWidget* window) {
    for (const QPointer<QWidget>& w : loadedWindows_)
        if (w == window)
            return;
    loadedWindows_.emplace_back(window);
}

void MainWindow::closeLoadedWindows() {
    for (auto it = loadedWindows_.rbegin(); it != loadedWindows_.rend(); ++it)
        if (*it)
            (*it)->close();
}

void MainWindow::endProgram() {
    if (ending_)
        return;
    ending_ = true;
    closeLoadedWindows();
    emit programEndRequested();
}

void MainWindow::mnuEXIT_Click() {
    // Every other window goes first, the most recently loaded first; this window goes last.
    closeLoadedWindows();
    close();
    endProgram();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    endProgram();
}

void MainWindow::keyReleaseEvent(QKeyEvent* event) {
    const auto held = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    if (event->key() == Qt::Key_F12 && !event->isAutoRepeat() && !(event->modifiers() & held)) {
        endProgram();
        return;
    }
    QMainWindow::keyReleaseEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        // Only the window's background; the boxes, labels and buttons are not part of it.
        if (!centralWidget()->childAt(mouse->position().toPoint())) {
            Form_MouseDown(mouse->button(), mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::Form_MouseDown(Qt::MouseButton button, const QPoint& globalPos) {
    if (button == Qt::RightButton)
        fileMenu_->popup(globalPos);
}

void MainWindow::mnuLJtime_Click() {
    if (!settingsDialog_) {
        settingsDialog_ = new SettingsDialog(state_, services_, this);
        registerWindow(settingsDialog_);
        // The port options' tool tips name the devices again once the list mapped another one.
        connect(settingsDialog_, &SettingsDialog::portMapChanged, this,
                [this] { emit settingsDialogOpening(*settingsDialog_); });
    }
    emit settingsDialogOpening(*settingsDialog_);
    settingsDialog_->showDialog();
}

void MainWindow::mnuHE_Click() {
    if (!helpWindow_) {
        helpWindow_ = new HelpWindow(this);
        registerWindow(helpWindow_);
    }
    helpWindow_->move(TwipsToPixels(kHelpPlace.x(), this), TwipsToPixels(kHelpPlace.y(), this));
    helpWindow_->show();
    helpWindow_->raise();
}

void MainWindow::mnuABOUT_Click() {
    if (!aboutBox_) {
        aboutBox_ = new AboutBox(this);
        registerWindow(aboutBox_);
    }
    // Modal for the user, without a nested event loop.
    aboutBox_->setWindowModality(Qt::ApplicationModal);
    aboutBox_->show();
}

} // namespace zr5
