#include "assessment/assessmentwindow.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <tuple>

#include "model/appstate.h"
#include "model/numbertext.h"
#include "settings/settings.h"
#include "ui/geometry.h"
#include "ui/services.h"

namespace zr5 {

namespace {

const QColor kZoneColours[kOperatingZones] = {QColor(0, 150, 0), QColor(230, 160, 0),
                                              QColor(200, 0, 0), QColor(120, 0, 160)};

QString figure(double v) {
    return FormatValue(float(v)).trimmed();
}

} // namespace

AssessmentChart::AssessmentChart(QWidget* parent) : QWidget(parent) {
    setMinimumSize(420, 300);
}

void AssessmentChart::show(const RecordingAssessment& assessment) {
    a_ = assessment;
    update();
}

void AssessmentChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const QRectF plot = QRectF(rect()).adjusted(44, 12, -12, -30);
    p.setPen(Qt::black);
    p.drawRect(plot);
    // Load rate 0..130 % across, the last band holding everything above 120 %.
    auto x = [&](double loadPct) { return plot.left() + plot.width() * loadPct / 130.0; };
    double most = 0;
    for (double h : a_.loadBandHours)
        most = std::max(most, h);
    for (std::size_t b = 0; b < a_.loadBandHours.size() && most > 0; ++b) {
        const double mid = (b + 0.5) / 10.0;
        const QColor colour =
            a_.economics ? kZoneColours[int(ZoneOf(mid, *a_.economics))] : QColor(Qt::gray);
        const double h = plot.height() * a_.loadBandHours[b] / most;
        p.fillRect(QRectF(x(b * 10.0) + 1, plot.bottom() - h, x(10) - x(0) - 2, h), colour);
    }
    p.setFont(ChineseFont(8));
    for (int pct = 0; pct <= 120; pct += 20)
        p.drawText(QPointF(x(pct) - 8, plot.bottom() + 14), QString::number(pct));
    p.drawText(QPointF(plot.right() - 60, plot.bottom() + 26), QStringLiteral("负载率 %"));
    if (!a_.economics)
        return;
    // Efficiencies on 50..100 % up the plot.
    const MotorEconomics& e = *a_.economics;
    auto y = [&](double eff) {
        return plot.bottom() - plot.height() * std::clamp((eff - 50.0) / 50.0, 0.0, 1.0);
    };
    for (int eff = 50; eff <= 100; eff += 10)
        p.drawText(QPointF(plot.left() - 30, y(eff) + 4), QString::number(eff));
    for (const auto& [curve, colour] :
         {std::pair{&MotorEconomics::efficiency, QColor(Qt::blue)},
          std::pair{&MotorEconomics::comprehensiveEfficiency, QColor(Qt::black)}}) {
        QPainterPath path;
        for (int i = 1; i <= 240; ++i) {
            const double beta = i / 200.0;
            const QPointF pt(x(beta * 100), y((e.*curve)(beta)));
            i == 1 ? path.moveTo(pt) : path.lineTo(pt);
        }
        p.setPen(QPen(colour, 1.5));
        p.drawPath(path);
    }
    const std::tuple<double, QString, QColor> marks[] = {
        {e.betaJ * 100, QStringLiteral("βJ"), Qt::blue},
        {e.betaJJ * 100, QStringLiteral("βJJ"), Qt::black},
        {a_.meanLoadRate, QStringLiteral("平均"), Qt::darkGray}};
    for (const auto& [pct, name, colour] : marks) {
        p.setPen(QPen(colour, 1, Qt::DashLine));
        p.drawLine(QPointF(x(pct), plot.top()), QPointF(x(pct), plot.bottom()));
        p.drawText(QPointF(x(pct) + 3, plot.top() + 12), name);
    }
}

AssessmentWindow::AssessmentWindow(AppState& state, UiServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state), services_(services) {
    setObjectName(QStringLiteral("AssessmentWindow"));
    setWindowTitle(QStringLiteral("经济运行评估"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(ChineseFont(9));

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

    const AssessmentSettings settings = ReadAssessmentSettings(state_.dataDirectory);
    kq_ = new QLineEdit(PlainNumber(settings.KQ), this);
    hours_ = new QLineEdit(PlainNumber(settings.hoursPerYear), this);
    price_ = new QLineEdit(PlainNumber(settings.price), this);
    kq_->setToolTip(QStringLiteral("无功经济当量：每千乏无功功率在供电系统中引起的有功损耗，"
                                   "靠近发电厂约 0.02，经多级变压约 0.1"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("无功经济当量 KQ（kW/kvar）"), kq_);
    form->addRow(QStringLiteral("年运行时间（h）"), hours_);
    form->addRow(QStringLiteral("电价（元/kWh）"), price_);
    auto* recompute = new QPushButton(QStringLiteral("重新评估"), this);
    recompute->setObjectName(QStringLiteral("Command1"));
    auto* close = new QPushButton(QStringLiteral("关  闭"), this);
    close->setObjectName(QStringLiteral("Command2"));
    connect(recompute, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* right = new QVBoxLayout;
    right->addWidget(chart_, 1);
    right->addLayout(form);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(recompute);
    buttons->addWidget(close);
    right->addLayout(buttons);
    auto* top = new QHBoxLayout;
    top->addWidget(table_, 1);
    top->addLayout(right, 1);
    auto* whole = new QVBoxLayout(this);
    whole->addLayout(top, 1);
    whole->addWidget(verdict_);
    resize(900, 560);
}

bool AssessmentWindow::Command1_Click() {
    AssessmentSettings settings;
    const std::tuple<QLineEdit*, double*, const char*> boxes[] = {
        {kq_, &settings.KQ, "无功经济当量"},
        {hours_, &settings.hoursPerYear, "年运行时间"},
        {price_, &settings.price, "电价"}};
    for (const auto& [box, field, name] : boxes) {
        const BoxNumber n = ParseBoxNumber(box->text(), false, true);
        if (!n.ok) {
            services_.messages.message(this, kErrorTitle,
                                       QString::fromUtf8(name) + n.reason + QStringLiteral("。"));
            return false;
        }
        *field = n.value;
    }
    const AssessmentRun run =
        AssessRecording(state_.CurrentFileName(), state_.dataDirectory, settings);
    if (!run.error.isEmpty()) {
        services_.messages.message(this, kErrorTitle, run.error);
        return false;
    }
    if (const QString error = WriteAssessmentSettings(state_.dataDirectory, settings);
        !error.isEmpty())
        services_.messages.message(this, kErrorTitle, error);
    showAssessment(run);
    return true;
}

QString AssessmentWindow::verdict() const {
    return verdict_->text();
}

void AssessmentWindow::showAssessment(const AssessmentRun& run) {
    const RecordingAssessment& a = run.assessment;
    const double hours = double(run.recording.header.Duration) / 3600.0;
    QList<std::pair<QString, QString>> rows;
    auto group = [&](const char* title) { rows.append({QString::fromUtf8(title), QString()}); };
    auto add = [&](const QString& name, double v, const char* unit) {
        rows.append(
            {QStringLiteral("  ") + name, figure(v) + QLatin1Char(' ') + QString::fromUtf8(unit)});
    };
    auto addHours = [&](const QString& name, double h) {
        rows.append({QStringLiteral("  ") + name,
                     QStringLiteral("%1 h（%2%）")
                         .arg(figure(h), figure(hours > 0 ? 100 * h / hours : 0))});
    };
    if (a.economics) {
        const MotorEconomics& e = *a.economics;
        group("电动机经济运行参数");
        add(QStringLiteral("经济负载率 βJ"), 100 * e.betaJ, "%");
        add(QStringLiteral("综合经济负载率 βJJ"), 100 * e.betaJJ, "%");
        add(QStringLiteral("一般运行区下限 βJJ²"), 100 * e.betaJJ * e.betaJJ, "%");
        add(QStringLiteral("额定综合效率"), e.ratedComprehensiveEfficiency, "%");
    }
    group("运行时间");
    const char* const states[4] = {"正常运行", "输入低于空载功率", "发电状态", "无电机参数"};
    for (int s = 0; s < 4; ++s)
        addHours(QString::fromUtf8(states[s]), a.stateHours[std::size_t(s)]);
    if (a.economics)
        for (int z = 0; z < kOperatingZones; ++z)
            addHours(ZoneName(OperatingZone(z)), a.zoneHours[std::size_t(z)]);
    group("电量与效率");
    add(QStringLiteral("输入电量"), a.inputEnergy, "kWh");
    add(QStringLiteral("输出电量"), a.outputEnergy, "kWh");
    add(QStringLiteral("损耗电量"), a.lossEnergy, "kWh");
    add(QStringLiteral("无功电量"), a.reactiveEnergy, "kvarh");
    add(QStringLiteral("加权效率"), a.weightedEfficiency, "%");
    add(QStringLiteral("综合效率"), a.comprehensiveEfficiency, "%");
    add(QStringLiteral("平均负载率"), a.meanLoadRate, "%");
    group("节能潜力（年）");
    for (const Replacement& r : a.replacements) {
        add(QStringLiteral("更换为 %1 电动机").arg(r.cls), r.saving.annualKwh, "kWh");
        add(QStringLiteral("  节约电费"), r.saving.annualMoney, "元");
    }
    if (a.rightSize) {
        add(QStringLiteral("更换为 %1").arg(a.rightSize->model), a.rightSize->saving.annualKwh,
            "kWh");
        add(QStringLiteral("  节约电费"), a.rightSize->saving.annualMoney, "元");
    } else if (!a.rightSizeNote.isEmpty()) {
        rows.append({QStringLiteral("  合适容量"), a.rightSizeNote});
    }
    table_->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        table_->setItem(r, 0, new QTableWidgetItem(rows[r].first));
        table_->setItem(r, 1, new QTableWidgetItem(rows[r].second));
        if (rows[r].second.isEmpty()) {
            QFont bold = table_->font();
            bold.setBold(true);
            table_->item(r, 0)->setFont(bold);
        }
    }
    chart_->show(a);
    verdict_->setText(AssessmentVerdict(a, hours, run.recording.header.Motor[1]));
}

} // namespace zr5
