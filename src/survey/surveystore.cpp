#include "survey/surveystore.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMutex>
#include <QThreadPool>
#include <QWaitCondition>
#include <deque>
#include <map>

#include "assessment/assessmentfigures.h"
#include "model/programversion.h"
#include "recording/recordingfile.h"

namespace zr5 {

namespace {

const QString kDefaultPlant = QStringLiteral("未命名工厂");
const QString kDefaultDepartment = QStringLiteral("未分部门");

bool IsRecordingName(const QString& name) {
    return name.endsWith(QLatin1String(".mtr"), Qt::CaseInsensitive);
}

qint64 ModifiedMs(const QFileInfo& f) {
    return f.lastModified().toMSecsSinceEpoch();
}

// The id of a row by its unique name, inserting it first when it is not there. Two importers at
// once both end up with the one row.
Result<qint64> Upsert(SurveyDatabase& s, const QString& insert, const QString& select,
                      const QVariantList& values) {
    if (Result<QSqlQuery> q = s.exec(insert, values); !q)
        return Result<qint64>::failure(q.error());
    Result<QVariant> id = s.scalar(select, values);
    if (!id)
        return Result<qint64>::failure(id.error());
    return id->toLongLong();
}

Result<qint64> MotorFor(SurveyDatabase& s, const ImportOptions& o, const QString& tag,
                        const MotorParameters& m) {
    const QString plantName = o.plant.isEmpty() ? kDefaultPlant : o.plant;
    Result<qint64> plant =
        Upsert(s, QStringLiteral("INSERT INTO plant (name) VALUES (?) ON CONFLICT DO NOTHING"),
               QStringLiteral("SELECT id FROM plant WHERE name = ?"), {plantName});
    if (!plant)
        return plant;
    if (o.department.isEmpty()) {
        // A motor already filed under a department keeps it.
        Result<QVariant> known = s.scalar(
            QStringLiteral("SELECT m.id FROM motor m JOIN department d ON d.id = m.department_id "
                           "WHERE d.plant_id = ? AND m.tag = ? ORDER BY m.id"),
            {*plant, tag});
        if (!known)
            return Result<qint64>::failure(known.error());
        if (known->isValid())
            return known->toLongLong();
    }
    Result<qint64> department =
        Upsert(s,
               QStringLiteral(
                   "INSERT INTO department (plant_id, name) VALUES (?, ?) ON CONFLICT DO NOTHING"),
               QStringLiteral("SELECT id FROM department WHERE plant_id = ? AND name = ?"),
               {*plant, o.department.isEmpty() ? kDefaultDepartment : o.department});
    if (!department)
        return department;
    if (Result<QSqlQuery> q = s.exec(
            QStringLiteral("INSERT INTO motor (department_id, tag, poles, rated_power_kw, "
                           "rated_current_a, rated_efficiency_pct, no_load_current_a, "
                           "no_load_power_kw, rated_voltage_v) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) "
                           "ON CONFLICT DO NOTHING"),
            {*department, tag, double(m.Poles), double(m.RatedPower), double(m.RatedCurrent),
             double(m.RatedEfficiency), double(m.NoLoadCurrent), double(m.NoLoadPower),
             double(m.RatedVoltage)});
        !q)
        return Result<qint64>::failure(q.error());
    Result<QVariant> id =
        s.scalar(QStringLiteral("SELECT id FROM motor WHERE department_id = ? AND tag = ?"),
                 {*department, tag});
    if (!id)
        return Result<qint64>::failure(id.error());
    return id->toLongLong();
}

Status ImportOne(SurveyDatabase& s, const QString& path, const ImportOptions& o,
                 ImportOutcome& out) {
    const QFileInfo file(path);
    Result<RecordingInfo> info = ReadRecordingInfo(path);
    QString refusal = info ? AnalysisRefusal(*info).error() : info.error();
    Result<QString> hash = refusal.isEmpty() ? ContentHash(path) : Result<QString>(QString());
    if (refusal.isEmpty() && !hash)
        refusal = hash.error();
    if (!refusal.isEmpty()) {
        out.damaged << QStringLiteral("%1：%2").arg(path, refusal);
        return {};
    }
    const RecordingHeader& h = info->header;
    const QVariantList facts = {file.size(), ModifiedMs(file), double(h.StartTime),
                                double(h.Duration), info->RecordCount};

    Result<QSqlQuery> known =
        s.exec(QStringLiteral("SELECT id, path FROM recording WHERE content_hash = ?"), {*hash});
    if (!known)
        return Status::of(known);
    if (known->next()) {
        const qint64 id = known->value(0).toLongLong();
        const QString oldPath = known->value(1).toString();
        known->finish();
        if (oldPath != path && QFileInfo::exists(oldPath)) {
            out.duplicates << QStringLiteral("%1：与 %2 内容相同，不重复计入").arg(path, oldPath);
            return {};
        }
        (oldPath == path ? out.unchanged : out.moved) += 1;
        return Status::of(s.exec(
            QStringLiteral("UPDATE recording SET path = ?, size = ?, mtime_ms = ?, state = 'ok', "
                           "problem = NULL WHERE id = ?"),
            {path, file.size(), ModifiedMs(file), id}));
    }
    known->finish();
    Result<QVariant> samePath =
        s.scalar(QStringLiteral("SELECT id FROM recording WHERE path = ?"), {path});
    if (!samePath)
        return Status::of(samePath);
    if (samePath->isValid()) {
        // The file at a known path was rewritten: its old result becomes stale by the hash.
        out.changed += 1;
        return Status::of(
            s.exec(QStringLiteral("UPDATE recording SET size = ?, mtime_ms = ?, start_time = ?, "
                                  "duration = ?, rows = ?, content_hash = ?, state = 'ok', "
                                  "problem = NULL WHERE id = ?"),
                   QVariantList(facts) << *hash << samePath->toLongLong()));
    }
    const QString tag = o.motorTag.isEmpty() ? file.absoluteDir().dirName() : o.motorTag;
    Result<qint64> motor = MotorFor(s, o, tag, h.motorParameters());
    if (!motor)
        return Status::of(motor);
    Result<QSqlQuery> inserted =
        s.exec(QStringLiteral("INSERT INTO recording (motor_id, path, size, mtime_ms, start_time, "
                              "duration, rows, content_hash) VALUES (?, ?, ?, ?, ?, ?, ?, ?) "
                              "ON CONFLICT DO NOTHING RETURNING id"),
               QVariantList{*motor, path} + facts + QVariantList{*hash});
    if (!inserted)
        return Status::of(inserted);
    if (inserted->next())
        out.added += 1;
    else // another importer filed the same content a moment ago
        out.duplicates
            << QStringLiteral("%1：与另一个同时导入的记录内容相同，不重复计入").arg(path);
    inserted->finish();
    return {};
}

void FlattenFigures(const QString& prefix, const QJsonValue& v,
                    std::vector<std::pair<QString, QJsonValue>>& out) {
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            FlattenFigures(prefix.isEmpty() ? it.key() : prefix + QLatin1Char('.') + it.key(),
                           it.value(), out);
    } else if (v.isArray()) {
        const QJsonArray a = v.toArray();
        for (qsizetype i = 0; i < a.size(); ++i)
            FlattenFigures(prefix + QStringLiteral("[%1]").arg(i), a[i], out);
    } else {
        out.emplace_back(prefix, v);
    }
}

} // namespace

TolerantRead<QStringList> FindRecordings(const QStringList& paths) {
    TolerantRead<QStringList> found;
    for (const QString& p : paths) {
        const QFileInfo f(p);
        if (f.isDir()) {
            QStringList inFolder;
            QDirIterator it(p, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString name = it.next();
                if (IsRecordingName(name))
                    inFolder << QFileInfo(name).absoluteFilePath();
            }
            inFolder.sort();
            found.value += inFolder;
        } else if (f.isFile()) {
            found.value << f.absoluteFilePath();
        } else {
            found.problems << QStringLiteral("%1：不存在").arg(p);
        }
    }
    return found;
}

Result<ImportOutcome> ImportRecordings(SurveyDatabase& survey, const QStringList& recordings,
                                       const ImportOptions& options) {
    // PostgreSQL may abort one of two importers that meet on the same rows: it runs again.
    for (int attempt = 0;; ++attempt) {
        ImportOutcome out;
        if (Status s = survey.begin(); !s)
            return Result<ImportOutcome>::failure(s.error());
        Status failed;
        for (const QString& path : recordings)
            if (failed = ImportOne(survey, path, options, out); !failed)
                break;
        if (failed)
            failed = survey.commit();
        if (failed)
            return out;
        survey.rollback();
        if (!SurveyDatabase::retryable(failed.error()) || attempt >= 5)
            return Result<ImportOutcome>::failure(failed.error());
    }
}

Result<QString> ContentHash(const QString& path) {
    QFile f(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!f.open(QIODevice::ReadOnly) || !hash.addData(&f) || f.error() != QFileDevice::NoError)
        return Result<QString>::failure(
            QStringLiteral("无法读取 “%1”：%2").arg(path, f.errorString()));
    return QString::fromLatin1(hash.result().toHex());
}

QString SettingsText(const AssessmentSettings& s) {
    const QJsonObject o{{QStringLiteral("kq"), s.KQ},
                        {QStringLiteral("hours_per_year"), s.hoursPerYear},
                        {QStringLiteral("price"), s.price},
                        {QStringLiteral("ie3_price_per_kw"), s.ie3PricePerKw},
                        {QStringLiteral("ie4_price_per_kw"), s.ie4PricePerKw},
                        {QStringLiteral("life_cycle_years"), s.lifeCycleYears},
                        {QStringLiteral("emission_factor"), s.emissionFactor},
                        {QStringLiteral("pf_target"), s.pfTarget}};
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

Status StoreAssessment(SurveyDatabase& s, qint64 recordingId, const QString& contentHash,
                       const QJsonObject& figures, const AssessmentSettings& settings) {
    if (Status st = Status::of(s.repeated(
            QStringLiteral("DELETE FROM assessment WHERE recording_id = ?"), {recordingId}));
        !st)
        return st;
    const Result<QVariant> id = s.repeated(
        QStringLiteral("INSERT INTO assessment (recording_id, content_hash, settings, "
                       "program_version, assessed_at, figures_json) VALUES (?, ?, ?, ?, ?, ?) "
                       "RETURNING id"),
        {recordingId, contentHash, SettingsText(settings), QString::fromLatin1(ProgramVersion()),
         QDateTime::currentDateTimeUtc().toString(Qt::ISODate),
         QString::fromUtf8(QJsonDocument(figures).toJson(QJsonDocument::Compact))});
    if (!id)
        return Status::of(id);
    if (!id->isValid())
        return Status::failure(QStringLiteral("测试汇总 “%1” 没有给出新评估的编号").arg(s.shown()));
    std::vector<std::pair<QString, QJsonValue>> flat;
    FlattenFigures(QString(), figures, flat);
    // All the figures in one statement: one round trip to a server per result.
    if (flat.empty())
        return {};
    QString sql = QStringLiteral("INSERT INTO assessment_figure (assessment_id, key, number, text) "
                                 "VALUES ");
    QVariantList values;
    for (const auto& [key, value] : flat) {
        const QVariant number = value.isDouble() ? QVariant(value.toDouble())
                                : value.isBool() ? QVariant(value.toBool() ? 1.0 : 0.0)
                                                 : QVariant(QMetaType::fromType<double>());
        const QVariant text = value.isString() ? QVariant(value.toString())
                                               : QVariant(QMetaType::fromType<QString>());
        sql += values.isEmpty() ? QStringLiteral("(?, ?, ?, ?)") : QStringLiteral(", (?, ?, ?, ?)");
        values << *id << key << number << text;
    }
    return Status::of(s.repeated(sql, values));
}

namespace {

struct Candidate {
    qint64 id = 0;
    QString path;
    QString hash;
};

// The pool's results come back to the calling thread, which alone touches the database.
struct Finished {
    Candidate what;
    QString error;
    QJsonObject figures;
};

class ResultQueue {
public:
    void push(Finished f) {
        QMutexLocker lock(&mutex_);
        done_.push_back(std::move(f));
        ready_.wakeAll();
    }
    bool pop(Finished& f, int waitMs) {
        QMutexLocker lock(&mutex_);
        if (done_.empty())
            ready_.wait(&mutex_, QDeadlineTimer(waitMs));
        if (done_.empty())
            return false;
        f = std::move(done_.front());
        done_.pop_front();
        return true;
    }

private:
    QMutex mutex_;
    QWaitCondition ready_;
    std::deque<Finished> done_;
};

} // namespace

Result<SurveyAssessOutcome> AssessSurvey(SurveyDatabase& s, const DataDirectory& data,
                                         const SurveyAssessOptions& options) {
    using R = Result<SurveyAssessOutcome>;
    SurveyAssessOutcome out;
    if (Status st = s.begin(); !st)
        return R::failure(st.error());
    auto fail = [&](const QString& message) {
        s.rollback();
        return R::failure(message);
    };
    Result<QSqlQuery> q = s.exec(QStringLiteral(
        "SELECT r.id, r.path, r.size, r.mtime_ms, r.content_hash, r.state, a.content_hash, "
        "a.settings, a.program_version FROM recording r LEFT JOIN assessment a "
        "ON a.recording_id = r.id ORDER BY r.id"));
    if (!q)
        return fail(q.error());
    struct Row {
        Candidate c;
        qint64 size, mtime;
        QString state, resultHash, settings, version;
        bool hasResult;
    };
    std::vector<Row> rows;
    while (q->next())
        rows.push_back({{q->value(0).toLongLong(), q->value(1).toString(), q->value(4).toString()},
                        q->value(2).toLongLong(),
                        q->value(3).toLongLong(),
                        q->value(5).toString(),
                        q->value(6).toString(),
                        q->value(7).toString(),
                        q->value(8).toString(),
                        !q->value(6).isNull()});
    q->finish();

    const QString settings = SettingsText(options.settings);
    const QString version = QString::fromLatin1(ProgramVersion());
    std::vector<Candidate> todo;
    auto mark = [&](const Row& r, const char* state, const QString& problem) {
        return Status::of(
            s.exec(QStringLiteral("UPDATE recording SET state = ?, problem = ? WHERE id = ?"),
                   {QString::fromLatin1(state), problem, r.c.id}));
    };
    for (Row& r : rows) {
        const QFileInfo f(r.c.path);
        if (!f.isFile()) {
            out.missing += 1;
            if (Status st = mark(r, "missing", QStringLiteral("文件不在了")); !st)
                return fail(st.error());
            continue;
        }
        if (f.size() != r.size || ModifiedMs(f) != r.mtime || r.state != QLatin1String("ok")) {
            // Touched since the import: its content decides whether its result still holds.
            Result<RecordingInfo> info = ReadRecordingInfo(r.c.path);
            QString refusal = info ? AnalysisRefusal(*info).error() : info.error();
            Result<QString> hash =
                refusal.isEmpty() ? ContentHash(r.c.path) : Result<QString>(QString());
            if (refusal.isEmpty() && !hash)
                refusal = hash.error();
            if (!refusal.isEmpty()) {
                out.damaged += 1;
                out.problems << QStringLiteral("%1：%2").arg(r.c.path, refusal);
                if (Status st = mark(r, "damaged", refusal); !st)
                    return fail(st.error());
                continue;
            }
            r.c.hash = *hash;
            const RecordingHeader& h = info->header;
            if (Status st = Status::of(s.exec(
                    QStringLiteral("UPDATE recording SET size = ?, mtime_ms = ?, start_time = ?, "
                                   "duration = ?, rows = ?, content_hash = ?, state = 'ok', "
                                   "problem = NULL WHERE id = ?"),
                    {f.size(), ModifiedMs(f), double(h.StartTime), double(h.Duration),
                     info->RecordCount, r.c.hash, r.c.id}));
                !st)
                return fail(st.error());
        }
        if (r.hasResult && r.resultHash == r.c.hash && r.settings == settings &&
            r.version == version) {
            out.current += 1;
            continue;
        }
        todo.push_back(r.c);
    }
    out.toAssess = int(todo.size());

    QThreadPool pool;
    pool.setMaxThreadCount(std::max(1, options.jobs));
    ResultQueue queue;
    std::size_t started = 0;
    int running = 0;
    const AssessmentSettings assessSettings = options.settings;
    auto startNext = [&] {
        const Candidate c = todo[started++];
        ++running;
        pool.start([c, &queue, &data, assessSettings] {
            Finished f{c, {}, {}};
            const AssessmentRun run = AssessRecording(c.path, data, assessSettings);
            if (run.error.isEmpty())
                f.figures = AssessmentJson(run);
            else
                f.error = run.error;
            queue.push(std::move(f));
        });
    };
    auto cancelled = [&] { return options.cancel && options.cancel->load(); };
    QString storeError;
    while (running > 0 || (started < todo.size() && !cancelled() && storeError.isEmpty())) {
        // Only as many recordings in flight as there are jobs, so a cancel stops soon.
        while (running < pool.maxThreadCount() && started < todo.size() && !cancelled() &&
               storeError.isEmpty())
            startNext();
        Finished f;
        if (!queue.pop(f, 100))
            continue;
        --running;
        if (!storeError.isEmpty())
            continue;
        Status st;
        if (!f.error.isEmpty()) {
            out.damaged += 1;
            out.problems << QStringLiteral("%1：%2").arg(f.what.path, f.error);
            st = Status::of(s.exec(
                QStringLiteral("UPDATE recording SET state = 'damaged', problem = ? WHERE id = ?"),
                {f.error, f.what.id}));
        } else {
            st = StoreAssessment(s, f.what.id, f.what.hash, f.figures, options.settings);
            out.assessed += 1;
        }
        if (!st) {
            storeError = st.error();
            continue;
        }
        if (options.progress)
            options.progress(out.assessed + out.damaged, out.toAssess);
    }
    pool.waitForDone();
    if (!storeError.isEmpty())
        return fail(storeError);
    out.cancelled = started < todo.size();
    if (Status st = s.commit(); !st)
        return fail(st.error());
    return out;
}

Result<std::vector<SurveyRecordingLine>> ListSurvey(SurveyDatabase& s) {
    using R = Result<std::vector<SurveyRecordingLine>>;
    Result<QSqlQuery> q = s.exec(QStringLiteral(
        "SELECT r.id, p.name, d.name, m.tag, r.path, r.size, r.mtime_ms, r.content_hash, r.state, "
        "r.problem, a.content_hash, a.settings FROM recording r JOIN motor m ON m.id = r.motor_id "
        "JOIN department d ON d.id = m.department_id JOIN plant p ON p.id = d.plant_id "
        "LEFT JOIN assessment a ON a.recording_id = r.id ORDER BY p.name, d.name, m.tag, r.path"));
    if (!q)
        return R::failure(q.error());
    std::vector<SurveyRecordingLine> lines;
    while (q->next()) {
        SurveyRecordingLine l;
        l.id = q->value(0).toLongLong();
        l.plant = q->value(1).toString();
        l.department = q->value(2).toString();
        l.motor = q->value(3).toString();
        l.path = q->value(4).toString();
        l.problem = q->value(9).toString();
        l.settings = q->value(11).toString();
        const QFileInfo f(l.path);
        const QString state = q->value(8).toString();
        if (!f.isFile())
            l.state = QStringLiteral("missing");
        else if (state == QLatin1String("damaged"))
            l.state = QStringLiteral("damaged");
        else if (q->value(10).isNull() || q->value(10).toString() != q->value(7).toString() ||
                 f.size() != q->value(5).toLongLong() || ModifiedMs(f) != q->value(6).toLongLong())
            l.state = QStringLiteral("stale");
        else
            l.state = QStringLiteral("assessed");
        lines.push_back(l);
    }
    return lines;
}

Result<std::vector<SurveyMotorRecording>> MotorRecordings(SurveyDatabase& s, const QString& plant,
                                                          const QString& department,
                                                          const QString& tag) {
    using R = Result<std::vector<SurveyMotorRecording>>;
    Result<QSqlQuery> q = s.exec(
        QStringLiteral("SELECT r.path, r.start_time, r.mtime_ms, r.state FROM recording r "
                       "JOIN motor m ON m.id = r.motor_id JOIN department d ON d.id = "
                       "m.department_id JOIN plant p ON p.id = d.plant_id WHERE p.name = ? AND "
                       "d.name = ? AND m.tag = ? ORDER BY r.mtime_ms - 1000 * "
                       "COALESCE(r.duration, 0), r.start_time, r.id"),
        {plant, department, tag});
    if (!q)
        return R::failure(q.error());
    std::vector<SurveyMotorRecording> out;
    while (q->next())
        out.push_back({q->value(0).toString(), q->value(1).toDouble(), q->value(2).toLongLong(),
                       q->value(3).toString()});
    return out;
}

SurveyRunText ImportText(const ImportOutcome& out, const QStringList& unreadable) {
    SurveyRunText t;
    for (const QString& p : unreadable + out.damaged)
        t.problems << QStringLiteral("损坏，跳过：%1").arg(p);
    for (const QString& d : out.duplicates)
        t.problems << QStringLiteral("重复：%1").arg(d);
    t.summary =
        QStringLiteral("新增 %1 个记录，%2 个内容已变，%3 个已移动，%4 个未变；%5 个重复，%6 "
                       "个损坏")
            .arg(out.added)
            .arg(out.changed)
            .arg(out.moved)
            .arg(out.unchanged)
            .arg(out.duplicates.size())
            .arg(unreadable.size() + out.damaged.size());
    return t;
}

SurveyRunText AssessText(const SurveyAssessOutcome& out) {
    SurveyRunText t;
    for (const QString& p : out.problems)
        t.problems << QStringLiteral("损坏：%1").arg(p);
    t.summary =
        QStringLiteral("评估了 %1 个记录，%2 个结果未变，%3 个缺失，%4 个损坏%5")
            .arg(out.assessed)
            .arg(out.current)
            .arg(out.missing)
            .arg(out.damaged)
            .arg(out.cancelled ? QStringLiteral("；已中断，已完成的结果已保存") : QString());
    return t;
}

} // namespace zr5
