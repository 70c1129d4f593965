#include <gtest/gtest.h>

#include "support/testnames.h"

#include <QFile>
#include <QTemporaryDir>

#include "model/measurementmodel.h"
#include "recording/recordingfile.h"
#include "recording/synthetic.h"

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
    ASSERT_EQ(w.create(path("a.MTR"), sampleHeader()), QString());
    std::vector<ChannelRowValues> rows;
    for (int k = 1; k <= 50; ++k) {
        ChannelRowValues r;
        for (int j = 0; j < 9; ++j)
            r[j] = float(k * 10 + j) * (j % 3 == 0 && k % 2 ? -1.0f : 1.0f);
        rows.push_back(r);
        ASSERT_EQ(w.appendRow(r), QString());
    }
    ExtremaValues mx, mn;
    for (int k = 0; k < 12; ++k) {
        mx[k] = float(k + 100);
        mn[k] = float(-k);
    }
    ASSERT_EQ(w.finish(mx, mn), QString());

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

TEST_F(RecordingFiles, ManualReceptionRewritesTheDuration) {
    RecordingWriter w;
    ASSERT_EQ(w.create(path("m.MTR"), sampleHeader()), QString());
    ExtremaValues mx{}, mn{};
    const float elapsed = 12.75f;
    ASSERT_EQ(w.finish(mx, mn, &elapsed), QString());
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
    ASSERT_EQ(w.create(path("g.MTR"), h), QString());
    ASSERT_EQ(w.appendRow({10, 220, 1.5f, -10, 221, 1.25f, 0.5f, 219.5f, -0.25f}), QString());
    ASSERT_EQ(w.appendRow({1, 2, 3, 4, 5, 6, 7, 8, 9}), QString());
    MeasurementModel m;
    m.resetExtrema();
    ASSERT_EQ(w.finish(m.RowMaximum, m.RowMinimum), QString());
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
    if (c.length >= 0)
        writeBytes(p, QByteArray(int(c.length), '\0'));
    const Result<RecordingInfo> info = ReadRecordingInfo(p);
    ASSERT_FALSE(info);
    EXPECT_TRUE(info.error().contains(QString::fromUtf8(c.name))) << info.error().toStdString();
    EXPECT_TRUE(info.error().contains(QString::fromUtf8(c.mentions))) << info.error().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Files, BadLengths,
                         ::testing::Values(BadLength{"missing.MTR", -1, "不存在"},
                                           BadLength{"empty.MTR", 0, "144"},
                                           BadLength{"short.MTR", 143, "144"},
                                           BadLength{"onebyte.MTR", 145, "145"},
                                           BadLength{"noextrema.MTR", 48 + 36 * 5, "228"}),
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
    EXPECT_EQ(!AnalysisRefusal(info).isEmpty(), c.refused) << c.name;
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
    ASSERT_EQ(WriteSyntheticRecording(path("s1.MTR"), 500, 600, 42), QString());
    ASSERT_EQ(WriteSyntheticRecording(path("s2.MTR"), 500, 600, 42), QString());
    ASSERT_EQ(WriteSyntheticRecording(path("s3.MTR"), 500, 600, 43), QString());
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
    bool negativeCurrent = false, negativePower = false;
    for (int k = 1; (*reader)->next(ch); ++k) {
        SampleRowValues row{};
        std::copy(ch.begin(), ch.end(), row.begin());
        negativeCurrent |= ch[0] < 0 || ch[3] < 0 || ch[6] < 0;
        const float e = float(k * 600.0 / 500);
        ProcessSampleRow(m, 28800 + e, 28800, e, row, ch);
        negativePower |= row[2] < 0;
    }
    EXPECT_EQ(info->RowMaximum, m.RowMaximum);
    EXPECT_EQ(info->RowMinimum, m.RowMinimum);
    EXPECT_TRUE(negativeCurrent);
    EXPECT_TRUE(negativePower);
}

} // namespace
