#pragma once

#include <QFile>
#include <QString>
#include <array>
#include <memory>
#include <vector>

#include "model/motorparameters.h"
#include "model/result.h"
#include "model/types.h"

namespace zr5 {

// A recording is a file of 4-byte little-endian floats: a twelve-record header, nine records per
// row, then the twelve maxima and the twelve minima. Its length is 144 + 36 N bytes.
constexpr qint64 kHeaderBytes = 48;
constexpr qint64 kRowBytes = 36;
constexpr qint64 kExtremaBytes = 96;
constexpr qint64 kEmptyRecordingBytes = kHeaderBytes + kExtremaBytes;

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

struct RecordingInfo {
    QString path;
    qint64 fileSize = 0;
    qint64 RecordCount = 0;
    RecordingHeader header;
    ExtremaValues RowMaximum{};
    ExtremaValues RowMinimum{};
};

// The row count of a file length, or -1 when the length is not 144 + 36 N.
qint64 RecordCountForLength(qint64 length);

// Opens a recording and reads its header and extrema. A missing file, one shorter than 144 bytes
// or one whose length is not 144 + 36 N is refused with a message naming the file and the fault.
Result<RecordingInfo> ReadRecordingInfo(const QString& path);

// Empty when the recording can be analysed; otherwise why not (no rows, a duration of 0, a header
// or extremum value that is not a finite number).
QString AnalysisRefusal(const RecordingInfo& info);

// Reads rows in order, in large blocks.
class RecordingRowReader {
public:
    // Positions the reader on row `firstRow` (1-based) of a recording already checked by
    // ReadRecordingInfo.
    static Result<std::unique_ptr<RecordingRowReader>> open(const RecordingInfo& info,
                                                            qint64 firstRow = 1);
    // Fills the next row's nine values; false at the last row's end or on a read error.
    bool next(ChannelRowValues& row);
    qint64 nextRow() const { return nextRow_; }
    const QString& error() const { return error_; }

private:
    RecordingRowReader() = default;
    bool refill();

    QFile file_;
    qint64 recordCount_ = 0;
    qint64 nextRow_ = 1;
    std::vector<char> buffer_;
    std::size_t bufferPos_ = 0;
    std::size_t bufferEnd_ = 0;
    QString error_;
};

// Writes a recording as a reception does: header first, rows as they come, extrema at the end.
class RecordingWriter {
public:
    ~RecordingWriter();
    // Starts the target empty, whether it existed or not, and writes the header.
    QString create(const QString& path, const RecordingHeader& header);
    QString appendRow(const ChannelRowValues& row);
    // Pushes buffered rows to the operating system.
    QString flush();
    // Pushes buffered rows through to the storage device, so that a power cut keeps them.
    QString sync();
    // Appends the maxima and minima; rewrites the duration record when given; closes the file.
    // With toDisk the completed file is pushed through to the storage device before it closes.
    QString finish(const ExtremaValues& maximum, const ExtremaValues& minimum,
                   const float* duration = nullptr, bool toDisk = false);
    qint64 rowsWritten() const { return rows_; }
    bool isOpen() const { return file_.isOpen(); }
    const QString& path() const { return path_; }

private:
    QString failure(const QString& what);
    QFile file_;
    QString path_;
    QByteArray pending_;
    qint64 rows_ = 0;
};

// Encodes floats as little-endian records.
void AppendRecords(QByteArray& out, const float* values, std::size_t count);

} // namespace zr5
