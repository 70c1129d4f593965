#include "compare/comparisonwindow.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "compare/comparisonpicture.h"
#include "model/appstate.h"
#include "printing/printrun.h"
#include "ui/chinesefont.h"
#include "ui/services.h"

namespace zr5 {

ComparisonChartView::ComparisonChartView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(380, 260);
}

void ComparisonChartView::show(ComparisonChart chart) {
    chart_ = std::move(chart);
    update();
}

void ComparisonChartView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PaintComparisonChart(p, size(), 1440.0 / logicalDpiX(), chart_);
}

ComparisonWindow::ComparisonWindow(AppState& state, UiServices& services, QWidget* parent,
                                   Comparison comparison)
    : QWidget(parent, Qt::Window), state_(state), services_(services), c_(std::move(comparison)) {
    setObjectName(QStringLiteral("ComparisonWindow"));
    setWindowTitle(QStringLiteral("对比分析"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(ChineseFont(9));
    printerInstalled = [] { return !QPrinterInfo::availablePrinterNames().isEmpty(); };

    files_ = new QLabel(this);
    files_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    table_ = new QTableWidget(0, 5, this);
    table_->setObjectName(QStringLiteral("figures"));
    table_->setHorizontalHeaderLabels({QStringLiteral("项目"), QStringLiteral("改造前"),
                                       QStringLiteral("改造后"), QStringLiteral("差值"),
                                       QStringLiteral("变化")});
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(18);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    verdict_ = new QLabel(this);
    verdict_->setObjectName(QStringLiteral("verdict"));
    verdict_->setWordWrap(true);
    warnings_ = new QLabel(this);
    warnings_->setObjectName(QStringLiteral("warnings"));
    warnings_->setWordWrap(true);
    warnings_->setStyleSheet(QStringLiteral("color: #c00000"));
    for (ComparisonChartView*& chart : charts_)
        chart = new ComparisonChartView(this);

    auto* swap = new QPushButton(QStringLiteral("交  换"), this);
    swap->setObjectName(QStringLiteral("Command1"));
    swap->setToolTip(QStringLiteral("把改造前和改造后的记录对调"));
    print_ = new QPushButton(QStringLiteral("打  印"), this);
    print_->setObjectName(QStringLiteral("Command3"));
    auto* pictures = new QPushButton(QStringLiteral("导出图片"), this);
    pictures->setObjectName(QStringLiteral("Command4"));
    auto* menu = new QMenu(pictures);
    const QString names[] = {QStringLiteral("负荷持续曲线…"), QStringLiteral("效率与负载率…")};
    for (int k = 0; k < 2; ++k)
        connect(menu->addAction(names[k]), &QAction::triggered, this,
                [this, k] { exportPicture(k); });
    pictures->setMenu(menu);
    auto* close = new QPushButton(QStringLiteral("关  闭"), this);
    close->setObjectName(QStringLiteral("Command2"));
    connect(swap, &QPushButton::clicked, this, &ComparisonWindow::Command1_Click);
    connect(print_, &QPushButton::clicked, this, &ComparisonWindow::Command3_Click);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* charts = new QVBoxLayout;
    charts->addWidget(charts_[0], 1);
    charts->addWidget(charts_[1], 1);
    auto* top = new QHBoxLayout;
    top->addWidget(table_, 5);
    top->addLayout(charts, 6);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {swap, print_, pictures, close})
        buttons->addWidget(b);
    auto* whole = new QVBoxLayout(this);
    whole->addWidget(files_);
    whole->addLayout(top, 1);
    whole->addWidget(verdict_);
    whole->addWidget(warnings_);
    whole->addLayout(buttons);
    // Within a 1366 x 768 screen with its task bar and the window's frame.
    resize(1320, 680);
    showComparison();
}

ComparisonWindow* ComparisonWindow::open(AppState& state, UiServices& services, QWidget* parent) {
    const QString before = state.CurrentFileName();
    services.files.setStartFolder(QFileInfo(before).absolutePath());
    const std::optional<QString> after = services.files.openFileName(
        parent, QStringLiteral("选择改造后的记录"),
        QStringLiteral("记录文件 (*.MTR);;所有文件 (*)"), QStringLiteral("MTR"));
    if (!after)
        return nullptr;
    // A damaged "Assess.dat" gives the defaults, as the assessment window says.
    const AssessmentSettings settings = ReadAssessmentSettings(state.dataDirectory).value;
    Result<Comparison> c = CompareRecordingFiles(before, *after, state.dataDirectory, settings);
    if (!c) {
        services.messages.message(parent, kErrorTitle, c.error());
        return nullptr;
    }
    auto* w = new ComparisonWindow(state, services, parent, std::move(*c));
    w->show();
    return w;
}

void ComparisonWindow::showComparison() {
    files_->setText(QStringLiteral("改造前：%1\n改造后：%2")
                        .arg(QDir::toNativeSeparators(c_.before.run.recording.path),
                             QDir::toNativeSeparators(c_.after.run.recording.path)));
    const std::vector<ComparisonRow> rows = ComparisonRows(c_);
    table_->setRowCount(int(rows.size()));
    QFont bold = table_->font();
    bold.setBold(true);
    for (int r = 0; r < int(rows.size()); ++r) {
        const ComparisonRow& row = rows[std::size_t(r)];
        const QString name = row.isGroup() || row.unit.isEmpty()
                                 ? row.label
                                 : QStringLiteral("%1（%2）").arg(row.label, row.unit);
        table_->setItem(r, 0,
                        new QTableWidgetItem(row.isGroup() ? name : QStringLiteral("  ") + name));
        const QStringList values = ComparisonRowTexts(row);
        for (int k = 0; k < 4; ++k) {
            auto* item = new QTableWidgetItem(values[k]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(r, k + 1, item);
        }
        if (row.isGroup())
            table_->item(r, 0)->setFont(bold);
    }
    verdict_->setText(QStringLiteral("结论：") + ComparisonVerdict(c_));
    warnings_->setText(c_.warnings.isEmpty() ? QString()
                                             : QStringLiteral("提示：") +
                                                   c_.warnings.join(QStringLiteral("\n提示：")));
    warnings_->setVisible(!c_.warnings.isEmpty());
    charts_[0]->show(LoadDurationChart(c_));
    charts_[1]->show(EfficiencyChart(c_));
}

void ComparisonWindow::Command1_Click() {
    c_ = CompareRecordings(std::move(c_.after), std::move(c_.before), c_.settings);
    showComparison();
}

void ComparisonWindow::Command3_Click() {
    if (run_)
        return;
    const QFileInfo before(c_.before.run.recording.path);
    std::vector<PrintTask> tasks =
        PrintTasks({[c = c_](Printer& p) { return std::make_unique<ComparisonPageJob>(p, c); }},
                   printerInstalled(), services_, this, windowTitle(),
                   before.dir().filePath(before.completeBaseName() + QStringLiteral("-对比.pdf")),
                   windowTitle());
    if (tasks.empty())
        return;
    run_ = StartWindowPrint(this, std::move(tasks), print_, services_, [this] { run_ = nullptr; });
}

void ComparisonWindow::exportPicture(int k) {
    const QFileInfo before(c_.before.run.recording.path);
    const ComparisonChart& chart = charts_[k]->chart();
    services_.files.setStartFolder(before.absolutePath());
    const std::optional<QString> path = services_.files.saveFileNameFrom(
        this, QStringLiteral("保存图片"), QStringLiteral("PNG 图片 (*.png);;SVG 图片 (*.svg)"),
        QStringLiteral("png"),
        before.dir().filePath(before.completeBaseName() + QLatin1Char('-') + chart.title +
                              QStringLiteral(".png")));
    if (!path)
        return;
    if (Status saved = SaveComparisonChart(chart, *path); !saved)
        services_.messages.message(this, kErrorTitle, saved.error());
}

QString ComparisonWindow::verdict() const {
    return verdict_->text();
}

QString ComparisonWindow::warnings() const {
    return warnings_->text();
}

} // namespace zr5
