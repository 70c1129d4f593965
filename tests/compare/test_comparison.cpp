#include <gtest/gtest.h>

#include <QJsonArray>
#include <QTemporaryDir>
#include <algorithm>

#include "analysiswindow/testrecording.h"
#include "compare/comparison.h"

using namespace zr5;

namespace {

// 10 kW, 4 poles, 20 A, 380 V; no-load 6 A and P0. With a rated efficiency of 80 % the rated
// losses are 10 x (100/80 - 1) = 2.5 kW, K = 2.5 - P0; at 82 % they are 10 x 18/82 = 2.195122 kW.
std::array<float, 7> Motor(float efficiency, float noLoadPower) {
    return {4, 10, 20, efficiency, 6, noLoadPower, 380};
}

// Every row draws p kW on channel 1 (400 V, 40 A: 16 kVA, room for any p here).
test::RowSource Constant(float p) {
    return [p](qint64) { return ChannelRowValues{40, 400, p, 1, 400, 0, 1, 400, 0}; };
}

struct Side {
    std::array<float, 7> motor;
    float power;    // kW of every row
    float duration; // s
    qint64 rows = 360;
};

QString Write(const QTemporaryDir& dir, const char* name, const Side& s) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    EXPECT_EQ(test::WriteTestRecording(path, s.rows, s.duration, Constant(s.power), s.motor), "");
    return path;
}

const ComparisonRow* Row(const std::vector<ComparisonRow>& rows, const char* key) {
    for (const ComparisonRow& r : rows)
        if (r.key == QLatin1String(key))
            return &r;
    return nullptr;
}

} // namespace

// Output P2 = b PN, input P1 = b PN + P0 + b² K, each worked by hand:
// - 80 % at half load (P0 0.5, K 2): P1 = 5 + 0.5 + 0.25 x 2 = 6 kW for 5 kW out, 1.2 kWh/kWh.
// - 82 % at half load (P0 0.5, K 1.695122): P1 = 5.5 + 0.25 x 1.695122 = 5.923780 kW,
//   1.184756 kWh/kWh. One hour of each: 5 kWh out; the saving (1.2 - 1.184756) x 5 = 0.076220 kWh,
//   a year of 6000 h 457.317 kWh, at 0.8 元 365.854 元.
// - The same 80 % motor with P0 = 5/6 (βJ² = P0/K = 0.5) at full load (P1 = 12.5) and at half
//   load (P1 = 5 + 5/6 + 0.25 x 5/3 = 6.25): 1.25 kWh/kWh both, no saving though half the input.
TEST(Comparison, SavingIsTheSpecificInputChangeTimesTheOutputAfter) {
    const auto M80 = Motor(80, 0.5f), M82 = Motor(82, 0.5f), MJ = Motor(80, 5.0f / 6.0f);
    struct Case {
        const char* name;
        Side before, after;
        double specificBefore, specificAfter, kwh, annualKwh, money;
        double inputBefore, inputAfter; // kWh, the naive comparison
        std::vector<const char*> warnings;
    } cases[] = {
        {"two points more efficient after",
         {M80, 6, 3600},
         {M82, 5.9237805f, 3600},
         1.2,
         1.1847561,
         0.0762195,
         457.317,
         365.854,
         6,
         5.9237805,
         {}},
        {"swapped: the negative saving",
         {M82, 5.9237805f, 3600},
         {M80, 6, 3600},
         1.1847561,
         1.2,
         -0.0762195,
         -457.317,
         -365.854,
         5.9237805,
         6,
         {}},
        {"same motor, half the load after",
         {MJ, 12.5f, 3600},
         {MJ, 6.25f, 3600},
         1.25,
         1.25,
         0,
         0,
         0,
         12.5,
         6.25,
         {"平均负载率相差超过五分之一（改造前 100.0%，改造后 50.0%）"}},
        {"five minutes after: a year from 1/12 h",
         {M80, 6, 3600},
         {M82, 5.9237805f, 300, 30},
         1.2,
         1.1847561,
         0.0762195 / 12,
         457.317,
         365.854,
         6,
         5.9237805 / 12,
         {"改造后记录的正常运行时间只有 5.0 分钟"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const Result<Comparison> r =
            CompareRecordingFiles(Write(dir, "before.MTR", c.before),
                                  Write(dir, "after.MTR", c.after), DataDirectory(dir.path()), {});
        ASSERT_TRUE(r) << r.error().toStdString();
        EXPECT_NEAR(r->specificBefore(), c.specificBefore, 2e-6);
        EXPECT_NEAR(r->specificAfter(), c.specificAfter, 2e-6);
        EXPECT_NEAR(r->saving.kwh, c.kwh, 2e-6);
        EXPECT_NEAR(r->saving.annualKwh, c.annualKwh, 2e-3);
        EXPECT_NEAR(r->saving.annualMoney, c.money, 2e-3);
        ASSERT_EQ(r->warnings.size(), qsizetype(c.warnings.size()))
            << r->warnings.join('\n').toStdString();
        for (std::size_t i = 0; i < c.warnings.size(); ++i)
            EXPECT_TRUE(r->warnings[qsizetype(i)].contains(QString::fromUtf8(c.warnings[i])))
                << r->warnings[qsizetype(i)].toStdString();

        // The table shows the naive change beside the normalised one, and the assessment's own
        // figures (the hours per zone) came along by their keys.
        const std::vector<ComparisonRow> rows = ComparisonRows(*r);
        const ComparisonRow* input = Row(rows, "input_energy_kwh");
        ASSERT_NE(input, nullptr);
        EXPECT_NEAR(*input->before, c.inputBefore, 2e-5);
        EXPECT_NEAR(*input->after, c.inputAfter, 2e-5);
        EXPECT_NEAR(*input->percent(), 100 * (c.inputAfter - c.inputBefore) / c.inputBefore, 1e-3);
        ASSERT_NE(Row(rows, "zone_hours/economic"), nullptr);
        // What another motor would save is an estimate, not a measured figure to set side by side.
        for (const ComparisonRow& row : rows)
            EXPECT_FALSE(row.key.contains(QStringLiteral("saving"))) << row.key.toStdString();
        const ComparisonRow* specific = Row(rows, "specific_input");
        ASSERT_NE(specific, nullptr);
        EXPECT_NEAR(*specific->difference(), c.specificAfter - c.specificBefore, 4e-6);
        EXPECT_EQ(Row(rows, "normal_rows")->after, double(c.after.rows));

        // The JSON carries each recording's assessment object and the keys.
        const QJsonObject json = ComparisonJson(*r);
        EXPECT_NEAR(json["before"].toObject()["input_energy_kwh"].toDouble(), c.inputBefore, 2e-5);
        EXPECT_TRUE(json["after"].toObject().contains(QStringLiteral("zone_hours")));
        EXPECT_NEAR(json["measured_saving_kwh"].toDouble(), c.kwh, 2e-6);
        EXPECT_NEAR(json["specific_input_after"].toDouble(), c.specificAfter, 2e-6);
        EXPECT_NEAR(json["annual_saving_money"].toDouble(), c.money, 2e-3);
        EXPECT_EQ(json["warnings"].toArray().size(), qsizetype(c.warnings.size()));
    }
}

// Swapping needs no second read and turns the saving round; the warnings stay.
TEST(Comparison, SwappingInMemoryNegatesTheSaving) {
    QTemporaryDir dir;
    const Result<Comparison> r = CompareRecordingFiles(
        Write(dir, "b.MTR", {Motor(80, 0.5f), 6, 3600}),
        Write(dir, "a.MTR", {Motor(82, 0.5f), 5.9237805f, 300, 30}), DataDirectory(dir.path()), {});
    ASSERT_TRUE(r);
    const Comparison s = CompareRecordings(r->after, r->before, r->settings);
    // The after-recording is now the hour at 80 %: (1.1847561 - 1.2) x 5 kWh.
    EXPECT_NEAR(s.saving.kwh, -0.0762195, 2e-6);
    EXPECT_EQ(s.warnings.size(), 1);
    EXPECT_TRUE(s.warnings[0].startsWith(QStringLiteral("改造前记录")));
}

TEST(Comparison, RefusesWhatCannotBeCompared) {
    QTemporaryDir dir;
    const QString good = Write(dir, "good.MTR", {Motor(80, 0.5f), 6, 3600});
    const struct {
        const char* name;
        Side side;
        const char* message;
    } cases[] = {
        {"no duration", {Motor(80, 0.5f), 6, 0}, "改造后记录："},
        {"no rated data", {{0, 0, 0, 0, 0, 0, 0}, 6, 3600}, "没有有效的电动机额定数据"},
        {"no normal running", {Motor(80, 0.5f), 0.25f, 3600}, "没有正常运行的数据"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = Write(dir, c.name, c.side);
        const Result<Comparison> r =
            CompareRecordingFiles(good, path, DataDirectory(dir.path()), {});
        ASSERT_FALSE(r);
        EXPECT_TRUE(r.error().contains(QString::fromUtf8(c.message))) << r.error().toStdString();
        EXPECT_TRUE(r.error().startsWith(QStringLiteral("改造后"))) << r.error().toStdString();
        // In the other place it is named as the before-recording.
        const Result<Comparison> swapped =
            CompareRecordingFiles(path, good, DataDirectory(dir.path()), {});
        ASSERT_FALSE(swapped);
        EXPECT_TRUE(swapped.error().startsWith(QStringLiteral("改造前")));
    }
    EXPECT_FALSE(
        CompareRecordingFiles(good, dir.filePath("missing.MTR"), DataDirectory(dir.path()), {}));
}

// The load-duration curve: rows of 1..10 kW in turn, ten of each, sorted from the highest:
// 10 kW for the first tenth of the time, 1 kW for the last, 5 kW at index round(99 x 200/400) = 50.
// The cloud: every normal row in the cell of its load rate (2 % wide) and efficiency (1 % high).
TEST(Comparison, LoadDurationCurveAndCloudCells) {
    QTemporaryDir dir;
    const QString path = dir.filePath("steps.MTR");
    ASSERT_EQ(test::WriteTestRecording(
                  path, 100, 1000,
                  [](qint64 r) {
                      return ChannelRowValues{40,  400, float(1 + (r - 1) % 10), 1, 400, 0, 1,
                                              400, 0};
                  },
                  Motor(80, 0.5f)),
              "");
    const Result<ComparedRecording> r =
        AnalyseForComparison(path, QStringLiteral("改造前"), DataDirectory(dir.path()), {});
    ASSERT_TRUE(r) << r.error().toStdString();
    const std::vector<float>& d = r->loadDuration;
    ASSERT_EQ(d.size(), std::size_t(ComparedRecording::kDurationPoints));
    EXPECT_EQ(d.front(), 10);
    EXPECT_EQ(d[200], 5);
    EXPECT_EQ(d.back(), 1);
    EXPECT_TRUE(std::is_sorted(d.rbegin(), d.rend()));
    EXPECT_EQ(r->normalRows, 100);
    EXPECT_EQ(r->cloud.rows, 100);

    const struct {
        double load, efficiency;
        int loadCell, efficiencyCell;
    } cells[] = {{50.5, 83.3, 25, 83}, {149.9, 99.5, 74, 99}, {200, 120, 74, 99},
                 {-1, -5, 0, 0},       {0, 0, 0, 0},          {3.99, 1.01, 1, 1}};
    for (const auto& c : cells) {
        EfficiencyCloud one;
        one.add(c.load, c.efficiency);
        EXPECT_EQ(one.count(c.loadCell, c.efficiencyCell), 1) << c.load << " " << c.efficiency;
    }
}
