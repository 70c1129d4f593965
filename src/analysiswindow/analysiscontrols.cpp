#include "analysiswindow/analysiscontrols.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>

#include "analysis/segmented.h"
#include "analysiswindow/curvesurface.h"
#include "ui/fittedtext.h"
#include "ui/geometry.h"
#include "ui/qtcolour.h"

namespace zr5 {

namespace {

// Surfaces stand 430 twips below the labels' origin in their frame, 400 right of it; the time
// axis labels sit under the surface.
constexpr double kSurfaceLeft = 400;
constexpr double kSurfaceTop = 430;
constexpr double kSurfaceWidth = 8500;
constexpr double kSurfaceHeight = 1700;

template <class W> W* placed(W* w, double left, double top, double width, double height) {
    w->setGeometry(TwipsRect(left, top, width, height, w));
    return w;
}

QString indexed(const char* name, int index) {
    return QString::fromLatin1(name) + QLatin1Char('_') + QString::number(index);
}

QLabel* label(QWidget* parent, const QString& text, double left, double top, double width,
              double height = 240, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* l = placed(new QLabel(text, parent), left, top, width, height);
    l->setAlignment(align);
    return l;
}

FittedLabel* valueBox(QWidget* parent, int index, double left, double top, double width) {
    auto* box = placed(new FittedLabel(parent), left, top, width, 270);
    box->setObjectName(indexed("Picture1", index));
    box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    box->setAutoFillBackground(true);
    QPalette pal = box->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    box->setPalette(pal);
    box->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return box;
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption, double left, double top,
                 double width, double height) {
    auto* f = placed(new QGroupBox(caption, parent), left, top, width, height);
    f->setObjectName(QString::fromLatin1(name));
    return f;
}

void buildMenu(QWidget* window, AnalysisControls& c) {
    c.menuBar = new QMenuBar(window);
    c.menuBar->setObjectName(QStringLiteral("menuBar"));
    c.mnuF3 = c.menuBar->addMenu(QStringLiteral("操作菜单"));
    c.mnuF3->setObjectName(QStringLiteral("mnuF3"));
    c.mnuFEN = c.mnuF3->addMenu(QStringLiteral("分时数组"));
    c.mnuFEN->setObjectName(QStringLiteral("mnuFEN"));
    c.mnu5 = c.mnuFEN->addAction(QStringLiteral("10组"));
    c.mnu10 = c.mnuFEN->addAction(QStringLiteral("20组"));
    c.mnu20 = c.mnuFEN->addAction(QStringLiteral("40组"));
    c.mnu5->setObjectName(QStringLiteral("mnu5"));
    c.mnu10->setObjectName(QStringLiteral("mnu10"));
    c.mnu20->setObjectName(QStringLiteral("mnu20"));
    for (QAction* a : {c.mnu5, c.mnu10, c.mnu20})
        a->setCheckable(true);
    c.mnuF3->addSeparator();
    c.mnuPr = c.mnuF3->addAction(QStringLiteral(" 打 印"));
    c.mnuPr->setObjectName(QStringLiteral("mnuPr"));
    c.mnuAssess = c.mnuF3->addAction(QStringLiteral("经济运行评估"));
    c.mnuAssess->setObjectName(QStringLiteral("mnuAssess"));
    c.mnuCompare = c.mnuF3->addAction(QStringLiteral("对比分析…"));
    c.mnuCompare->setObjectName(QStringLiteral("mnuCompare"));
    c.mnuExport = c.mnuF3->addMenu(QStringLiteral("导出"));
    c.mnuExport->setObjectName(QStringLiteral("mnuExport"));
    c.mnuExportPicture = c.mnuExport->addAction(QStringLiteral("曲线图片…"));
    c.mnuExportPicture->setObjectName(QStringLiteral("mnuExportPicture"));
    c.mnuExportAll = c.mnuExport->addAction(QStringLiteral("全部曲线图片…"));
    c.mnuExportAll->setObjectName(QStringLiteral("mnuExportAll"));
    c.mnuExportCsv = c.mnuExport->addAction(QStringLiteral("数据表格 (CSV)…"));
    c.mnuExportCsv->setObjectName(QStringLiteral("mnuExportCsv"));
    c.mnuExportXlsx = c.mnuExport->addAction(QStringLiteral("Excel 工作簿…"));
    c.mnuExportXlsx->setObjectName(QStringLiteral("mnuExportXlsx"));
    c.mnuF3->addSeparator();
    c.mnuCl = c.mnuF3->addAction(QStringLiteral(" 关 闭"));
    c.mnuCl->setObjectName(QStringLiteral("mnuCl"));
}

// The hidden small labels of one control array, all at one place until they are placed.
template <std::size_t N>
void smallLabels(QWidget* parent, std::array<QLabel*, N>& labels, const char* name, double left,
                 double top, double width, Qt::Alignment align) {
    for (std::size_t i = 0; i < N; ++i) {
        auto* l = label(parent, QString(), left, top, width, 200, align);
        l->setObjectName(indexed(name, int(i)));
        l->setFont(ChineseFont(7));
        l->hide();
        labels[i] = l;
    }
}

void buildCurveFrame(QGroupBox* f, std::array<CurveSurface*, 10>& surfaces, const char* name,
                     std::array<QLabel*, 8>& valueLabels, const char* labelName) {
    for (int k = 0; k < 10; ++k) {
        auto* s =
            placed(new CurveSurface(f), kSurfaceLeft, kSurfaceTop, kSurfaceWidth, kSurfaceHeight);
        s->setObjectName(indexed(name, k));
        s->hide();
        surfaces[std::size_t(k)] = s;
    }
    smallLabels(f, valueLabels, labelName, 0, kSurfaceTop, kSurfaceLeft - 20,
                Qt::AlignRight | Qt::AlignTop);
}

void buildDataFrame(QWidget* client, AnalysisControls& c) {
    c.dataFrame = frame(client, "dataFrame", QStringLiteral("分时数据"), 9120, 60, 2460, 5960);
    c.regularFrame =
        frame(c.dataFrame, "regularFrame", QStringLiteral("常规数据"), 60, 240, 2340, 3580);
    static const char* const names[12] = {"一路电流", "一路电压", "有功功率", "二路电流",
                                          "二路电压", "无功功率", "三路电流", "三路电压",
                                          "功率因数", "视在功率", "有功电量", "无功电量"};
    static const char* const units[12] = {"A", "V", "kW", "A",   "V",   "kVar",
                                          "A", "V", "",   "kVa", "W·h", "Var·h"};
    // The three channels first, then the powers, the power factor and the energies.
    static const int order[12] = {0, 1, 3, 4, 6, 7, 2, 5, 8, 9, 10, 11};
    for (int line = 0; line < 12; ++line) {
        const int k = order[line];
        const double top = 250 + line * 275;
        c.Label1[std::size_t(k)] = label(c.regularFrame, QString::fromUtf8(names[k]), 60, top, 740);
        c.Label1[std::size_t(k)]->setObjectName(indexed("Label1", k));
        c.Picture1[std::size_t(k)] = valueBox(c.regularFrame, k, 800, top, 950);
        QLabel* unit = label(c.regularFrame, QString::fromUtf8(units[k]), 1780, top, 560);
        if (k == Slot::PowerFactor) {
            unit->setText(QStringLiteral("C"));
            unit->setObjectName(QStringLiteral("Label2_10"));
            c.Label2_10 = unit;
        }
    }
    // Elapsed time: hours, minutes, seconds and hundredths.
    label(c.dataFrame, QStringLiteral("累计时间"), 120, 3860, 900);
    static const char* const timeUnits[3] = {"时", "分", "秒"};
    const int timeBoxes[4] = {12, 13, 14, 19};
    for (int i = 0; i < 4; ++i) {
        const double left = 120 + i * 580;
        c.Picture1[std::size_t(timeBoxes[i])] =
            valueBox(c.dataFrame, timeBoxes[i], left, 4120, 400);
        if (i < 3)
            label(c.dataFrame, QString::fromUtf8(timeUnits[i]), left + 400, 4120, 180);
    }

    c.motorFrame =
        frame(c.dataFrame, "motorFrame", QStringLiteral("电动机运行数据"), 60, 4480, 2340, 1380);
    static const char* const motorNames[4] = {"输入功率", "输出功率", "效　　率", "负 载 率"};
    static const char* const motorUnits[4] = {"kW", "kW", "%", "%"};
    for (int i = 0; i < 4; ++i) {
        const int k = 15 + i;
        const double top = 260 + i * 275;
        auto* name = label(c.motorFrame, QString::fromUtf8(motorNames[i]), 60, top, 740);
        auto* unit = label(c.motorFrame, QString::fromUtf8(motorUnits[i]), 1780, top, 560);
        c.Picture1[std::size_t(k)] = valueBox(c.motorFrame, k, 800, top, 950);
        // The frame's text colour shows the motor state; its labels stay black.
        for (QLabel* l : {name, unit}) {
            QPalette pal = l->palette();
            pal.setColor(QPalette::WindowText, Qt::black);
            l->setPalette(pal);
        }
    }
}

void buildQueryFrame(QWidget* client, AnalysisControls& c) {
    c.queryFrame = frame(client, "queryFrame", QStringLiteral("数据查询"), 60, 5700, 4600, 1000);
    label(c.queryFrame, QStringLiteral("瞬时数据"), 120, 300, 900);
    c.Label1[13] = label(c.queryFrame, QString(), 120, 620, 1800);
    c.Label1[13]->setObjectName(QStringLiteral("Label1_13"));
    label(c.queryFrame, QStringLiteral("NO："), 1600, 300, 500);
    c.Text1 = placed(new QLineEdit(QStringLiteral("1"), c.queryFrame), 2100, 280, 1100, 300);
    c.Text1->setObjectName(QStringLiteral("Text1"));
    c.Command3 =
        placed(new QPushButton(QStringLiteral("查 询"), c.queryFrame), 3350, 250, 975, 375);
    c.Command3->setObjectName(QStringLiteral("Command3"));
    c.Command3->setToolTip(QStringLiteral("按数据号显示瞬时数据"));
}

} // namespace

AnalysisControls BuildAnalysisControls(QWidget* window) {
    AnalysisControls c;
    buildMenu(window, c);
    const int menuHeight = c.menuBar->sizeHint().height();
    c.menuBar->setGeometry(0, 0, TwipsToPixels(kAnalysisWindowWidth, window), menuHeight);
    auto* client = new QWidget(window);
    client->setObjectName(QStringLiteral("client"));
    client->setGeometry(0, menuHeight, TwipsToPixels(kAnalysisWindowWidth, window),
                        TwipsToPixels(kAnalysisWindowHeight, window) - menuHeight);

    c.cumulativeFrame = frame(client, "cumulativeFrame", QString(), 60, 60, 9000, 2480);
    buildCurveFrame(c.cumulativeFrame, c.Picture2, "Picture2", c.Label5, "Label5");
    smallLabels(c.cumulativeFrame, c.Label7, "Label7", kSurfaceLeft,
                kSurfaceTop + kSurfaceHeight + 20, 600, Qt::AlignLeft | Qt::AlignTop);
    c.Label4 = label(c.cumulativeFrame, QString(), 0, 180, kSurfaceLeft + 200, 240);
    c.Label4->setObjectName(QStringLiteral("Label4"));
    c.Label3 = label(c.cumulativeFrame, QString(), kSurfaceLeft + 6700,
                     kSurfaceTop + kSurfaceHeight, 500, 240);
    c.Label3->setObjectName(QStringLiteral("Label3"));

    c.Command5 =
        placed(new QPushButton(QStringLiteral("全程"), c.cumulativeFrame), 8000, 440, 850, 300);
    c.Command5->setObjectName(QStringLiteral("Command5"));
    c.Command5->setToolTip(QStringLiteral("显示全部数据的累计曲线（或双击曲线）"));
    c.Command5->hide();

    c.segmentedFrame = frame(client, "segmentedFrame", QString(), 60, 2600, 9000, 2260);
    buildCurveFrame(c.segmentedFrame, c.Picture3, "Picture3", c.Label6, "Label6");
    // The segmented curve's times stand just under its time axis, over the surface's lower edge.
    smallLabels(c.segmentedFrame, c.Label8, "Label8", kSurfaceLeft, kSurfaceTop + 1600, 1200,
                Qt::AlignHCenter | Qt::AlignTop);

    c.HScroll1 = placed(new QScrollBar(Qt::Horizontal, client), 60 + kSurfaceLeft, 4920, 6000, 255);
    c.HScroll1->setObjectName(QStringLiteral("HScroll1"));
    c.HScroll2 = placed(new QScrollBar(Qt::Horizontal, client), 60 + kSurfaceLeft, 5240, 6000, 255);
    c.HScroll2->setObjectName(QStringLiteral("HScroll2"));
    c.progress = placed(new QProgressBar(client), 60 + kSurfaceLeft, 4920, 6000, 255);
    c.progress->setObjectName(QStringLiteral("progress"));
    c.progress->setTextVisible(true);
    c.progress->hide();

    buildDataFrame(client, c);
    buildQueryFrame(client, c);

    c.Command4 = placed(new QPushButton(QStringLiteral("曲线选择"), client), 5000, 6100, 975, 375);
    c.Command4->setObjectName(QStringLiteral("Command4"));
    c.Command4->setToolTip(QStringLiteral("曲线轮换显示"));
    c.Command2 = placed(new QPushButton(QStringLiteral("重绘曲线"), client), 6350, 6100, 975, 375);
    c.Command2->setObjectName(QStringLiteral("Command2"));
    c.Command2->setToolTip(QStringLiteral("重新描绘曲线"));
    c.Command1 = placed(new QPushButton(QStringLiteral("关  闭"), client), 7700, 6100, 975, 375);
    c.Command1->setObjectName(QStringLiteral("Command1"));
    return c;
}

void ShowRowDisplay(AnalysisControls& c, const RowDisplay& d) {
    for (int k = 0; k < 16; ++k)
        c.Picture1[std::size_t(k)]->setText(d.boxes[std::size_t(k)]);
    c.Picture1[19]->setText(d.boxes[19]);
    c.Label2_10->setText(d.powerFactorLabel);
    if (d.motorBoxes != MotorBoxes::Unchanged)
        for (int k = 16; k <= 18; ++k)
            c.Picture1[std::size_t(k)]->setText(d.boxes[std::size_t(k)]);
    c.motorFrame->setTitle(d.motorCaption);
    QPalette pal = c.motorFrame->palette();
    pal.setColor(QPalette::WindowText, ColourOf(d.motorColour));
    c.motorFrame->setPalette(pal);
}

void SetUpRowBars(AnalysisControls& c, const ScrollBarSetup& bars) {
    const QSignalBlocker b1(c.HScroll1), b2(c.HScroll2);
    if (bars.paged) {
        c.HScroll2->setRange(1, bars.pageMaximum);
        c.HScroll2->setPageStep(1);
        c.HScroll2->setSingleStep(1);
        c.HScroll2->setValue(1);
    }
    c.HScroll1->setRange(1, bars.rowMaximum);
    c.HScroll1->setPageStep(10);
    c.HScroll1->setSingleStep(1);
    c.HScroll1->setValue(bars.rowValue);
    c.HScroll1->hide();
    c.HScroll2->hide();
}

void MoveRowBars(AnalysisControls& c, const ScrollBarSetup& bars, qint64 dataNumber,
                 qint64 recordCount) {
    const RowBarPosition pos = RowBarPositionFor(dataNumber);
    const QSignalBlocker b1(c.HScroll1), b2(c.HScroll2);
    if (bars.paged) {
        c.HScroll2->setValue(pos.page);
        c.HScroll1->setMaximum(RowBarMaximumForPage(pos.page, recordCount));
    }
    c.HScroll1->setValue(pos.row);
}

void PlaceValueLabels(AnalysisControls& c, const std::vector<ValueLabel>& values) {
    for (QLabel* l : c.Label5)
        l->hide();
    for (QLabel* l : c.Label6)
        l->hide();
    for (QLabel* l : c.Label7)
        l->hide();
    for (std::size_t i = 0; i < values.size(); ++i) {
        for (QLabel* l : {c.Label5[i], c.Label6[i]}) {
            l->setText(values[i].caption);
            l->move(l->x(), TwipsToPixels(values[i].top, l));
            l->show();
        }
    }
}

void PlaceSegmentTimes(AnalysisControls& c, const std::vector<TimeLabel>& times) {
    for (QLabel* l : c.Label8)
        l->hide();
    for (std::size_t i = 0; i < times.size() && i < c.Label8.size(); ++i) {
        QLabel* l = c.Label8[i];
        l->setText(times[i].caption);
        l->setAlignment((times[i].centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
        l->setGeometry(TwipsToPixels(times[i].left, l), l->y(),
                       TwipsToPixels(kSegmentTimeLabelWidth, l), l->height());
        l->show();
    }
}

} // namespace zr5
