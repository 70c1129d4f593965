#include "survey/surveydatabase.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QStringList>
#include <QUrl>
#include <vector>

namespace zr5 {

namespace {

constexpr const char* kApplication = "zr5-survey";

// Each version's statements; %ID% is the dialect's generated key. Version n is reached by
// running the lists 1 to n in order, so a survey of any older version is brought forward.
const std::vector<std::vector<const char*>>& Migrations() {
    static const std::vector<std::vector<const char*>> steps = {
        // 1: the tables
        {"CREATE TABLE survey_meta (key TEXT PRIMARY KEY, value TEXT NOT NULL)",
         "CREATE TABLE plant (id %ID%, name TEXT NOT NULL UNIQUE)",
         "CREATE TABLE department (id %ID%, plant_id BIGINT NOT NULL REFERENCES plant(id), "
         "name TEXT NOT NULL, UNIQUE (plant_id, name))",
         "CREATE TABLE motor (id %ID%, department_id BIGINT NOT NULL REFERENCES department(id), "
         "tag TEXT NOT NULL, model TEXT, catalogue_code INTEGER, poles DOUBLE PRECISION, "
         "rated_power_kw DOUBLE PRECISION, rated_current_a DOUBLE PRECISION, "
         "rated_efficiency_pct DOUBLE PRECISION, no_load_current_a DOUBLE PRECISION, "
         "no_load_power_kw DOUBLE PRECISION, rated_voltage_v DOUBLE PRECISION, "
         "hours_per_year DOUBLE PRECISION, notes TEXT, UNIQUE (department_id, tag))",
         "CREATE TABLE recording (id %ID%, motor_id BIGINT NOT NULL REFERENCES motor(id), "
         "path TEXT NOT NULL, size BIGINT NOT NULL, mtime_ms BIGINT NOT NULL, "
         "content_hash TEXT NOT NULL UNIQUE, start_time DOUBLE PRECISION, "
         "duration DOUBLE PRECISION, rows BIGINT, state TEXT NOT NULL DEFAULT 'ok' "
         "CHECK (state IN ('ok', 'damaged', 'missing')), problem TEXT)",
         "CREATE TABLE assessment (id %ID%, recording_id BIGINT NOT NULL UNIQUE "
         "REFERENCES recording(id) ON DELETE CASCADE, content_hash TEXT NOT NULL, "
         "settings TEXT NOT NULL, program_version TEXT NOT NULL, assessed_at TEXT NOT NULL, "
         "figures_json TEXT NOT NULL)",
         "CREATE TABLE assessment_figure (assessment_id BIGINT NOT NULL "
         "REFERENCES assessment(id) ON DELETE CASCADE, key TEXT NOT NULL, "
         "number DOUBLE PRECISION, text TEXT, PRIMARY KEY (assessment_id, key))"},
        // 2: the report's look-ups by motor and by figure
        {"CREATE INDEX recording_motor ON recording (motor_id)",
         "CREATE INDEX assessment_figure_key ON assessment_figure (key)"},
    };
    return steps;
}

QString ConnectionName() {
    static QAtomicInt counter;
    return QStringLiteral("zr5-survey-%1").arg(counter.fetchAndAddRelaxed(1));
}

} // namespace

Result<SurveyLocation> ParseSurveyLocation(const QString& text) {
    SurveyLocation l;
    l.shown = text;
    if (!text.startsWith(QLatin1String("postgresql://")) &&
        !text.startsWith(QLatin1String("postgres://"))) {
        if (text.isEmpty())
            return Result<SurveyLocation>::failure(QStringLiteral("缺少测试汇总文件"));
        l.path = text;
        return l;
    }
    static const QRegularExpression address(
        QStringLiteral("^postgres(?:ql)?://([^@/]+)@([^/]*)/([^/?]+)$"));
    const QRegularExpressionMatch m = address.match(text);
    if (!m.hasMatch())
        return Result<SurveyLocation>::failure(
            QStringLiteral("“%1” 不是 postgresql://用户@主机[:端口]/数据库 形式的地址").arg(text));
    if (m.captured(1).contains(QLatin1Char(':')))
        return Result<SurveyLocation>::failure(
            QStringLiteral("口令不能写在地址里：请用环境变量 PGPASSWORD 或 ~/.pgpass"));
    l.postgres = true;
    l.user = QUrl::fromPercentEncoding(m.captured(1).toUtf8());
    QString host = m.captured(2);
    static const QRegularExpression port(QStringLiteral(":(\\d+)$"));
    if (const QRegularExpressionMatch p = port.match(host); p.hasMatch()) {
        l.port = p.captured(1).toInt();
        host.chop(p.capturedLength());
    }
    l.host = QUrl::fromPercentEncoding(host.toUtf8());
    l.database = QUrl::fromPercentEncoding(m.captured(3).toUtf8());
    if (l.host.isEmpty() || l.database.isEmpty() || l.port <= 0 || l.port > 65535)
        return Result<SurveyLocation>::failure(
            QStringLiteral("“%1” 缺少主机、端口或数据库名").arg(text));
    return l;
}

SurveyDatabase::SurveyDatabase(SurveyLocation location, int busyMs)
    : location_(std::move(location)), busyMs_(busyMs), connection_(ConnectionName()) {}

SurveyDatabase::~SurveyDatabase() {
    prepared_.clear();
    if (db_.isValid()) {
        db_.close();
        db_ = QSqlDatabase();
    }
    QSqlDatabase::removeDatabase(connection_);
}

Result<std::unique_ptr<SurveyDatabase>> SurveyDatabase::open(const QString& location, Open mode,
                                                             int busyMs) {
    using R = Result<std::unique_ptr<SurveyDatabase>>;
    Result<SurveyLocation> l = ParseSurveyLocation(location);
    if (!l)
        return R::failure(l.error());
    std::unique_ptr<SurveyDatabase> s(new SurveyDatabase(*l, busyMs));
    if (!s->postgres() && mode == Open::Existing && !QFileInfo::exists(s->location_.path))
        return R::failure(QStringLiteral("测试汇总 “%1” 不存在").arg(s->shown()));
    if (!s->postgres() && QFileInfo(s->location_.path).isDir())
        return R::failure(QStringLiteral("“%1” 是文件夹，不是测试汇总").arg(s->shown()));
    if (Status st = s->connect(); !st)
        return R::failure(st.error());
    if (Status st = s->prepare(mode, kSurveySchemaVersion); !st)
        return R::failure(st.error());
    return R(std::move(s));
}

Result<std::unique_ptr<SurveyDatabase>> SurveyDatabase::createAtVersion(const QString& location,
                                                                        int version) {
    using R = Result<std::unique_ptr<SurveyDatabase>>;
    Result<SurveyLocation> l = ParseSurveyLocation(location);
    if (!l)
        return R::failure(l.error());
    std::unique_ptr<SurveyDatabase> s(new SurveyDatabase(*l, 5000));
    if (Status st = s->connect(); !st)
        return R::failure(st.error());
    if (Status st = s->prepare(Open::CreateIfMissing, version); !st)
        return R::failure(st.error());
    return R(std::move(s));
}

Status SurveyDatabase::connect() {
    if (postgres()) {
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection_);
        db_.setHostName(location_.host);
        db_.setPort(location_.port);
        db_.setUserName(location_.user);
        db_.setDatabaseName(location_.database);
        db_.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(qMax(2, busyMs_ / 1000)));
    } else {
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
        db_.setDatabaseName(location_.path);
        db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyMs_));
    }
    if (!db_.isValid())
        return Status::failure(
            QStringLiteral("没有 Qt 的 %1 数据库驱动（请安装 %2）")
                .arg(postgres() ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLite"),
                     postgres() ? QStringLiteral("libqt6sql6-psql")
                                : QStringLiteral("libqt6sql6-sqlite")));
    if (!db_.open())
        return Status::failure(QStringLiteral("无法打开测试汇总 “%1”：%2")
                                   .arg(shown(), db_.lastError().text().trimmed()));
    if (postgres()) {
        for (const QString& s : {QStringLiteral("SET lock_timeout = %1").arg(busyMs_),
                                 QStringLiteral("SET client_min_messages = warning")})
            if (Result<QSqlQuery> q = exec(s); !q)
                return Status::of(q);
    } else if (Result<QSqlQuery> q = exec(QStringLiteral("PRAGMA foreign_keys = ON")); !q) {
        return Status::of(q);
    }
    return {};
}

Status SurveyDatabase::prepare(Open mode, int targetVersion) {
    // What the database holds: our tables, nothing (a new survey), or someone else's. Looked at
    // first without a lock, so that a reader does not wait for a writer; only a survey that must
    // be created or brought forward is looked at again under the write lock.
    const QString tables =
        postgres() ? QStringLiteral("SELECT table_name FROM information_schema.tables WHERE "
                                    "table_schema = current_schema()")
                   : QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'");
    const QString notSqlite =
        QStringLiteral("“%1” 不是测试汇总（不是 SQLite 数据库文件）").arg(shown());
    int version = 0;
    for (const bool locked : {false, true}) {
        auto fail = [&](const QString& message) {
            if (locked)
                rollback();
            return Status::failure(message);
        };
        if (locked) {
            if (Status s = begin(); !s)
                return s;
            // Two programs creating the same new survey at once take turns.
            if (postgres())
                if (Result<QSqlQuery> q =
                        exec(QStringLiteral("SELECT pg_advisory_xact_lock(52025)"));
                    !q)
                    return fail(q.error());
        }
        Result<QSqlQuery> q = exec(tables);
        if (!q) // a file of another kind fails at its first read
            return fail(!postgres() && q.error().contains(QLatin1String("not a database"))
                            ? notSqlite
                            : q.error());
        QStringList names;
        while (q->next())
            names << q->value(0).toString();
        q->finish();
        version = 0;
        if (names.contains(QLatin1String("survey_meta"))) {
            Result<QVariant> app =
                scalar(QStringLiteral("SELECT value FROM survey_meta WHERE key = 'application'"));
            Result<QVariant> v = scalar(
                QStringLiteral("SELECT value FROM survey_meta WHERE key = 'schema_version'"));
            if (!app || !v)
                return fail(!app ? app.error() : v.error());
            bool number = false;
            version = v->toString().toInt(&number);
            if (app->toString() != QLatin1String(kApplication) || !number || version < 1)
                return fail(QStringLiteral("“%1” 不是测试汇总（其中的 survey_meta 不是本程序的）")
                                .arg(shown()));
            if (version > kSurveySchemaVersion)
                return fail(QStringLiteral("“%1” 由较新版本的程序建立（数据库结构第 %2 版，本程序"
                                           "只认得到第 %3 版）；请用新版本打开")
                                .arg(shown())
                                .arg(version)
                                .arg(kSurveySchemaVersion));
        } else if (!names.isEmpty()) {
            return fail(
                QStringLiteral("“%1” 不是测试汇总：其中有别的表（%2），没有测试汇总的表；未作改动")
                    .arg(shown(), names.mid(0, 3).join(QStringLiteral("、"))));
        } else if (mode == Open::Existing) {
            return fail(QStringLiteral("“%1” 是空的数据库，不是测试汇总").arg(shown()));
        }
        if (version >= targetVersion) {
            if (locked)
                rollback();
            break;
        }
        if (locked) {
            if (Status s = migrate(version, targetVersion); !s)
                return fail(s.error());
            if (Status s = commit(); !s)
                return s;
        }
    }
    version_ = std::max(version, targetVersion);
    if (!postgres()) {
        // WAL only once the file is known to be ours: a foreign database is left as it was.
        if (Result<QSqlQuery> w = exec(QStringLiteral("PRAGMA journal_mode = WAL")); !w)
            return Status::of(w);
    }
    return {};
}

Status SurveyDatabase::migrate(int from, int to) {
    const auto& steps = Migrations();
    const QString id = postgres() ? QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY "
                                                   "PRIMARY KEY")
                                  : QStringLiteral("INTEGER PRIMARY KEY");
    for (int v = from + 1; v <= to && v <= int(steps.size()); ++v)
        for (const char* statement : steps[std::size_t(v - 1)])
            if (Result<QSqlQuery> q =
                    exec(QString::fromLatin1(statement).replace(QLatin1String("%ID%"), id));
                !q)
                return Status::of(q);
    if (from == 0) {
        if (Result<QSqlQuery> q = exec(QStringLiteral("INSERT INTO survey_meta (key, value) "
                                                      "VALUES ('application', ?)"),
                                       {QString::fromLatin1(kApplication)});
            !q)
            return Status::of(q);
        if (Result<QSqlQuery> q = exec(QStringLiteral("INSERT INTO survey_meta (key, value) "
                                                      "VALUES ('schema_version', '0')"));
            !q)
            return Status::of(q);
    }
    return Status::of(exec(QStringLiteral("UPDATE survey_meta SET value = ? WHERE key = "
                                          "'schema_version'"),
                           {QString::number(to)}));
}

Status SurveyDatabase::begin() {
    return Status::of(
        exec(postgres() ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE")));
}

Status SurveyDatabase::commit() {
    return Status::of(exec(QStringLiteral("COMMIT")));
}

void SurveyDatabase::rollback() {
    QSqlQuery q(db_);
    q.exec(QStringLiteral("ROLLBACK"));
}

QString SurveyDatabase::failure(const QSqlError& error) const {
    const QString code = error.nativeErrorCode();
    const QString text = error.text().trimmed();
    const bool busy = postgres() ? code == QLatin1String("55P03")
                                 : (code == QLatin1String("5") || code == QLatin1String("6") ||
                                    text.contains(QLatin1String("database is locked")));
    if (busy)
        return QStringLiteral("测试汇总 “%1” 正被另一个程序占用（已等 %2 秒）；请稍后再试")
            .arg(shown())
            .arg(busyMs_ / 1000.0);
    return QStringLiteral("测试汇总 “%1” 出错：%2%3")
        .arg(shown(), text, code.isEmpty() ? QString() : QStringLiteral("（%1）").arg(code));
}

bool SurveyDatabase::retryable(const QString& message) {
    return message.contains(QLatin1String("（40P01）")) ||
           message.contains(QLatin1String("（40001）"));
}

Result<QSqlQuery> SurveyDatabase::exec(const QString& sql, const QVariantList& values) {
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    // Statements without values run as they are: PostgreSQL cannot prepare BEGIN or SET.
    if (values.isEmpty()) {
        if (!q.exec(sql))
            return Result<QSqlQuery>::failure(failure(q.lastError()));
        return q;
    }
    if (!q.prepare(sql))
        return Result<QSqlQuery>::failure(failure(q.lastError()));
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        return Result<QSqlQuery>::failure(failure(q.lastError()));
    return q;
}

Result<QVariant> SurveyDatabase::scalar(const QString& sql, const QVariantList& values) {
    Result<QSqlQuery> q = exec(sql, values);
    if (!q)
        return Result<QVariant>::failure(q.error());
    QVariant v;
    if (q->next())
        v = q->value(0);
    q->finish();
    return v;
}

Result<QVariant> SurveyDatabase::repeated(const QString& sql, const QVariantList& values) {
    auto kept = prepared_.find(sql);
    if (kept == prepared_.end()) {
        // A handful of texts are repeated; more than that is not worth keeping.
        if (prepared_.size() >= 16)
            prepared_.clear();
        QSqlQuery q(db_);
        q.setForwardOnly(true);
        if (!q.prepare(sql))
            return Result<QVariant>::failure(failure(q.lastError()));
        kept = prepared_.emplace(sql, std::move(q)).first;
    }
    QSqlQuery& q = kept->second;
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values[i]);
    if (!q.exec())
        return Result<QVariant>::failure(failure(q.lastError()));
    QVariant v;
    if (q.next())
        v = q.value(0);
    q.finish();
    return v;
}

} // namespace zr5
