#include "recording/recordingfile.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "model/measurementmodel.h"

namespace zr5 {

namespace {

float recordAt(const char* p) {
    quint32 bits;
    std::memcpy(&bits, p, 4);
    return std::bit_cast<float>(qFromLittleEndian(bits));
}

void readRecords(const char* p, float* out, std::size_t count) {
    // The file's floats are little-endian, as the processor's: one copy.
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, p, 4 * count);
        return;
    }
    for (std::size_t i = 0; i < count; ++i)
        out[i] = recordAt(p + 4 * i);
}

QString nativePath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

constexpr qint64 kRowsPerBlock = 16384;
// A read of at least this many rows with nothing buffered goes straight to the caller's rows.
constexpr qint64 kDirectRows = 1024;

} // namespace

float DecodeRecord(const char* bytes) {
    return recordAt(bytes);
}

void AppendRecords(QByteArray& out, const float* values, std::size_t count) {
    const qsizetype start = out.size();
    out.resize(start + qsizetype(4 * count));
    char* p = out.data() + start;
    for (std::size_t i = 0; i < count; ++i) {
        const quint32 bits = qToLittleEndian(std::bit_cast<quint32>(values[i]));
        std::memcpy(p + 4 * i, &bits, 4);
    }
}

RecordingHeader DecodeRecordingHeader(const char* bytes) {
    RecordingHeader h;
    h.StartTime = recordAt(bytes);
    h.Duration = recordAt(bytes + 4);
    readRecords(bytes + 8, h.Motor.data(), 7);
    readRecords(bytes + 36, h.CTFlags.data(), 3);
    return h;
}

MotorParameters RecordingHeader::motorParameters() const {
    MotorParameters m = MotorParameters::fromValues(Motor);
    m.revalidate();
    return m;
}

// Flags outside the 16-bit range are refused when the file is read; this stays defined anyway.
static bool flagInRange(float f) {
    return std::fabs(f) < 32767.5f;
}
static int roundFlag(float f) {
    return flagInRange(f) ? int(std::nearbyint(f)) : 0;
}
int RecordingHeader::red() const {
    return roundFlag(CTFlags[0]);
}
int RecordingHeader::blue() const {
    return roundFlag(CTFlags[1]);
}
int RecordingHeader::yellow() const {
    return roundFlag(CTFlags[2]);
}

qint64 RecordCountForLength(qint64 length) {
    if (length < kEmptyRecordingBytes || (length - kEmptyRecordingBytes) % kRowBytes != 0)
        return -1;
    return (length - kEmptyRecordingBytes) / kRowBytes;
}

namespace {
Result<RecordingInfo> ReadInfo(const QString& path, bool keepOpen) {
    using R = Result<RecordingInfo>;
    const QFileInfo fi(path);
    if (!fi.exists())
        return R::failure(QStringLiteral("数据文件 %1 不存在。").arg(nativePath(path)));
    if (!fi.isFile())
        return R::failure(QStringLiteral("%1 不是数据文件。").arg(nativePath(path)));
    auto opened = std::make_shared<QFile>(path);
    QFile& file = *opened;
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return R::failure(QStringLiteral("无法打开数据文件 %1：%2")
                              .arg(nativePath(path), FileErrorReason(file, errno)));
    const qint64 size = file.size();
    if (size < kEmptyRecordingBytes)
        return R::failure(
            QStringLiteral("数据文件 %1 只有 %2 字节，不足 144 字节，不是完整的数据文件。")
                .arg(nativePath(path))
                .arg(size));
    const qint64 rows = RecordCountForLength(size);
    if (rows < 0)
        return R::failure(
            QStringLiteral("数据文件 %1 的长度 %2 字节不符合 144 + 36×行数，文件不完整或已损坏。")
                .arg(nativePath(path))
                .arg(size));
    // The analysis keeps two numbers a row in memory: a file beyond that (a sparse one can claim
    // billions of rows) is refused before anything is set aside for its rows.
    if (rows > kLargestRecordCount)
        return R::failure(
            QStringLiteral("数据文件 %1 有 %2 字节（%3 行），超出本程序能处理的 %4 行，无法打开。")
                .arg(nativePath(path))
                .arg(size)
                .arg(rows)
                .arg(kLargestRecordCount));
    RecordingInfo info;
    info.path = path;
    info.fileSize = size;
    info.RecordCount = rows;
    char header[kHeaderBytes];
    char extrema[kExtremaBytes];
    if (file.read(header, kHeaderBytes) != kHeaderBytes || !file.seek(size - kExtremaBytes) ||
        file.read(extrema, kExtremaBytes) != kExtremaBytes)
        return R::failure(QStringLiteral("读取数据文件 %1 出错：%2")
                              .arg(nativePath(path), FileErrorReason(file, errno)));
    info.header = DecodeRecordingHeader(header);
    readRecords(extrema, info.RowMaximum.data(), 12);
    readRecords(extrema + 48, info.RowMinimum.data(), 12);
    if (const int k = rows > 0 ? FirstContradictoryExtremum(info.RowMaximum, info.RowMinimum) : -1;
        k >= 0)
        return R::failure(QStringLiteral("数据文件 %1 中第 %2 项的最大值 %3 小于最小值 %4，"
                                         "文件不完整或已损坏。")
                              .arg(nativePath(path))
                              .arg(k + 1)
                              .arg(double(info.RowMaximum[std::size_t(k)]))
                              .arg(double(info.RowMinimum[std::size_t(k)])));
    for (float flag : info.header.CTFlags)
        if (!flagInRange(flag))
            return R::failure(
                QStringLiteral("数据文件 %1 中的互感器标志 %2 不是 1 或 0，文件已损坏。")
                    .arg(nativePath(path), QString::number(double(flag))));
    if (keepOpen)
        info.file = std::move(opened);
    return info;
}
} // namespace

Result<RecordingInfo> ReadRecordingInfo(const QString& path) {
    return ReadInfo(path, false);
}

Result<RecordingInfo> OpenRecording(const QString& path) {
    return ReadInfo(path, true);
}

int FirstContradictoryExtremum(const ExtremaValues& maximum, const ExtremaValues& minimum) {
    for (std::size_t k = 0; k < maximum.size(); ++k) {
        const bool untouched =
            maximum[k] == kExtremumStartMaximum && minimum[k] == kExtremumStartMinimum;
        // Not-a-number extrema are refused by the analysis on their own.
        if (!untouched && maximum[k] < minimum[k])
            return int(k);
    }
    return -1;
}

bool LooksLikeExtrema(const float* records, int count) {
    constexpr std::size_t kPowerFactor = 8;
    constexpr std::size_t kActivePower = 2; // the only signed extremum
    if (count < 12)
        return false;
    ExtremaValues maximum{}, minimum{};
    std::copy(records, records + 12, maximum.begin());
    const int minima = std::min(count - 12, 12);
    std::copy(records + 12, records + 12 + minima, minimum.begin());
    for (std::size_t k = 0; k < 12; ++k) {
        const bool hasMinimum = int(k) < minima;
        const bool untouched = maximum[k] == kExtremumStartMaximum &&
                               (!hasMinimum || minimum[k] == kExtremumStartMinimum);
        if (untouched)
            continue;
        if (!std::isfinite(maximum[k]) || (hasMinimum && !std::isfinite(minimum[k])))
            return false;
        if (hasMinimum && maximum[k] < minimum[k])
            return false;
        if (k != kActivePower && (maximum[k] < 0 || (hasMinimum && minimum[k] < 0)))
            return false;
        if (k == kPowerFactor && maximum[k] > 1.0001f)
            return false;
    }
    return true;
}

Status AnalysisRefusal(const RecordingInfo& info) {
    const QString file = nativePath(info.path);
    if (info.RecordCount < 1)
        return Status::failure(QStringLiteral("数据文件 %1 中没有数据，无法分析。").arg(file));
    const RecordingHeader& h = info.header;
    if (!std::isfinite(h.StartTime) || !std::isfinite(h.Duration))
        return Status::failure(
            QStringLiteral("数据文件 %1 的起始时间或累计时间不是有效的数字，无法分析。").arg(file));
    if (!(h.Duration > 0.0f))
        return Status::failure(
            QStringLiteral("数据文件 %1 的累计时间为 %2 秒，无法分析。")
                .arg(file, h.Duration == 0.0f ? QStringLiteral("0") : QString::number(h.Duration)));
    for (float v : h.Motor)
        if (!std::isfinite(v))
            return Status::failure(
                QStringLiteral("数据文件 %1 中的电机参数不是有效的数字，无法分析。").arg(file));
    for (int k = 0; k < 12; ++k)
        if (!std::isfinite(info.RowMaximum[k]) || !std::isfinite(info.RowMinimum[k]))
            return Status::failure(
                QStringLiteral("数据文件 %1 中的最大值或最小值不是有效的数字，无法分析。")
                    .arg(file));
    return {};
}

Result<std::unique_ptr<RecordingRowReader>> RecordingRowReader::open(const RecordingInfo& info,
                                                                     qint64 firstRow) {
    using R = Result<std::unique_ptr<RecordingRowReader>>;
    std::unique_ptr<RecordingRowReader> reader(new RecordingRowReader);
    if (info.file && info.file->isOpen()) {
        reader->file_ = info.file;
    } else {
        reader->file_ = std::make_shared<QFile>(info.path);
        if (!reader->file_->open(QIODevice::ReadOnly))
            return R::failure(
                QStringLiteral("无法打开数据文件 %1：%2")
                    .arg(nativePath(info.path), FileErrorReason(*reader->file_, errno)));
    }
    if (reader->file_->size() != info.fileSize)
        return R::failure(QStringLiteral("数据文件 %1 在读取期间被改动，请重新打开。")
                              .arg(nativePath(info.path)));
    reader->recordCount_ = info.RecordCount;
    if (firstRow < 1)
        firstRow = 1;
    reader->nextRow_ = firstRow;
    reader->offset_ = kHeaderBytes + (firstRow - 1) * kRowBytes;
    if (!reader->file_->seek(reader->offset_))
        return R::failure(QStringLiteral("读取数据文件 %1 出错：%2")
                              .arg(nativePath(info.path), FileErrorReason(*reader->file_, errno)));
    return R(std::move(reader));
}

bool RecordingRowReader::readAt(char* to, qint64 rows) {
    QFile& file = *file_;
    const bool placed = file.pos() == offset_ || file.seek(offset_);
    const qint64 got = placed ? file.read(to, rows * kRowBytes) : -1;
    if (got != rows * kRowBytes) {
        error_ = QStringLiteral("读取数据文件 %1 出错：%2")
                     .arg(nativePath(file.fileName()),
                          got < 0 ? FileErrorReason(file, errno) : QStringLiteral("文件意外结束"));
        return false;
    }
    offset_ += got;
    return true;
}

bool RecordingRowReader::refill() {
    const qint64 rowsLeft = recordCount_ - nextRow_ + 1;
    const qint64 rows = std::min(rowsLeft, kRowsPerBlock);
    if (rows <= 0)
        return false;
    buffer_.resize(std::size_t(rows * kRowBytes));
    if (!readAt(buffer_.data(), rows))
        return false;
    bufferPos_ = 0;
    bufferEnd_ = buffer_.size();
    return true;
}

bool RecordingRowReader::next(ChannelRowValues& row) {
    if (nextRow_ > recordCount_)
        return false;
    if (bufferPos_ >= bufferEnd_ && !refill())
        return false;
    readRecords(buffer_.data() + bufferPos_, row.data(), 9);
    bufferPos_ += kRowBytes;
    ++nextRow_;
    return true;
}

qint64 RecordingRowReader::read(ChannelRowValues* rows, qint64 maxRows) {
    static_assert(sizeof(ChannelRowValues) == kRowBytes, "rows are read as one array of floats");
    qint64 done = 0;
    while (done < maxRows && nextRow_ <= recordCount_) {
        const qint64 wanted = std::min(maxRows - done, recordCount_ - nextRow_ + 1);
        if (bufferPos_ >= bufferEnd_ && wanted >= kDirectRows) {
            // Many rows with nothing buffered: straight from the file into the caller's rows,
            // without passing through the buffer.
            if (!readAt(reinterpret_cast<char*>(rows[done].data()), wanted))
                break;
            if constexpr (std::endian::native != std::endian::little)
                for (qint64 i = 0; i < wanted; ++i)
                    for (float& v : rows[done + i])
                        v = recordAt(reinterpret_cast<const char*>(&v));
            nextRow_ += wanted;
            done += wanted;
            continue;
        }
        if (bufferPos_ >= bufferEnd_ && !refill())
            break;
        const qint64 n = std::min(maxRows - done, qint64(bufferEnd_ - bufferPos_) / kRowBytes);
        readRecords(buffer_.data() + bufferPos_, rows[done].data(), std::size_t(n) * 9);
        bufferPos_ += std::size_t(n * kRowBytes);
        nextRow_ += n;
        done += n;
    }
    return done;
}

RecordingWriter::~RecordingWriter() = default; // an unfinished Replace leaves the target alone

Status RecordingWriter::failure(const QString& what) const {
    return Status::failure(
        QStringLiteral("%1数据文件 %2 出错：%3").arg(what, nativePath(path_), out_->error()));
}

Status RecordingWriter::create(const QString& path, const RecordingHeader& h,
                               OutputFile::Mode mode) {
    path_ = path;
    rows_ = rowsOnDisk_ = 0;
    pending_.clear();
    extremaOnDisk_.clear();
    durationOnDisk_ = h.Duration;
    valid_ = true;
    out_ = std::make_unique<OutputFile>(path, mode);
    if (!out_->open())
        return failure(QStringLiteral("创建"));
    float records[12] = {h.StartTime, h.Duration};
    std::memcpy(records + 2, h.Motor.data(), 7 * sizeof(float));
    std::memcpy(records + 9, h.CTFlags.data(), 3 * sizeof(float));
    QByteArray bytes;
    AppendRecords(bytes, records, 12);
    if (!out_->write(bytes))
        return failure(QStringLiteral("写入"));
    return {};
}

Status RecordingWriter::appendRow(const ChannelRowValues& row) {
    if (!isOpen())
        return failure(QStringLiteral("写入"));
    AppendRecords(pending_, row.data(), 9);
    ++rows_;
    // In place, rows wait for the next checkpoint: written earlier, they would cover the extrema
    // and leave a file no reader accepts.
    if (out_->mode() == OutputFile::Mode::Replace && pending_.size() >= 1 << 16)
        return writeRows();
    return {};
}

Status RecordingWriter::writeRows() {
    const bool written = out_->write(pending_);
    pending_.clear();
    return written ? Status() : failure(QStringLiteral("写入"));
}

Status RecordingWriter::checkpoint(const ExtremaValues& maximum, const ExtremaValues& minimum,
                                   float duration) {
    if (!isOpen())
        return {};
    QByteArray extrema;
    AppendRecords(extrema, maximum.data(), 12);
    AppendRecords(extrema, minimum.data(), 12);
    QByteArray durationRecord;
    AppendRecords(durationRecord, &duration, 1);
    const qint64 end = kHeaderBytes + rowsOnDisk_ * kRowBytes;
    if (out_->writeAt(end, pending_ + extrema) && out_->writeAt(4, durationRecord) &&
        out_->sync()) {
        pending_.clear();
        rowsOnDisk_ = rows_;
        extremaOnDisk_ = extrema;
        durationOnDisk_ = duration;
        return {};
    }
    Status error = failure(QStringLiteral("写入"));
    // Back to the last good state; the space the failed write took is free again, so the
    // extrema that stood there fit once more.
    pending_.clear();
    rows_ = rowsOnDisk_;
    QByteArray lastDuration;
    AppendRecords(lastDuration, &durationOnDisk_, 1);
    valid_ = !extremaOnDisk_.isEmpty() && out_->truncate(end) &&
             out_->writeAt(end, extremaOnDisk_) && out_->writeAt(4, lastDuration) && out_->sync();
    out_->cancel();
    return error;
}

Status RecordingWriter::finish(const ExtremaValues& maximum, const ExtremaValues& minimum,
                               const float* duration) {
    if (!isOpen())
        return {};
    if (out_->mode() == OutputFile::Mode::InPlace) {
        if (Status error = checkpoint(maximum, minimum, duration ? *duration : durationOnDisk_);
            !error)
            return error;
    } else {
        AppendRecords(pending_, maximum.data(), 12);
        AppendRecords(pending_, minimum.data(), 12);
        if (Status error = writeRows(); !error) {
            out_->cancel();
            return error;
        }
        QByteArray record;
        if (duration)
            AppendRecords(record, duration, 1);
        if (duration && !out_->writeAt(4, record)) {
            Status error = failure(QStringLiteral("写入"));
            out_->cancel();
            return error;
        }
    }
    if (!out_->commit())
        return failure(QStringLiteral("写入"));
    return {};
}

} // namespace zr5
