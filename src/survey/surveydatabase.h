#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <map>
#include <memory>

#include "model/result.h"

namespace zr5 {

// Where a survey lives: an SQLite file (*.zr5survey) or a PostgreSQL database named as
// postgresql://user@host[:port]/db. A host that starts with "/" (written %2F in the address) is
// the folder of the server's Unix socket. The password comes from PGPASSWORD or ~/.pgpass (libpq
// reads them itself), never from the command line.
struct SurveyLocation {
    bool postgres = false;
    QString path; // SQLite
    QString user, host, database;
    int port = 5432;
    QString shown; // as the messages name it
};
Result<SurveyLocation> ParseSurveyLocation(const QString& text);

// The schema this version writes. Older surveys are brought forward when opened; newer ones are
// refused.
constexpr int kSurveySchemaVersion = 2;

// An open survey: one Qt SQL connection of its own, foreign keys on, SQLite in WAL mode. A
// database another process holds is waited for busyMs, then named in the failure.
class SurveyDatabase {
public:
    enum class Open { Existing, CreateIfMissing };
    static Result<std::unique_ptr<SurveyDatabase>> open(const QString& location, Open mode,
                                                        int busyMs = 5000);
    // Only for the migration test: a new survey left at an older schema version.
    static Result<std::unique_ptr<SurveyDatabase>> createAtVersion(const QString& location,
                                                                   int version);
    ~SurveyDatabase();
    SurveyDatabase(const SurveyDatabase&) = delete;
    SurveyDatabase& operator=(const SurveyDatabase&) = delete;

    bool postgres() const { return location_.postgres; }
    const QString& shown() const { return location_.shown; }
    QSqlDatabase& db() { return db_; }

    // One transaction; SQLite takes the write lock at once so that two importers queue up rather
    // than fail half-way.
    Status begin();
    Status commit();
    void rollback();

    // Runs a statement with its bound values; the failure names the survey.
    Result<QSqlQuery> exec(const QString& sql, const QVariantList& values = {});
    // The first column of the first row, or an invalid QVariant when there is no row.
    Result<QVariant> scalar(const QString& sql, const QVariantList& values = {});
    // Runs a statement that gives at most one value (the first column of its first row, or an
    // invalid QVariant), prepared once and kept for the next run of the same text: a run that
    // stores many results sends a server only their values.
    Result<QVariant> repeated(const QString& sql, const QVariantList& values);
    int schemaVersion() const { return version_; }

    // The failure text of a statement: a busy database is named as such.
    QString failure(const QSqlError& error) const;
    // PostgreSQL aborted the transaction for a deadlock or a serialization conflict: run it again.
    static bool retryable(const QString& message);

private:
    SurveyDatabase(SurveyLocation location, int busyMs);
    Status connect();
    Status prepare(Open mode, int targetVersion);
    Status migrate(int from, int to);

    SurveyLocation location_;
    int busyMs_;
    QString connection_;
    QSqlDatabase db_;
    std::map<QString, QSqlQuery> prepared_;
    int version_ = 0;
};

} // namespace zr5
