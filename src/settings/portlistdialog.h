#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>
#include <vector>

#include "link/portlist.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace zr5 {

class AppState;
struct UiServices;

// "串行口列表": the serial ports present (USB adapters come and go while it is open), a check that
// listens on each for the instrument's frames, and the mapping of the chosen one onto a COM number
// of the settings in "Ports.ini".
class PortListDialog final : public QDialog {
    Q_OBJECT
public:
    using PortLister = std::function<std::vector<SerialPortEntry>()>;
    PortListDialog(AppState& state, UiServices& services, int commPort, QWidget* parent = nullptr,
                   PortLister lister = ListSerialPorts);

    // Lists the ports again when the system's set of ports changed.
    void refresh();
    // The devices listed, in order.
    QStringList devices() const;
    int listenMs = PortProbe::kListenMs;

signals:
    // "Ports.ini" now maps the COM number onto another device.
    void portMapped(int commPort, const QString& device);

private:
    void showList();
    void probe();
    void confirm();

    AppState& state_;
    UiServices& services_;
    int commPort_;
    PortLister lister_;
    std::vector<SerialPortEntry> ports_;
    std::vector<PortProbeResult> probed_;
    PortProbe probe_;
    QLabel* heading_ = nullptr;
    QListWidget* list_ = nullptr;
    QPushButton* probeButton_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QTimer* poll_ = nullptr;
};

} // namespace zr5
