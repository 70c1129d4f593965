// The survey at plant scale, run by hand:
//   build/bench/bench_survey [RECORDINGS [ROWS [SURVEY [SURVEY_OF_10000]]]]
// RECORDINGS synthetic recordings of ROWS rows (an hour at 10 rows a second by default), one motor
// each, into SURVEY (an SQLite file in a temporary folder by default, or postgresql://...).
// Prints the import, the assessment on 1 job (the sum of the single assessments) and on 2, an
// incremental assessment after one recording changed, and the report of 10,000 motors.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <cstdio>

#include "assessment/assessmentfigures.h"
#include "recording/synthetic.h"
#include "survey/surveyreport.h"
#include "survey/surveystore.h"

using namespace zr5;

namespace {

void Check(const Status& s) {
    if (!s) {
        std::fprintf(stderr, "%s\n", qPrintable(s.error()));
        std::exit(1);
    }
}

template <class T> T Take(Result<T> r) {
    if (!r) {
        std::fprintf(stderr, "%s\n", qPrintable(r.error()));
        std::exit(1);
    }
    return std::move(*r);
}

double Seconds(QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e9;
}

// A survey of 10,000 motors, one assessed recording each with the figures of a real assessment.
void ReportOfManyMotors(const QString& location, const QJsonObject& figures) {
    auto s = Take(SurveyDatabase::open(location, SurveyDatabase::Open::CreateIfMissing));
    QElapsedTimer t;
    t.start();
    Check(s->begin());
    const qint64 plant =
        Take(s->scalar("INSERT INTO plant (name) VALUES ('大厂') RETURNING id")).toLongLong();
    const qint64 department = Take(s->scalar("INSERT INTO department (plant_id, name) VALUES "
                                             "(?, '一车间') RETURNING id",
                                             {plant}))
                                  .toLongLong();
    AssessmentSettings settings;
    for (int i = 0; i < 10000; ++i) {
        const qint64 motor =
            Take(s->scalar("INSERT INTO motor (department_id, tag, poles, rated_power_kw, "
                           "rated_efficiency_pct, rated_voltage_v) VALUES (?, ?, 4, 11, 88, 380) "
                           "RETURNING id",
                           {department, QStringLiteral("%1#泵").arg(i)}))
                .toLongLong();
        const QString hash = QStringLiteral("h%1").arg(i);
        const qint64 recording =
            Take(s->scalar("INSERT INTO recording (motor_id, path, size, mtime_ms, duration, "
                           "content_hash) VALUES (?, ?, 0, 0, 3600, ?) RETURNING id",
                           {motor, QStringLiteral("/m/%1.MTR").arg(i), hash}))
                .toLongLong();
        QJsonObject f = figures;
        f.insert(QStringLiteral("input_energy_kwh"), 5.0 + i % 97);
        Check(StoreAssessment(*s, recording, hash, f, settings));
    }
    Check(s->commit());
    std::printf("filling 10000 motors: %.2f s\n", Seconds(t));
    t.restart();
    const SurveyReport report = Take(BuildSurveyReport(*s));
    const double build = Seconds(t);
    t.restart();
    const QByteArray json = QJsonDocument(SurveyReportJson(report)).toJson();
    std::printf("report of %zu motors: %.3f s from the database, %.3f s to JSON (%lld bytes)\n",
                report.motors.size(), build, Seconds(t), qlonglong(json.size()));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int rows = argc > 2 ? std::atoi(argv[2]) : 36000;
    QTemporaryDir dir;
    const QString location =
        argc > 3 ? QString::fromLocal8Bit(argv[3]) : dir.filePath(QStringLiteral("b.zr5survey"));
    // The 10,000 motors go into a survey of their own (a second, empty PostgreSQL database).
    const QString many = argc > 4   ? QString::fromLocal8Bit(argv[4])
                         : argc > 3 ? QString()
                                    : dir.filePath(QStringLiteral("many.zr5survey"));
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < count; ++i) {
        const QString folder = dir.filePath(QStringLiteral("m/M%1").arg(i, 4, 10, QChar('0')));
        QDir().mkpath(folder);
        if (Status written = WriteSyntheticRecording(folder + QStringLiteral("/r.MTR"), rows,
                                                     float(rows) / 10.0f, std::uint64_t(i + 1));
            !written)
            return std::fprintf(stderr, "%s\n", qPrintable(written.error())), 1;
    }
    std::printf("%d recordings of %d rows written: %.1f s\n", count, rows, Seconds(t));

    auto s = Take(SurveyDatabase::open(location, SurveyDatabase::Open::CreateIfMissing));
    t.restart();
    const ImportOutcome in =
        Take(ImportRecordings(*s, FindRecordings({dir.filePath("m")}).value, {}));
    std::printf("import of %d: %.2f s\n", in.added, Seconds(t));

    SurveyAssessOptions o;
    DataDirectory data(dir.filePath(QStringLiteral("data")));
    // A first run fills the tables, so that both timed runs below replace every stored result
    // (a delete and an insert each) and do the same database work.
    o.jobs = 2;
    o.settings.price = 0.7;
    t.restart();
    SurveyAssessOutcome first = Take(AssessSurvey(*s, data, o));
    std::printf("first assess of %d (into empty tables) on 2 jobs: %.2f s\n", first.assessed,
                Seconds(t));
    o.jobs = 1;
    o.settings.price = 0.8;
    t.restart();
    SurveyAssessOutcome a = Take(AssessSurvey(*s, data, o));
    const double one = Seconds(t);
    o.jobs = 2;
    o.settings.price = 0.9; // every result stale: all redone
    t.restart();
    a = Take(AssessSurvey(*s, data, o));
    const double two = Seconds(t);
    std::printf("assess %d on 1 job: %.2f s; on 2 jobs: %.2f s = %.2f x the ideal (1 job / 2)\n",
                a.assessed, one, two, two / (one / 2));

    if (Status written = WriteSyntheticRecording(dir.filePath("m/M0000/r.MTR"), rows,
                                                 float(rows) / 10.0f, 99999);
        !written)
        return std::fprintf(stderr, "%s\n", qPrintable(written.error())), 1;
    t.restart();
    a = Take(AssessSurvey(*s, data, o));
    std::printf("incremental assess after one change: %d redone, %d current: %.2f s\n", a.assessed,
                a.current, Seconds(t));

    const AssessmentRun run = AssessRecording(dir.filePath("m/M0001/r.MTR"), data, o.settings);
    if (!many.isEmpty())
        ReportOfManyMotors(many, FigureListJson(AssessmentRunFigures(run)));
    return 0;
}
