// A reception's recording is locked from its first byte to its end: a second reception, a save or
// an output onto it is refused, and a lock left by a killed process is taken over.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

#include "recording/filecopy.h"
#include "recording/outputfile.h"
#include "recording/receptionlock.h"
#include "support/succeeded.h"
#include "support/testnames.h"

namespace zr5 {
namespace {

enum class Holder { None, LiveReception, KilledProcess, EndedReception };

struct LockCase {
    const char* name;
    Holder holder;
    // What a second party does to the recording "g.MTR" in `dir`; the reason it got, or empty.
    std::function<QString(const QString& dir)> act;
    bool refused;
};

void PrintTo(const LockCase& c, std::ostream* os) {
    *os << c.name;
}

QString secondReception(const QString& recording) {
    ReceptionLock second;
    return second.acquire(recording).error();
}

QString overwrite(const QString& path) {
    OutputFile out(path);
    if (out.open() && out.write(QByteArray("new")) && out.commit())
        return {};
    return out.error();
}

const LockCase kCases[] = {
    {"second reception of the same file", Holder::LiveReception,
     [](const QString& d) { return secondReception(d + "/g.MTR"); }, true},
    {"second reception naming it through dot", Holder::LiveReception,
     [](const QString& d) { return secondReception(d + "/./g.MTR"); }, true},
    {"save onto it", Holder::LiveReception,
     [](const QString& d) { return FileCopy(d + "/other.MTR", d + "/g.MTR").error(); }, true},
    {"overwrite it", Holder::LiveReception,
     [](const QString& d) { return overwrite(d + "/g.MTR"); }, true},
    {"another file in the same folder", Holder::LiveReception,
     [](const QString& d) { return secondReception(d + "/h.MTR"); }, false},
    {"reception after a killed one", Holder::KilledProcess,
     [](const QString& d) { return secondReception(d + "/g.MTR"); }, false},
    {"overwrite after a killed one", Holder::KilledProcess,
     [](const QString& d) { return overwrite(d + "/g.MTR"); }, false},
    {"reception after one that ended", Holder::EndedReception,
     [](const QString& d) { return secondReception(d + "/g.MTR"); }, false},
    {"save after one that ended", Holder::EndedReception,
     [](const QString& d) { return FileCopy(d + "/other.MTR", d + "/g.MTR").error(); }, false},
};

class ReceptionLockCase : public ::testing::TestWithParam<LockCase> {};

// A lock file as a process leaves it when it is killed: its number names no process any more.
void leaveLockOfKilledProcess(const QString& lockFile) {
    QProcess child;
    child.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(child.waitForStarted());
    const qint64 pid = child.processId();
    child.kill();
    ASSERT_TRUE(child.waitForFinished());
    QFile f(lockFile);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(
        QStringLiteral("%1\nzr5-tool\n%2\n").arg(pid).arg(QSysInfo::machineHostName()).toUtf8());
}

TEST_P(ReceptionLockCase, RefusesWhileAReceptionWritesTheFile) {
    const LockCase& c = GetParam();
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString dir = tmp.path();
    const QByteArray recorded("rows of the running reception");
    for (const char* name : {"g.MTR", "other.MTR"}) {
        QFile f(dir + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(recorded);
    }
    ReceptionLock first;
    if (c.holder == Holder::LiveReception || c.holder == Holder::EndedReception) {
        ASSERT_TRUE(test::Succeeded(first.acquire(dir + "/g.MTR")));
    }
    if (c.holder == Holder::EndedReception)
        first.release();
    if (c.holder == Holder::KilledProcess) {
        ASSERT_NO_FATAL_FAILURE(leaveLockOfKilledProcess(dir + "/g.MTR.lock"));
    }

    const QString reason = c.act(dir);
    if (c.refused) {
        EXPECT_TRUE(reason.contains(QStringLiteral("数据文件正被另一个接收使用")))
            << reason.toStdString();
        QFile f(dir + "/g.MTR");
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), recorded);
    } else {
        EXPECT_EQ(reason, QString());
    }
    EXPECT_EQ(first.isHeld(), c.holder == Holder::LiveReception);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReceptionLockCase, ::testing::ValuesIn(kCases), test::ByName{});

} // namespace
} // namespace zr5
