#include "printing/printdialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

#include "ui/geometry.h"
#include "ui/services.h"

namespace zr5 {

namespace {

const QString kCaption = QStringLiteral("打印设置");

QGroupBox* frame(QWidget* parent, const char* caption, const char* tip, int top, int height) {
    auto* box = new QGroupBox(QString::fromUtf8(caption), parent);
    box->setGeometry(TwipsRect(120, top, 7215, height, parent));
    if (tip)
        box->setToolTip(QString::fromUtf8(tip));
    return box;
}

template <class W> W* place(W* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(TwipsRect(left, top, width, height, widget->parentWidget()));
    return widget;
}

} // namespace

PrintDialog::PrintDialog(AppState& state, UiServices& services, QWidget* parent)
    : QDialog(parent), state_(state), services_(services) {
    printerInstalled = [] { return !QPrinterInfo::availablePrinterNames().isEmpty(); };
    setObjectName(QStringLiteral("PrintDialog"));
    setWindowTitle(kCaption);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(TwipsToPixels(7470, this), TwipsToPixels(5580, this));
    buildControls();
    connectControls();
    Form_Load();
}

PrintDialog* PrintDialog::open(AppState& state, UiServices& services, QWidget* parent) {
    auto* dialog = new PrintDialog(state, services, parent);
    dialog->move(TwipsToPixels(1000, dialog), TwipsToPixels(1000, dialog));
    dialog->show();
    return dialog;
}

void PrintDialog::buildControls() {
    QGroupBox* org = frame(this, "使用单位：", nullptr, 120, 855);
    Text3 = place(new QLineEdit(QStringLiteral("×××公司"), org), "Text3", 240, 360, 6735, 315);
    QGroupBox* device =
        frame(this, "被测设备编号：", "被测设备名称，以便区分打印记录。", 1080, 855);
    Text4 = place(new QLineEdit(QStringLiteral("设001-001"), device), "Text4", 240, 360, 6735, 315);
    Text4->setToolTip(QStringLiteral("被测设备名称，以区分打印记录。"));
    QGroupBox* date =
        frame(this, "测试日期：", "默认值为所打印文件的最后修改日期（可更改）", 2040, 855);
    const int boxLefts[5] = {240, 1320, 2160, 4200, 5040};
    const int labelLefts[5] = {840, 1680, 2520, 4560, 5400};
    const char* units[5] = {"年", "月", "日", "时", "分"};
    for (int i = 0; i < 5; ++i) {
        Text5[i] = new QLineEdit(date);
        Text5[i]->setObjectName(QStringLiteral("Text5_%1").arg(i));
        Text5[i]->setGeometry(TwipsRect(boxLefts[i], 360, i == 0 ? 550 : 315, 315, date));
        auto* unit = new QLabel(QString::fromUtf8(units[i]), date);
        unit->setObjectName(QStringLiteral("Label3_%1").arg(i));
        unit->setGeometry(TwipsRect(labelLefts[i], 405, 255, 255, date));
    }
    QGroupBox* content = frame(this, "打印内容", nullptr, 3000, 1695);
    Check1 = place(new QCheckBox(QStringLiteral("工况运行曲线"), content), "Check1", 600, 480, 2055,
                   495);
    Check2 = place(new QCheckBox(QStringLiteral("数据"), content), "Check2", 600, 960, 1695, 495);
    Label2 = place(new QLabel(QStringLiteral("选定范围"), content), "Label2", 2400, 1125, 975, 255);
    Text1 = place(new QLineEdit(content), "Text1", 3360, 1120, 735, 270);
    Label1 = place(new QLabel(QStringLiteral("To"), content), "Label1", 4200, 1120, 255, 375);
    Text2 = place(new QLineEdit(content), "Text2", 4560, 1120, 735, 270);
    Command2 =
        place(new QPushButton(QStringLiteral("确  定"), this), "Command2", 1320, 4920, 1215, 495);
    Command3 =
        place(new QPushButton(QStringLiteral("预  览"), this), "Command3", 3000, 4920, 1215, 495);
    Command1 =
        place(new QPushButton(QStringLiteral("关  闭"), this), "Command1", 4680, 4920, 1215, 495);
    Command2->setDefault(true);
}

void PrintDialog::connectControls() {
    connect(Check2, &QCheckBox::clicked, this, &PrintDialog::Check2_Click);
    connect(Command2, &QPushButton::clicked, this, &PrintDialog::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &PrintDialog::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &PrintDialog::Command3_Click);
}

void PrintDialog::Form_Load() {
    const std::array<QString, 5> date =
        RecordingDateTexts(state_.CurrentFileName(), QDateTime::currentDateTime());
    for (int i = 0; i < 5; ++i)
        Text5[i]->setText(date[std::size_t(i)]);
    Text1->setText(QStringLiteral("1"));
    Text2->setText(QString::number(state_.RecordCount()));
    Check1->setChecked(false);
    Check2->setChecked(false);
    Check2_Click();
}

void PrintDialog::Check2_Click() {
    const bool on = Check2->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2),
                       static_cast<QWidget*>(Text1), static_cast<QWidget*>(Text2)})
        w->setEnabled(on);
}

void PrintDialog::Command1_Click() {
    close();
}

std::optional<std::vector<JobFactory>> PrintDialog::prepareJobs() {
    ReportHeading heading;
    heading.organisation = Text3->text();
    heading.DeviceNumber = Text4->text();
    for (int i = 0; i < 5; ++i)
        heading.date[std::size_t(i)] = Text5[i]->text();
    heading.fileName = state_.CurrentFileName();

    std::vector<JobFactory> jobs;
    if (!Check1->isChecked() && !Check2->isChecked())
        return jobs;
    Result<RecordingInfo> info = ReadRecordingInfo(state_.CurrentFileName());
    if (!info) {
        services_.messages.message(this, kErrorTitle, info.error());
        return std::nullopt;
    }
    const MotorParameters motor = info->header.motorParameters();
    std::optional<DataReportInput> data;
    if (Check2->isChecked()) {
        const Result<RowRange> range =
            ParsePrintRange(Text1->text(), Text2->text(), info->RecordCount);
        if (!range) {
            services_.messages.message(this, kErrorTitle, range.error());
            return std::nullopt;
        }
        data = DataReportInput{*info, motor, *range, heading};
    }
    if (Check1->isChecked()) {
        CurvePageInput curves;
        curves.recording = *info;
        curves.motor = motor;
        const Settings& s = state_.settings;
        curves.ctInUse = {s.RedCTInUse, s.BlueCTInUse, s.YellowCTInUse};
        curves.takeAnalysis(state_.analysis);
        curves.heading = heading;
        if (Status printable = CurvePageRefusal(curves); !printable) {
            services_.messages.message(this, kErrorTitle, printable.error());
            return std::nullopt;
        }
        jobs.push_back([curves](Printer& p) {
            auto job = std::make_unique<CurvePageJob>(p, curves);
            job->setStepRows(20000);
            return job;
        });
    }
    if (data)
        jobs.push_back([in = *data](Printer& p) { return std::make_unique<DataReportJob>(p, in); });
    return jobs;
}

QString PrintDialog::pdfFallbackName() const {
    const QFileInfo recording(state_.CurrentFileName());
    return recording.dir().filePath(recording.completeBaseName() + QStringLiteral(".pdf"));
}

void PrintDialog::Command2_Click() {
    if (run_)
        return;
    std::optional<std::vector<JobFactory>> jobs = prepareJobs();
    if (!jobs)
        return;
    if (jobs->empty()) {
        close();
        return;
    }
    std::vector<PrintTask> tasks =
        PrintTasks(std::move(*jobs), printerInstalled(), services_, this, kCaption,
                   pdfFallbackName(), QStringLiteral("工况运行曲线"));
    if (!tasks.empty())
        startRun(std::move(tasks));
}

void PrintDialog::startRun(std::vector<PrintTask> tasks) {
    run_ = new PrintRun(this, std::move(tasks));
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        w->setEnabled(false);
    connect(run_, &PrintRun::finished, this, &PrintDialog::runFinished);
    run_->start();
}

void PrintDialog::runFinished(const QString& error, bool cancelled) {
    run_->deleteLater();
    run_ = nullptr;
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        w->setEnabled(true);
    if (!error.isEmpty()) {
        services_.messages.message(this, kErrorTitle, error);
        return;
    }
    if (!cancelled)
        close();
}

void PrintDialog::Command3_Click() {
    std::optional<std::vector<JobFactory>> jobs = prepareJobs();
    if (!jobs || jobs->empty())
        return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(QStringLiteral("打印预览"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [&](QPrinter* target) {
        PaperOutput output(*target);
        if (Status printed = PrintRun::printNow(output, *jobs); !printed)
            services_.messages.message(this, kErrorTitle, printed.error());
    });
    preview.exec();
}

} // namespace zr5
