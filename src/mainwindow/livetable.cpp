#include "mainwindow/livetable.h"

#include <QLabel>
#include <QPaintEvent>
#include <QPainter>

#include "ui/fittedtext.h"
#include "ui/geometry.h"

namespace zr5 {

PictureBox::PictureBox(int index, QWidget* parent) : QFrame(parent), index_(index) {
    setObjectName(QStringLiteral("Picture1_%1").arg(index));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
    setAccessibleName(objectName());
}

void PictureBox::printText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    setAccessibleDescription(text_);
    ownUpdatePending_ = true;
    update();
}

void PictureBox::paintEvent(QPaintEvent* event) {
    // Only a paint the box did not cause itself redraws the table; the redraw prints into this
    // box too, which is painted by the update that follows.
    const bool exposed = !ownUpdatePending_;
    ownUpdatePending_ = false;
    if (exposed && onExposed)
        onExposed(index_);
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setFont(textFont());
    painter.drawText(contentsRect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text_);
}

QFont PictureBox::textFont() const {
    return FontToFit(font(), text_, contentsRect().width());
}

namespace {

struct NameLabelPlace {
    int index;
    const char* caption;
    int left;
    int top;
};

struct UnitLabelPlace {
    int index;
    const char* caption;
    int left;
    int top;
    int width;
};

struct BoxPlace {
    int index;
    int left;
    int top;
};

// Layout of the table in twips: name label, value box and unit label of each quantity.
constexpr NameLabelPlace kNameLabels[] = {
    {0, "一路电流", 240, 120},    {5, "二路电流", 2640, 120},   {8, "三路电流", 5040, 120},
    {1, "一路电压", 240, 480},    {4, "二路电压", 2640, 480},   {7, "三路电压", 5040, 480},
    {2, "有功功率", 240, 840},    {3, "无功功率", 2640, 840},   {6, "功率因数", 5040, 840},
    {9, "视在功率", 240, 1200},   {10, "有功电量", 2640, 1200}, {11, "无功电量", 5040, 1200},
    {12, "流逝时间", 2640, 1560},
};

constexpr UnitLabelPlace kUnitLabels[] = {
    {0, "A", 2160, 120, 255},    {4, "A", 4560, 120, 255},    {8, "A", 6960, 120, 255},
    {1, "V", 2160, 480, 255},    {5, "V", 4560, 480, 255},    {9, "V", 6960, 480, 255},
    {2, "kW", 2160, 840, 255},   {6, "kVar", 4560, 840, 495}, {10, "L", 6960, 840, 255},
    {3, "kVa", 2160, 1200, 375}, {7, "kWh", 4560, 1200, 495}, {11, "kVarh", 6960, 1200, 495},
    {14, "时", 3960, 1560, 255}, {13, "分", 4800, 1560, 255}, {12, "秒", 5640, 1560, 255},
};

constexpr BoxPlace kBoxes[] = {
    {0, 1080, 120},   {3, 3480, 120},   {6, 5880, 120},   {1, 1080, 480},   {4, 3480, 480},
    {7, 5880, 480},   {2, 1080, 840},   {5, 3480, 840},   {8, 5880, 840},   {9, 1080, 1200},
    {10, 3480, 1200}, {11, 5880, 1200}, {12, 3480, 1560}, {13, 4320, 1560}, {14, 5160, 1560},
};

constexpr int kLineHeight = 255;
constexpr int kNameLabelWidth = 735;
constexpr int kValueBoxWidth = 975;
constexpr int kTimeBoxWidth = 375;

QLabel* makeLabel(QWidget* parent, const QString& name, const char* caption,
                  const QRect& geometry) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    return label;
}

} // namespace

LiveTable::LiveTable(QWidget* parent) {
    for (const BoxPlace& b : kBoxes) {
        auto* box = new PictureBox(b.index, parent);
        const int width = b.index >= 12 ? kTimeBoxWidth : kValueBoxWidth;
        box->setGeometry(TwipsRect(b.left, b.top, width, kLineHeight, parent));
        boxes_[b.index] = box;
    }
    for (const NameLabelPlace& l : kNameLabels)
        nameLabels_[l.index] =
            makeLabel(parent, QStringLiteral("Label1_%1").arg(l.index), l.caption,
                      TwipsRect(l.left, l.top, kNameLabelWidth, kLineHeight, parent));
    for (const UnitLabelPlace& l : kUnitLabels)
        unitLabels_[l.index] =
            makeLabel(parent, QStringLiteral("Label2_%1").arg(l.index), l.caption,
                      TwipsRect(l.left, l.top, l.width, kLineHeight, parent));
    // Left of the elapsed time, empty until a damaged frame is dropped.
    droppedLabel_ = makeLabel(parent, QStringLiteral("droppedFrames"), "",
                              TwipsRect(240, 1560, 2300, kLineHeight, parent));
}

void LiveTable::showRow(const LiveTableRow& row) {
    const LiveTableTexts texts = FormatLiveTableRow(row);
    showBoxes(texts);
    unitLabels_[10]->setText(texts.powerFactorLabel);
    droppedLabel_->setText(texts.droppedFrames);
}

void LiveTable::showBoxes(const LiveTableTexts& texts) {
    for (int k = 0; k < kBoxCount; ++k)
        boxes_[k]->printText(texts.boxes[k]);
}

void LiveTable::clearBoxes() {
    for (PictureBox* b : boxes_)
        b->clear();
}

} // namespace zr5
