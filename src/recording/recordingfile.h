#pragma once

#include <QFile>
#include <QString>
#include <array>
#include <memory>
#include <vector>

#include "model/motorparameters.h"
#include "model/result.h"
#include "model/types.h"
#include "recording/outputfile.h"

namespace zr5 {

// A recording is a file of 4-byte little-endian floats: a twelve-record header, nine records per
// row, then the twelve maxima and the twelve minima. Its length is 144 + 36 N bytes.
constexpr qint64 kHeaderBytes = 48;
constexpr qint64 kRowBytes = 36;
constexpr qint64 kExtremaBytes = 96;
constexpr qint64 kEmptyRecordingBytes = kHeaderBytes + kExtremaBytes;
// The most rows a recording may have: 26 days at the instrument's rate, 2.4 GB on disk.
constexpr qint64 kLargestRecordCount = qint64(1) << 26;

// Records 1 to 12.
struct RecordingHeader {
    float StartTime = 0; // seconds since midnight
    float Duration = 0;  // seconds covered by the rows
    std::array<float, 7> Motor{};
    std::array<float, 3> CTFlags{}; // red, blue, yellow as 1.0 or 0.0

    MotorParameters motorParameters() const; // with the flag and the rated losses derived
    // The transformer flags rounded back to integers.
    int red() const;
    int blue() const;
    int yellow() const;
};

// One little-endian float record.
float DecodeRecord(const char* bytes);

// The header of its first 48 bytes.
RecordingHeader DecodeRecordingHeader(const char* bytes);

struct RecordingInfo {
    QString path;
    qint64 fileSize = 0;
    qint64 RecordCount = 0;
    RecordingHeader header;
    ExtremaValues RowMaximum{};
    ExtremaValues RowMinimum{};
    // Set by OpenRecording: the file, open, that every reader of this info and its copies reads
    // through, so that a window's queries never open the recording again.
    std::shared_ptr<QFile> file;
};

// The row count of a file length, or -1 when the length is not 144 + 36 N.
qint64 RecordCountForLength(qint64 length);

// Opens a recording and reads its header and extrema. A missing file, one shorter than 144 bytes,
// one whose length is not 144 + 36 N, or one with rows whose extrema contradict each other (a
// maximum below its minimum: rows of a cut file taken for extrema) is refused with a message
// naming the file and the fault.
Result<RecordingInfo> ReadRecordingInfo(const QString& path);
// The same, keeping the file open in the info: a window opens its recording once with this and
// hands the info to every core call.
Result<RecordingInfo> OpenRecording(const QString& path);

// The first of the twelve extrema whose maximum lies below its minimum, or -1. The extrema of a
// recording without rows are left at their starting values, which count as consistent.
int FirstContradictoryExtremum(const ExtremaValues& maximum, const ExtremaValues& minimum);

// True when `count` records (23 or 24: a file a byte short lacks part of the last) can be the
// extrema a reception writes: each maximum at least its minimum or both at their starting
// values, magnitudes not negative, the power factor at most 1. Rows read as extrema fail.
bool LooksLikeExtrema(const float* records, int count);

// Success when the recording can be analysed; otherwise why not (no rows, a duration of 0, a
// header or extremum value that is not a finite number).
Status AnalysisRefusal(const RecordingInfo& info);

// Reads rows in order, in large blocks.
class RecordingRowReader {
public:
    // Positions the reader on row `firstRow` (1-based) of a recording already checked by
    // ReadRecordingInfo.
    static Result<std::unique_ptr<RecordingRowReader>> open(const RecordingInfo& info,
                                                            qint64 firstRow = 1);
    // Fills the next row's nine values; false at the last row's end or on a read error.
    bool next(ChannelRowValues& row);
    // Fills up to maxRows next rows; returns how many. Fewer than asked for at the last row's end
    // or on a read error (then error() says why).
    qint64 read(ChannelRowValues* rows, qint64 maxRows);
    const QString& error() const { return error_; }

private:
    RecordingRowReader() = default;
    bool refill();
    // Reads `rows` rows from where the reader stands into `to`; false, with the reason in
    // error(), when the file gives fewer.
    bool readAt(char* to, qint64 rows);

    // The info's open file when it has one (readers take turns on it: each seeks to where it
    // stands before it reads); a file of the reader's own otherwise.
    std::shared_ptr<QFile> file_;
    qint64 offset_ = 0;
    qint64 recordCount_ = 0;
    qint64 nextRow_ = 1;
    std::vector<char> buffer_;
    std::size_t bufferPos_ = 0;
    std::size_t bufferEnd_ = 0;
    QString error_;
};

// Writes a recording: the header first, the rows as they come, the extrema at the end.
//
// Replace (the default): the recording takes the target's place only once it is complete, so a
// failure leaves an existing target as it was. InPlace: the reception's recording, a valid
// recording on disk after every checkpoint(): the rows so far, then the extrema so far, and the
// duration so far in the header. A crash costs at most the rows since the last checkpoint.
class RecordingWriter {
public:
    ~RecordingWriter();
    // Starts the target empty, whether it existed or not, and writes the header.
    Status create(const QString& path, const RecordingHeader& header,
                  OutputFile::Mode mode = OutputFile::Mode::Replace);
    Status appendRow(const ChannelRowValues& row);
    // InPlace: puts the rows appended since the last checkpoint on the disk, followed by the
    // extrema given, and the duration given in the header. When that fails (a full disk), the
    // file is cut back to the rows of the last checkpoint and their extrema, which keeps it a
    // valid recording; then the file is closed and the message says why.
    Status checkpoint(const ExtremaValues& maximum, const ExtremaValues& minimum, float duration);
    // Appends the maxima and minima, rewrites the duration record when given, and completes the
    // file on the disk.
    Status finish(const ExtremaValues& maximum, const ExtremaValues& minimum,
                  const float* duration = nullptr);
    // Rows the file holds: after a failed checkpoint, those of the last good one.
    qint64 rowsWritten() const { return rows_; }
    // False when a failure left the file without its extrema (the disk refused even those).
    bool fileValid() const { return valid_; }
    bool isOpen() const { return out_ && out_->isOpen(); }
    const QString& path() const { return path_; }

private:
    Status failure(const QString& what) const;
    Status writeRows();
    std::unique_ptr<OutputFile> out_;
    QString path_;
    QByteArray pending_;
    qint64 rows_ = 0;
    qint64 rowsOnDisk_ = 0;
    QByteArray extremaOnDisk_;
    float durationOnDisk_ = 0;
    bool valid_ = true;
};

// Encodes floats as little-endian records.
void AppendRecords(QByteArray& out, const float* values, std::size_t count);

} // namespace zr5
