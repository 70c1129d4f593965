#include "analysiswindow/curveexport.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>

#include "analysis/analysisview.h"
#include "analysis/csvtable.h"
#include "analysiswindow/analysiscontrols.h"
#include "analysiswindow/curvesurface.h"
#include "model/numbertext.h"
#include "recording/outputfile.h"
#include "recording/recordingfile.h"
#include "ui/services.h"
#include "ui/slicerunner.h"
#include "workbook/recordingworkbook.h"

namespace zr5 {

namespace {

QRect pictureArea(const AnalysisControls& c) {
    return c.cumulativeFrame->geometry().united(c.segmentedFrame->geometry());
}

// Paints both frames as the window shows them, the surfaces from their drawing commands; the
// "全程" button is no part of the picture.
void paintFrames(const AnalysisControls& c, QPainter& p) {
    const QRect area = pictureArea(c);
    p.fillRect(QRect(QPoint(0, 0), area.size()),
               c.cumulativeFrame->palette().color(QPalette::Window));
    const bool wholeShown = c.Command5->isVisible();
    c.Command5->hide();
    {
        const CurveSurface::ExportPainting sharp;
        for (QGroupBox* frame : {c.cumulativeFrame, c.segmentedFrame})
            frame->render(&p, frame->geometry().topLeft() - area.topLeft(), QRegion(),
                          QWidget::DrawChildren);
    }
    c.Command5->setVisible(wholeShown);
}

} // namespace

QSize CurvePictureSize(const AnalysisControls& c) {
    return pictureArea(c).size();
}

Status SaveCurvePicture(const AnalysisControls& c, const QString& path) {
    const std::optional<PictureFormat> format = PictureFormatOf(path);
    if (!format)
        return Status::failure(QStringLiteral("曲线图片只能保存为 PNG 或 SVG 文件：%1").arg(path));
    const QByteArray bytes = EncodePicture(*format, CurvePictureSize(c), c.cumulativeFrame->title(),
                                           [&c](QPainter& p) { paintFrames(c, p); });
    if (bytes.isEmpty())
        return Status::failure(QStringLiteral("无法生成曲线图片：%1").arg(path));
    if (Status written = WriteWholeFile(path, bytes); !written)
        return Status::failure(
            QStringLiteral("无法保存曲线图片 %1：%2").arg(path, written.error()));
    return {};
}

QString KindPictureName(const QString& recording, int kind, PictureFormat format) {
    return QFileInfo(recording).completeBaseName() + QLatin1Char('_') + CurveQuantity(kind) +
           (format == PictureFormat::Png ? QStringLiteral(".png") : QStringLiteral(".svg"));
}

namespace {

const QString kExportTitle = QStringLiteral("导出");

std::unique_ptr<QProgressDialog> progressDialog(QWidget* window, const QString& text, int maximum) {
    auto dialog =
        std::make_unique<QProgressDialog>(text, QStringLiteral("取 消"), 0, maximum, window);
    dialog->setWindowTitle(kExportTitle);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(300);
    return dialog;
}

// Long export work a step at a time through the slice runner, so that the window stays alive
// without an event loop inside the export; the progress dialog's cancel drops the unfinished file.
// Owned by the window until the work is done, given up or the window closes.
class ExportJob : public QObject {
public:
    ExportJob(QWidget* window, UiServices& services, const QString& text)
        : QObject(window), window_(window), services_(services), text_(text) {
        setObjectName(QStringLiteral("exportJob"));
    }

    // With firstTurnNow a short job is done before start returns.
    void start(bool firstTurnNow, qint64 turnMs) {
        // Not modal: a modal one would run the event loop inside setValue.
        progress_ = new QProgressDialog(text_, QStringLiteral("取 消"), 0, 1000, window_);
        progress_->setWindowTitle(kExportTitle);
        progress_->setMinimumDuration(300);
        progress_->setAutoClose(false);
        progress_->setAutoReset(false);
        connect(progress_, &QProgressDialog::canceled, &runner_, &SliceRunner::cancel);
        connect(&runner_, &SliceRunner::progressed, this, [this] {
            progress_->setValue(int(1000.0 * fraction()));
            if (const QString text = stage(); !text.isEmpty())
                progress_->setLabelText(text);
        });
        connect(&runner_, &SliceRunner::finished, this, &ExportJob::end);
        runner_.setTurnTime(turnMs);
        runner_.start([this] { return step(); }, firstTurnNow);
    }

protected:
    virtual bool step() = 0;
    virtual double fraction() const = 0;
    // What the dialog says now, when it says something new.
    virtual QString stage() const { return {}; }
    // After the last step: why the file could not be written, or nothing.
    virtual QString finish() = 0;

private:
    void end(bool cancelled) {
        progress_->deleteLater();
        deleteLater();
        if (cancelled)
            return; // the unfinished file is dropped with the job
        if (const QString error = finish(); !error.isEmpty())
            services_.messages.message(window_, kErrorTitle, error);
    }

    QWidget* window_;
    UiServices& services_;
    QString text_;
    SliceRunner runner_;
    QProgressDialog* progress_ = nullptr; // a child of the window
};

double Fraction(qint64 done, qint64 total) {
    return double(done) / double(std::max<qint64>(total, 1));
}

class CsvExportJob final : public ExportJob {
public:
    CsvExportJob(QWidget* window, UiServices& services, QString path,
                 std::unique_ptr<OutputFile> out, const RecordingInfo& recording, qint64 firstRow,
                 qint64 lastRow)
        : ExportJob(window, services, QStringLiteral("正在导出数据表格…")), path_(std::move(path)),
          out_(std::move(out)),
          table_(recording, firstRow, lastRow, [this](const std::string& block) {
              return out_->write(block.data(), qint64(block.size()));
          }) {}

private:
    bool step() override { return table_.step(); }
    double fraction() const override { return Fraction(table_.done(), table_.total()); }
    QString finish() override {
        const CsvTableOutcome& outcome = table_.outcome();
        if (outcome.status == CsvTableOutcome::ReadFailed)
            return outcome.error;
        if (outcome.status == CsvTableOutcome::WriteFailed || !out_->commit())
            return QStringLiteral("写入数据表格 %1 出错：%2").arg(path_, out_->error());
        return {};
    }

    QString path_;
    std::unique_ptr<OutputFile> out_;
    CsvTableWriter table_;
};

class WorkbookExportJob final : public ExportJob {
public:
    WorkbookExportJob(QWidget* window, UiServices& services, const QString& path,
                      const RecordingInfo& recording, qint64 firstRow, qint64 lastRow)
        : ExportJob(window, services, QStringLiteral("正在导出 Excel 工作簿…")),
          writer_(recording, path, [&] {
              RecordingWorkbookOptions options;
              options.firstRow = firstRow;
              options.lastRow = lastRow;
              return options;
          }()) {}

private:
    bool step() override { return writer_.step(); }
    double fraction() const override { return Fraction(writer_.done(), writer_.total()); }
    QString stage() const override {
        // The last step compresses the sheets, with no progress of its own.
        return writer_.completing() ? QStringLiteral("正在压缩工作簿…") : QString();
    }
    QString finish() override { return writer_.outcome().status.error(); }

    RecordingWorkbookWriter writer_;
};

} // namespace

void ExportCurvePicture(QWidget* window, UiServices& services, const AnalysisControls& controls,
                        const QString& recording, int kind) {
    services.files.setStartFolder(QFileInfo(recording).absolutePath());
    const std::optional<QString> path = services.files.saveFileNameFrom(
        window, QStringLiteral("保存曲线图片"),
        QStringLiteral("PNG 图片 (*.png);;SVG 图片 (*.svg)"), QStringLiteral("png"),
        QFileInfo(recording).absoluteDir().filePath(
            KindPictureName(recording, kind, PictureFormat::Png)));
    if (!path)
        return;
    if (Status saved = SaveCurvePicture(controls, *path); !saved)
        services.messages.message(window, kErrorTitle, saved.error());
}

void ExportAllCurvePictures(QWidget* window, UiServices& services, const AnalysisControls& controls,
                            const QString& recording, int shownKind,
                            const std::function<QString(int)>& showKind) {
    services.files.setStartFolder(QFileInfo(recording).absolutePath());
    const std::optional<QString> folder =
        services.files.folderName(window, QStringLiteral("选择保存全部曲线图片的文件夹"));
    if (!folder)
        return;
    const QDir dir(*folder);
    QStringList existing;
    for (int k = 0; k < kCurveKinds; ++k)
        if (QFileInfo::exists(dir.filePath(KindPictureName(recording, k, PictureFormat::Png))))
            existing << KindPictureName(recording, k, PictureFormat::Png);
    if (!existing.isEmpty() && !services.messages.question(
                                   window, kExportTitle,
                                   QStringLiteral("文件夹中已有 %1 个同名图片（%2 等），是否替换？")
                                       .arg(existing.size())
                                       .arg(existing.first())))
        return;
    const auto progress =
        progressDialog(window, QStringLiteral("正在保存全部曲线图片…"), kCurveKinds);
    QString error;
    int saved = 0;
    for (int k = 0; k < kCurveKinds && error.isEmpty(); ++k) {
        progress->setValue(k);
        if (progress->wasCanceled())
            break;
        error = showKind(k);
        if (error.isEmpty())
            error = SaveCurvePicture(
                        controls, dir.filePath(KindPictureName(recording, k, PictureFormat::Png)))
                        .error();
        if (error.isEmpty())
            ++saved;
    }
    progress->setValue(kCurveKinds);
    if (QString e = showKind(shownKind); error.isEmpty())
        error = e;
    if (!error.isEmpty())
        services.messages.message(window, kErrorTitle,
                                  error + QStringLiteral("\n已保存 %1 个图片。").arg(saved));
}

namespace {

// Where the user saves the table of rows firstRow..lastRow, offered beside the recording.
std::optional<QString> AskTablePath(QWidget* window, UiServices& services,
                                    const RecordingInfo& info, qint64 firstRow, qint64 lastRow,
                                    const QString& title, const QString& filter,
                                    const QString& suffix) {
    services.files.setStartFolder(QFileInfo(info.path).absolutePath());
    return services.files.saveFileNameFrom(window, title, filter, suffix,
                                           CsvTableFileName(info.path, firstRow, lastRow,
                                                            info.RecordCount,
                                                            QLatin1Char('.') + suffix));
}

} // namespace

void ExportCsvTable(QWidget* window, UiServices& services, const RecordingInfo& info,
                    qint64 firstRow, qint64 lastRow) {
    const std::optional<QString> path =
        AskTablePath(window, services, info, firstRow, lastRow, QStringLiteral("保存数据表格"),
                     QStringLiteral("CSV 表格 (*.csv)"), QStringLiteral("csv"));
    if (!path)
        return;
    auto out = std::make_unique<OutputFile>(*path);
    if (!out->open()) {
        services.messages.message(
            window, kErrorTitle,
            QStringLiteral("无法创建数据表格 %1：%2").arg(*path, out->error()));
        return;
    }
    auto* job = new CsvExportJob(window, services, *path, std::move(out), info, firstRow, lastRow);
    // A short table is written at once.
    job->start(true, 100);
}

void ExportWorkbook(QWidget* window, UiServices& services, const RecordingInfo& info,
                    qint64 firstRow, qint64 lastRow) {
    const std::optional<QString> path =
        AskTablePath(window, services, info, firstRow, lastRow, QStringLiteral("保存 Excel 工作簿"),
                     QStringLiteral("Excel 工作簿 (*.xlsx)"), QStringLiteral("xlsx"));
    if (!path)
        return;
    auto* job = new WorkbookExportJob(window, services, *path, info, firstRow, lastRow);
    // A turn a block: the dialog hears of each, and of the compression before it begins.
    job->start(false, 0);
}

} // namespace zr5
