#include "assessment/assessmentwindow.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPrinterInfo>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <iterator>

#include "assessment/assessmentfigures.h"
#include "model/appstate.h"
#include "model/numbertext.h"
#include "printing/painterprinter.h"
#include "printing/printrun.h"
#include "settings/settings.h"
#include "ui/geometry.h"
#include "ui/services.h"
#include "workbook/assessmentworkbook.h"

namespace zr5 {

namespace {

// The settings' boxes: the field, the label, the name in a message and a tool tip.
struct SettingBox {
    double AssessmentSettings::*field;
    const char* label;
    const char* name;
    const char* tip;
};
const SettingBox kSettingBoxes[] = {
    {&AssessmentSettings::KQ, "无功经济当量 KQ（kW/kvar）", "无功经济当量",
     "无功经济当量：每千乏无功功率在供电系统中引起的有功损耗，靠近发电厂约 0.02，经多级变压约 "
     "0.1"},
    {&AssessmentSettings::hoursPerYear, "年运行时间（h）", "年运行时间", nullptr},
    {&AssessmentSettings::price, "电价（元/kWh）", "电价", nullptr},
    {&AssessmentSettings::ie3PricePerKw, "IE3 电动机价格（元/kW）", "IE3 电动机价格",
     "粗略估计，请换成实际报价"},
    {&AssessmentSettings::ie4PricePerKw, "IE4 电动机价格（元/kW）", "IE4 电动机价格",
     "粗略估计，请换成实际报价"},
    {&AssessmentSettings::lifeCycleYears, "寿命期（年）", "寿命期", nullptr},
    {&AssessmentSettings::emissionFactor, "电网排放因子（kg CO₂/kWh）", "电网排放因子",
     "全国电网平均排放因子（2022 年 0.5703），每一两年公布一次，请按最新公布值更新"},
    {&AssessmentSettings::pfTarget, "目标功率因数", "目标功率因数", nullptr},
};

} // namespace

AssessmentChart::AssessmentChart(QWidget* parent) : QWidget(parent) {
    setMinimumSize(420, 300);
}

void AssessmentChart::show(const RecordingAssessment& assessment) {
    chart_ = AssessmentChartFor(assessment);
    update();
}

namespace {

// A wrapped text that asks for the height of all its lines at its present width, so that the
// window at its smallest still has room for every line instead of squeezing the controls above
// over one another.
class WrappedLabel final : public QLabel {
public:
    explicit WrappedLabel(QWidget* parent) : QLabel(parent) { setWordWrap(true); }
    QSize minimumSizeHint() const override {
        return {QLabel::minimumSizeHint().width(), heightForWidth(width())};
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        if (event->size().width() != event->oldSize().width())
            updateGeometry();
    }
};

} // namespace

AssessmentChartGeometry AssessmentChartLayout(const AssessmentChartModel& c, QSizeF size,
                                              const QFontMetricsF& fm) {
    AssessmentChartGeometry g;
    const double h = fm.height(), pad = 4;
    auto widest = [&](const std::vector<ChartLabel>& labels) {
        double w = 0;
        for (const ChartLabel& l : labels)
            w = std::max(w, fm.horizontalAdvance(l.text));
        return w;
    };
    const QString efficiencyTitle = QStringLiteral("效率 %"), hoursTitle = QStringLiteral("时间 h"),
                  loadTitle = QStringLiteral("负载率 %");
    // From the top: the axes' titles, the marks' names, the plot, the load rates, the load's
    // title. The labels beside the plot as wide as the widest of them.
    const double left =
        std::max(widest(c.efficiencyLabels), fm.horizontalAdvance(QStringLiteral("100"))) + 3 * pad;
    const double right =
        std::max(widest(c.hourLabels), fm.horizontalAdvance(QStringLiteral("0.000"))) + 2 * pad;
    g.plot = QRectF(left, pad + 2 * h + pad, size.width() - left - right,
                    size.height() - (pad + 2 * h + pad) - (2 * h + pad));
    const QRectF& plot = g.plot;
    auto x = [&](double f) { return plot.left() + f * plot.width(); };
    auto y = [&](double f) { return plot.bottom() - f * plot.height(); };
    auto text = [&](double l, double t, const QString& s, std::uint32_t colour = 0) {
        g.texts.push_back({QRectF(l, t, fm.horizontalAdvance(s), h), s, colour});
    };
    text(pad, pad, efficiencyTitle);
    text(size.width() - pad - fm.horizontalAdvance(hoursTitle), pad, hoursTitle);
    for (const ChartLabel& l : c.efficiencyLabels)
        text(plot.left() - 1.5 * pad - fm.horizontalAdvance(l.text), y(l.at) - h / 2, l.text);
    for (const ChartLabel& l : c.hourLabels)
        text(plot.right() + pad, y(l.at) - h / 2, l.text);
    for (const ChartLabel& l : c.loadLabels)
        text(x(l.at) - fm.horizontalAdvance(l.text) / 2, plot.bottom() + 1, l.text);
    text(plot.right() - fm.horizontalAdvance(loadTitle), plot.bottom() + 1 + h, loadTitle);
    // The marks' names in a row just above the plot, moved apart where they would overlap.
    std::vector<double> centres, widths;
    for (const ChartMark& m : c.marks) {
        centres.push_back(x(m.x));
        widths.push_back(fm.horizontalAdvance(m.name));
    }
    const std::vector<double> lefts = SpreadNames(
        centres, widths, fm.horizontalAdvance(QLatin1Char(' ')), plot.left(), plot.right());
    for (std::size_t i = 0; i < c.marks.size(); ++i) {
        text(lefts[i], plot.top() - h - 1, c.marks[i].name, c.marks[i].colour);
        g.markNames.push_back(g.texts.back().rect);
    }
    return g;
}

AssessmentChartGeometry AssessmentChart::layout() const {
    return AssessmentChartLayout(chart_, size(), QFontMetricsF(ChineseFont(8)));
}

void AssessmentChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    // The names above the plot, the axes' labels and titles beside and under it.
    const AssessmentChartGeometry g = layout();
    const QRectF& plot = g.plot;
    auto at = [&](double fx, double fy) {
        return QPointF(plot.left() + fx * plot.width(), plot.bottom() - fy * plot.height());
    };
    for (const ChartBar& b : chart_.bars)
        p.fillRect(QRectF(at(b.left, b.height) + QPointF(1, 0), at(b.right, 0) - QPointF(1, 0)),
                   ColourOf(b.colour));
    p.setPen(Qt::black);
    p.drawRect(plot);
    for (const ChartCurve& curve : chart_.curves) {
        QPainterPath path;
        for (const auto& [fx, fy] : curve.points)
            path.elementCount() == 0 ? path.moveTo(at(fx, fy)) : path.lineTo(at(fx, fy));
        p.setPen(QPen(ColourOf(curve.colour), 1.5));
        p.drawPath(path);
    }
    for (const ChartMark& m : chart_.marks) {
        p.setPen(QPen(ColourOf(m.colour), 1, Qt::DashLine));
        p.drawLine(at(m.x, 0), at(m.x, 1));
    }
    p.setFont(ChineseFont(8));
    for (const ChartText& t : g.texts) {
        p.setPen(ColourOf(t.colour));
        p.drawText(t.rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip, t.text);
    }
}

AssessmentWindow::AssessmentWindow(AppState& state, UiServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), services_(services) {
    setObjectName(QStringLiteral("AssessmentWindow"));
    setWindowTitle(QStringLiteral("经济运行评估"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(ChineseFont(9));
    printerInstalled = [] { return !QPrinterInfo::availablePrinterNames().isEmpty(); };

    table_ = new QTableWidget(0, 2, this);
    table_->setObjectName(QStringLiteral("figures"));
    table_->setHorizontalHeaderLabels({QStringLiteral("项目"), QStringLiteral("数值")});
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    chart_ = new AssessmentChart(this);
    chart_->setObjectName(QStringLiteral("chart"));
    verdict_ = new WrappedLabel(this);
    verdict_->setObjectName(QStringLiteral("verdict"));

    // A damaged settings file is named, and replaced only when the user agrees.
    const auto [settings, problems] = ReadAssessmentSettings(state_.dataDirectory);
    assessFileProblem_ = problems.join(QStringLiteral("\r\n"));
    verdict_->setText(assessFileProblem_);
    auto* form = new QFormLayout;
    for (const SettingBox& b : kSettingBoxes) {
        auto* box = new QLineEdit(PlainNumber(settings.*b.field), this);
        if (b.tip)
            box->setToolTip(QString::fromUtf8(b.tip));
        form->addRow(QString::fromUtf8(b.label), box);
        boxes_.push_back(box);
    }
    auto* recompute = new QPushButton(QStringLiteral("重新评估"), this);
    recompute->setObjectName(QStringLiteral("Command1"));
    print_ = new QPushButton(QStringLiteral("打  印"), this);
    print_->setObjectName(QStringLiteral("Command3"));
    print_->setEnabled(false);
    workbook_ = new QPushButton(QStringLiteral("导出 Excel…"), this);
    workbook_->setObjectName(QStringLiteral("Command4"));
    workbook_->setEnabled(false);
    auto* close = new QPushButton(QStringLiteral("关  闭"), this);
    close->setObjectName(QStringLiteral("Command2"));
    connect(recompute, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(print_, &QPushButton::clicked, this, &AssessmentWindow::Command3_Click);
    connect(workbook_, &QPushButton::clicked, this, &AssessmentWindow::Command4_Click);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* right = new QVBoxLayout;
    right->addWidget(chart_, 1);
    right->addLayout(form);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(recompute);
    buttons->addWidget(print_);
    buttons->addWidget(workbook_);
    buttons->addWidget(close);
    right->addLayout(buttons);
    auto* top = new QHBoxLayout;
    top->addWidget(table_, 1);
    top->addLayout(right, 1);
    auto* whole = new QVBoxLayout(this);
    whole->addLayout(top, 1);
    whole->addWidget(verdict_);
    resize(960, 680);
}

bool AssessmentWindow::Command1_Click() {
    AssessmentSettings settings;
    for (std::size_t i = 0; i < std::size(kSettingBoxes); ++i) {
        const SettingBox& b = kSettingBoxes[i];
        const BoxNumber n = ParseBoxNumber(boxes_[i]->text(), false, true);
        const bool fraction = b.field == &AssessmentSettings::pfTarget;
        if (!n.ok || (fraction && !(n.value > 0 && n.value <= 1))) {
            services_.messages.message(
                this, kErrorTitle,
                QString::fromUtf8(b.name) +
                    (n.ok ? QStringLiteral("必须大于 0 且不大于 1") : n.reason) +
                    QStringLiteral("。"));
            return false;
        }
        settings.*b.field = n.value;
    }
    const AssessmentRun run =
        AssessRecording(state_.CurrentFileName(), state_.dataDirectory, settings);
    if (!run.error.isEmpty()) {
        services_.messages.message(this, kErrorTitle, run.error);
        return false;
    }
    if (!assessFileProblem_.isEmpty()) {
        keepAssessFile_ = !services_.messages.question(
            this, kErrorTitle,
            assessFileProblem_ + QStringLiteral("\r\n是否用窗口中的数值改写它？"));
        assessFileProblem_.clear();
    }
    if (keepAssessFile_) {
        // The user keeps the damaged file as it is, to mend it by hand.
    } else if (const Status written = WriteAssessmentSettings(state_.dataDirectory, settings);
               !written)
        services_.messages.message(this, kErrorTitle, written.error());
    showAssessment(run);
    shown_ = run;
    shownSettings_ = settings;
    print_->setEnabled(true);
    workbook_->setEnabled(true);
    return true;
}

std::optional<AssessmentPageInput> AssessmentWindow::pageInput() const {
    if (!shown_)
        return std::nullopt;
    return AssessmentPageInput{*shown_, shownSettings_,
                               QDir::toNativeSeparators(shown_->recording.path)};
}

void AssessmentWindow::Command3_Click() {
    const std::optional<AssessmentPageInput> input = pageInput();
    if (run_ || !input)
        return;
    const QFileInfo recording(input->run.recording.path);
    std::vector<PrintTask> tasks = PrintTasks(
        {[in = *input](Printer& p) { return std::make_unique<AssessmentPageJob>(p, in); }},
        printerInstalled(), services_, this, windowTitle(),
        recording.dir().filePath(recording.completeBaseName() + QStringLiteral("-评估.pdf")),
        windowTitle());
    if (tasks.empty())
        return;
    run_ = StartWindowPrint(this, std::move(tasks), print_, services_, [this] { run_ = nullptr; });
}

void AssessmentWindow::Command4_Click() {
    if (!shown_)
        return;
    const QFileInfo recording(shown_->recording.path);
    services_.files.setStartFolder(recording.absolutePath());
    const std::optional<QString> path = services_.files.saveFileNameFrom(
        this, QStringLiteral("保存 Excel 工作簿"), QStringLiteral("Excel 工作簿 (*.xlsx)"),
        QStringLiteral("xlsx"),
        recording.dir().filePath(recording.completeBaseName() + QStringLiteral("-评估.xlsx")));
    if (!path)
        return;
    // No rows to write: the figures, the bands and the summary are written at once.
    if (const Status s = WriteAssessmentWorkbook(*shown_, shownSettings_, *path); !s)
        services_.messages.message(this, kErrorTitle, s.error());
}

QString AssessmentWindow::verdict() const {
    return verdict_->text();
}

void AssessmentWindow::showAssessment(const AssessmentRun& run) {
    const RecordingAssessment& a = run.assessment;
    const double hours = double(run.recording.header.Duration) / 3600.0;
    const std::vector<FigureRow> rows = FigureRows(AssessmentFigures(a, hours));
    table_->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        const FigureRow& f = rows[std::size_t(r)];
        table_->setItem(r, 0, new QTableWidgetItem(f.name));
        table_->setItem(r, 1, new QTableWidgetItem(f.value));
        if (f.isGroup()) {
            QFont bold = table_->font();
            bold.setBold(true);
            table_->item(r, 0)->setFont(bold);
        }
    }
    // The table keeps room for both its columns at any size of the window: the chart gives way.
    table_->horizontalHeader()->resizeSections(QHeaderView::ResizeToContents);
    table_->setMinimumWidth(table_->horizontalHeader()->length() +
                            table_->verticalScrollBar()->sizeHint().width() +
                            2 * table_->frameWidth());
    chart_->show(a);
    verdict_->setText(AssessmentVerdict(a, hours, run.recording.header.Motor[1]));
}

} // namespace zr5
