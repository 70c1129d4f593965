#include "printing/printrun.h"

#include <QPrinter>
#include <QProgressDialog>

#include "ui/services.h"

namespace zr5 {

namespace {
// How long one slice may keep the user interface waiting.
constexpr qint64 kSliceMs = 40;
} // namespace

std::vector<PrintTask> PrintTasks(std::vector<JobFactory> jobs, bool printerInstalled,
                                  UiServices& services, QWidget* parent, const QString& caption,
                                  const QString& pdfName, const QString& pdfTitle) {
    std::vector<PrintTask> tasks;
    if (printerInstalled) {
        for (JobFactory& job : jobs) {
            PrintTask task;
            task.output = std::make_unique<PaperOutput>();
            task.jobs.push_back(std::move(job));
            tasks.push_back(std::move(task));
        }
        return tasks;
    }
    if (!services.messages.question(
            parent, caption, QStringLiteral("没有安装打印机。是否将打印内容保存为 PDF 文件？")))
        return tasks;
    const std::optional<QString> path = services.files.saveFileNameFrom(
        parent, QStringLiteral("保存为 PDF 文件"), QStringLiteral("PDF 文件 (*.pdf)"),
        QStringLiteral("pdf"), pdfName);
    if (!path || path->isEmpty())
        return tasks;
    PrintTask task;
    task.output = std::make_unique<PdfOutput>(*path, pdfTitle);
    task.jobs = std::move(jobs);
    tasks.push_back(std::move(task));
    return tasks;
}

PaperOutput::PaperOutput()
    : owned_(std::make_unique<QPrinter>(QPrinter::HighResolution)), printer_(*owned_) {}

PaperOutput::PaperOutput(QPrinter& printer) : printer_(printer) {}

PaperOutput::~PaperOutput() {
    cancel();
}

QString PaperOutput::failure(const QString& reason) const {
    return QStringLiteral("打印机 %1 %2").arg(printer_.printerName(), reason);
}

Status PaperOutput::open() {
    if (!painter_.begin(&printer_))
        return Status::failure(failure(QStringLiteral("拒绝了打印作业。")));
    device_ = std::make_unique<PainterPrinterDevice>(painter_, printer_);
    model_ = std::make_unique<Printer>(*device_);
    return {};
}

Printer& PaperOutput::nextJob() {
    device_->newPage();
    model_ = std::make_unique<Printer>(*device_);
    return *model_;
}

Status PaperOutput::commit() {
    if (!painter_.isActive())
        return Status::failure(failure(QStringLiteral("没有开始打印。")));
    device_->flush();
    const bool ended = painter_.end();
    if (!ended || printer_.printerState() == QPrinter::Error)
        return Status::failure(failure(QStringLiteral("打印出错，打印作业没有完成。")));
    return {};
}

void PaperOutput::cancel() {
    if (!painter_.isActive())
        return;
    printer_.abort();
    painter_.end();
}

PrintRun::PrintRun(QWidget* parent, std::vector<PrintTask> tasks)
    : QObject(parent), parent_(parent), tasks_(std::move(tasks)) {
    runner_.setTurnTime(kSliceMs);
}

PrintRun::~PrintRun() {
    if (progress_)
        delete progress_;
}

void PrintRun::start() {
    progress_ = new QProgressDialog(QStringLiteral("正在打印……"), QStringLiteral("取  消"), 0, 100,
                                    parent_);
    progress_->setWindowTitle(QStringLiteral("打印"));
    // Not modal: a modal one would process events inside setValue, in the middle of a slice.
    progress_->setWindowModality(Qt::NonModal);
    progress_->setMinimumDuration(500);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    connect(progress_, &QProgressDialog::canceled, this, &PrintRun::cancel);
    progress_->setValue(0);
    runner_.start([this] { return slice(); });
}

void PrintRun::cancel() {
    if (!runner_.running())
        return;
    current_.reset();
    if (task_ < tasks_.size())
        tasks_[task_].output->cancel();
    end({}, true);
}

bool PrintRun::startJob() {
    PrintTask& task = tasks_[task_];
    if (!opened_) {
        if (Status opened = task.output->open(); !opened) {
            end(opened.error(), false);
            return false;
        }
        opened_ = true;
    }
    Printer& printer = job_ == 0 ? task.output->printer() : task.output->nextJob();
    current_ = task.jobs[job_](printer);
    return true;
}

bool PrintRun::slice() {
    if (task_ >= tasks_.size()) {
        end({}, false);
        return false;
    }
    if (!current_ && !startJob())
        return false;
    const bool more = current_->step();
    if (progress_ && current_->total() > 0)
        progress_->setValue(int(100 * current_->done() / current_->total()));
    if (more)
        return true;
    const QString error = current_->error();
    current_.reset();
    PrintTask& task = tasks_[task_];
    if (!error.isEmpty()) {
        task.output->cancel();
        end(error, false);
        return false;
    }
    if (++job_ < task.jobs.size())
        return true;
    if (const Status committed = task.output->commit(); !committed) {
        end(committed.error(), false);
        return false;
    }
    ++task_;
    job_ = 0;
    opened_ = false;
    return true;
}

void PrintRun::end(const QString& error, bool cancelled) {
    runner_.stop();
    if (progress_)
        progress_->deleteLater();
    emit finished(error, cancelled);
}

Status PrintRun::printNow(ReportOutput& output, const std::vector<JobFactory>& jobs) {
    if (Status opened = output.open(); !opened)
        return opened;
    for (std::size_t j = 0; j < jobs.size(); ++j) {
        std::unique_ptr<PrintJob> job = jobs[j](j == 0 ? output.printer() : output.nextJob());
        if (Status printed = RunToEnd(*job); !printed) {
            output.cancel();
            return printed;
        }
    }
    return output.commit();
}

PrintRun* StartWindowPrint(QWidget* window, std::vector<PrintTask> tasks, QWidget* button,
                           UiServices& services, std::function<void()> ended) {
    auto* run = new PrintRun(window, std::move(tasks));
    button->setEnabled(false);
    QObject::connect(run, &PrintRun::finished, window,
                     [run, window, button, &services, ended](const QString& error, bool) {
                         run->deleteLater();
                         ended();
                         button->setEnabled(true);
                         if (!error.isEmpty())
                             services.messages.message(window, kErrorTitle, error);
                     });
    run->start();
    return run;
}

} // namespace zr5
