#include "settings/settingsdialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>

#include "model/appstate.h"
#include "model/numbertext.h"
#include "settings/portlistdialog.h"
#include "ui/geometry.h"
#include "ui/services.h"

namespace zr5 {

namespace {

// The dialog is 7200 x 5925 twips with its frame; this is its client area.
constexpr int kClientWidth = 7080;
constexpr int kClientHeight = 5520;

constexpr int kGroupLeft = 120;
constexpr int kGroupWidth = 6840;
constexpr int kRowInGroup = 300; // first row of controls below the frame's caption
constexpr int kRowHeight = 300;

constexpr int kPortValues[3] = {1, 2, 3};
constexpr int kCurveValues[6] = {0, 3, 6, 7, 8, 9};
constexpr float kSpanValues[3] = {5, 10, 20};

QGroupBox* makeGroup(QWidget* parent, int number, const char* caption, const char* tip, int top,
                     int height) {
    auto* group = new QGroupBox(QString::fromUtf8(caption), parent);
    group->setObjectName(QStringLiteral("Frame%1").arg(number));
    group->setToolTip(QString::fromUtf8(tip));
    group->setGeometry(TwipsRect(kGroupLeft, top, kGroupWidth, height, parent));
    return group;
}

template <class Button>
Button* makeChoice(QGroupBox* group, const QString& name, const char* caption, int left, int row,
                   int width) {
    auto* b = new Button(QString::fromUtf8(caption), group);
    b->setObjectName(name);
    b->setGeometry(TwipsRect(left, kRowInGroup + row * kRowHeight, width, kRowHeight, group));
    return b;
}

QLineEdit* makeBox(QGroupBox* group, const char* name, const char* text, int left, int width) {
    auto* box = new QLineEdit(QString::fromUtf8(text), group);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(TwipsRect(left, kRowInGroup - 15, width, 315, group));
    return box;
}

void makeLabel(QGroupBox* group, const char* name, const char* caption, int left, int width) {
    auto* label = new QLabel(QString::fromUtf8(caption), group);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(TwipsRect(left, kRowInGroup, width, kRowHeight, group));
}

// Selects the button at index, or none when index is -1; an exclusive group needs its
// exclusivity lifted to show no selection.
void selectOnly(QButtonGroup* group, int index) {
    group->setExclusive(false);
    const auto buttons = group->buttons();
    for (QAbstractButton* b : buttons)
        b->setChecked(group->id(b) == index);
    group->setExclusive(true);
}

QString timeText(double value) {
    return QString::number(value, 'f', 0);
}

} // namespace

SettingsDialog::SettingsDialog(AppState& state, UiServices& services, QWidget* parent)
    : QDialog(parent), state_(state), services_(services) {
    setObjectName(QStringLiteral("SettingsDialog"));
    setWindowTitle(QStringLiteral("ZR－5...设置"));
    setFont(ChineseFont(9));
    setModal(false);
    // A fixed size: resizing always comes back to 7200 x 5925.
    setFixedSize(TwipsToPixels(kClientWidth, this), TwipsToPixels(kClientHeight, this));
    buildGroups();
    connectControls();
}

void SettingsDialog::buildGroups() {
    QGroupBox* g1 = makeGroup(this, 1, "1.串行口选择：", "与仪表联接的串行口号", 120, 660);
    const char* ports[3] = {"COM1", "COM2", "COM3"};
    portGroup_ = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        portOptions_[i] = makeChoice<QRadioButton>(g1, QStringLiteral("Option%1").arg(i + 1),
                                                   ports[i], 360 + i * 2160, 0, 900);
        portGroup_->addButton(portOptions_[i], i);
    }
    // A USB adapter is another device: the list of the ports present maps one onto a COM number.
    Command3 = new QPushButton(QStringLiteral("端口…"), g1);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setToolTip(QStringLiteral("列出本机的串行口（包括 USB 串口线），选定仪表所接的一个"));
    Command3->setGeometry(TwipsRect(5640, kRowInGroup - 30, 1080, 345, g1));

    QGroupBox* g2 = makeGroup(this, 2, "2.当前曲线选择：", "分析时描绘曲线的当前曲线图", 885, 960);
    const char* curves[6] = {"电流曲线",     "电压曲线", "功率曲线",
                             "功率因数曲线", "效率曲线", "负载率曲线"};
    curveGroup_ = new QButtonGroup(this);
    for (int i = 0; i < 6; ++i) {
        curveOptions_[i] = makeChoice<QRadioButton>(g2, QStringLiteral("Option%1").arg(i + 4),
                                                    curves[i], 360 + (i % 3) * 2160, i / 3, 2000);
        curveGroup_->addButton(curveOptions_[i], i);
    }

    QGroupBox* g3 = makeGroup(this, 3, "3.分段曲线选择：", "当前数据的前后n段伸展曲线", 1950, 660);
    const char* spans[3] = {"10段", "20段", "40段"};
    spanGroup_ = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        spanOptions_[i] = makeChoice<QRadioButton>(g3, QStringLiteral("Option%1").arg(i + 10),
                                                   spans[i], 360 + i * 2160, 0, 1800);
        spanGroup_->addButton(spanOptions_[i], i);
    }

    QGroupBox* g4 = makeGroup(this, 4, "4.累计时间：", "需接收的总时间", 2715, 660);
    Text1 = makeBox(g4, "Text1", "0", 360, 855);
    makeLabel(g4, "Label1", "时", 1275, 375);
    Text2 = makeBox(g4, "Text2", "0", 1800, 855);
    makeLabel(g4, "Label2", "分", 2715, 375);
    Text3 = makeBox(g4, "Text3", "10", 3240, 855);
    makeLabel(g4, "Label3", "秒", 4155, 375);

    QGroupBox* g5 = makeGroup(this, 5, "5.倍率设置：", "使用电流、电压互感器的倍率值", 3480, 660);
    makeLabel(g5, "Label4", "CT倍率", 360, 735);
    Text4 = makeBox(g5, "Text4", "1", 1140, 1215);
    makeLabel(g5, "Label5", "PT倍率", 3240, 735);
    Text5 = makeBox(g5, "Text5", "1", 4020, 1215);

    QGroupBox* g6 = makeGroup(this, 6, "6.电流互感器使用状态设定：",
                              "设定使用的互感器，使用者打勾。", 4245, 660);
    Check1 = makeChoice<QCheckBox>(g6, QStringLiteral("Check1"), "红色标", 360, 0, 1800);
    Check2 = makeChoice<QCheckBox>(g6, QStringLiteral("Check2"), "蓝色标", 2520, 0, 1800);
    Check3 = makeChoice<QCheckBox>(g6, QStringLiteral("Check3"), "黄色标", 4680, 0, 1800);

    Command1 = new QPushButton(QStringLiteral("确 定"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(TwipsRect(1560, 5025, 1215, 375, this));
    Command1->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("取 消"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(TwipsRect(4305, 5025, 1215, 375, this));
    // 确 定 comes first in the tab order.
    setTabOrder(Command1, Command2);
    Command1->setFocus();
}

void SettingsDialog::connectControls() {
    connect(portGroup_, &QButtonGroup::idClicked, this,
            [this](int id) { state_.settings.CommPort = std::int16_t(kPortValues[id]); });
    connect(curveGroup_, &QButtonGroup::idClicked, this,
            [this](int id) { state_.settings.CurrentCurve = std::int16_t(kCurveValues[id]); });
    connect(spanGroup_, &QButtonGroup::idClicked, this,
            [this](int id) { state_.settings.SegmentHalfSpan = kSpanValues[id]; });
    connect(Check1, &QCheckBox::clicked, this,
            [this](bool on) { state_.settings.RedCTInUse = on ? 1 : 0; });
    connect(Check2, &QCheckBox::clicked, this,
            [this](bool on) { state_.settings.BlueCTInUse = on ? 1 : 0; });
    connect(Check3, &QCheckBox::clicked, this,
            [this](bool on) { state_.settings.YellowCTInUse = on ? 1 : 0; });
    connect(Command1, &QPushButton::clicked, this, &SettingsDialog::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &SettingsDialog::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &SettingsDialog::Command3_Click);
}

void SettingsDialog::Command3_Click() {
    const int commPort = state_.settings.CommPort >= 1 && state_.settings.CommPort <= 3
                             ? state_.settings.CommPort
                             : 1;
    auto* list = new PortListDialog(state_, services_, commPort, this);
    list->setAttribute(Qt::WA_DeleteOnClose);
    connect(list, &PortListDialog::portMapped, this, &SettingsDialog::portMapChanged);
    PlaceOver(*list, this);
    list->open();
}

QRadioButton* SettingsDialog::portOption(int commPort) const {
    return commPort >= 1 && commPort <= 3 ? portOptions_[commPort - 1] : nullptr;
}

void SettingsDialog::showDialog() {
    const QStringList problems = state_.ReadSettings();
    if (!problems.isEmpty() && QFileInfo::exists(state_.dataDirectory.settingsFile()))
        services_.messages.message(this, kErrorTitle, problems.join(QStringLiteral("\r\n")));
    loadControls();
    placeOnScreen();
    show();
    raise();
    activateWindow();
    // Every opening starts where the tab order starts, so that Enter confirms; the last opening
    // may have left the focus on 取 消 or on a refused box.
    Command1->setFocus(Qt::OtherFocusReason);
}

void SettingsDialog::loadControls() {
    const Settings& s = state_.settings;
    const DurationParts d = SplitDuration(s.ReceiveDuration);
    Text1->setText(timeText(d.hours));
    Text2->setText(QString::number(d.minutes));
    Text3->setText(QString::number(d.seconds));
    Text4->setText(PlainNumber(s.CTRatio));
    Text5->setText(PlainNumber(s.PTRatio));

    auto indexOf = [](const auto& values, auto value) {
        for (int i = 0; i < int(std::size(values)); ++i)
            if (values[i] == value)
                return i;
        return -1;
    };
    selectOnly(portGroup_, indexOf(kPortValues, int(s.CommPort)));
    selectOnly(curveGroup_, indexOf(kCurveValues, int(s.CurrentCurve)));
    selectOnly(spanGroup_, indexOf(kSpanValues, s.SegmentHalfSpan));
    Check1->setChecked(s.RedCTInUse == 1);
    Check2->setChecked(s.BlueCTInUse == 1);
    Check3->setChecked(s.YellowCTInUse == 1);
}

void SettingsDialog::placeOnScreen() {
    move(TwipsToPixels(3000, this), TwipsToPixels(2000, this));
}

bool SettingsDialog::refuse(QLineEdit* box, const QString& boxName, const QString& reason) {
    services_.messages.message(this, kErrorTitle,
                               boxName + reason + QStringLiteral("！\r\n请重新输入！"));
    box->setFocus();
    box->selectAll();
    return false;
}

void SettingsDialog::Command1_Click() {
    // Every box is checked before anything changes, so a refused confirmation changes nothing.
    // Each box obeys the rule of its line of the settings file, which the file's reader applies
    // too.
    struct Box {
        QLineEdit* edit;
        const char* name;
        bool isTime;
        int fileLine; // 0-based
        BoxNumber number;
    };
    Box boxes[5] = {{Text4, "CT倍率", false, 3, {}},
                    {Text5, "PT倍率", false, 4, {}},
                    {Text1, "累计时间（时）", true, 2, {}},
                    {Text2, "累计时间（分）", true, 2, {}},
                    {Text3, "累计时间（秒）", true, 2, {}}};
    for (Box& b : boxes) {
        b.number =
            ParseBoxNumber(b.edit->text(), b.isTime, SettingsFileLine(b.fileLine).zeroAllowed);
        if (!b.number.ok) {
            refuse(b.edit, QString::fromUtf8(b.name), b.number.reason);
            return;
        }
    }
    const double total =
        boxes[2].number.value * 3600 + boxes[3].number.value * 60 + boxes[4].number.value;
    if (!std::isfinite(float(total))) {
        refuse(Text1, QStringLiteral("累计时间"), QStringLiteral("太长"));
        return;
    }

    Settings& s = state_.settings;
    s.CTRatio = float(boxes[0].number.value);
    s.PTRatio = float(boxes[1].number.value);
    for (QLineEdit* t : {Text1, Text2, Text3})
        if (t->text().trimmed().isEmpty())
            t->setText(QStringLiteral("0"));
    s.ReceiveDuration = float(total);
    s.ConfiguredDuration = s.ReceiveDuration;

    if (s.RedCTInUse + s.BlueCTInUse + s.YellowCTInUse == 0) {
        services_.messages.message(this, kErrorTitle,
                                   QStringLiteral("至少需要选择连接一个互感器！\r\n请重新选择！"));
        placeOnScreen();
        show();
        return;
    }
    s.recomputeCTInUseCode();
    if (const Status written = state_.WriteSettings(); !written) {
        // The dialog stays open, so that the user can try again once the cause is mended.
        services_.messages.message(this, kErrorTitle, written.error());
        return;
    }
    accept();
}

void SettingsDialog::Command2_Click() {
    reject();
}

} // namespace zr5
