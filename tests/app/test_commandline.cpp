// The program's command line: what it answers before any window system is needed.

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

namespace {

struct Outcome {
    int exitCode;
    QString out;
    QString err;
};

// Runs the program with no display at all, as on a server or over ssh.
Outcome RunWithoutDisplay(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ZR5_PROGRAM_PATH), args);
    EXPECT_TRUE(p.waitForFinished(20000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

TEST(CommandLine, HelpAndWrongOptionsNeedNoDisplay) {
    struct Case {
        QStringList args;
        int exitCode;
        bool usageOnStdout;
    };
    for (const Case& c :
         {Case{{"--help"}, 0, true}, Case{{"-h"}, 0, true}, Case{{"--bogus"}, 2, false},
          Case{{"--data-dir"}, 2, false}, Case{{"a.MTR", "b.MTR"}, 2, false}}) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Outcome r = RunWithoutDisplay(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        const QString& usage = c.usageOnStdout ? r.out : r.err;
        EXPECT_TRUE(usage.contains(QStringLiteral("用法：zr5"))) << usage.toStdString();
        EXPECT_FALSE(r.err.contains(QStringLiteral("platform plugin"))) << r.err.toStdString();
    }
}

} // namespace
