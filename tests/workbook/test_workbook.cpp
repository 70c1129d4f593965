// Workbooks read back by an independent reader (openpyxl, through tests/workbook/read_workbook.py):
// the data sheets hold the CSV export's numbers and texts under Chinese headers with units, split
// where a spreadsheet ends; the curves are native charts over a per-column minimum and maximum
// worked out here from the CSV; an existing workbook is kept unless --overwrite.

#include <gtest/gtest.h>

#include "support/testnames.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <optional>

#include "recording/synthetic.h"
#include "support/succeeded.h"
#include "workbook/recordingworkbook.h"

using namespace zr5;

namespace {

struct ProcessRun {
    int exitCode;
    QByteArray out;
    QString err;
};

ProcessRun run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(600000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            QString::fromUtf8(p.readAllStandardError()).trimmed()};
}

ProcessRun tool(const QStringList& args) {
    return run(QStringLiteral(ZR5_TOOL_PATH), args);
}

// The workbook as openpyxl reads it.
QJsonObject readWorkbook(const QString& path, const QStringList& mode) {
    const ProcessRun r = run(QStringLiteral("/usr/bin/python3"),
                             QStringList{QStringLiteral(ZR5_WORKBOOK_READER), path} + mode);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    return QJsonDocument::fromJson(r.out).object();
}

// The CSV export's lines after its header, split at the commas.
std::vector<QStringList> csvRows(const QStringList& args) {
    const ProcessRun r = tool(QStringList{QStringLiteral("export")} + args);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    QList<QByteArray> lines = r.out.split('\n');
    std::vector<QStringList> rows;
    for (qsizetype i = 1; i < lines.size(); ++i)
        if (!lines[i].isEmpty())
            rows.push_back(QString::fromLatin1(lines[i]).split(QLatin1Char(',')));
    return rows;
}

const QStringList kHeaders = {"序号",
                              "时间（s）",
                              "一路电流（A）",
                              "一路电压（V）",
                              "一路有功功率（kW）",
                              "二路电流（A）",
                              "二路电压（V）",
                              "二路有功功率（kW）",
                              "三路电流（A）",
                              "三路电压（V）",
                              "三路有功功率（kW）",
                              "有功功率（kW）",
                              "无功功率（kVar）",
                              "视在功率（kVA）",
                              "功率因数",
                              "有功电量（W·h）",
                              "无功电量（Var·h）",
                              "电机状态",
                              "负载率（%）",
                              "输出功率（kW）",
                              "效率（%）",
                              "电压不平衡度（%）",
                              "电流不平衡度（%）"};
constexpr int kStateColumn = 17;

// A cell holds the CSV field: the same text for the state, otherwise a number equal to the
// field's decimal.
void expectCell(const QJsonValue& cell, const QString& field, const std::string& where) {
    bool isNumber = false;
    const double number = field.toDouble(&isNumber);
    if (!isNumber || field == QLatin1String("nan") || field.contains(QLatin1String("inf"))) {
        EXPECT_EQ(cell.toString(), field) << where;
        return;
    }
    ASSERT_TRUE(cell.isDouble()) << where << ": not a number but " << cell.toString().toStdString();
    EXPECT_EQ(cell.toDouble(), number) << where << ": the CSV has " << field.toStdString();
}

class Recording {
public:
    Recording(qint64 rows, float duration, quint64 seed) {
        path_ = dir_.filePath(QStringLiteral("rec.MTR"));
        EXPECT_TRUE(test::Succeeded(WriteSyntheticRecording(path_, rows, duration, seed)));
    }
    const QString& path() const { return path_; }
    QString file(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    QString path_;
};

struct DataCase {
    const char* name;
    qint64 rows;
    const char* from; // --from and --to, or null for the whole recording
    const char* to;
    qint64 sheetRows; // 0: the tool, with a spreadsheet's rows per sheet; else the core's writer
};

const DataCase kDataCases[] = {
    {"whole recording by the tool", 3000, nullptr, nullptr, 0},
    {"time range by the tool", 3000, "100", "200", 0},
    {"split every 700 rows", 2000, nullptr, nullptr, 700},
};

void PrintTo(const DataCase& c, std::ostream* os) {
    *os << c.name;
}

class DataSheets : public ::testing::TestWithParam<DataCase> {};

TEST_P(DataSheets, HoldTheCsvNumbersUnderHeadersWithUnits) {
    const DataCase& c = GetParam();
    Recording rec(c.rows, 600, 3);
    const QString xlsx = rec.file(QStringLiteral("out.xlsx"));
    QStringList range;
    if (c.from)
        range << QStringLiteral("--from") << QString::fromLatin1(c.from) << QStringLiteral("--to")
              << QString::fromLatin1(c.to);
    if (c.sheetRows == 0) {
        const ProcessRun r =
            tool(QStringList{QStringLiteral("export"), rec.path(), QStringLiteral("--xlsx"), xlsx} +
                 range);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    } else {
        RecordingWorkbookOptions options;
        options.sheetRows = c.sheetRows;
        const RecordingWorkbookOutcome o = WriteRecordingWorkbook(rec.path(), xlsx, options);
        ASSERT_TRUE(o.status) << o.status.error().toStdString();
    }
    const std::vector<QStringList> csv = csvRows(QStringList{rec.path()} + range);
    ASSERT_FALSE(csv.empty());
    if (c.from) {
        ASSERT_LT(csv.size(), std::size_t(c.rows));
    }

    const QJsonObject wb = readWorkbook(xlsx, {QStringLiteral("full")});
    const qint64 perSheet = c.sheetRows ? c.sheetRows : 1048575;
    const qint64 sheetCount = (qint64(csv.size()) + perSheet - 1) / perSheet;
    QStringList expectedSheets{QStringLiteral("概况"), QStringLiteral("数据")};
    for (qint64 k = 2; k <= sheetCount; ++k)
        expectedSheets << QStringLiteral("数据 %1").arg(k);
    expectedSheets << QStringLiteral("曲线") << QStringLiteral("曲线数据");
    QStringList sheets;
    for (const QJsonValue& v : wb[QStringLiteral("sheets")].toArray())
        sheets << v.toString();
    ASSERT_EQ(sheets, expectedSheets);

    std::size_t next = 0;
    for (qint64 k = 1; k <= sheetCount; ++k) {
        const QString name = expectedSheets[k];
        const QJsonArray cells = wb[QStringLiteral("cells")][name].toArray();
        QStringList header;
        for (const QJsonValue& v : cells[0].toArray())
            header << v.toString();
        EXPECT_EQ(header, kHeaders) << name.toStdString();
        const std::size_t rows = std::min<std::size_t>(perSheet, csv.size() - next);
        ASSERT_EQ(std::size_t(cells.size()), rows + 1) << name.toStdString();
        EXPECT_EQ(wb[QStringLiteral("frozen")][name].toString(), QStringLiteral("A2"));
        EXPECT_EQ(wb[QStringLiteral("autofilter")][name].toString(),
                  QStringLiteral("A1:W%1").arg(rows + 1));
        const QJsonArray formats = wb[QStringLiteral("formats")][name].toArray();
        ASSERT_EQ(formats.size(), 23);
        EXPECT_EQ(formats[0].toString(), QStringLiteral("0"));
        for (int col = 1; col < 23; ++col)
            EXPECT_EQ(formats[col].toString(), QStringLiteral("General")) << col;
        for (std::size_t i = 0; i < rows; ++i, ++next) {
            const QJsonArray row = cells[qsizetype(i + 1)].toArray();
            ASSERT_EQ(row.size(), csv[next].size());
            for (int col = 0; col < row.size(); ++col)
                expectCell(row[col], csv[next][col],
                           QStringLiteral("%1 row %2 column %3")
                               .arg(name)
                               .arg(i + 2)
                               .arg(col)
                               .toStdString());
            EXPECT_TRUE(row[kStateColumn].isString());
        }
    }
    EXPECT_EQ(next, csv.size());
}

INSTANTIATE_TEST_SUITE_P(Cases, DataSheets, ::testing::ValuesIn(kDataCases), zr5::test::ByName{});

struct CurveCase {
    const char* name;
    qint64 rows;
    qint64 rowsPerColumn; // 1: every row is a point; else each column gives its minimum and maximum
};

const CurveCase kCurveCases[] = {
    {"short recording keeps every row", 300, 1},
    {"long recording is reduced to 2000 columns", 10000, 5},
};

void PrintTo(const CurveCase& c, std::ostream* os) {
    *os << c.name;
}

class CurveSheet : public ::testing::TestWithParam<CurveCase> {};

TEST_P(CurveSheet, ChartsTheColumnMinimumAndMaximum) {
    const CurveCase& c = GetParam();
    Recording rec(c.rows, 3600, 11);
    const QString xlsx = rec.file(QStringLiteral("out.xlsx"));
    const ProcessRun r =
        tool({QStringLiteral("export"), rec.path(), QStringLiteral("--xlsx"), xlsx});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const std::vector<QStringList> csv = csvRows({rec.path()});
    const QJsonObject wb = readWorkbook(xlsx, {QStringLiteral("full")});

    // The series worked out from the CSV: time, then per series the CSV column it draws.
    const int columns[] = {1, 2, 5, 8, 3, 6, 9, 11, 14, 20, 18};
    const bool operatingPointOnly[] = {false, false, false, false, false, false,
                                       false, false, false, true,  true};
    std::vector<std::array<std::optional<double>, 11>> expected;
    for (std::size_t first = 0; first < csv.size(); first += std::size_t(c.rowsPerColumn)) {
        std::array<std::optional<double>, 11> low{}, high{};
        low[0] = high[0] = csv[first][1].toDouble();
        for (std::size_t i = first; i < first + std::size_t(c.rowsPerColumn); ++i)
            for (int s = 1; s < 11; ++s) {
                if (operatingPointOnly[s] && csv[i][kStateColumn] != QLatin1String("normal"))
                    continue;
                const double v = csv[i][columns[s]].toDouble();
                low[s] = low[s] ? std::min(*low[s], v) : v;
                high[s] = high[s] ? std::max(*high[s], v) : v;
            }
        expected.push_back(low);
        if (c.rowsPerColumn > 1)
            expected.push_back(high);
    }
    const QJsonArray series = wb[QStringLiteral("cells")][QStringLiteral("曲线数据")].toArray();
    ASSERT_EQ(std::size_t(series.size()), expected.size() + 1);
    const QJsonArray seriesHeader = series[0].toArray();
    EXPECT_EQ(seriesHeader[0].toString(), QStringLiteral("时间（s）"));
    for (int s = 1; s < 11; ++s)
        EXPECT_EQ(seriesHeader[s].toString(), kHeaders[columns[s]]);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const QJsonArray row = series[qsizetype(i + 1)].toArray();
        for (int s = 0; s < 11; ++s) {
            if (expected[i][std::size_t(s)]) {
                EXPECT_EQ(row[s].toDouble(-1e300), *expected[i][std::size_t(s)])
                    << "point " << i << " series " << s;
            } else {
                EXPECT_TRUE(row[s].isNull()) << "point " << i << " series " << s;
            }
        }
    }

    const QString last = QString::number(expected.size() + 1);
    auto range = [&](char column) {
        return QStringLiteral("'曲线数据'!$%1$2:$%1$%2").arg(QLatin1Char(column)).arg(last);
    };
    const struct {
        const char* title;
        const char* columns;
    } charts[] = {{"电流", "BCD"},   {"电压", "EFG"}, {"有功功率", "H"},
                  {"功率因数", "I"}, {"效率", "J"},   {"负载率", "K"}};
    const QJsonArray found = wb[QStringLiteral("charts")].toArray();
    ASSERT_EQ(found.size(), 6);
    for (int k = 0; k < 6; ++k) {
        const QJsonObject chart = found[k].toObject();
        EXPECT_EQ(chart[QStringLiteral("sheet")].toString(), QStringLiteral("曲线"));
        EXPECT_EQ(chart[QStringLiteral("type")].toString(), QStringLiteral("ScatterChart"));
        EXPECT_EQ(chart[QStringLiteral("title")].toString(), QString::fromUtf8(charts[k].title));
        const QJsonArray s = chart[QStringLiteral("series")].toArray();
        const QByteArray cols(charts[k].columns);
        ASSERT_EQ(s.size(), cols.size()) << charts[k].title;
        for (int j = 0; j < cols.size(); ++j) {
            EXPECT_EQ(s[j][QStringLiteral("x")].toString(), range('A'));
            EXPECT_EQ(s[j][QStringLiteral("y")].toString(), range(cols[j]));
            EXPECT_EQ(s[j][QStringLiteral("name")].toString(),
                      QStringLiteral("'曲线数据'!$%1$1").arg(QLatin1Char(cols[j])));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CurveSheet, ::testing::ValuesIn(kCurveCases), zr5::test::ByName{});

// The summary: what the recording and the pass give, against info --json of the same file.
TEST(SummarySheet, HoldsTheRecordingTheMotorAndTheTotals) {
    Recording rec(500, 120, 5);
    const QString xlsx = rec.file(QStringLiteral("out.xlsx"));
    const ProcessRun r =
        tool({QStringLiteral("export"), rec.path(), QStringLiteral("--xlsx"), xlsx});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const ProcessRun info = tool({QStringLiteral("info"), QStringLiteral("--json"), rec.path()});
    ASSERT_EQ(info.exitCode, 0);
    const QJsonObject j = QJsonDocument::fromJson(info.out).object();
    const QJsonObject motor = j[QStringLiteral("motor")].toObject();
    const QJsonObject analysis = j[QStringLiteral("analysis")].toObject();
    const QJsonArray cells =
        readWorkbook(xlsx,
                     {QStringLiteral("full")})[QStringLiteral("cells")][QStringLiteral("概况")]
            .toArray();
    QMap<QString, QJsonArray> byLabel;
    for (const QJsonValue& row : cells)
        byLabel[row.toArray()[0].toString()] = row.toArray();
    const struct {
        const char* label;
        double value; // as single precision
        const char* unit;
    } lines[] = {
        {"累计时间", 120, "秒"},
        {"数据组数", 500, "组"},
        {"导出起始组", 1, nullptr},
        {"导出结束组", 500, nullptr},
        {"额定功率", motor[QStringLiteral("rated_power")].toDouble(), "kW"},
        {"额定电流", motor[QStringLiteral("rated_current")].toDouble(), "A"},
        {"额定电压", motor[QStringLiteral("rated_voltage")].toDouble(), "V"},
        {"额定损耗", motor[QStringLiteral("rated_losses")].toDouble(), "kW"},
        {"有功电量", analysis[QStringLiteral("total_active_energy")].toDouble(), "W·h"},
        {"无功电量", analysis[QStringLiteral("total_reactive_energy")].toDouble(), "Var·h"},
        {"效率最大值", analysis[QStringLiteral("efficiency_max")].toDouble(), "%"},
        {"负载率最小值", analysis[QStringLiteral("load_rate_min")].toDouble(), "%"},
    };
    ASSERT_TRUE(motor[QStringLiteral("valid")].toBool());
    for (const auto& l : lines) {
        const QJsonArray row = byLabel.value(QString::fromUtf8(l.label));
        ASSERT_GE(row.size(), 2) << l.label;
        EXPECT_EQ(float(row[1].toDouble()), float(l.value)) << l.label;
        EXPECT_EQ(row[2].toString(), l.unit ? QString::fromUtf8(l.unit) : QString()) << l.label;
    }
    EXPECT_EQ(byLabel.value(QStringLiteral("数据文件"))[1].toString(), rec.path());
}

// An existing workbook: kept without --overwrite, replaced with it; a folder is never written.
struct ExistingCase {
    const char* name;
    bool overwrite;
    bool folder; // the target is a folder
    bool replaced;
    const char* message; // part of the message, or null for success
};

const ExistingCase kExistingCases[] = {
    {"kept without overwrite", false, false, false, "已存在；要覆盖它请加 --overwrite"},
    {"replaced with overwrite", true, false, true, nullptr},
    {"folder refused", true, true, false, "是文件夹，不能作为输出文件"},
};

void PrintTo(const ExistingCase& c, std::ostream* os) {
    *os << c.name;
}

class ExistingOutput : public ::testing::TestWithParam<ExistingCase> {};

TEST_P(ExistingOutput, IsKeptUnlessOverwriteAsked) {
    const ExistingCase& c = GetParam();
    Recording rec(100, 60, 2);
    const QString xlsx = rec.file(QStringLiteral("out.xlsx"));
    const QByteArray before("the user's own workbook");
    if (c.folder) {
        ASSERT_TRUE(QDir().mkdir(xlsx));
    } else {
        QFile f(xlsx);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(before);
    }
    QStringList args{QStringLiteral("export"), rec.path(), QStringLiteral("--xlsx"), xlsx};
    if (c.overwrite)
        args << QStringLiteral("--overwrite");
    const ProcessRun r = tool(args);
    if (c.message) {
        EXPECT_NE(r.exitCode, 0);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
    } else {
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    }
    if (!c.folder) {
        QFile f(xlsx);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray after = f.readAll();
        EXPECT_EQ(after != before, c.replaced);
        if (c.replaced) {
            EXPECT_TRUE(after.startsWith("PK")) << "not a zip file";
        }
    }
    // Nothing else is left in the folder: no temporary file of the writer or of the library.
    EXPECT_EQ(
        QDir(rec.file(QString())).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList{c.folder ? QStringLiteral("rec.MTR") : QStringLiteral("out.xlsx")} +
            (c.folder ? QStringList{} : QStringList{QStringLiteral("rec.MTR")}));
}

INSTANTIATE_TEST_SUITE_P(Cases, ExistingOutput, ::testing::ValuesIn(kExistingCases),
                         zr5::test::ByName{});

// A recording one row longer than a spreadsheet's sheet: the last row goes on to "数据 2".
TEST(LongRecording, ContinuesOnASecondDataSheetAfter1048576Rows) {
    const qint64 rows = 1048577;
    QTemporaryDir dir;
    const QString mtr = dir.filePath(QStringLiteral("long.MTR"));
    const QString xlsx = dir.filePath(QStringLiteral("long.xlsx"));
    const QString csv = dir.filePath(QStringLiteral("long.csv"));
    const ProcessRun synth =
        tool({QStringLiteral("synth"), mtr, QStringLiteral("--rows"), QString::number(rows),
              QStringLiteral("--duration"), QStringLiteral("36000"), QStringLiteral("--seed"),
              QStringLiteral("9")});
    ASSERT_EQ(synth.exitCode, 0) << synth.err.toStdString();
    const ProcessRun x = tool({QStringLiteral("export"), mtr, QStringLiteral("--xlsx"), xlsx});
    ASSERT_EQ(x.exitCode, 0) << x.err.toStdString();
    const ProcessRun c = tool({QStringLiteral("export"), mtr, QStringLiteral("--output"), csv});
    ASSERT_EQ(c.exitCode, 0) << c.err.toStdString();
    QFile csvFile(csv);
    ASSERT_TRUE(csvFile.open(QIODevice::ReadOnly));
    csvFile.seek(csvFile.size() - 4096);
    QList<QByteArray> tail = csvFile.readAll().split('\n');
    tail.removeAll(QByteArray());

    const QJsonObject wb = readWorkbook(xlsx, {QStringLiteral("sheets"), QStringLiteral("数据 2")});
    QStringList sheets;
    for (const QJsonValue& v : wb[QStringLiteral("sheets")].toArray())
        sheets << v.toString();
    EXPECT_EQ(sheets,
              (QStringList{QStringLiteral("概况"), QStringLiteral("数据"), QStringLiteral("数据 2"),
                           QStringLiteral("曲线"), QStringLiteral("曲线数据")}));
    EXPECT_EQ(wb[QStringLiteral("max_row")][QStringLiteral("数据")].toInt(), 1048576);
    const QJsonArray second = wb[QStringLiteral("cells")][QStringLiteral("数据 2")].toArray();
    ASSERT_EQ(second.size(), 3); // the header and rows 1,048,576 and 1,048,577
    QStringList header;
    for (const QJsonValue& v : second[0].toArray())
        header << v.toString();
    EXPECT_EQ(header, kHeaders);
    for (int i = 0; i < 2; ++i) {
        const QStringList fields =
            QString::fromLatin1(tail[tail.size() - 2 + i]).split(QLatin1Char(','));
        EXPECT_EQ(fields[0], QString::number(1048576 + i));
        const QJsonArray row = second[i + 1].toArray();
        ASSERT_EQ(row.size(), fields.size());
        for (int col = 0; col < row.size(); ++col)
            expectCell(row[col], fields[col], "数据 2 row " + std::to_string(i + 2));
    }
}

} // namespace

namespace {

// The value at a place of the JSON: "a.b", "a[0].b".
QJsonValue JsonAt(const QJsonObject& root, const QString& place) {
    QJsonValue v = root;
    for (const QString& part : place.split(QLatin1Char('.'))) {
        const qsizetype bracket = part.indexOf(QLatin1Char('['));
        v = v.toObject().value(bracket < 0 ? part : part.left(bracket));
        if (bracket >= 0)
            v = v.toArray().at(part.mid(bracket + 1).chopped(1).toInt());
    }
    return v;
}

// Every place of a value that is no object or array, and not null.
void JsonLeaves(const QJsonValue& v, const QString& place, QStringList& out) {
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            JsonLeaves(it.value(), place.isEmpty() ? it.key() : place + QLatin1Char('.') + it.key(),
                       out);
    } else if (v.isArray()) {
        const QJsonArray a = v.toArray();
        for (qsizetype i = 0; i < a.size(); ++i)
            JsonLeaves(a[i], QStringLiteral("%1[%2]").arg(place).arg(i), out);
    } else if (!v.isNull()) {
        out << place;
    }
}

struct AssessCase {
    const char* name;
    bool motorData; // false: the header's rated data are zeroed
};

const AssessCase kAssessCases[] = {{"motor with rated data", true}, {"no motor data", false}};

void PrintTo(const AssessCase& c, std::ostream* os) {
    *os << c.name;
}

class AssessmentSheet : public ::testing::TestWithParam<AssessCase> {};

// Sheet "评估" against assess --json of the same run: every figure by its key, the load bands
// with the zone of their middle worked out from βJJ here, and the column chart over them.
TEST_P(AssessmentSheet, HoldsTheFiguresOfAssessJsonAndTheLoadBandChart) {
    const AssessCase& c = GetParam();
    Recording rec(3000, 7200, 4);
    if (!c.motorData) {
        QFile f(rec.path());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(8); // the seven rated values follow the start time and the duration
        const std::array<float, 7> none{};
        f.write(reinterpret_cast<const char*>(none.data()), qint64(sizeof none));
    }
    const QString xlsx = rec.file(QStringLiteral("a.xlsx"));
    const ProcessRun r = tool({QStringLiteral("--data-dir"), rec.file(QStringLiteral("data")),
                               QStringLiteral("assess"), rec.path(), QStringLiteral("--json"),
                               QStringLiteral("--xlsx"), xlsx});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(r.out).object();
    ASSERT_FALSE(json.isEmpty());
    const QJsonObject wb = readWorkbook(xlsx, {QStringLiteral("full")});
    EXPECT_EQ(wb[QStringLiteral("sheets")].toArray(),
              (QJsonArray{QStringLiteral("概况"), QStringLiteral("评估")}));
    const QJsonArray cells = wb[QStringLiteral("cells")][QStringLiteral("评估")].toArray();
    ASSERT_GT(cells.size(), 1);
    const QJsonArray heads = cells[0].toArray();
    ASSERT_GE(heads.size(), 6);
    EXPECT_EQ(heads[1].toString(), QStringLiteral("数值"));
    EXPECT_EQ(heads[5].toString(), QStringLiteral("键"));

    // Every keyed row holds its JSON value ("—" for null); every value of the JSON is there.
    QStringList keyed;
    qsizetype bandHead = -1;
    for (qsizetype i = 1; i < cells.size(); ++i) {
        const QJsonArray row = cells[i].toArray();
        if (row[0].toString() == QStringLiteral("负载率（%）"))
            bandHead = i;
        // The band table under the figures has no keys.
        const QString key = bandHead < 0 && row.size() > 5 ? row[5].toString() : QString();
        if (key.isEmpty())
            continue;
        keyed << key;
        const QJsonValue expected = JsonAt(json, key);
        SCOPED_TRACE(key.toStdString());
        if (expected.isNull()) {
            EXPECT_EQ(row[1].toString(), QStringLiteral("—"));
        } else if (expected.isDouble()) {
            ASSERT_TRUE(row[1].isDouble());
            EXPECT_EQ(row[1].toDouble(), expected.toDouble());
        } else {
            EXPECT_EQ(row[1].toString(), expected.toString());
        }
    }
    QStringList leaves;
    JsonLeaves(json, {}, leaves);
    ASSERT_GE(leaves.size(), 8);
    for (const QString& leaf : leaves)
        EXPECT_TRUE(keyed.contains(leaf)) << leaf.toStdString() << " is not on the sheet";
    EXPECT_EQ(keyed.removeDuplicates(), 0);

    const QJsonArray charts = wb[QStringLiteral("charts")].toArray();
    if (!c.motorData) {
        EXPECT_EQ(bandHead, -1);
        EXPECT_TRUE(charts.isEmpty());
        return;
    }
    // The bands: the zone of each band's middle, by the economic load rates of the JSON.
    ASSERT_GT(bandHead, 0);
    ASSERT_GE(cells.size(), bandHead + 14);
    const double jj = json[QStringLiteral("comprehensive_economic_load_rate_pct")].toDouble();
    const double lower = json[QStringLiteral("general_zone_lower_pct")].toDouble();
    const QString zones[] = {QStringLiteral("经济运行区"), QStringLiteral("一般运行区"),
                             QStringLiteral("非经济运行区"), QStringLiteral("过载")};
    double bandSum = 0;
    for (int b = 0; b < 13; ++b) {
        const QJsonArray row = cells[bandHead + 1 + b].toArray();
        const double middle = b * 10 + 5;
        const int zone = middle > 100 ? 3 : middle >= jj ? 0 : middle >= lower ? 1 : 2;
        EXPECT_EQ(row[0].toString(), b < 12 ? QStringLiteral("%1-%2").arg(b * 10).arg(b * 10 + 10)
                                            : QStringLiteral(">120"));
        EXPECT_EQ(row[1].toString(), zones[zone]) << "band " << b;
        const double hours = row[2].toDouble(-1);
        EXPECT_GE(hours, 0);
        for (int z = 0; z < 4; ++z)
            if (z == zone) {
                EXPECT_EQ(row[3 + z].toDouble(-1), hours) << "band " << b;
            } else {
                EXPECT_TRUE(row[3 + z].isNull()) << "band " << b << " zone " << z;
            }
        bandSum += hours;
    }
    // The bands share out the hours the zones share out.
    double zoneSum = 0;
    for (const QJsonValue& h : json[QStringLiteral("zone_hours")].toObject())
        zoneSum += h.toDouble();
    EXPECT_GT(zoneSum, 0);
    EXPECT_NEAR(bandSum, zoneSum, 1e-9 * zoneSum);

    ASSERT_EQ(charts.size(), 1);
    const QJsonObject chart = charts[0].toObject();
    EXPECT_EQ(chart[QStringLiteral("sheet")].toString(), QStringLiteral("评估"));
    EXPECT_EQ(chart[QStringLiteral("type")].toString(), QStringLiteral("BarChart"));
    const QJsonArray series = chart[QStringLiteral("series")].toArray();
    ASSERT_EQ(series.size(), 4);
    const int first = int(bandHead) + 2, last = int(bandHead) + 14; // 1-based sheet rows
    const char columns[] = "DEFG";
    const char* fills[] = {"009600", "E6A000", "C80000", "7800A0"}; // green, amber, red, purple
    for (int z = 0; z < 4; ++z) {
        const QJsonObject s = series[z].toObject();
        EXPECT_EQ(s[QStringLiteral("x")].toString(),
                  QStringLiteral("'评估'!$A$%1:$A$%2").arg(first).arg(last));
        EXPECT_EQ(s[QStringLiteral("y")].toString(),
                  QStringLiteral("'评估'!$%1$%2:$%1$%3").arg(columns[z]).arg(first).arg(last));
        EXPECT_EQ(s[QStringLiteral("name")].toString(),
                  QStringLiteral("'评估'!$%1$%2").arg(columns[z]).arg(first - 1));
        EXPECT_EQ(s[QStringLiteral("fill")].toString(), QString::fromLatin1(fills[z]));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AssessmentSheet, ::testing::ValuesIn(kAssessCases),
                         zr5::test::ByName{});

// assess --xlsx follows the rule of every output: an existing file is kept without --overwrite,
// the recording itself or the --pdf file is never the workbook.
TEST(AssessWorkbook, IsRefusedAsEveryOtherOutput) {
    Recording rec(200, 600, 6);
    const QString xlsx = rec.file(QStringLiteral("a.xlsx"));
    {
        QFile f(xlsx);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("mine");
    }
    const struct {
        QStringList args;
        const char* message;
    } cases[] = {
        {{QStringLiteral("--xlsx"), xlsx}, "已存在；要覆盖它请加 --overwrite"},
        {{QStringLiteral("--xlsx"), rec.path(), QStringLiteral("--overwrite")}, "就是输入文件"},
        {{QStringLiteral("--pdf"), rec.file(QStringLiteral("b")), QStringLiteral("--xlsx"),
          rec.file(QStringLiteral("b"))},
         "两个输出是同一个文件"},
    };
    for (const auto& c : cases) {
        const ProcessRun r =
            tool(QStringList{QStringLiteral("--data-dir"), rec.file(QStringLiteral("data")),
                             QStringLiteral("assess"), rec.path()} +
                 c.args);
        EXPECT_NE(r.exitCode, 0) << c.message;
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
    }
    QFile f(xlsx);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("mine"));
    f.close();
    EXPECT_FALSE(QFile::exists(rec.file(QStringLiteral("b"))));
    // With --overwrite the workbook replaces it.
    const ProcessRun r = tool({QStringLiteral("--data-dir"), rec.file(QStringLiteral("data")),
                               QStringLiteral("assess"), rec.path(), QStringLiteral("--xlsx"), xlsx,
                               QStringLiteral("--overwrite")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("PK"));
}

} // namespace
