#include "recording/repair.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTime>
#include <algorithm>
#include <cmath>

#include "model/instrumentnumber.h"
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return R::failure(QStringLiteral("无法读取数据文件 %1。").arg(native(path)));
    // The 24 records that would be a complete recording's extrema if the file had a few bytes
    // too many or too few; false when there is no such place.
    auto extremaAt = [&](qint64 rows, bool& looksLike) {
        const qint64 start = kHeaderBytes + rows * kRowBytes;
        const qint64 available = size - start;
        if (rows < 0 || available <= kExtremaBytes - 4 || available >= kExtremaBytes + 4)
            return false;
        float records[24];
        const int count = int(std::min<qint64>(24, available / 4));
        QByteArray bytes;
        if (!file.seek(start) || (bytes = file.read(count * 4)).size() != count * 4)
            return false;
        for (int i = 0; i < count; ++i)
            records[i] = DecodeRecord(bytes.constData() + 4 * i);
        looksLike = LooksLikeExtrema(records, count);
        return true;
    };
    const qint64 complete = RecordCountForLength(size);
    if (complete >= 0) {
        // Whole in length: complete unless its extrema contradict each other, which makes them
        // the rows of a file cut 24 bytes into a row.
        ExtremaValues maximum{}, minimum{};
        QByteArray bytes;
        if (!file.seek(size - kExtremaBytes) ||
            (bytes = file.read(kExtremaBytes)).size() != kExtremaBytes)
            return R::failure(QStringLiteral("无法读取数据文件 %1。").arg(native(path)));
        for (int k = 0; k < 12; ++k) {
            maximum[std::size_t(k)] = DecodeRecord(bytes.constData() + 4 * k);
            minimum[std::size_t(k)] = DecodeRecord(bytes.constData() + 48 + 4 * k);
        }
        if (complete == 0 || FirstContradictoryExtremum(maximum, minimum) < 0)
            return R::failure(QStringLiteral("数据文件 %1 是完整的，无须恢复。").arg(native(path)));
    } else {
        // A complete recording with a byte or so too many or too few: its rows end where its
        // extrema begin, and the extrema are never read as rows.
        const qint64 below =
            size >= kEmptyRecordingBytes ? (size - kEmptyRecordingBytes) / kRowBytes : -1;
        for (qint64 rows : {below, below + 1}) {
            bool looksLike = false;
            if (extremaAt(rows, looksLike) && looksLike)
                return R(rows);
        }
    }
    // Rows cut by a crash: whatever follows the last whole row is dropped.
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
    // The header's duration holds when the rows fit into it: a reception writes the time so far
    // at every checkpoint, and a copy of the file has another modification time.
    const double shortest = double(*rows) / kMostFramesPerSecond;
    const bool headerHolds =
        std::isfinite(h.Duration) && h.Duration > 0 && double(h.Duration) >= shortest;
    const QDateTime modified = QFileInfo(source).lastModified();
    double covered = modified.time().msecsSinceStartOfDay() / 1000.0 - double(h.StartTime);
    if (covered < 0)
        covered += kSecondsPerDay; // the reception went past midnight
    if (headerHolds) {
        report.durationFromHeader = true;
    } else if (std::isfinite(h.StartTime) && h.StartTime >= 0 && h.StartTime < kSecondsPerDay &&
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
    if (Status e = writer.create(target, written); !e)
        return R::failure(e.error());
    MeasurementModel model;
    model.resetExtrema();
    ChannelRowValues channels;
    for (qint64 k = 1; (*reader)->next(channels); ++k) {
        if (Status e = writer.appendRow(channels); !e)
            return R::failure(e.error());
        const float elapsed = float(double(k) * report.duration / double(report.rows));
        ReplayRow(model, channels, h.StartTime, elapsed);
    }
    if (!(*reader)->error().isEmpty())
        return R::failure((*reader)->error());
    if (Status e = writer.finish(model.RowMaximum, model.RowMinimum); !e)
        return R::failure(e.error());
    return R(report);
}

QString RepairSummary(const RepairReport& report, const QString& target) {
    QString text = QStringLiteral("已恢复 %1 行数据到 %2，累计时间 %3 秒")
                       .arg(report.rows)
                       .arg(native(target), PlainNumber(report.duration));
    if (report.durationFromFileTime)
        text += QStringLiteral("（取自文件的最后修改时间减去起始时间）");
    else if (report.durationFromHeader)
        text += QStringLiteral("（取自文件头中的累计时间）");
    return text + QStringLiteral("。");
}

} // namespace zr5
