#include "help/aboutbox.h"

#include <QLabel>
#include <QPushButton>

#include "model/programversion.h"
#include "ui/geometry.h"

namespace zr5 {

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const char* text, const QRect& geometry,
                  double pointSize) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(ChineseFont(pointSize));
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(geometry);
    return label;
}

} // namespace

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("关于ZR-5..."));
    setFont(ChineseFont(9));
    setModal(true);
    setFixedSize(TwipsToPixels(5400, this), TwipsToPixels(3600, this));

    makeLabel(this, "Label1", " ZR－5　多功能电量测试仪", TwipsRect(240, 240, 4920, 480, this), 14);
    makeLabel(this, "Label2", "辅助软件", TwipsRect(240, 780, 4920, 360, this), 11);
    makeLabel(this, "Label3", (QByteArray("V") + ProgramVersion()).constData(),
              TwipsRect(240, 1200, 4920, 360, this), 11);
    makeLabel(this, "Label4", "本软件随 ZR-5 多功能电量测试仪提供，",
              TwipsRect(240, 1740, 4920, 300, this), 9);
    makeLabel(this, "Label5", "使用中的问题请与测试仪的供货单位联系。",
              TwipsRect(240, 2040, 4920, 300, this), 9);

    Command1 = new QPushButton(QStringLiteral("关闭窗口"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(TwipsRect(1980, 2640, 1440, 450, this));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &AboutBox::accept);
}

} // namespace zr5
