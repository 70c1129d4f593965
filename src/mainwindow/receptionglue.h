#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include "link/portmap.h"
#include "link/receptioncontroller.h"

namespace zr5 {

class AppState;
class MainWindow;
class SettingsDialog;
struct UiServices;

// Joins the main window's reception buttons to a reception: it starts and stops it, sets the
// command states of each step, shows the rows in the live table, reports the faults and asks the
// save question. The serial port (the window's serial control) lives here.
class ReceptionGlue final : public QObject {
    Q_OBJECT
public:
    ReceptionGlue(MainWindow& window, AppState& state, UiServices& services);

    ReceptionController& controller() { return controller_; }
    // For this run only, every COM number opens this device (the demonstration instrument).
    void setDeviceOverride(const QString& device) { deviceOverride_ = device; }
    // What the port option of a COM number stands for: "COM1 (/dev/ttyS0)".
    QString describePort(int commPort) const;

    // How long the line may stay silent before the window says so (2 s).
    void setSilenceLimit(int milliseconds) { silenceTimer_.setInterval(milliseconds); }

    // The handlers of the three buttons.
    void startReception(ReceptionMode mode);
    void stopReception();

private:
    void onFinished(const ReceptionOutcome& outcome);
    void describePorts(SettingsDialog& dialog);

    MainWindow& window_;
    AppState& state_;
    UiServices& services_;
    QSerialPort port_; // MSComm1
    ReceptionController controller_;
    QString deviceOverride_;
    QTimer silenceTimer_; // runs while no row has come for a while
    QString silenceWarning_;
};

} // namespace zr5
