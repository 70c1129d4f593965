#include <gtest/gtest.h>

#include "model/rowpowers.h"
#include "support/testnames.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include "model/measurementmodel.h"
#include "recording/recordingfile.h"
#include "recording/repair.h"
#include "recording/synthetic.h"
#include "support/succeeded.h"

using namespace zr5;

namespace {

class RecordingFiles : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    void writeBytes(const QString& p, const QByteArray& bytes) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QTemporaryDir dir;
};

RecordingHeader sampleHeader() {
    RecordingHeader h;
    h.StartTime = 36000.5f;
    h.Duration = 60;
    h.Motor = {4, 11, 22.6f, 88, 8.05f, 0.45f, 380};
    h.CTFlags = {1, 0, 1};
    return h;
}

TEST_F(RecordingFiles, RowsAndExtremaRoundTrip) {
    RecordingWriter w;
    ASSERT_TRUE(test::Succeeded(w.create(path("a.MTR"), sampleHeader())));
    std::vector<ChannelRowValues> rows;
    for (int k = 1; k <= 50; ++k) {
        ChannelRowValues r;
        for (int j = 0; j < 9; ++j)
            r[j] = float(k * 10 + j) * (j % 3 == 0 && k % 2 ? -1.0f : 1.0f);
        rows.push_back(r);
        ASSERT_TRUE(test::Succeeded(w.appendRow(r)));
    }
    ExtremaValues mx, mn;
    for (int k = 0; k < 12; ++k) {
        mx[k] = float(k + 100);
        mn[k] = float(-k);
    }
    ASSERT_TRUE(test::Succeeded(w.finish(mx, mn)));

    const Result<RecordingInfo> info = ReadRecordingInfo(path("a.MTR"));
    ASSERT_TRUE(info) << info.error().toStdString();
    // 50 frames of a 60-second reception: 144 + 1800 bytes
    EXPECT_EQ(info->fileSize, 1944);
    EXPECT_EQ(info->RecordCount, 50);
    EXPECT_EQ(info->header.StartTime, 36000.5f);
    EXPECT_EQ(info->header.Duration, 60.0f);
    EXPECT_EQ(info->header.red(), 1);
    EXPECT_EQ(info->header.blue(), 0);
    EXPECT_EQ(info->header.yellow(), 1);
    EXPECT_EQ(info->RowMaximum, mx);
    EXPECT_EQ(info->RowMinimum, mn);
    const MotorParameters m = info->header.motorParameters();
    EXPECT_TRUE(m.MotorParametersValid);
    EXPECT_FLOAT_EQ(m.RatedLosses, 1.5f);

    auto reader = RecordingRowReader::open(*info);
    ASSERT_TRUE(reader);
    ChannelRowValues r;
    for (const ChannelRowValues& expected : rows) {
        ASSERT_TRUE((*reader)->next(r));
        EXPECT_EQ(r, expected);
    }
    EXPECT_FALSE((*reader)->next(r)); // the extrema are never read as a row

    auto fromRow3 = RecordingRowReader::open(*info, 3);
    ASSERT_TRUE(fromRow3);
    ASSERT_TRUE((*fromRow3)->next(r));
    EXPECT_EQ(r, rows[2]);
}

// Reads of a recording whose row k holds k x 16 + j in record j (exact in single precision): the
// buffered rows, the reads that go straight to the caller (1024 rows or more with nothing
// buffered) and their mixes give every row once, in order.
struct RowReads {
    const char* name;
    qint64 firstRow;
    std::vector<qint64> reads; // rows asked for; 0: one row by next()
    qint64 cutToRows;          // the file loses all but this many rows (and half a row) once the
                               // reader is open; -1: it keeps them
    qint64 rowsRead;           // rows the reads give in all
};

class RowReader : public ::testing::TestWithParam<RowReads> {};

TEST_P(RowReader, GivesEveryRowOnceInOrderWhateverTheReadSizes) {
    const RowReads& c = GetParam();
    constexpr qint64 kRows = 20000; // more than the reader buffers at once
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("reads.MTR"));
    const auto expected = [](qint64 row) {
        ChannelRowValues r;
        for (std::size_t j = 0; j < r.size(); ++j)
            r[j] = float(row * 16 + qint64(j));
        return r;
    };
    RecordingWriter w;
    ASSERT_TRUE(test::Succeeded(w.create(file, sampleHeader())));
    for (qint64 k = 1; k <= kRows; ++k)
        ASSERT_TRUE(test::Succeeded(w.appendRow(expected(k))));
    ExtremaValues mx{}, mn{};
    ASSERT_TRUE(test::Succeeded(w.finish(mx, mn)));
    const auto info = ReadRecordingInfo(file);
    ASSERT_TRUE(info);
    auto reader = RecordingRowReader::open(*info, c.firstRow);
    ASSERT_TRUE(reader);
    if (c.cutToRows >= 0) {
        QFile f(file);
        ASSERT_TRUE(f.resize(kHeaderBytes + c.cutToRows * kRowBytes + kRowBytes / 2));
    }
    qint64 row = c.firstRow;
    std::vector<ChannelRowValues> rows;
    for (const qint64 asked : c.reads) {
        rows.assign(std::size_t(std::max<qint64>(asked, 1)), ChannelRowValues{});
        const qint64 got =
            asked == 0 ? qint64((*reader)->next(rows[0])) : (*reader)->read(rows.data(), asked);
        for (qint64 i = 0; i < got; ++i, ++row)
            ASSERT_EQ(rows[std::size_t(i)], expected(row)) << "row " << row;
    }
    EXPECT_EQ(row - c.firstRow, c.rowsRead);
    if (c.cutToRows >= 0)
        EXPECT_TRUE((*reader)->error().contains(QStringLiteral("文件意外结束")))
            << (*reader)->error().toStdString();
    else
        EXPECT_EQ((*reader)->error(), QString());
}

INSTANTIATE_TEST_SUITE_P(
    Reads, RowReader,
    ::testing::Values(RowReads{"LargeReadsToTheEnd", 1, {1024, 8192, 8192, 5000, 10}, -1, 20000},
                      RowReads{"OneRowThenReadsAcrossTheBuffer", 1, {0, 3000, 20000}, -1, 20000},
                      RowReads{"SmallThenLargeFromRowThree", 3, {1023, 1, 1025, 20000}, -1, 19998},
                      RowReads{"TheLastRowsOneAndEightAtATime", 19990, {0, 0, 0, 8, 0, 5}, -1, 11},
                      RowReads{"ALargeReadOfACutFileGivesNone", 1, {8192}, 5000, 0},
                      RowReads{"ACutFileAfterGoodReads", 2, {1500, 2000, 8192}, 5000, 3500}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RecordingFiles, ManualReceptionRewritesTheDuration) {
    RecordingWriter w;
    ASSERT_TRUE(test::Succeeded(w.create(path("m.MTR"), sampleHeader())));
    ExtremaValues mx{}, mn{};
    const float elapsed = 12.75f;
    ASSERT_TRUE(test::Succeeded(w.finish(mx, mn, &elapsed)));
    const auto info = ReadRecordingInfo(path("m.MTR"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->RecordCount, 0);
    EXPECT_EQ(info->header.Duration, 12.75f);
}

TEST_F(RecordingFiles, MatchesTheCheckedInGoldenFile) {
    // Two rows; every record a little-endian single.
    RecordingHeader h;
    h.StartTime = 28800;
    h.Duration = 2;
    h.Motor = {4, 10, 20, 80, 6, 0.5f, 380};
    h.CTFlags = {1, 1, 0};
    RecordingWriter w;
    ASSERT_TRUE(test::Succeeded(w.create(path("g.MTR"), h)));
    ASSERT_TRUE(
        test::Succeeded(w.appendRow({10, 220, 1.5f, -10, 221, 1.25f, 0.5f, 219.5f, -0.25f})));
    ASSERT_TRUE(test::Succeeded(w.appendRow({1, 2, 3, 4, 5, 6, 7, 8, 9})));
    MeasurementModel m;
    m.resetExtrema();
    ASSERT_TRUE(test::Succeeded(w.finish(m.RowMaximum, m.RowMinimum)));
    QFile written(path("g.MTR"));
    QFile golden(QStringLiteral(ZR5_TEST_DATA_DIR "/golden-two-rows.MTR"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    EXPECT_EQ(bytes.toHex().toStdString(), golden.readAll().toHex().toStdString());
    // record 1 is 28800.0f = 0x46E10000, stored low byte first
    EXPECT_EQ(bytes.left(4).toHex().toStdString(), "0000e146");
}

struct BadLength {
    const char* name;
    qint64 length; // -1: no file at all
    const char* mentions;
};

class BadLengths : public RecordingFiles, public ::testing::WithParamInterface<BadLength> {};

TEST_P(BadLengths, AreRefusedWithAMessageNamingTheFile) {
    const BadLength& c = GetParam();
    const QString p = path(c.name);
    if (c.length >= 0) {
        QFile f(p); // sparse: a length of gigabytes takes no room
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(c.length));
    }
    const Result<RecordingInfo> info = ReadRecordingInfo(p);
    ASSERT_FALSE(info);
    EXPECT_TRUE(info.error().contains(QString::fromUtf8(c.name))) << info.error().toStdString();
    EXPECT_TRUE(info.error().contains(QString::fromUtf8(c.mentions))) << info.error().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadLengths,
    ::testing::Values(BadLength{"missing.MTR", -1, "不存在"}, BadLength{"empty.MTR", 0, "144"},
                      BadLength{"short.MTR", 143, "144"}, BadLength{"onebyte.MTR", 145, "145"},
                      BadLength{"noextrema.MTR", 48 + 36 * 5, "228"},
                      // More rows than the analysis can hold in memory.
                      BadLength{"sparse.MTR", 144 + 36 * (kLargestRecordCount + 1), "2415919284"}),
    zr5::test::ByName());

TEST(RecordCount, FollowsTheLengthRule) {
    EXPECT_EQ(RecordCountForLength(144), 0);
    EXPECT_EQ(RecordCountForLength(1944), 50);
    EXPECT_EQ(RecordCountForLength(144 + 36 * 1000000LL), 1000000);
    EXPECT_EQ(RecordCountForLength(1943), -1);
    EXPECT_EQ(RecordCountForLength(100), -1);
}

struct RefusalCase {
    const char* name;
    qint64 rows;
    float duration;
    float start;
    float extremum;
    bool refused;
};

class Refusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusals, AnalysisNeedsRowsADurationAndFiniteNumbers) {
    const RefusalCase& c = GetParam();
    RecordingInfo info;
    info.path = QStringLiteral("x.MTR");
    info.RecordCount = c.rows;
    info.header.Duration = c.duration;
    info.header.StartTime = c.start;
    info.RowMaximum.fill(c.extremum);
    EXPECT_EQ(!AnalysisRefusal(info), c.refused) << c.name;
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
INSTANTIATE_TEST_SUITE_P(Headers, Refusals,
                         ::testing::Values(RefusalCase{"sound", 10, 60, 100, 1, false},
                                           RefusalCase{"no rows", 0, 60, 100, 1, true},
                                           RefusalCase{"no duration", 10, 0, 100, 1, true},
                                           RefusalCase{"negative duration", 10, -5, 100, 1, true},
                                           RefusalCase{"NaN duration", 10, kNaN, 100, 1, true},
                                           RefusalCase{"NaN start", 10, 60, kNaN, 1, true},
                                           RefusalCase{"NaN extremum", 10, 60, 100, kNaN, true}),
                         zr5::test::ByName());

TEST_F(RecordingFiles, SyntheticRecordingsAreDeterministicAndCarryReceptionExtrema) {
    ASSERT_TRUE(test::Succeeded(WriteSyntheticRecording(path("s1.MTR"), 500, 600, 42)));
    ASSERT_TRUE(test::Succeeded(WriteSyntheticRecording(path("s2.MTR"), 500, 600, 42)));
    ASSERT_TRUE(test::Succeeded(WriteSyntheticRecording(path("s3.MTR"), 500, 600, 43)));
    QFile a(path("s1.MTR")), b(path("s2.MTR")), c(path("s3.MTR"));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) &&
                c.open(QIODevice::ReadOnly));
    const QByteArray bytes = a.readAll();
    EXPECT_EQ(bytes, b.readAll());
    EXPECT_NE(bytes, c.readAll());

    const auto info = ReadRecordingInfo(path("s1.MTR"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->RecordCount, 500);
    // Recompute the extrema as a reception would have.
    MeasurementModel m;
    m.resetExtrema();
    auto reader = RecordingRowReader::open(*info);
    ASSERT_TRUE(reader);
    ChannelRowValues ch;
    bool positiveCurrent = false, negativePower = false;
    int motoring = 0, inductive = 0;
    for (int k = 1; (*reader)->next(ch); ++k) {
        SampleRowValues row{};
        std::copy(ch.begin(), ch.end(), row.begin());
        positiveCurrent |= ch[0] > 0 || ch[3] > 0 || ch[6] > 0;
        const float e = float(k * 600.0 / 500);
        ProcessSampleRow(m, 28800 + e, 28800, e, row, ch);
        negativePower |= row[2] < 0;
        if (row[2] > 0) {
            ++motoring;
            ChannelRowValues clamped = ch;
            // A lagging current: the signed power factor is negative and reads "L".
            inductive += ComputeRowPowers(clamped).PF < 0;
        }
    }
    EXPECT_EQ(info->RowMaximum, m.RowMaximum);
    EXPECT_EQ(info->RowMinimum, m.RowMinimum);
    // A running motor is inductive, as the simulated instrument's; only the compensated channel's
    // current is reversed.
    EXPECT_TRUE(positiveCurrent);
    EXPECT_GT(motoring, 0);
    EXPECT_EQ(inductive, motoring);
    EXPECT_TRUE(negativePower);
}

} // namespace

namespace {

// A recording cut before its extrema were written, as a crash, a full disk or an older version
// left it, or a complete one with a byte too many or too few. Its last modification is one minute
// after its start, the time its rows cover.
struct Cut {
    const char* name;
    qint64 length;   // bytes of the 50-row original kept (beyond its 1944 bytes: zeros added)
    qint64 rowsKept; // whole rows
    float headerDuration = 60;
    float duration = 60;    // what the repair takes
    bool fromHeader = true; // else from the file's modification time
};

void PrintTo(const Cut& c, std::ostream* os) {
    *os << c.name;
}

class CutRecordings : public RecordingFiles, public ::testing::WithParamInterface<Cut> {};

TEST_P(CutRecordings, AreRepairedIntoANewFileAsAReceptionWouldHaveCompletedThem) {
    const Cut& c = GetParam();
    const QString original = path("original.MTR");
    ASSERT_TRUE(test::Succeeded(WriteSyntheticRecording(original, 50, 60, 9, 28800)));
    QFile whole(original);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const QString cut = path("cut.MTR");
    QByteArray kept = bytes.left(c.length);
    kept.append(QByteArray(std::max<qint64>(0, c.length - bytes.size()), '\0'));
    AppendRecords(kept, &c.headerDuration, 1);
    kept.replace(4, 4, kept.right(4));
    kept.chop(4);
    writeBytes(cut, kept);
    QFile cutFile(cut);
    ASSERT_TRUE(cutFile.open(QIODevice::ReadWrite));
    ASSERT_TRUE(cutFile.setFileTime(QDateTime(QDate::currentDate(), QTime(8, 1)),
                                    QFileDevice::FileModificationTime));
    cutFile.close();

    ASSERT_FALSE(ReadRecordingInfo(cut)) << "the cut file itself stays refused";
    const Result<qint64> rows = RecoverableRows(cut);
    ASSERT_TRUE(rows) << rows.error().toStdString();
    EXPECT_EQ(*rows, c.rowsKept);
    EXPECT_FALSE(RepairRecording(cut, cut)) << "never in place";

    const QString repaired = path("repaired.MTR");
    const Result<RepairReport> report = RepairRecording(cut, repaired);
    ASSERT_TRUE(report) << report.error().toStdString();
    EXPECT_EQ(report->durationFromHeader, c.fromHeader);
    EXPECT_EQ(report->durationFromFileTime, !c.fromHeader);
    EXPECT_EQ(report->duration, c.duration);
    const Result<RecordingInfo> info = ReadRecordingInfo(repaired);
    ASSERT_TRUE(info) << info.error().toStdString();
    EXPECT_EQ(info->RecordCount, c.rowsKept);
    QFile out(repaired);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const QByteArray written = out.readAll();
    EXPECT_EQ(written.mid(kHeaderBytes, c.rowsKept * kRowBytes),
              bytes.mid(kHeaderBytes, c.rowsKept * kRowBytes));
    if (c.rowsKept == 50 && c.duration == 60) { // every row kept: the extrema as stored
        EXPECT_EQ(written.toHex().toStdString(), bytes.toHex().toStdString());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, CutRecordings,
    ::testing::Values(Cut{"extrema never written", 48 + 36 * 50, 50},
                      Cut{"torn last row", 48 + 36 * 50 - 11, 49}, Cut{"header only", 48, 0},
                      // The extrema are not turned into two rows.
                      Cut{"complete but one byte too long", 144 + 36 * 50 + 1, 50},
                      Cut{"complete but one byte short", 144 + 36 * 50 - 1, 50},
                      // 144 + 36 * 47 bytes: the length of 47 rows, whose "extrema" are
                      // rows 47 and 48 and part of row 49, a maximum below its minimum.
                      Cut{"cut 24 bytes into a row", 48 + 36 * 48 + 24, 48},
                      // A copy has another modification time; the header's duration
                      // holds.
                      Cut{"copy with its header's duration", 48 + 36 * 50, 50, 600, 600},
                      Cut{"no duration in the header", 48 + 36 * 50, 50, 0, 60, false},
                      // 50 rows take at least 50 / 32 s on the line.
                      Cut{"header shorter than the rows need", 48 + 36 * 50, 50, 1.5f, 60, false}),
    zr5::test::ByName());

// A reception cut after its first row, worked by hand: the one row is recovered, the duration is
// the minute from its start (08:00) to the file's last change (08:01), and the repaired file's
// maxima and minima are that row completed at 60 s: 10 A, 250 V and 2 kW a channel give 6 kW,
// 4.5 kVar, 7.5 kVA, a power factor of 0.8, 0.1 kWh and 0.075 kVarh.
TEST_F(RecordingFiles, ACutAfterItsFirstRowIsRecoveredWithThatRowsValues) {
    RecordingHeader h = sampleHeader();
    h.StartTime = 28800;
    h.Duration = 0; // a manual reception writes its duration at the end
    const QString cut = path("one-row.MTR");
    {
        RecordingWriter writer;
        ASSERT_TRUE(test::Succeeded(writer.create(cut, h)));
        ASSERT_TRUE(test::Succeeded(writer.appendRow({10, 250, 2, 10, 250, 2, 10, 250, 2})));
        ASSERT_TRUE(test::Succeeded(writer.finish({}, {})));
    }
    QFile file(cut);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(kHeaderBytes + kRowBytes));
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate::currentDate(), QTime(8, 1)),
                                 QFileDevice::FileModificationTime));
    file.close();

    const Result<qint64> rows = RecoverableRows(cut);
    ASSERT_TRUE(rows) << rows.error().toStdString();
    EXPECT_EQ(*rows, 1);
    const QString repaired = path("repaired.MTR");
    const Result<RepairReport> report = RepairRecording(cut, repaired);
    ASSERT_TRUE(report) << report.error().toStdString();
    EXPECT_EQ(report->rows, 1);
    EXPECT_EQ(report->duration, 60.0f);
    EXPECT_TRUE(report->durationFromFileTime);
    const Result<RecordingInfo> info = ReadRecordingInfo(repaired);
    ASSERT_TRUE(info) << info.error().toStdString();
    EXPECT_EQ(info->RecordCount, 1);
    EXPECT_EQ(info->header.Duration, 60.0f);
    const std::array<float, 12> row{10, 250, 6, 10, 250, 4.5f, 10, 250, 0.8f, 7.5f, 0.1f, 0.075f};
    for (std::size_t k = 0; k < row.size(); ++k) {
        EXPECT_NEAR(info->RowMaximum[k], row[k], 1e-6) << k;
        EXPECT_NEAR(info->RowMinimum[k], row[k], 1e-6) << k;
    }
}

} // namespace
