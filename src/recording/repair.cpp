#include "recording/repair.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTime>
#include <algorithm>
#include <cmath>

#include "model/numbertext.h"
#include "recording/filecopy.h"
#include "recording/recordingfile.h"

namespace zr5 {

namespace {

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

constexpr double kSecondsPerDay = 86400.0;

} // namespace

void ReplayRow(MeasurementModel& model, const ChannelRowValues& channels, float startTime,
               float elapsed) {
    ChannelRowValues scaled = channels;
    SampleRowValues row{};
    std::copy(channels.begin(), channels.end(), row.begin());
    ProcessSampleRow(model, startTime + elapsed, startTime, elapsed, row, scaled);
}

Result<qint64> RecoverableRows(const QString& path) {
    using R = Result<qint64>;
    const QFileInfo info(path);
    if (!info.isFile())
        return R::failure(QStringLiteral("数据文件 %1 不存在。").arg(native(path)));
    const qint64 size = info.size();
    if (size < kHeaderBytes)
        return R::failure(QStringLiteral("数据文件 %1 只有 %2 字节，连文件头都不完整，无法恢复。")
                              .arg(native(path))
                              .arg(size));
    if ((size - kHeaderBytes) / kRowBytes > kLargestRecordCount)
        return R::failure(
            QStringLiteral("数据文件 %1 有 %2 字节，超出本程序能处理的 %3 行，无法恢复。")
                .arg(native(path))
                .arg(size)
                .arg(kLargestRecordCount));
    if (RecordCountForLength(size) >= 0)
        return R::failure(QStringLiteral("数据文件 %1 是完整的，无须恢复。").arg(native(path)));
    return R((size - kHeaderBytes) / kRowBytes);
}

Result<RepairReport> RepairRecording(const QString& source, const QString& target) {
    using R = Result<RepairReport>;
    const Result<qint64> rows = RecoverableRows(source);
    if (!rows)
        return R::failure(rows.error());
    if (IsSameFile(source, target) ||
        QFileInfo(source).absoluteFilePath() == QFileInfo(target).absoluteFilePath())
        return R::failure(
            QStringLiteral("恢复的数据须写入另一个文件，不能覆盖 %1。").arg(native(source)));

    // The header is read through the ordinary reader, with the length of a whole recording.
    RecordingInfo info;
    info.path = source;
    info.fileSize = QFileInfo(source).size();
    info.RecordCount = *rows;
    QFile file(source);
    char header[kHeaderBytes];
    if (!file.open(QIODevice::ReadOnly) || file.read(header, kHeaderBytes) != kHeaderBytes)
        return R::failure(QStringLiteral("无法读取数据文件 %1。").arg(native(source)));
    info.header = DecodeRecordingHeader(header);
    const RecordingHeader& h = info.header;
    file.close();

    RepairReport report;
    report.rows = *rows;
    report.duration = h.Duration;
    const QDateTime modified = QFileInfo(source).lastModified();
    double covered = modified.time().msecsSinceStartOfDay() / 1000.0 - double(h.StartTime);
    if (covered < 0)
        covered += kSecondsPerDay; // the reception went past midnight
    if (std::isfinite(h.StartTime) && h.StartTime >= 0 && h.StartTime < kSecondsPerDay &&
        covered > 0 && covered<kSecondsPerDay&& * rows> 0) {
        report.duration = float(covered);
        report.durationFromFileTime = true;
    }
    if (!std::isfinite(report.duration) || report.duration < 0)
        report.duration = 0;

    auto reader = RecordingRowReader::open(info);
    if (!reader)
        return R::failure(reader.error());
    RecordingWriter writer;
    RecordingHeader written = h;
    written.Duration = report.duration;
    if (QString e = writer.create(target, written); !e.isEmpty())
        return R::failure(e);
    MeasurementModel model;
    model.resetExtrema();
    ChannelRowValues channels;
    for (qint64 k = 1; (*reader)->next(channels); ++k) {
        if (QString e = writer.appendRow(channels); !e.isEmpty())
            return R::failure(e);
        const float elapsed = float(double(k) * report.duration / double(report.rows));
        ReplayRow(model, channels, h.StartTime, elapsed);
    }
    if (!(*reader)->error().isEmpty())
        return R::failure((*reader)->error());
    if (QString e = writer.finish(model.RowMaximum, model.RowMinimum); !e.isEmpty())
        return R::failure(e);
    return R(report);
}

QString RepairSummary(const RepairReport& report, const QString& target) {
    QString text = QStringLiteral("已恢复 %1 行数据到 %2，累计时间 %3 秒")
                       .arg(report.rows)
                       .arg(native(target), PlainNumber(report.duration));
    if (report.durationFromFileTime)
        text += QStringLiteral("（取自文件的最后修改时间减去起始时间）");
    return text + QStringLiteral("。");
}

} // namespace zr5
