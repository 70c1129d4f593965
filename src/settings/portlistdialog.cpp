#include "settings/portlistdialog.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "link/portmap.h"
#include "model/appstate.h"
#include "ui/chinesefont.h"
#include "ui/services.h"

namespace zr5 {

namespace {

// Adapters are plugged in and out while the list is open; the system offers no notice of it that
// Qt passes on, so the list asks once a second.
constexpr int kPollMs = 1000;

bool SameDevices(const std::vector<SerialPortEntry>& a, const std::vector<SerialPortEntry>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].device != b[i].device || a[i].description != b[i].description)
            return false;
    return true;
}

} // namespace

PortListDialog::PortListDialog(AppState& state, UiServices& services, int commPort, QWidget* parent,
                               PortLister lister)
    : QDialog(parent), state_(state), services_(services), commPort_(commPort >= 1 ? commPort : 1),
      lister_(std::move(lister)) {
    setObjectName(QStringLiteral("PortListDialog"));
    setWindowTitle(QStringLiteral("串行口列表"));
    setFont(ChineseFont(9));

    heading_ = new QLabel(
        QStringLiteral("选择仪表所接的串行口，确定后 COM%1 即指该串行口：").arg(commPort_), this);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("PortList"));
    list_->setMinimumSize(480, 160);
    probeButton_ = new QPushButton(QStringLiteral("检测"), this);
    probeButton_->setObjectName(QStringLiteral("ProbeButton"));
    probeButton_->setToolTip(QStringLiteral("在每个串行口上接收两秒，找出送来仪表数据的串行口"));
    okButton_ = new QPushButton(QStringLiteral("确 定"), this);
    okButton_->setObjectName(QStringLiteral("OkButton"));
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("取 消"), this);
    cancelButton_->setObjectName(QStringLiteral("CancelButton"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(probeButton_);
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(list_);
    layout->addLayout(buttons);

    poll_ = new QTimer(this);
    poll_->setInterval(kPollMs);
    connect(poll_, &QTimer::timeout, this, &PortListDialog::refresh);
    connect(probeButton_, &QPushButton::clicked, this, &PortListDialog::probe);
    connect(&probe_, &PortProbe::finished, this, [this] {
        probed_ = probe_.results();
        probeButton_->setEnabled(true);
        probeButton_->setText(QStringLiteral("检测"));
        showList();
    });
    connect(okButton_, &QPushButton::clicked, this, &PortListDialog::confirm);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &PortListDialog::confirm);

    ports_ = lister_();
    showList();
    poll_->start();
}

QStringList PortListDialog::devices() const {
    QStringList names;
    for (const SerialPortEntry& p : ports_)
        names << p.device;
    return names;
}

void PortListDialog::refresh() {
    std::vector<SerialPortEntry> now = lister_();
    if (SameDevices(now, ports_))
        return;
    ports_ = std::move(now);
    showList();
}

void PortListDialog::showList() {
    const QString selected = list_->currentItem()
                                 ? list_->currentItem()->data(Qt::UserRole).toString()
                                 : PortMap::load(state_.dataDirectory).value.device(commPort_);
    list_->clear();
    for (const SerialPortEntry& p : ports_) {
        QString text = DescribeSerialPort(p);
        for (const PortProbeResult& r : probed_)
            if (r.device == p.device)
                text += QStringLiteral("　［%1］").arg(r.verdict());
        auto* item = new QListWidgetItem(text, list_);
        item->setData(Qt::UserRole, p.device);
        if (p.device == selected)
            list_->setCurrentItem(item);
    }
    if (ports_.empty()) {
        auto* item =
            new QListWidgetItem(QStringLiteral("没有找到串行口（USB 串口线是否已插好？）"), list_);
        item->setFlags(Qt::NoItemFlags);
    }
    okButton_->setEnabled(!ports_.empty());
    probeButton_->setEnabled(!ports_.empty() && !probe_.isRunning());
}

void PortListDialog::probe() {
    if (probe_.isRunning() || ports_.empty())
        return;
    probeButton_->setEnabled(false);
    probeButton_->setText(QStringLiteral("检测中…"));
    probe_.start(devices(), listenMs);
}

void PortListDialog::confirm() {
    QListWidgetItem* item = list_->currentItem();
    const QString device = item ? item->data(Qt::UserRole).toString() : QString();
    if (device.isEmpty()) {
        services_.messages.message(this, kOperationErrorTitle,
                                   QStringLiteral("请先在列表中选择一个串行口！"));
        return;
    }
    const TolerantRead<PortMap> read = PortMap::load(state_.dataDirectory);
    if (!read.complete())
        services_.messages.message(this, kErrorTitle,
                                   read.problems.join(QStringLiteral("\r\n")) +
                                       QStringLiteral("\r\n这些行无法使用，将被删除。"));
    PortMap map = read.value;
    // The built-in device needs no line of its own.
    map.setDevice(commPort_, device == PortMap::defaultDevice(commPort_) ? QString() : device);
    if (const Status saved = map.save(state_.dataDirectory); !saved) {
        services_.messages.message(this, kErrorTitle, saved.error());
        return;
    }
    emit portMapped(commPort_, device);
    accept();
}

} // namespace zr5
