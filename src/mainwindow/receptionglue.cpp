#include "mainwindow/receptionglue.h"

#include <QDir>
#include <QRadioButton>

#include "mainwindow/mainwindow.h"
#include "model/appstate.h"
#include "settings/settingsdialog.h"
#include "ui/services.h"

namespace zr5 {

namespace {
const QString kSaveQuestion = QStringLiteral("数据接收完成，是否保存？");
const QString kNothingReceived =
    QStringLiteral("没有收到数据，没有可保存的记录！\r\n请检查仪表是否开机、串行口和连接线。");
constexpr int kSilenceLimitMs = 2000;
} // namespace

ReceptionGlue::ReceptionGlue(MainWindow& window, AppState& state, UiServices& services)
    : window_(window), state_(state), services_(services),
      controller_(state, services.clock, port_) {
    port_.setObjectName(QStringLiteral("MSComm1"));
    connect(&window, &MainWindow::timedReceptionRequested, this,
            [this] { startReception(ReceptionMode::Timed); });
    connect(&window, &MainWindow::manualReceptionRequested, this,
            [this] { startReception(ReceptionMode::Manual); });
    connect(&window, &MainWindow::stopReceptionRequested, this, &ReceptionGlue::stopReception);
    connect(&controller_, &ReceptionController::rowShown, &window, &MainWindow::showRow);
    // A port that sends nothing looks like an idle line: after a silence the window says so,
    // until the next row comes.
    silenceTimer_.setSingleShot(true);
    silenceTimer_.setInterval(kSilenceLimitMs);
    connect(&silenceTimer_, &QTimer::timeout, this,
            [this] { window_.showLineWarning(silenceWarning_); });
    connect(&controller_, &ReceptionController::rowShown, this, [this] {
        window_.showLineWarning({});
        silenceTimer_.start();
    });
    connect(&controller_, &ReceptionController::finished, this, &ReceptionGlue::onFinished);
    // The settings dialog's port options say which device each one stands for.
    connect(&window, &MainWindow::settingsDialogOpening, this, &ReceptionGlue::describePorts);
}

QString ReceptionGlue::describePort(int commPort) const {
    if (!deviceOverride_.isEmpty())
        return QStringLiteral("COM%1 (%2，演示仪表)")
            .arg(commPort)
            .arg(QDir::toNativeSeparators(deviceOverride_));
    return PortMap::load(state_.dataDirectory).value.describe(commPort);
}

void ReceptionGlue::describePorts(SettingsDialog& dialog) {
    const QString file = QDir::toNativeSeparators(PortMap::preferencesFile(state_.dataDirectory));
    for (int n = 1; n <= 3; ++n)
        if (QRadioButton* option = dialog.portOption(n))
            option->setToolTip(
                QStringLiteral("%1\n（设备对应关系见 %2）").arg(describePort(n), file));
}

void ReceptionGlue::startReception(ReceptionMode mode) {
    // One reception at a time, whatever button or key asks for another.
    if (controller_.isActive())
        return;
    const int commPort = state_.settings.CommPort;
    QString device = deviceOverride_;
    QString label;
    if (device.isEmpty()) {
        const TolerantRead<PortMap> map = PortMap::load(state_.dataDirectory);
        if (!map.complete()) {
            services_.messages.message(&window_, kErrorTitle,
                                       map.problems.join(QStringLiteral("\r\n")));
            return;
        }
        device = map.value.device(commPort);
        label = map.value.describe(commPort);
    } else {
        label = describePort(commPort);
    }
    if (device.isEmpty()) {
        services_.messages.message(
            &window_, kErrorTitle,
            QStringLiteral("串行口号 %1 无效，请在“设置”中选择 COM1 至 COM3！").arg(commPort));
        return;
    }
    // The command states change only once the port is open: a refused start leaves them as
    // they were.
    if (const Status started = controller_.start(mode, device, label); !started) {
        services_.messages.message(&window_, kErrorTitle, started.error());
        return;
    }
    silenceWarning_ = QStringLiteral("未收到数据：请检查串行口 %1 和连接线").arg(label);
    silenceTimer_.start();
    window_.setReceiving(true);
    // The rows go to the temporary recording now, whatever was current before.
    window_.setFileCaption();
    window_.applyCommandEvent(mode == ReceptionMode::Timed ? CommandEvent::TimedReceptionStarts
                                                           : CommandEvent::ManualReceptionStarts);
}

void ReceptionGlue::stopReception() {
    window_.applyCommandEvent(CommandEvent::StopButton);
    controller_.stop();
}

void ReceptionGlue::onFinished(const ReceptionOutcome& outcome) {
    silenceTimer_.stop();
    window_.showLineWarning({});
    window_.setReceiving(false);
    const bool manual = outcome.mode == ReceptionMode::Manual;
    // A manual reception that ended otherwise than by its stop button gets its buttons back too.
    if (manual && outcome.end != ReceptionEnd::Completed)
        window_.applyCommandEvent(CommandEvent::StopButton);
    if (!outcome.message.isEmpty())
        services_.messages.message(&window_, kErrorTitle, outcome.message);
    if (outcome.end == ReceptionEnd::RowError || !outcome.complete) {
        // As after an aborted reception: the start-up state, no save question.
        window_.Form_Load(true);
        return;
    }
    if (outcome.rows == 0) {
        // A silent line: no recording to save or analyse, so back to the start-up state.
        services_.messages.message(&window_, kReceptionTitle, kNothingReceived);
        window_.Form_Load(true);
        return;
    }
    window_.applyCommandEvent(manual ? CommandEvent::ManualReceptionFinishes
                                     : CommandEvent::TimedReceptionFinishes);
    if (services_.messages.question(&window_, kReceptionTitle, kSaveQuestion))
        window_.mnuSAVEFILE_Click();
}

} // namespace zr5
