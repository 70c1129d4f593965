#include "survey/pgcluster.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUrl>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

namespace {

QString FindBin() {
    const QString inPath = QStandardPaths::findExecutable(QStringLiteral("initdb"));
    if (!inPath.isEmpty())
        return QFileInfo(inPath).absolutePath();
    for (const char* v : {"17", "16", "15"}) {
        const QString d = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(QLatin1String(v));
        if (QFileInfo::exists(d + QStringLiteral("/initdb")))
            return d;
    }
    return {};
}

// The Qt SQL drivers are plugins, loaded through the application; the server is stopped before
// it goes.
class StopAtEnd : public ::testing::Environment {
public:
    void SetUp() override { app_ = std::make_unique<QCoreApplication>(argc_, argv_); }
    void TearDown() override {
        PgCluster::instance().stop();
        app_.reset();
    }

private:
    int argc_ = 1;
    char name_[16] = "survey_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
};
[[maybe_unused]] ::testing::Environment* const kStopAtEnd =
    ::testing::AddGlobalTestEnvironment(new StopAtEnd);

} // namespace

PgCluster& PgCluster::instance() {
    static PgCluster cluster;
    return cluster;
}

QString PgCluster::run(const QString& program, const QStringList& args) {
    QProcess p;
    // The server refuses to run as root: the tests' root hands it to nobody.
    if (geteuid() == 0) {
        p.setProgram(QStringLiteral("runuser"));
        p.setArguments(QStringList{QStringLiteral("-u"), QStringLiteral("nobody"),
                                   QStringLiteral("--"), bin_ + QLatin1Char('/') + program} +
                       args);
    } else {
        p.setProgram(bin_ + QLatin1Char('/') + program);
        p.setArguments(args);
    }
    p.setWorkingDirectory(dir_->path());
    p.start();
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("%1 failed: %2 %3")
            .arg(program, QString::fromLocal8Bit(p.readAllStandardError()),
                 QString::fromLocal8Bit(p.readAllStandardOutput()));
    return {};
}

PgCluster::PgCluster() {
    bin_ = FindBin();
    if (bin_.isEmpty()) {
        error_ = QStringLiteral("PostgreSQL server binaries (initdb, pg_ctl) not found: "
                                "tools/install-deps.sh installs postgresql-15");
        return;
    }
    dir_ = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/zr5pg-XXXXXX"));
    if (!dir_->isValid()) {
        error_ = QStringLiteral("no temporary folder");
        return;
    }
    if (geteuid() == 0) {
        const passwd* nobody = getpwnam("nobody");
        if (!nobody || chown(QFile::encodeName(dir_->path()).constData(), nobody->pw_uid,
                             nobody->pw_gid) != 0) {
            error_ = QStringLiteral("cannot hand the folder to nobody");
            return;
        }
    }
    const QString data = dir_->filePath(QStringLiteral("data"));
    error_ = run(QStringLiteral("initdb"),
                 {QStringLiteral("-D"), data, QStringLiteral("-U"), QStringLiteral("zr5"),
                  QStringLiteral("--auth=trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                  QStringLiteral("--no-sync"), QStringLiteral("--locale=C")});
    if (!error_.isEmpty())
        return;
    error_ = run(
        QStringLiteral("pg_ctl"),
        {QStringLiteral("-D"), data, QStringLiteral("-l"), dir_->filePath(QStringLiteral("log")),
         QStringLiteral("-w"), QStringLiteral("-o"),
         QStringLiteral("-k %1 -c listen_addresses='' -F -c max_connections=40").arg(dir_->path()),
         QStringLiteral("start")});
    running_ = error_.isEmpty();
}

PgCluster::~PgCluster() {
    stop();
}

void PgCluster::stop() {
    if (!running_)
        return;
    running_ = false;
    run(QStringLiteral("pg_ctl"),
        {QStringLiteral("-D"), dir_->filePath(QStringLiteral("data")), QStringLiteral("-m"),
         QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")});
}

QString PgCluster::location(const QString& database) const {
    return QStringLiteral("postgresql://zr5@%1:5432/%2")
        .arg(QString::fromLatin1(QUrl::toPercentEncoding(dir_->path())), database);
}

QString PgCluster::newDatabase() {
    const QString name = QStringLiteral("survey%1_%2").arg(getpid()).arg(++databases_);
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("admin"));
        db.setHostName(dir_->path());
        db.setUserName(QStringLiteral("zr5"));
        db.setDatabaseName(QStringLiteral("postgres"));
        EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(QStringLiteral("CREATE DATABASE ") + name))
            << q.lastError().text().toStdString();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("admin"));
    return location(name);
}
