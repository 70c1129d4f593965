#include "survey/surveywindow.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>

#include "assessment/assessment.h"
#include "compare/comparisonwindow.h"
#include "model/appstate.h"
#include "printing/printrun.h"
#include "survey/surveychart.h"
#include "survey/surveystore.h"
#include "ui/chinesefont.h"
#include "ui/services.h"

namespace zr5 {

namespace {

const QString kTitle = QStringLiteral("测试汇总");
const QString kSurveyFilter = QStringLiteral("测试汇总 (*.zr5survey);;所有文件 (*)");

QTableView* MakeTable(QWidget* parent, QAbstractItemModel* model) {
    auto* v = new QTableView(parent);
    v->setModel(model);
    v->verticalHeader()->hide();
    v->verticalHeader()->setDefaultSectionSize(18);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    v->setSelectionBehavior(QAbstractItemView::SelectRows);
    v->setSelectionMode(QAbstractItemView::SingleSelection);
    v->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return v;
}

} // namespace

SurveyWindow::SurveyWindow(AppState& state, UiServices& services, QWidget* parent,
                           RecordingOpener opener)
    : QWidget(parent, Qt::Window), state_(state), services_(services), opener_(std::move(opener)),
      report_(std::make_shared<SurveyReport>()) {
    setObjectName(QStringLiteral("SurveyWindow"));
    setWindowTitle(kTitle);
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(ChineseFont(9));
    printerInstalled = [] { return !QPrinterInfo::availablePrinterNames().isEmpty(); };

    const char* const captions[] = {"新建…",  "打开…",  "添加记录…", "添加文件夹…", "评  估",
                                    "取  消", "打  印", "导出 PDF…", "导出 Excel…", "对比…"};
    for (int k = 0; k < 10; ++k) {
        auto* b = new QPushButton(QString::fromUtf8(captions[k]), this);
        b->setObjectName(QStringLiteral("Command%1").arg(k + 1));
        buttons_.push_back(b);
    }
    buttons_[9]->setToolTip(QStringLiteral("选中电机的第一个记录和最后一个记录对比"));
    auto* close = new QPushButton(QStringLiteral("关  闭"), this);
    close->setObjectName(QStringLiteral("Command11"));

    title_ = new QLabel(this);
    title_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    plantBox_ = new QLineEdit(this);
    plantBox_->setObjectName(QStringLiteral("plant"));
    departmentBox_ = new QLineEdit(this);
    departmentBox_->setObjectName(QStringLiteral("department"));
    for (QLineEdit* e : {plantBox_, departmentBox_}) {
        e->setPlaceholderText(QStringLiteral("默认"));
        e->setMaximumWidth(140);
    }
    department_ = new QComboBox(this);
    department_->setObjectName(QStringLiteral("departmentFilter"));
    department_->setMinimumContentsLength(10);
    tagFilter_ = new QLineEdit(this);
    tagFilter_->setObjectName(QStringLiteral("tagFilter"));
    tagFilter_->setPlaceholderText(QStringLiteral("电机位号含…"));
    tagFilter_->setMaximumWidth(160);
    progress_ = new QProgressBar(this);
    progress_->setMaximumWidth(220);
    progress_->hide();

    filter_.setSourceModel(&motors_);
    view_ = MakeTable(this, &filter_);
    view_->setObjectName(QStringLiteral("motors"));
    view_->setSortingEnabled(true);
    view_->sortByColumn(SurveyMotorModel::Rank, Qt::AscendingOrder);
    totalsView_ = MakeTable(this, &totals_);
    totalsView_->setObjectName(QStringLiteral("totals"));
    totalsView_->setMaximumHeight(170);
    chart_ = new ComparisonChartView(this);

    for (int k = 0; k < 10; ++k) {
        static void (SurveyWindow::*const handlers[])() = {
            &SurveyWindow::Command1_Click, &SurveyWindow::Command2_Click,
            &SurveyWindow::Command3_Click, &SurveyWindow::Command4_Click,
            &SurveyWindow::Command5_Click, &SurveyWindow::Command6_Click,
            &SurveyWindow::Command7_Click, &SurveyWindow::Command8_Click,
            &SurveyWindow::Command9_Click, &SurveyWindow::Command10_Click};
        connect(buttons_[std::size_t(k)], &QPushButton::clicked, this, handlers[k]);
    }
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(view_, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { openMotor(index.row()); });
    connect(department_, &QComboBox::currentIndexChanged, this,
            [this] { filter_.setDepartment(department_->currentData().toString()); });
    connect(tagFilter_, &QLineEdit::textChanged, this,
            [this](const QString& text) { filter_.setTagText(text); });

    auto* file = new QHBoxLayout;
    for (int k = 0; k < 4; ++k)
        file->addWidget(buttons_[std::size_t(k)]);
    file->addWidget(new QLabel(QStringLiteral("工厂"), this));
    file->addWidget(plantBox_);
    file->addWidget(new QLabel(QStringLiteral("部门"), this));
    file->addWidget(departmentBox_);
    file->addStretch();
    auto* work = new QHBoxLayout;
    work->addWidget(new QLabel(QStringLiteral("显示"), this));
    work->addWidget(department_);
    work->addWidget(tagFilter_);
    work->addSpacing(20);
    work->addWidget(buttons_[4]);
    work->addWidget(buttons_[5]);
    work->addWidget(progress_);
    work->addWidget(status_, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(chart_, 1);
    right->addWidget(totalsView_);
    auto* middle = new QHBoxLayout;
    middle->addWidget(view_, 3);
    middle->addLayout(right, 2);
    auto* end = new QHBoxLayout;
    end->addStretch();
    for (int k : {9, 6, 7, 8})
        end->addWidget(buttons_[std::size_t(k)]);
    end->addWidget(close);
    auto* whole = new QVBoxLayout(this);
    whole->addWidget(title_);
    whole->addLayout(file);
    whole->addLayout(work);
    whole->addLayout(middle, 1);
    whole->addLayout(end);
    // Within a 1366 x 768 screen with its task bar and the window's frame.
    resize(1320, 680);
    status_->setText(QStringLiteral("请新建或打开一个测试汇总。"));
    refresh();
}

SurveyWindow::~SurveyWindow() {
    // The worker's connection and its transaction end with it: a cancelled run keeps what it
    // finished.
    cancel_.store(true);
    if (worker_.joinable())
        worker_.join();
}

QString SurveyWindow::status() const {
    return status_->text();
}

void SurveyWindow::Command1_Click() {
    if (!state_.dataDirectory.root().isEmpty() && services_.files.startFolder().isEmpty())
        services_.files.setStartFolder(state_.dataDirectory.root());
    const std::optional<QString> path = services_.files.saveFileName(
        this, QStringLiteral("新建测试汇总"), kSurveyFilter, QStringLiteral("zr5survey"));
    // An existing survey named here is opened as it is, never emptied.
    if (path && !path->isEmpty())
        openSurvey(*path, SurveyDatabase::Open::CreateIfMissing);
}

void SurveyWindow::Command2_Click() {
    const std::optional<QString> path = services_.files.openFileName(
        this, QStringLiteral("打开测试汇总"), kSurveyFilter, QStringLiteral("zr5survey"));
    if (path && !path->isEmpty())
        openSurvey(*path, SurveyDatabase::Open::Existing);
}

bool SurveyWindow::openSurvey(const QString& location, SurveyDatabase::Open mode) {
    if (working())
        return false;
    Result<std::unique_ptr<SurveyDatabase>> s = SurveyDatabase::open(location, mode);
    if (!s) {
        services_.messages.message(this, kErrorTitle, s.error());
        return false;
    }
    survey_ = std::move(*s);
    location_ = location;
    if (!survey_->postgres())
        services_.files.setStartFolder(QFileInfo(location).absolutePath());
    status_->setText(QString());
    refresh();
    return true;
}

void SurveyWindow::Command3_Click() {
    const std::optional<QString> path = services_.files.openFileName(
        this, QStringLiteral("添加记录"), QStringLiteral("记录文件 (*.MTR);;所有文件 (*)"),
        QStringLiteral("MTR"));
    if (path && !path->isEmpty())
        add({*path});
}

void SurveyWindow::Command4_Click() {
    const std::optional<QString> folder =
        services_.files.folderName(this, QStringLiteral("添加文件夹"));
    if (folder && !folder->isEmpty())
        add({*folder});
}

void SurveyWindow::add(const QStringList& paths) {
    const ImportOptions options{plantBox_->text().trimmed(), departmentBox_->text().trimmed(),
                                QString()};
    startWork([paths, options](SurveyDatabase& db) {
        Outcome o;
        const auto [files, problems] = FindRecordings(paths);
        const Result<ImportOutcome> out = ImportRecordings(db, files, options);
        if (!out) {
            o.error = out.error();
            return o;
        }
        const SurveyRunText t = ImportText(*out, problems);
        o.problems = t.problems;
        o.summary = t.summary;
        return o;
    });
}

void SurveyWindow::Command5_Click() {
    SurveyAssessOptions options;
    // A damaged "Assess.dat" gives the defaults, as the assessment window says.
    options.settings = ReadAssessmentSettings(state_.dataDirectory).value;
    options.jobs = QThread::idealThreadCount();
    options.cancel = &cancel_;
    // Called on the worker; the window shows it when its events come round.
    options.progress = [this, hook = workerProgress](int done, int total) {
        if (hook)
            hook(done, total);
        QMetaObject::invokeMethod(
            this,
            [this, done, total] {
                progress_->setRange(0, total);
                progress_->setValue(done);
                status_->setText(QStringLiteral("评估 %1/%2").arg(done).arg(total));
            },
            Qt::QueuedConnection);
    };
    const DataDirectory data = state_.dataDirectory;
    startWork([options, data](SurveyDatabase& db) {
        Outcome o;
        const Result<SurveyAssessOutcome> out = AssessSurvey(db, data, options);
        if (!out) {
            o.error = out.error();
            return o;
        }
        const SurveyRunText t = AssessText(*out);
        o.problems = t.problems;
        o.summary = t.summary;
        return o;
    });
}

void SurveyWindow::Command6_Click() {
    cancel_.store(true);
}

void SurveyWindow::startWork(Work work) {
    if (!survey_ || working())
        return;
    cancel_.store(false);
    progress_->setRange(0, 0);
    progress_->show();
    status_->setText(QStringLiteral("正在处理…"));
    // Qt SQL connections belong to the thread that made them: the worker opens its own.
    worker_ = std::thread([this, location = location_, work = std::move(work)] {
        Outcome o;
        {
            Result<std::unique_ptr<SurveyDatabase>> db =
                SurveyDatabase::open(location, SurveyDatabase::Open::Existing);
            if (db)
                o = work(**db);
            else
                o.error = db.error();
        }
        QMetaObject::invokeMethod(
            this, [this, o] { workDone(o); }, Qt::QueuedConnection);
    });
    showState();
}

void SurveyWindow::workDone(const Outcome& o) {
    worker_.join();
    progress_->hide();
    refresh();
    status_->setText(o.error.isEmpty() ? o.summary : o.error);
    status_->setToolTip(o.problems.join(QLatin1Char('\n')));
    if (!o.error.isEmpty())
        services_.messages.message(this, kErrorTitle, o.error);
    else if (!o.problems.isEmpty())
        services_.messages.message(
            this, kTitle, o.summary + QLatin1Char('\n') + o.problems.join(QLatin1Char('\n')));
    emit workFinished();
}

void SurveyWindow::refresh() {
    if (survey_) {
        Result<SurveyReport> r = BuildSurveyReport(*survey_);
        if (r)
            report_ = std::make_shared<SurveyReport>(std::move(*r));
        else
            services_.messages.message(this, kErrorTitle, r.error());
    }
    motors_.setReport(*report_);
    totals_.setReport(*report_);
    chart_->show(ParetoChart(*report_));
    // The department shown stays chosen when it still exists.
    const QString shown = department_->currentData().toString();
    const QSignalBlocker quiet(department_);
    department_->clear();
    department_->addItem(QStringLiteral("全部部门"), QString());
    QStringList names;
    for (const SurveyTotals& d : report_->departments)
        if (!names.contains(d.name))
            names << d.name;
    for (const QString& n : names)
        department_->addItem(n, n);
    department_->setCurrentIndex(std::max(0, department_->findData(shown)));
    filter_.setDepartment(department_->currentData().toString());
    title_->setText(survey_ ? QStringLiteral("测试汇总：%1（%2 台电机）")
                                  .arg(QDir::toNativeSeparators(survey_->shown()))
                                  .arg(report_->motors.size())
                            : QStringLiteral("测试汇总：未打开"));
    showState();
}

void SurveyWindow::showState() {
    const bool ready = survey_ && !working();
    buttons_[0]->setEnabled(!working());
    buttons_[1]->setEnabled(!working());
    for (int k : {2, 3, 4, 8, 9})
        buttons_[std::size_t(k)]->setEnabled(ready);
    for (int k : {6, 7})
        buttons_[std::size_t(k)]->setEnabled(ready && !run_);
    buttons_[5]->setEnabled(working());
}

const SurveyMotorLine* SurveyWindow::motorAt(int row) const {
    const QModelIndex source = filter_.mapToSource(filter_.index(row, 0));
    return source.isValid() ? &motors_.motor(source.row()) : nullptr;
}

std::optional<std::vector<SurveyMotorRecording>>
SurveyWindow::recordingsAt(int row, const SurveyMotorLine*& motor) {
    motor = motorAt(row);
    if (!motor || !survey_)
        return std::nullopt;
    auto recordings = MotorRecordings(*survey_, motor->plant, motor->department, motor->tag);
    if (!recordings) {
        services_.messages.message(this, kErrorTitle, recordings.error());
        return std::nullopt;
    }
    return std::move(*recordings);
}

void SurveyWindow::openMotor(int row) {
    const SurveyMotorLine* m = nullptr;
    const auto recordings = recordingsAt(row, m);
    if (!recordings)
        return;
    if (recordings->empty()) {
        services_.messages.message(this, kErrorTitle,
                                   QStringLiteral("电机 %1 没有记录。").arg(m->tag));
        return;
    }
    // The opener refuses a file that is gone, as it refuses one during a reception.
    opener_(recordings->back().path);
}

void SurveyWindow::Command10_Click() {
    const SurveyMotorLine* m = nullptr;
    const auto recordings = recordingsAt(view_->currentIndex().row(), m);
    if (!recordings)
        return;
    QStringList present;
    for (const SurveyMotorRecording& r : *recordings)
        if (QFileInfo(r.path).isFile())
            present << r.path;
    if (present.size() < 2) {
        services_.messages.message(this, kErrorTitle,
                                   QStringLiteral("电机 %1 没有两个可对比的记录。").arg(m->tag));
        return;
    }
    const AssessmentSettings settings = ReadAssessmentSettings(state_.dataDirectory).value;
    Result<Comparison> c =
        CompareRecordingFiles(present.first(), present.last(), state_.dataDirectory, settings);
    if (!c) {
        services_.messages.message(this, kErrorTitle, c.error());
        return;
    }
    auto* w = new ComparisonWindow(state_, services_, this, std::move(*c));
    w->show();
}

QString SurveyWindow::exportName(const QString& suffix) const {
    if (survey_ && !survey_->postgres()) {
        const QFileInfo f(location_);
        return f.dir().filePath(f.completeBaseName() + suffix);
    }
    return QDir(state_.dataDirectory.root()).filePath(kTitle + suffix);
}

void SurveyWindow::Command7_Click() {
    print(false);
}

void SurveyWindow::Command8_Click() {
    print(true);
}

void SurveyWindow::print(bool pdf) {
    if (run_ || !survey_)
        return;
    const QString title = QStringLiteral("电动机测试汇总");
    // The run keeps the report it prints, whatever the window shows meanwhile.
    std::vector<JobFactory> jobs = {
        [r = report_](Printer& p) { return std::make_unique<SurveyReportJob>(p, *r); }};
    std::vector<PrintTask> tasks;
    if (pdf) {
        const std::optional<QString> path = services_.files.saveFileNameFrom(
            this, QStringLiteral("保存为 PDF 文件"), QStringLiteral("PDF 文件 (*.pdf)"),
            QStringLiteral("pdf"), exportName(QStringLiteral(".pdf")));
        if (!path || path->isEmpty())
            return;
        PrintTask task;
        task.output = std::make_unique<PdfOutput>(*path, title);
        task.jobs = std::move(jobs);
        tasks.push_back(std::move(task));
    } else {
        tasks = PrintTasks(std::move(jobs), printerInstalled(), services_, this, windowTitle(),
                           exportName(QStringLiteral(".pdf")), title);
    }
    if (tasks.empty())
        return;
    QPushButton* button = buttons_[pdf ? 7 : 6];
    run_ = StartWindowPrint(this, std::move(tasks), button, services_, [this] {
        run_ = nullptr;
        showState();
    });
    showState();
}

void SurveyWindow::Command9_Click() {
    if (!survey_)
        return;
    const std::optional<QString> path = services_.files.saveFileNameFrom(
        this, QStringLiteral("保存 Excel 工作簿"), QStringLiteral("Excel 工作簿 (*.xlsx)"),
        QStringLiteral("xlsx"), exportName(QStringLiteral(".xlsx")));
    if (!path || path->isEmpty())
        return;
    if (const Status s = WriteSurveyWorkbook(*report_, *path); !s)
        services_.messages.message(this, kErrorTitle, s.error());
}

} // namespace zr5
