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

QString SaveCurvePicture(const AnalysisControls& c, const QString& path) {
    const std::optional<PictureFormat> format = PictureFormatOf(path);
    if (!format)
        return QStringLiteral("曲线图片只能保存为 PNG 或 SVG 文件：%1").arg(path);
    const QByteArray bytes = EncodePicture(*format, CurvePictureSize(c), c.cumulativeFrame->title(),
                                           [&c](QPainter& p) { paintFrames(c, p); });
    if (bytes.isEmpty())
        return QStringLiteral("无法生成曲线图片：%1").arg(path);
    if (Status written = WriteWholeFile(path, bytes); !written)
        return QStringLiteral("无法保存曲线图片 %1：%2").arg(path, written.error());
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

// The table written a block at a time through the slice runner, so that the window stays alive
// without an event loop inside the export; the progress dialog's cancel drops the unfinished file.
class CsvExportJob : public QObject {
public:
    CsvExportJob(QWidget* window, UiServices& services, QString path,
                 std::unique_ptr<OutputFile> out, const RecordingInfo& recording, qint64 firstRow,
                 qint64 lastRow)
        : QObject(window), window_(window), services_(services), path_(std::move(path)),
          out_(std::move(out)),
          table_(recording, firstRow, lastRow, [this](const std::string& block) {
              return out_->write(block.data(), qint64(block.size()));
          }) {}

    void start() {
        // Not modal: a modal one would run the event loop inside setValue.
        progress_ = new QProgressDialog(QStringLiteral("正在导出数据表格…"),
                                        QStringLiteral("取 消"), 0, 1000, window_);
        progress_->setWindowTitle(kExportTitle);
        progress_->setMinimumDuration(300);
        progress_->setAutoClose(false);
        progress_->setAutoReset(false);
        connect(progress_, &QProgressDialog::canceled, &runner_, &SliceRunner::cancel);
        connect(&runner_, &SliceRunner::progressed, this, [this] {
            progress_->setValue(
                int(1000.0 * double(table_.done()) / double(std::max<qint64>(table_.total(), 1))));
        });
        connect(&runner_, &SliceRunner::finished, this, &CsvExportJob::end);
        // A short table is written at once.
        runner_.setTurnTime(100);
        runner_.start([this] { return table_.step(); }, true);
    }

private:
    void end(bool cancelled) {
        progress_->deleteLater();
        deleteLater();
        if (cancelled)
            return; // the unfinished table is dropped with the output file
        const CsvTableOutcome& outcome = table_.outcome();
        QString error;
        if (outcome.status == CsvTableOutcome::ReadFailed)
            error = outcome.error;
        else if (outcome.status == CsvTableOutcome::WriteFailed || !out_->commit())
            error = QStringLiteral("写入数据表格 %1 出错：%2").arg(path_, out_->error());
        if (!error.isEmpty())
            services_.messages.message(window_, kErrorTitle, error);
    }

    QWidget* window_;
    UiServices& services_;
    QString path_;
    std::unique_ptr<OutputFile> out_;
    CsvTableWriter table_;
    SliceRunner runner_;
    QProgressDialog* progress_ = nullptr; // a child of the window
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
    if (QString error = SaveCurvePicture(controls, *path); !error.isEmpty())
        services.messages.message(window, kErrorTitle, error);
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
                controls, dir.filePath(KindPictureName(recording, k, PictureFormat::Png)));
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

void ExportCsvTable(QWidget* window, UiServices& services, const RecordingInfo& info,
                    qint64 firstRow, qint64 lastRow) {
    const QString& recording = info.path;
    services.files.setStartFolder(QFileInfo(recording).absolutePath());
    const std::optional<QString> path = services.files.saveFileNameFrom(
        window, QStringLiteral("保存数据表格"), QStringLiteral("CSV 表格 (*.csv)"),
        QStringLiteral("csv"), CsvTableFileName(recording, firstRow, lastRow, info.RecordCount));
    if (!path)
        return;
    auto out = std::make_unique<OutputFile>(*path);
    if (!out->open()) {
        services.messages.message(
            window, kErrorTitle,
            QStringLiteral("无法创建数据表格 %1：%2").arg(*path, out->error()));
        return;
    }
    // Owned by the window until the table is written, given up or the window closes.
    auto* job = new CsvExportJob(window, services, *path, std::move(out), info, firstRow, lastRow);
    job->start();
}

} // namespace zr5
