// The survey on both back ends: every case runs on an SQLite file and on a throwaway PostgreSQL
// server (see pgcluster.h), through zr5-tool where the command line is what is tested.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cmath>
#include <map>

#include "recording/synthetic.h"
#include "support/succeeded.h"
#include "survey/pgcluster.h"
#include "survey/surveyreport.h"
#include "survey/surveystore.h"

using namespace zr5;

namespace {

enum class Backend { Sqlite, Postgres };

struct ToolRun {
    int exitCode;
    QByteArray out;
    QByteArray err;
    bool crashed;
};

class Survey : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        if (GetParam() == Backend::Postgres) {
            ASSERT_EQ(PgCluster::instance().error(), QString()) << "the PostgreSQL half must run";
            location = PgCluster::instance().newDatabase();
        } else {
            location = dir.filePath(QStringLiteral("plant.zr5survey"));
        }
    }

    ToolRun run(const QStringList& args, const QByteArray& testSignal = {}) {
        QProcess p;
        p.setProgram(QStringLiteral(ZR5_TOOL_PATH));
        p.setArguments(QStringList{QStringLiteral("--data-dir"), dir.filePath("data")} + args);
        if (!testSignal.isEmpty()) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("ZR5_SURVEY_TEST_SIGNAL"), QString::fromLatin1(testSignal));
            p.setProcessEnvironment(env);
        }
        p.start();
        EXPECT_TRUE(p.waitForFinished(120000));
        return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError(),
                p.exitStatus() != QProcess::NormalExit};
    }
    // A small synthetic recording of the tester's 11 kW motor.
    QString synth(const QString& name, int rows, float seconds, int seed) {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(
            test::Succeeded(WriteSyntheticRecording(path, rows, seconds, std::uint64_t(seed))));
        return path;
    }
    QJsonObject reportJson() {
        const ToolRun r = run({"survey", "report", location, "--json"});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return QJsonDocument::fromJson(r.out).object();
    }
    std::unique_ptr<SurveyDatabase> open() {
        auto s = SurveyDatabase::open(location, SurveyDatabase::Open::CreateIfMissing);
        EXPECT_TRUE(s.ok()) << s.error().toStdString();
        return s ? std::move(*s) : nullptr;
    }
    std::map<QString, QString> states() {
        auto s = open();
        std::map<QString, QString> out;
        const auto lines = ListSurvey(*s);
        EXPECT_TRUE(lines.ok()) << lines.error().toStdString();
        for (const SurveyRecordingLine& l : *lines)
            out[QFileInfo(l.path).fileName()] = l.state;
        return out;
    }

    QTemporaryDir dir;
    QString location;
};

TEST_P(Survey, StoredFiguresEqualAssessJsonAndOnlyStaleRecordingsAreRedone) {
    const QStringList files = {synth("pumps/1#泵/a.MTR", 400, 1200, 1),
                               synth("pumps/1#泵/b.mtr", 300, 900, 2),
                               synth("pumps/2#风机/c.MTR", 500, 1800, 3)};
    ToolRun add = run({"survey", "add", location, dir.filePath("pumps"), "--department", "水泵房"});
    ASSERT_EQ(add.exitCode, 0) << add.err.toStdString();
    ToolRun assess = run({"survey", "assess", location, "--jobs", "2", "--price", "0.65"});
    ASSERT_EQ(assess.exitCode, 0) << assess.err.toStdString();
    EXPECT_TRUE(assess.err.contains("评估 3/3")) << assess.err.toStdString();

    // Each stored result is the object `assess --json` prints for the file and the settings.
    const QJsonObject report = reportJson();
    std::map<QString, QJsonArray> byMotor;
    for (const QJsonValue& m : report["motors"].toArray())
        byMotor[m["tag"].toString()] = m["assessments"].toArray();
    ASSERT_EQ(byMotor.size(), 2u);
    ASSERT_EQ(byMotor["1#泵"].size(), 2);
    ASSERT_EQ(byMotor["2#风机"].size(), 1);
    for (const QString& f : files) {
        const ToolRun single = run({"assess", "--json", f, "--price", "0.65"});
        ASSERT_EQ(single.exitCode, 0);
        const QJsonObject expected = QJsonDocument::fromJson(single.out).object();
        ASSERT_FALSE(expected.isEmpty());
        const QJsonArray stored = byMotor[QFileInfo(f).dir().dirName()];
        EXPECT_TRUE(std::any_of(stored.begin(), stored.end(), [&](const QJsonValue& v) {
            return v.toObject() == expected;
        })) << f.toStdString();
    }
    for (const auto& [name, state] : states())
        EXPECT_EQ(state, QStringLiteral("assessed")) << name.toStdString();

    // Nothing changed: nothing is redone. One file rewritten: that one only. New settings: all.
    assess = run({"survey", "assess", location, "--price", "0.65"});
    EXPECT_TRUE(assess.out.contains("评估了 0 个记录，3 个结果未变")) << assess.out.toStdString();
    synth("pumps/2#风机/c.MTR", 500, 1800, 4);
    EXPECT_EQ(states()["c.MTR"], QStringLiteral("stale"));
    assess = run({"survey", "assess", location, "--price", "0.65"});
    EXPECT_TRUE(assess.out.contains("评估了 1 个记录，2 个结果未变")) << assess.out.toStdString();
    assess = run({"survey", "assess", location, "--price", "0.7"});
    EXPECT_TRUE(assess.out.contains("评估了 3 个记录，0 个结果未变")) << assess.out.toStdString();
}

// Three motors whose results are written by hand: the report's ranking and totals are worked out
// on paper from these numbers (the assessment itself is tested elsewhere).
TEST_P(Survey, RankingAndTotalsOfThreeMotorsWorkedByHand) {
    synth("A/a1.MTR", 60, 3600, 1);
    synth("A/a2.MTR", 60, 7200, 2);
    synth("B/b.MTR", 60, 3600, 3);
    synth("C/c.MTR", 60, 3600, 4);
    auto s = open();
    ASSERT_TRUE(ImportRecordings(*s, FindRecordings({dir.filePath("A"), dir.filePath("B")}).value,
                                 {"甲厂", "一车间", ""})
                    .ok());
    ASSERT_TRUE(
        ImportRecordings(*s, FindRecordings({dir.filePath("C")}).value, {"甲厂", "二车间", ""})
            .ok());
    auto figures = [](const char* json) {
        return QJsonDocument::fromJson(QByteArray(json)).object();
    };
    const std::map<QString, QJsonObject> results = {
        {"a1.MTR", figures(R"({"state_hours":{"normal":1},"mean_load_rate_pct":50,
            "output_energy_kwh":8,"loss_energy_kwh":2,"input_energy_kwh":10,
            "zone_hours":{"economic":0.5,"general":0.5},
            "replacement":[{"class":"IE3","annual_saving_kwh":600,"annual_saving_money":480}],
            "right_size":{"model":"Y132S-4","annual_saving_kwh":300,"annual_saving_money":240}})")},
        {"a2.MTR", figures(R"({"state_hours":{"normal":2},"mean_load_rate_pct":80,
            "output_energy_kwh":18,"loss_energy_kwh":2,"input_energy_kwh":20,
            "zone_hours":{"economic":2,"general":0},
            "replacement":[{"class":"IE3","annual_saving_kwh":900,"annual_saving_money":720}],
            "right_size":null})")},
        {"b.MTR", figures(R"({"state_hours":{"normal":1},"mean_load_rate_pct":30,
            "output_energy_kwh":3,"loss_energy_kwh":1,"input_energy_kwh":5,
            "zone_hours":{"economic":0,"general":1},
            "replacement":[{"class":"IE3","annual_saving_kwh":200,"annual_saving_money":160}],
            "right_size":{"model":"Y100L-4","annual_saving_kwh":1000,"annual_saving_money":800}})")},
        {"c.MTR", figures(R"({"state_hours":{"normal":1},"mean_load_rate_pct":75,
            "output_energy_kwh":3.6,"loss_energy_kwh":0.4,"input_energy_kwh":4,
            "zone_hours":{"economic":1,"general":0},"replacement":[],"right_size":null})")},
    };
    AssessmentSettings settings; // 6000 h a year
    ASSERT_TRUE(s->begin().ok());
    const auto lines = ListSurvey(*s);
    ASSERT_TRUE(lines.ok());
    for (const SurveyRecordingLine& l : *lines) {
        const QString hash =
            s->scalar("SELECT content_hash FROM recording WHERE id = ?", {l.id})->toString();
        ASSERT_TRUE(
            StoreAssessment(*s, l.id, hash, results.at(QFileInfo(l.path).fileName()), settings)
                .ok());
    }
    ASSERT_TRUE(s->commit().ok());

    const Result<SurveyReport> r = BuildSurveyReport(*s);
    ASSERT_TRUE(r.ok()) << r.error().toStdString();
    ASSERT_EQ(r->motors.size(), 3u);
    // B saves 1000 kWh by the right size; A 800 by IE3 ((600 x 1 h + 900 x 2 h) / 3 h); C nothing.
    const SurveyMotorLine &b = r->motors[0], &a = r->motors[1], &c = r->motors[2];
    EXPECT_EQ(b.tag, QStringLiteral("B"));
    EXPECT_EQ(b.measure, QStringLiteral("right_size"));
    EXPECT_DOUBLE_EQ(b.annualSavingKwh, 1000);
    EXPECT_DOUBLE_EQ(b.annualSavingMoney, 800);
    EXPECT_EQ(a.tag, QStringLiteral("A"));
    EXPECT_EQ(a.measure, QStringLiteral("replacement IE3"));
    EXPECT_EQ(a.recordings, 2);
    EXPECT_DOUBLE_EQ(a.hoursRecorded, 3);
    EXPECT_DOUBLE_EQ(a.annualSavingKwh, 800);
    EXPECT_DOUBLE_EQ(a.annualSavingMoney, 640);
    EXPECT_DOUBLE_EQ(*a.meanLoadRatePct, 70);                // (50 x 1 + 80 x 2) / 3
    EXPECT_DOUBLE_EQ(*a.weightedEfficiencyPct, 2600.0 / 30); // 26 of 30 kWh
    EXPECT_DOUBLE_EQ(a.annualEnergyKwh, 60000);              // 30 kWh in 3 h, 6000 h a year
    ASSERT_EQ(a.zoneShares.size(), 2u);
    EXPECT_EQ(a.zoneShares[0].key, QStringLiteral("economic"));
    EXPECT_DOUBLE_EQ(*a.zoneShares[0].percent, 250.0 / 3); // 2.5 of 3 h
    EXPECT_EQ(c.tag, QStringLiteral("C"));
    EXPECT_EQ(c.measure, QStringLiteral("keep"));
    EXPECT_DOUBLE_EQ(c.annualSavingKwh, 0);

    ASSERT_EQ(r->departments.size(), 2u);
    EXPECT_EQ(r->departments[0].name, QStringLiteral("一车间"));
    EXPECT_EQ(r->departments[0].motors, 2);
    EXPECT_DOUBLE_EQ(r->departments[0].annualSavingKwh, 1800);
    EXPECT_DOUBLE_EQ(r->departments[0].annualSavingMoney, 1440);
    EXPECT_DOUBLE_EQ(r->departments[0].annualEnergyKwh, 90000);
    EXPECT_DOUBLE_EQ(r->departments[0].ratedPowerKw, 22); // two 11 kW motors
    EXPECT_DOUBLE_EQ(r->departments[1].annualEnergyKwh, 24000);
    EXPECT_EQ(r->plant.name, QStringLiteral("甲厂"));
    EXPECT_EQ(r->plant.motors, 3);
    EXPECT_DOUBLE_EQ(r->plant.annualSavingKwh, 1800);
    EXPECT_DOUBLE_EQ(r->plant.annualEnergyKwh, 114000);

    // The JSON has the keys the README lists; the CSV one line per motor, then the totals.
    const QJsonObject j = SurveyReportJson(*r);
    const QJsonObject first = j["motors"].toArray()[0].toObject();
    for (const char* key :
         {"tag", "department", "plant", "recordings", "rated_power_kw", "mean_load_rate_pct",
          "weighted_efficiency_pct", "measure", "annual_saving_kwh", "annual_saving_money",
          "assessments", "zone_share_pct", "efficiency_class", "annual_energy_kwh"})
        EXPECT_TRUE(first.contains(QLatin1String(key))) << key;
    EXPECT_EQ(j["plant"]["annual_saving_money"].toDouble(), 1440);
    const QList<QByteArray> csv = SurveyReportCsv(*r).split('\n');
    ASSERT_GE(csv.size(), 9);
    EXPECT_TRUE(csv[1].startsWith("B,一车间,甲厂,")) << csv[1].toStdString();
    EXPECT_TRUE(csv[8].startsWith("全厂,3,33.000,114000.000,1800.000,1440.00"))
        << csv[8].toStdString();
}

TEST_P(Survey, DamagedMovedAndDuplicatedRecordings) {
    const QString good = synth("in/M1/good.MTR", 200, 600, 1);
    synth("in/M2/other.MTR", 200, 600, 2);
    QDir().mkpath(dir.filePath("in/M3"));
    QFile::copy(good, dir.filePath("in/M3/copy.Mtr"));
    QFile bad(dir.filePath("in/M2/bad.mtr"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(100, 'x'));
    bad.close();
    ToolRun add = run({"survey", "add", location, dir.filePath("in")});
    ASSERT_EQ(add.exitCode, 0) << add.err.toStdString();
    const QString out = QString::fromUtf8(add.out);
    EXPECT_TRUE(out.contains(QStringLiteral("损坏，跳过：") + dir.filePath("in/M2/bad.mtr")))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("重复：") + dir.filePath("in/M3/copy.Mtr")));
    EXPECT_TRUE(out.contains(QStringLiteral("新增 2 个记录，0 个内容已变，0 个已移动，0 个未变；1 "
                                            "个重复，1 个损坏")))
        << out.toStdString();

    // Moved: the same content at its new place, still one recording of motor M1.
    QDir().mkpath(dir.filePath("moved"));
    ASSERT_TRUE(QFile::rename(good, dir.filePath("moved/good.MTR")));
    EXPECT_EQ(states()["good.MTR"], QStringLiteral("missing"));
    add = run({"survey", "add", location, dir.filePath("moved")});
    EXPECT_TRUE(add.out.contains("新增 0 个记录，0 个内容已变，1 个已移动"))
        << add.out.toStdString();
    ASSERT_EQ(run({"survey", "assess", location}).exitCode, 0);
    const QJsonArray motors = reportJson()["motors"].toArray();
    ASSERT_EQ(motors.size(), 2);
    for (const QJsonValue& m : motors)
        EXPECT_EQ(m["recordings"].toInt(), 1) << m["tag"].toString().toStdString();
    EXPECT_EQ(states()["good.MTR"], QStringLiteral("assessed"));

    // Damaged after the import: cut short, it is named by assess and listed as damaged; removed,
    // it is missing. Neither aborts the run.
    QFile cut(dir.filePath("in/M2/other.MTR"));
    ASSERT_TRUE(cut.resize(1000));
    ASSERT_TRUE(QFile::remove(dir.filePath("moved/good.MTR")));
    const ToolRun assess = run({"survey", "assess", location});
    ASSERT_EQ(assess.exitCode, 0) << assess.err.toStdString();
    EXPECT_TRUE(assess.out.contains("1 个缺失，1 个损坏")) << assess.out.toStdString();
    EXPECT_EQ(states()["other.MTR"], QStringLiteral("damaged"));
    EXPECT_EQ(states()["good.MTR"], QStringLiteral("missing"));
    const ToolRun list = run({"survey", "list", location});
    EXPECT_TRUE(list.out.contains("M2\tdamaged")) << list.out.toStdString();
}

TEST_P(Survey, ForeignNewerAndOlderDatabases) {
    // Someone else's database is refused and left as it was.
    {
        auto s = open();
        ASSERT_TRUE(s);
    }
    QString foreign;
    if (GetParam() == Backend::Postgres) {
        foreign = PgCluster::instance().newDatabase();
    } else {
        foreign = dir.filePath("other.db");
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(
            GetParam() == Backend::Postgres ? "QPSQL" : "QSQLITE", "foreign");
        if (GetParam() == Backend::Postgres) {
            const auto l = ParseSurveyLocation(foreign);
            db.setHostName(l->host);
            db.setUserName(l->user);
            db.setDatabaseName(l->database);
        } else {
            db.setDatabaseName(foreign);
        }
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("CREATE TABLE stock (item TEXT)"));
        db.close();
    }
    QSqlDatabase::removeDatabase("foreign");
    auto refused = SurveyDatabase::open(foreign, SurveyDatabase::Open::CreateIfMissing);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.error().contains(QStringLiteral("不是测试汇总：其中有别的表（stock）")))
        << refused.error().toStdString();
    if (GetParam() == Backend::Sqlite) {
        QFile text(dir.filePath("notes.zr5survey"));
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write(QByteArray(4096, 'n'));
        text.close();
        auto notSqlite = SurveyDatabase::open(text.fileName(), SurveyDatabase::Open::Existing);
        ASSERT_FALSE(notSqlite.ok());
        EXPECT_TRUE(notSqlite.error().contains(QStringLiteral("不是 SQLite 数据库文件")))
            << notSqlite.error().toStdString();
        EXPECT_EQ(QFile(text.fileName()).size(), 4096);
    }

    // A survey of a newer version is refused with the reason; the tool says the same.
    {
        auto s = open();
        ASSERT_TRUE(
            s->exec("UPDATE survey_meta SET value = '99' WHERE key = 'schema_version'").ok());
    }
    const ToolRun list = run({"survey", "list", location});
    EXPECT_EQ(list.exitCode, 1);
    EXPECT_TRUE(list.err.contains("较新版本的程序建立（数据库结构第 99 版"))
        << list.err.toStdString();
}

TEST_P(Survey, AnOlderSchemaIsBroughtForward) {
    {
        auto old = SurveyDatabase::createAtVersion(location, 1);
        ASSERT_TRUE(old.ok()) << old.error().toStdString();
        EXPECT_EQ((*old)
                      ->scalar("SELECT value FROM survey_meta WHERE key = 'schema_version'")
                      ->toString(),
                  QStringLiteral("1"));
    }
    auto s = open();
    EXPECT_EQ(s->schemaVersion(), kSurveySchemaVersion);
    EXPECT_EQ(s->scalar("SELECT value FROM survey_meta WHERE key = 'schema_version'")->toString(),
              QString::number(kSurveySchemaVersion));
    const QString indexes = GetParam() == Backend::Postgres
                                ? "SELECT count(*) FROM pg_indexes WHERE indexname = "
                                  "'assessment_figure_key'"
                                : "SELECT count(*) FROM sqlite_master WHERE name = "
                                  "'assessment_figure_key'";
    EXPECT_EQ(s->scalar(indexes)->toInt(), 1);
    // Foreign keys are enforced: a recording of no motor is refused.
    EXPECT_FALSE(s->exec("INSERT INTO recording (motor_id, path, size, mtime_ms, content_hash) "
                         "VALUES (12345, 'x', 0, 0, 'h')")
                     .ok());
    if (GetParam() == Backend::Sqlite) {
        EXPECT_EQ(s->scalar("PRAGMA journal_mode")->toString(), QStringLiteral("wal"));
    }
}

TEST_P(Survey, ABusyDatabaseIsWaitedForThenNamed) {
    synth("M/a.MTR", 100, 300, 1);
    auto holder = open();
    ASSERT_TRUE(holder->begin().ok());
    if (GetParam() == Backend::Postgres)
        ASSERT_TRUE(holder->exec("LOCK TABLE plant IN EXCLUSIVE MODE").ok());
    else
        ASSERT_TRUE(holder->exec("INSERT INTO plant (name) VALUES ('held')").ok());
    auto other = SurveyDatabase::open(location, SurveyDatabase::Open::Existing, 300);
    ASSERT_TRUE(other.ok()) << other.error().toStdString();
    const auto r = ImportRecordings(**other, FindRecordings({dir.filePath("M")}).value, {});
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(r.error().contains(QStringLiteral("正被另一个程序占用")))
        << r.error().toStdString();
    holder->rollback();
    EXPECT_TRUE(ImportRecordings(**other, FindRecordings({dir.filePath("M")}).value, {}).ok());
}

TEST_P(Survey, TwoProcessesImportingAtOnceLoseNothing) {
    for (int i = 0; i < 6; ++i) {
        synth(QStringLiteral("one/M%1/r.MTR").arg(i), 50, 150, 10 + i);
        synth(QStringLiteral("two/N%1/r.MTR").arg(i), 50, 150, 20 + i);
    }
    synth("one/shared/s.MTR", 50, 150, 99);
    QDir().mkpath(dir.filePath("two/shared"));
    QFile::copy(dir.filePath("one/shared/s.MTR"), dir.filePath("two/shared/s.MTR"));
    QProcess a, b;
    for (auto [p, folder] : {std::pair{&a, "one"}, std::pair{&b, "two"}}) {
        p->setProgram(QStringLiteral(ZR5_TOOL_PATH));
        p->setArguments({"survey", "add", location, dir.filePath(folder), "--department", "车间"});
        p->start();
    }
    ASSERT_TRUE(a.waitForFinished(120000));
    ASSERT_TRUE(b.waitForFinished(120000));
    EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
    EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();
    auto s = open();
    EXPECT_EQ(s->scalar("SELECT count(*) FROM recording")->toInt(), 13);
    EXPECT_EQ(s->scalar("SELECT count(*) FROM motor")->toInt(), 13);
    EXPECT_EQ(s->scalar("SELECT count(*) FROM department")->toInt(), 1);
}

TEST_P(Survey, KillDuringAssessKeepsThePreviousResultsAndCtrlCKeepsFinishedOnes) {
    for (int i = 0; i < 4; ++i)
        synth(QStringLiteral("m/M%1/r.MTR").arg(i), 200, 600, 30 + i);
    ASSERT_EQ(run({"survey", "add", location, dir.filePath("m")}).exitCode, 0);
    ASSERT_EQ(run({"survey", "assess", location, "--price", "0.8"}).exitCode, 0);
    const QJsonObject before = reportJson();

    // Killed after two results of a run with a new price were written: none of them is kept.
    const ToolRun killed =
        run({"survey", "assess", location, "--jobs", "1", "--price", "1.2"}, "2:9");
    EXPECT_TRUE(killed.crashed);
    EXPECT_TRUE(killed.err.contains("评估 2/4")) << killed.err.toStdString();
    EXPECT_EQ(reportJson(), before);

    // Ctrl-C after two: those two are kept, the next run does the other two.
    const ToolRun interrupted =
        run({"survey", "assess", location, "--jobs", "1", "--price", "1.2"}, "2:2");
    EXPECT_FALSE(interrupted.crashed);
    EXPECT_EQ(interrupted.exitCode, 130);
    EXPECT_TRUE(interrupted.out.contains("评估了 2 个记录")) << interrupted.out.toStdString();
    const ToolRun rest = run({"survey", "assess", location, "--price", "1.2"});
    EXPECT_TRUE(rest.out.contains("评估了 2 个记录，2 个结果未变")) << rest.out.toStdString();
}

TEST_P(Survey, ReportWritesCsvWorkbookAndPdf) {
    for (int i = 0; i < 3; ++i)
        synth(QStringLiteral("m/M%1/r.MTR").arg(i), 200, 600, 40 + i);
    ASSERT_EQ(run({"survey", "add", location, dir.filePath("m")}).exitCode, 0);
    ASSERT_EQ(run({"survey", "assess", location}).exitCode, 0);
    for (const char* kind : {"--csv", "--xlsx", "--pdf"}) {
        const QString out = dir.filePath(QStringLiteral("report.") + QLatin1String(kind + 2));
        const ToolRun r = run({"survey", "report", location, kind, out});
        EXPECT_EQ(r.exitCode, 0) << kind << r.err.toStdString();
        EXPECT_GT(QFile(out).size(), 100) << kind;
        // An existing report is kept without --overwrite.
        EXPECT_EQ(run({"survey", "report", location, kind, out}).exitCode, 1) << kind;
    }
    QFile csv(dir.filePath("report.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll().count('\n'), 1 + 3 + 1 + 1 + 1 + 1); // motors, blank, totals
    QProcess py;
    py.start("/usr/bin/python3",
             {"-c",
              "import openpyxl,sys,zipfile; wb=openpyxl.load_workbook(sys.argv[1]); "
              "charts=[n for n in zipfile.ZipFile(sys.argv[1]).namelist() "
              "if n.startswith('xl/charts/')]; "
              "print(wb.sheetnames, wb['电动机'].max_row, len(charts))",
              dir.filePath("report.xlsx")});
    ASSERT_TRUE(py.waitForFinished(60000));
    EXPECT_EQ(py.readAllStandardError(), QByteArray());
    EXPECT_EQ(py.readAllStandardOutput().trimmed(), QByteArray("['电动机', '合计'] 4 1"));
}

INSTANTIATE_TEST_SUITE_P(Backends, Survey, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) {
                             return info.param == Backend::Sqlite ? std::string("Sqlite")
                                                                  : std::string("Postgres");
                         });

} // namespace
