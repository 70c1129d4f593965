// The survey window over a real SQLite survey: the ranked table with its sorting and filters, the
// totals, the chart, the double-click into the analysis window, a refused foreign file, and the
// assessment on the worker with its cancel.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QJsonDocument>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTest>
#include <QThread>
#include <map>

#include "analysiswindow/analysiswindow.h"
#include "assessment/assessmentfigures.h"
#include "compare/comparisonwindow.h"
#include "mainwindow/mainwindow.h"
#include "recording/synthetic.h"
#include "support/guitest.h"
#include "support/succeeded.h"
#include "support/waituntil.h"
#include "survey/surveystore.h"
#include "survey/surveywindow.h"

namespace zr5::test {
namespace {

QJsonObject Figures(const char* json) {
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

// Results written by hand for three motors (as in the survey's own test): B saves 1000 kWh by
// the right size, A 800 by IE3 ((600 x 1 h + 900 x 2 h) / 3 h), C nothing.
const std::map<QString, const char*> kResults = {
    {"a1.MTR", R"({"state_hours":{"normal":1},"mean_load_rate_pct":50,
        "output_energy_kwh":8,"loss_energy_kwh":2,"input_energy_kwh":10,
        "zone_hours":{"economic":0.5,"general":0.5},
        "replacement":[{"class":"IE3","annual_saving_kwh":600,"annual_saving_money":480}],
        "right_size":{"model":"Y132S-4","annual_saving_kwh":300,"annual_saving_money":240}})"},
    {"a2.MTR", R"({"state_hours":{"normal":2},"mean_load_rate_pct":80,
        "output_energy_kwh":18,"loss_energy_kwh":2,"input_energy_kwh":20,
        "zone_hours":{"economic":2,"general":0},
        "replacement":[{"class":"IE3","annual_saving_kwh":900,"annual_saving_money":720}],
        "right_size":null})"},
    {"b.MTR", R"({"state_hours":{"normal":1},"mean_load_rate_pct":30,
        "output_energy_kwh":3,"loss_energy_kwh":1,"input_energy_kwh":5,
        "zone_hours":{"economic":0,"general":1},
        "replacement":[{"class":"IE3","annual_saving_kwh":200,"annual_saving_money":160}],
        "right_size":{"model":"Y100L-4","annual_saving_kwh":1000,"annual_saving_money":800}})"},
    {"c.MTR", R"({"state_hours":{"normal":1},"mean_load_rate_pct":75,
        "output_energy_kwh":3.6,"loss_energy_kwh":0.4,"input_energy_kwh":4,
        "zone_hours":{"economic":1,"general":0},"replacement":[],"right_size":null})"},
};

class SurveyWindowTest : public WindowTest {
protected:
    QString synth(const QString& name, int rows, float seconds, int seed) {
        const QString path = dataFile(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(Succeeded(WriteSyntheticRecording(path, rows, seconds, std::uint64_t(seed))));
        return path;
    }
    // The three motors of kResults in two departments of 甲厂.
    void handSurvey() {
        synth("A/a1.MTR", 60, 3600, 1);
        synth("A/a2.MTR", 60, 7200, 2);
        synth("B/b.MTR", 60, 3600, 3);
        synth("C/c.MTR", 60, 3600, 4);
        auto s = SurveyDatabase::open(location, SurveyDatabase::Open::CreateIfMissing);
        ASSERT_TRUE(s.ok()) << s.error().toStdString();
        SurveyDatabase& db = **s;
        ASSERT_TRUE(ImportRecordings(db, FindRecordings({dataFile("A"), dataFile("B")}).value,
                                     {"甲厂", "一车间", ""})
                        .ok());
        ASSERT_TRUE(
            ImportRecordings(db, FindRecordings({dataFile("C")}).value, {"甲厂", "二车间", ""})
                .ok());
        ASSERT_TRUE(db.begin().ok());
        const auto lines = ListSurvey(db);
        ASSERT_TRUE(lines.ok());
        for (const SurveyRecordingLine& l : *lines) {
            const QString hash =
                db.scalar("SELECT content_hash FROM recording WHERE id = ?", {l.id})->toString();
            ASSERT_TRUE(StoreAssessment(db, l.id, hash,
                                        Figures(kResults.at(QFileInfo(l.path).fileName())),
                                        AssessmentSettings{})
                            .ok());
        }
        ASSERT_TRUE(db.commit().ok());
    }
    std::unique_ptr<SurveyWindow> window() {
        auto w =
            std::make_unique<SurveyWindow>(state, services, nullptr, [this](const QString& path) {
                opened << path;
                return true;
            });
        w->printerInstalled = [] { return false; };
        return w;
    }
    static QStringList column(const QAbstractItemModel& m, int c) {
        QStringList out;
        for (int r = 0; r < m.rowCount(); ++r)
            out << m.index(r, c).data().toString();
        return out;
    }
    static bool finish(SurveyWindow& w) {
        return waitUntil([&] { return !w.working(); }, 60000);
    }

    QString location = dataFile("plant.zr5survey");
    QStringList opened;
};

using M = SurveyMotorModel;

TEST_F(SurveyWindowTest, TheTableRanksTheMotorsWithTheirFiguresAndTheTotalsAddUp) {
    handSurvey();
    auto w = window();
    ASSERT_TRUE(w->openSurvey(location, SurveyDatabase::Open::Existing));
    const QAbstractItemModel& m = *w->motorView()->model();
    EXPECT_EQ(column(m, M::Tag), QStringList({"B", "A", "C"}));
    EXPECT_EQ(column(m, M::Rank), QStringList({"1", "2", "3"}));
    // Worked by hand: A's load rate (50 x 1 + 80 x 2) / 3, its efficiency 26 of 30 kWh, its
    // economic zone 2.5 of 3 h, its energy 30 kWh in 3 h for 6000 h; B's efficiency its output of 3
    // over 3 + 1 kWh of loss.
    const std::map<int, QStringList> figures = {{M::HoursRecorded, {"1.0", "3.0", "1.0"}},
                                                {M::LoadRate, {"30.0", "70.0", "75.0"}},
                                                {M::Efficiency, {"75.0", "86.7", "90.0"}},
                                                {M::EconomicShare, {"0.0", "83.3", "100.0"}},
                                                {M::AnnualEnergy, {"30000", "60000", "24000"}},
                                                {M::SavingKwh, {"1000", "800", "0"}},
                                                {M::SavingMoney, {"800.00", "640.00", "0.00"}},
                                                {M::Department, {"一车间", "一车间", "二车间"}}};
    for (const auto& [c, expected] : figures)
        EXPECT_EQ(column(m, c), expected)
            << m.headerData(c, Qt::Horizontal).toString().toStdString();
    // Per department and for the plant: 1000 + 800, 640 + 800; 30000 + 60000, 24000.
    const QAbstractItemModel& t = w->totals();
    EXPECT_EQ(column(t, 0), QStringList({"一车间", "二车间", "全厂（甲厂）"}));
    EXPECT_EQ(column(t, 1), QStringList({"2", "1", "3"}));
    EXPECT_EQ(column(t, 3), QStringList({"90000", "24000", "114000"}));
    EXPECT_EQ(column(t, 4), QStringList({"1800", "0", "1800"}));
    EXPECT_EQ(column(t, 5), QStringList({"1440.00", "0.00", "1440.00"}));
    // Two motors save something: two bars, the line at 1000 / 1800 and 100 %.
    const ComparisonChart& chart = w->chart()->chart();
    ASSERT_EQ(chart.cells.size(), 2u);
    ASSERT_EQ(chart.curves.size(), 1u);
    EXPECT_NEAR(chart.curves[0].points[0].second, 1000.0 / 1800, 1e-12);
    EXPECT_NEAR(chart.curves[0].points[1].second, 1.0, 1e-12);
    // Within a 1366 x 768 screen.
    EXPECT_LE(w->width(), 1366);
    EXPECT_LE(w->height(), 720);
    EXPECT_LE(w->minimumSizeHint().width(), 1366);
    EXPECT_LE(w->minimumSizeHint().height(), 720);
}

// A column sorted either way, a department chosen, a tag typed: the rows that remain.
struct ViewCase {
    const char* name;
    int column;
    Qt::SortOrder order;
    const char* department; // "" for all
    const char* tag;
    QStringList tags;
};
void PrintTo(const ViewCase& c, std::ostream* os) {
    *os << c.name;
}

class SurveyViews : public SurveyWindowTest, public ::testing::WithParamInterface<ViewCase> {};

TEST_P(SurveyViews, SortingAndFilteringChangeTheRows) {
    const ViewCase& c = GetParam();
    handSurvey();
    auto w = window();
    ASSERT_TRUE(w->openSurvey(location, SurveyDatabase::Open::Existing));
    w->motorView()->horizontalHeader()->setSortIndicator(c.column, c.order);
    QComboBox* d = w->departmentFilter();
    d->setCurrentIndex(d->findText(QString::fromUtf8(c.department)));
    if (*c.department == 0)
        d->setCurrentIndex(0);
    w->tagFilter()->setText(QString::fromUtf8(c.tag));
    EXPECT_EQ(column(*w->motorView()->model(), M::Tag), c.tags);
}

const ViewCase kViews[] = {
    {"load_rate_up", M::LoadRate, Qt::AscendingOrder, "", "", {"B", "A", "C"}},
    {"load_rate_down", M::LoadRate, Qt::DescendingOrder, "", "", {"C", "A", "B"}},
    {"energy_up", M::AnnualEnergy, Qt::AscendingOrder, "", "", {"C", "B", "A"}},
    // By value: 0 < 800 < 1000, where the texts would give "0" < "1000" < "800".
    {"saving_up", M::SavingKwh, Qt::AscendingOrder, "", "", {"C", "A", "B"}},
    {"tag_down", M::Tag, Qt::DescendingOrder, "", "", {"C", "B", "A"}},
    {"first_department", M::Rank, Qt::AscendingOrder, "一车间", "", {"B", "A"}},
    {"second_department", M::Rank, Qt::AscendingOrder, "二车间", "", {"C"}},
    {"tag_text", M::Rank, Qt::AscendingOrder, "", "a", {"A"}},
    {"department_and_tag", M::Rank, Qt::AscendingOrder, "二车间", "b", {}},
};
INSTANTIATE_TEST_SUITE_P(Views, SurveyViews, ::testing::ValuesIn(kViews),
                         [](const auto& info) { return std::string(info.param.name); });

// From the main window's 分析 menu, with no recording open: the double-click opens the motor's
// recording in the analysis window; while a reception runs, or with the file gone, it is refused.
TEST_F(SurveyWindowTest, DoubleClickOpensTheRecordingInTheAnalysisWindow) {
    handSurvey();
    MainWindow main(state, services);
    main.show();
    auto* menu = main.findChild<QMenu*>(QStringLiteral("mnuTTT"));
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->menuAction()->isEnabled());
    main.findChild<QAction*>(QStringLiteral("mnuSurvey"))->trigger();
    auto* w = main.findChild<SurveyWindow*>();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(w->openSurvey(location, SurveyDatabase::Open::Existing));
    QTableView* view = w->motorView();
    auto doubleClick = [&](int row) {
        const QRect cell = view->visualRect(view->model()->index(row, M::Tag));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    };

    messages.expecting = true;
    main.setReceiving(true);
    doubleClick(0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("正在接收数据，请在接收结束后再打开记录。"));
    EXPECT_EQ(state.CurrentFileName(), state.dataDirectory.temporaryRecording());
    main.setReceiving(false);

    ASSERT_TRUE(QFile::remove(dataFile("C/c.MTR")));
    doubleClick(2);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].title, kOperationErrorTitle);
    EXPECT_EQ(messages.shown[1].text,
              QStringLiteral("记录文件不在了：") + QDir::toNativeSeparators(dataFile("C/c.MTR")));

    doubleClick(0);
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(state.CurrentFileName(), dataFile("B/b.MTR"));
    AnalysisWindow* analysis = main.findChild<AnalysisWindow*>();
    ASSERT_NE(analysis, nullptr);
    EXPECT_TRUE(analysis->isVisible());
    EXPECT_TRUE(analysis->windowTitle().contains(QStringLiteral("b.MTR")))
        << analysis->windowTitle().toStdString();
    EXPECT_TRUE(w->isVisible());
    ASSERT_TRUE(waitUntil([&] { return !analysis->analysing(); }, 30000));
    analysis->close();
}

TEST_F(SurveyWindowTest, AForeignFileIsRefusedWithItsReasonAndTheOpenSurveyStays) {
    handSurvey();
    const QString foreign = dataFile("stock.zr5survey");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "foreign");
        db.setDatabaseName(foreign);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("CREATE TABLE stock (item TEXT)"));
        db.close();
    }
    QSqlDatabase::removeDatabase("foreign");
    auto w = window();
    ASSERT_TRUE(w->openSurvey(location, SurveyDatabase::Open::Existing));
    messages.expecting = true;
    files.answers = {foreign};
    w->Command2_Click();
    ASSERT_EQ(files.calls.size(), 1u);
    EXPECT_EQ(files.calls[0].filter, QStringLiteral("测试汇总 (*.zr5survey);;所有文件 (*)"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, kErrorTitle);
    EXPECT_TRUE(
        messages.shown[0].text.contains(QStringLiteral("不是测试汇总：其中有别的表（stock）")))
        << messages.shown[0].text.toStdString();
    EXPECT_EQ(w->report().motors.size(), 3u);
}

// Folders added and assessed in the window: each stored result is the assessment's own object
// for its file. A run stopped after two results keeps those that finished; the next does the rest.
TEST_F(SurveyWindowTest, AssessStoresTheResultsAndCancelKeepsTheFinishedOnes) {
    const int n = 2 * QThread::idealThreadCount() + 4;
    QStringList paths;
    for (int i = 0; i < n; ++i)
        paths << synth(QStringLiteral("m/M%1/r.MTR").arg(i, 2, 10, QLatin1Char('0')), 200, 600,
                       50 + i);
    auto w = window();
    files.answers = {location};
    w->Command1_Click();
    ASSERT_TRUE(w->hasSurvey());
    w->departmentBox()->setText(QStringLiteral("水泵房"));
    files.answers = {dataFile("m")};
    w->Command4_Click();
    ASSERT_TRUE(finish(*w));
    EXPECT_EQ(w->status(), QStringLiteral("新增 %1 个记录，0 个内容已变，0 个已移动，0 个未变；0 "
                                          "个重复，0 个损坏")
                               .arg(n));
    ASSERT_EQ(w->report().motors.size(), std::size_t(n));
    EXPECT_EQ(w->report().departments[0].name, QStringLiteral("水泵房"));

    w->workerProgress = [&](int done, int) {
        if (done == 2)
            w->Command6_Click();
    };
    w->Command5_Click();
    EXPECT_TRUE(w->working());
    ASSERT_TRUE(finish(*w));
    EXPECT_TRUE(w->status().endsWith(QStringLiteral("；已中断，已完成的结果已保存")))
        << w->status().toStdString();
    auto s = SurveyDatabase::open(location, SurveyDatabase::Open::Existing);
    ASSERT_TRUE(s.ok());
    const int kept = (*s)->scalar("SELECT count(*) FROM assessment")->toInt();
    EXPECT_GE(kept, 2);
    EXPECT_LT(kept, n);
    EXPECT_TRUE(w->status().startsWith(QStringLiteral("评估了 %1 个记录").arg(kept)));

    w->workerProgress = nullptr;
    w->Command5_Click();
    ASSERT_TRUE(finish(*w));
    EXPECT_EQ(w->status(), QStringLiteral("评估了 %1 个记录，%2 个结果未变，0 个缺失，0 个损坏")
                               .arg(n - kept)
                               .arg(kept));
    std::map<QString, QJsonObject> stored;
    for (const SurveyMotorLine& m : w->report().motors) {
        ASSERT_EQ(m.assessments.size(), 1);
        stored[m.tag] = m.assessments[0].toObject();
    }
    for (const QString& p : paths) {
        const AssessmentRun run = AssessRecording(p, state.dataDirectory, AssessmentSettings{});
        ASSERT_EQ(run.error, QString());
        EXPECT_EQ(stored[QFileInfo(p).dir().dirName()], AssessmentJson(run)) << p.toStdString();
    }
}

// The report as a PDF and a workbook, with the names offered beside the survey file.
TEST_F(SurveyWindowTest, ExportsThePdfAndTheWorkbook) {
    handSurvey();
    auto w = window();
    ASSERT_TRUE(w->openSurvey(location, SurveyDatabase::Open::Existing));
    const QString pdf = dataFile("r.pdf"), xlsx = dataFile("r.xlsx");
    files.answers = {pdf, xlsx};
    w->Command8_Click();
    ASSERT_TRUE(waitUntil([&] { return !w->printing(); }, 30000));
    w->Command9_Click();
    EXPECT_TRUE(ReadAll(pdf).startsWith("%PDF-"));
    EXPECT_TRUE(ReadAll(xlsx).startsWith("PK"));
    EXPECT_TRUE(messages.shown.empty());
}

// 对比… on motor A: its two recordings by their start, the day from the file's last write less
// the duration. a2 was written just after a1 but ran two hours to a1's one, so it started first.
TEST_F(SurveyWindowTest, CompareTakesTheEarlierRecordingAsTheBefore) {
    handSurvey();
    auto w = window();
    ASSERT_TRUE(w->openSurvey(location, SurveyDatabase::Open::Existing));
    w->motorView()->setCurrentIndex(w->motorView()->model()->index(1, M::Tag));
    w->Command10_Click();
    auto* c = w->findChild<ComparisonWindow*>();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->comparison().before.run.recording.path, dataFile("A/a2.MTR"));
    EXPECT_EQ(c->comparison().after.run.recording.path, dataFile("A/a1.MTR"));
    // B has one recording only.
    messages.expecting = true;
    w->motorView()->setCurrentIndex(w->motorView()->model()->index(0, M::Tag));
    w->Command10_Click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("电机 B 没有两个可对比的记录。"));
}

} // namespace
} // namespace zr5::test
