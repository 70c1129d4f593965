#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

#include "printing/painterprinter.h"
#include "printing/printjob.h"
#include "ui/slicerunner.h"

class QPrinter;
class QProgressDialog;
class QWidget;

namespace zr5 {

struct UiServices;

using JobFactory = std::function<std::unique_ptr<PrintJob>(Printer&)>;

// One output and the jobs printed into it, in order.
struct PrintTask {
    std::unique_ptr<ReportOutput> output;
    std::vector<JobFactory> jobs;
};

// Where jobs go: to the default printer, each a print job of its own; or, when no printer is
// installed and the user agrees, all into one PDF file the user names (pdfName offered). Empty
// when the user declined.
std::vector<PrintTask> PrintTasks(std::vector<JobFactory> jobs, bool printerInstalled,
                                  UiServices& services, QWidget* parent, const QString& caption,
                                  const QString& pdfName, const QString& pdfTitle);

// The back end on a printer: paper, one print job per output.
class PaperOutput final : public ReportOutput {
public:
    // The default printer.
    PaperOutput();
    explicit PaperOutput(QPrinter& printer);
    ~PaperOutput() override;
    Status open() override;
    Printer& printer() override { return *model_; }
    Printer& nextJob() override;
    Status commit() override;
    void cancel() override;

private:
    QString failure(const QString& reason) const;
    std::unique_ptr<QPrinter> owned_;
    QPrinter& printer_;
    QPainter painter_;
    std::unique_ptr<PainterPrinterDevice> device_;
    std::unique_ptr<Printer> model_;
};

// Runs print tasks one after the other, a slice at a time through the slice runner, so that the
// windows stay alive; a progress dialog with a cancel button shows once a run takes longer than
// half a second. Cancel ends the job cleanly: its output is abandoned.
class PrintRun final : public QObject {
    Q_OBJECT
public:
    PrintRun(QWidget* parent, std::vector<PrintTask> tasks);
    ~PrintRun() override;
    void start();
    void cancel();

    // Prints everything at once, without a timer (print preview).
    static Status printNow(ReportOutput& output, const std::vector<JobFactory>& jobs);

signals:
    // error is empty on success; cancelled when the user stopped the run.
    void finished(const QString& error, bool cancelled);

private:
    // One step of the current job, or the next job or output; false once the run has ended.
    bool slice();
    bool startJob();
    void end(const QString& error, bool cancelled);

    QWidget* parent_;
    std::vector<PrintTask> tasks_;
    std::size_t task_ = 0, job_ = 0;
    std::unique_ptr<PrintJob> current_;
    bool opened_ = false;
    SliceRunner runner_;
    QPointer<QProgressDialog> progress_;
};

// A window's 打  印 command: runs the tasks with `button` disabled until the run ends, then shows
// the error if there is one and calls `ended` (the window forgets the run, which deletes itself).
PrintRun* StartWindowPrint(QWidget* window, std::vector<PrintTask> tasks, QWidget* button,
                           UiServices& services, std::function<void()> ended);

} // namespace zr5
