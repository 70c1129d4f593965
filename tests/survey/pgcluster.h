#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>

// A throwaway PostgreSQL server for the survey tests: initdb and pg_ctl of the postgresql-15
// package in a temporary folder, listening only on a Unix socket there, run as "nobody" when the
// tests run as root (the server refuses root). Started on first use, stopped when the test
// program ends. Missing binaries are a failure, never a skip: the tests must run on PostgreSQL.
class PgCluster {
public:
    static PgCluster& instance();
    ~PgCluster();

    // Empty when the server runs, else why it does not.
    const QString& error() const { return error_; }
    // A new empty database on the server and its address for the survey.
    QString newDatabase();
    // The address of an existing database.
    QString location(const QString& database) const;
    void stop();

private:
    PgCluster();
    QString run(const QString& program, const QStringList& args);

    QString bin_;
    std::unique_ptr<QTemporaryDir> dir_;
    QString error_;
    bool running_ = false;
    int databases_ = 0;
};
