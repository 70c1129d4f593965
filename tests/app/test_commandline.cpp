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
        const char* says; // help on standard output, or the one line on standard error
    };
    for (const Case& c : {Case{{"--help"}, 0, "用法：zr5"}, Case{{"-h"}, 0, "  --demo"},
                          Case{{"--bogus"}, 2, "zr5: 无法识别的选项 --bogus；zr5 --help"},
                          Case{{"--data-dir"}, 2, "zr5: --data-dir 后缺少参数值"},
                          Case{{"--demo=1"}, 2, "zr5: 选项 --demo 不带参数值"},
                          Case{{"a.MTR", "b.MTR"}, 2, "zr5: 只能打开一个数据文件"}}) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Outcome r = RunWithoutDisplay(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        const QString& shown = c.exitCode == 0 ? r.out : r.err;
        EXPECT_TRUE(shown.contains(QString::fromUtf8(c.says))) << shown.toStdString();
        if (c.exitCode != 0) {
            EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
        }
        EXPECT_FALSE(r.err.contains(QStringLiteral("platform plugin"))) << r.err.toStdString();
    }
}

TEST(CommandLine, HelpAndVersionFailWhenStandardOutputCannotBeWritten) {
    for (const char* option : {"--help", "--version"}) {
        QProcess p;
        p.setStandardOutputFile(QStringLiteral("/dev/full"));
        p.start(QStringLiteral(ZR5_PROGRAM_PATH), {QString::fromLatin1(option)});
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitCode(), 1) << option;
        EXPECT_EQ(QString::fromUtf8(p.readAllStandardError()),
                  QStringLiteral("zr5: 写入标准输出出错：磁盘已满\n"));
    }
}

} // namespace
