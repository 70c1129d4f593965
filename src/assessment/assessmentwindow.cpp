#include "assessment/assessmentwindow.h"

#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
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

void AssessmentChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const QRectF plot = QRectF(rect()).adjusted(44, 16, -40, -30);
    auto at = [&](double fx, double fy) {
        return QPointF(plot.left() + fx * plot.width(), plot.bottom() - fy * plot.height());
    };
    for (const ChartBar& b : chart_.bars)
        p.fillRect(QRectF(at(b.left, b.height) + QPointF(1, 0), at(b.right, 0) - QPointF(1, 0)),
                   ColourOf(b.colour));
    p.setPen(Qt::black);
    p.drawRect(plot);
    p.setFont(ChineseFont(8));
    for (const ChartLabel& l : chart_.loadLabels)
        p.drawText(at(l.at, 0) + QPointF(-8, 14), l.text);
    p.drawText(QPointF(plot.right() - 60, plot.bottom() + 26), QStringLiteral("负载率 %"));
    for (const ChartLabel& l : chart_.efficiencyLabels)
        p.drawText(at(0, l.at) + QPointF(-30, 4), l.text);
    for (const ChartLabel& l : chart_.hourLabels)
        p.drawText(at(1, l.at) + QPointF(4, 4), l.text);
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
        p.drawText(at(m.x, 1) + QPointF(3, 12), m.name);
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
    verdict_ = new QLabel(this);
    verdict_->setObjectName(QStringLiteral("verdict"));
    verdict_->setWordWrap(true);

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
    chart_->show(a);
    verdict_->setText(AssessmentVerdict(a, hours, run.recording.header.Motor[1]));
}

} // namespace zr5
