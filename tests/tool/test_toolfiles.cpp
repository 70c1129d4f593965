// zr5-tool's command lines and the rule for the files its commands write, run as a user runs it.

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <unistd.h>

#include "recording/recordingfile.h"
#include "recording/synthetic.h"
#include "support/succeeded.h"

using namespace zr5;

namespace {

struct Outcome {
    int exitCode;
    QString out;
    QString err;
};

class ToolFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(test::Succeeded(WriteSyntheticRecording(path("g.MTR"), 50, 300, 7)));
        original = digest("g.MTR");
    }
    // Runs the tool in the scratch folder, so that names may be relative; standardOutput: a file
    // to write standard output to (/dev/full: a full disk).
    Outcome run(const QStringList& args, const QString& standardOutput = {}) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.setProgram(QStringLiteral(ZR5_TOOL_PATH));
        p.setArguments(QStringList{QStringLiteral("--data-dir"), dir.filePath("data")} + args);
        if (!standardOutput.isEmpty())
            p.setStandardOutputFile(standardOutput);
        p.start();
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QByteArray digest(const char* name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly)
                   ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1)
                   : QByteArray();
    }
    QTemporaryDir dir;
    QByteArray original; // of g.MTR
};

struct Command {
    const char* name;
    std::vector<const char*> options; // each must be listed by its --help
    std::vector<const char*> valued;  // an option that takes a value, given without one
};

const Command kCommands[] = {
    {"info", {"--json"}, {}},
    {"export", {"--output OUT.csv", "--overwrite"}, {"--output"}},
    {"synth",
     {"--rows N", "--duration SECONDS", "--seed S", "--start SECONDS", "--overwrite"},
     {"--rows"}},
    {"motor", {"--json"}, {}},
    {"motor-set",
     {"--motor P,kW,A,%,A,kW,V", "--code N", "--output NEW.MTR", "--overwrite"},
     {"--code"}},
    {"receive",
     {"--port DEVICE", "--seconds T", "--until-stopped", "--ct R", "--pt R", "--motor",
      "--overwrite"},
     {"--port"}},
    {"repair", {"--overwrite"}, {}},
    {"assess",
     {"--kq X", "--hours H", "--price P", "--ie3-price Y", "--ie4-price Y", "--years N",
      "--emission-factor F", "--pf-target PF", "--json", "--pdf OUT.pdf", "--overwrite"},
     {"--pf-target"}},
    {"compare",
     {"--kq X", "--hours H", "--price P", "--ie3-price Y", "--ie4-price Y", "--years N",
      "--emission-factor F", "--pf-target PF", "--json", "--pdf OUT.pdf", "--overwrite"},
     {"--kq"}},
    {"plot",
     {"--kind K", "--output OUT.png|OUT.svg", "--from SECONDS", "--to SECONDS", "--overwrite"},
     {"--kind"}},
    {"report",
     {"--curves OUT.pdf", "--data OUT.pdf", "--from N", "--to M", "--org TEXT", "--device TEXT",
      "--date YYYY-MM-DDTHH:MM", "--overwrite"},
     {"--org"}},
};

TEST_F(ToolFiles, EveryCommandHasHelpAndRefusesAWrongCommandLineInOneLine) {
    for (const Command& c : kCommands) {
        const QString name = QString::fromLatin1(c.name);
        SCOPED_TRACE(c.name);
        const Outcome help = run({name, QStringLiteral("--help")});
        EXPECT_EQ(help.exitCode, 0) << help.err.toStdString();
        EXPECT_TRUE(help.out.startsWith(QStringLiteral("用法: zr5-tool [--data-dir DIR] ") + name +
                                        QLatin1Char(' ')))
            << help.out.toStdString();
        for (const char* option : c.options) {
            // Each option on a line of its own, with a description after it.
            const int at = help.out.indexOf(QStringLiteral("\n  ") + QString::fromLatin1(option));
            EXPECT_GE(at, 0) << option << "\n" << help.out.toStdString();
            const QString line = help.out.mid(at + 1).section(QLatin1Char('\n'), 0, 0);
            EXPECT_GT(line.simplified().size(), QString::fromLatin1(option).size() + 1)
                << line.toStdString();
        }
        EXPECT_TRUE(help.out.contains(QStringLiteral("--data-dir DIR"))) << help.out.toStdString();

        for (const QStringList& wrong : {QStringList{name, QStringLiteral("--bogus"), "g.MTR"},
                                         QStringList{name, QStringLiteral("-x")}}) {
            const Outcome r = run(wrong);
            EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
            EXPECT_TRUE(r.out.isEmpty());
            EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
            EXPECT_TRUE(r.err.contains(QStringLiteral("无法识别的选项 ") + wrong[1]))
                << r.err.toStdString();
        }
        for (const char* option : c.valued) {
            const Outcome r = run({name, QStringLiteral("g.MTR"), QString::fromLatin1(option)});
            EXPECT_EQ(r.exitCode, 2) << r.err.toStdString();
            EXPECT_EQ(r.err,
                      QStringLiteral("zr5-tool: %1 后缺少参数值；zr5-tool %2 --help 列出它的选项\n")
                          .arg(QString::fromLatin1(option), name));
        }
    }
    // The tool itself, and flags given a value.
    const struct {
        QStringList args;
        const char* says;
    } wrong[] = {{{"--bogus", "info", "g.MTR"}, "无法识别的选项 --bogus；zr5-tool --help"},
                 {{"--data-dir"}, "--data-dir 后缺少参数值"},
                 {{"info", "--json=yes", "g.MTR"}, "选项 --json 不带参数值"},
                 {{"frobnicate"}, "未知命令 “frobnicate”"},
                 {{}, "缺少命令"},
                 {{"info"}, "用法: zr5-tool info"},
                 {{"receive", "--port", "/dev/null", "r.MTR"}, "用法: zr5-tool receive"}};
    for (const auto& w : wrong) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral(ZR5_TOOL_PATH), w.args);
        ASSERT_TRUE(p.waitForFinished(60000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_EQ(p.exitCode(), 2) << w.says;
        EXPECT_EQ(err.count(QLatin1Char('\n')), 1) << err.toStdString();
        EXPECT_TRUE(err.contains(QString::fromUtf8(w.says))) << err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(path("r.MTR")));
}

TEST_F(ToolFiles, HelpAndVersionFailWhenStandardOutputCannotBeWritten) {
    for (const QStringList& args :
         {QStringList{"--help"}, QStringList{"--version"}, QStringList{"export", "--help"},
          QStringList{"motor", "--help"}, QStringList{"info", "--version"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const Outcome fine = run(args);
        EXPECT_EQ(fine.exitCode, 0);
        EXPECT_FALSE(fine.out.isEmpty());
        const Outcome full = run(args, QStringLiteral("/dev/full"));
        EXPECT_EQ(full.exitCode, 1);
        EXPECT_EQ(full.err, QStringLiteral("zr5-tool: 写入标准输出出错：磁盘已满\n"));
    }
}

// What every command that writes does with the names it is given. "h.MTR" is a hard link to the
// recording g.MTR, "old.csv" an earlier output; after each step the recording and the earlier
// output must be as they were unless the step replaced the output.
TEST_F(ToolFiles, OutputsKeepExistingFilesAndNeverReplaceAnInput) {
    ASSERT_EQ(::link(QFile::encodeName(path("g.MTR")).constData(),
                     QFile::encodeName(path("h.MTR")).constData()),
              0);
    QFile old(path("old.csv"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an earlier export\n");
    old.close();
    const QByteArray oldDigest = digest("old.csv");
    ASSERT_EQ(::mkdir(QFile::encodeName(path("folder")).constData(), 0700), 0);

    const char* const kSame = "就是输入文件";
    const char* const kExists = "已存在；要覆盖它请加 --overwrite";
    const char* const kTwo = "是同一个文件";
    const struct {
        const char* name;
        QStringList args;
        const char* says;    // nullptr: succeeds
        const char* created; // a file that must not be left behind, or must be there on success
    } steps[] = {
        {"export onto its input", {"export", "g.MTR", "--output", "g.MTR"}, kSame, nullptr},
        {"export onto ./input with overwrite",
         {"export", "g.MTR", "--output", "./g.MTR", "--overwrite"},
         kSame,
         nullptr},
        {"export onto a hard link",
         {"export", "g.MTR", "--output", "h.MTR", "--overwrite"},
         kSame,
         nullptr},
        {"export onto an earlier output",
         {"export", "g.MTR", "--output", "old.csv"},
         kExists,
         nullptr},
        {"export onto a folder",
         {"export", "g.MTR", "--output", "folder", "--overwrite"},
         "folder 是文件夹，不能作为输出文件",
         nullptr},
        {"report curves onto its input", {"report", "g.MTR", "--curves", "g.MTR"}, kSame, nullptr},
        {"report data onto a hard link",
         {"report", "g.MTR", "--data", "h.MTR", "--overwrite"},
         kSame,
         nullptr},
        {"report onto an earlier output",
         {"report", "g.MTR", "--data", "old.csv"},
         kExists,
         nullptr},
        {"report twice into one file",
         {"report", "g.MTR", "--curves", "c.pdf", "--data", "c.pdf"},
         kTwo,
         "c.pdf"},
        {"report twice into one file spelt twice",
         {"report", "g.MTR", "--curves", "c.pdf", "--data", "./c.pdf", "--overwrite"},
         kTwo,
         "c.pdf"},
        {"assess pdf onto its input",
         {"assess", "g.MTR", "--pdf", "./g.MTR", "--overwrite"},
         kSame,
         nullptr},
        {"assess pdf onto an earlier output",
         {"assess", "g.MTR", "--pdf", "old.csv"},
         kExists,
         nullptr},
        {"compare pdf onto the after-recording",
         {"compare", "g.MTR", "h.MTR", "--pdf", "./h.MTR", "--overwrite"},
         kSame,
         nullptr},
        {"compare pdf onto an earlier output",
         {"compare", "g.MTR", "g.MTR", "--pdf", "old.csv"},
         kExists,
         nullptr},
        {"plot onto a symbolic link",
         {"plot", "g.MTR", "--kind", "0", "--output", "h.png"},
         kSame,
         nullptr},
        {"plot onto an earlier output",
         {"plot", "g.MTR", "--kind", "0", "--output", "old.png"},
         kExists,
         nullptr},
        {"repair onto its input", {"repair", "g.MTR", "./g.MTR", "--overwrite"}, kSame, nullptr},
        {"repair onto an earlier output", {"repair", "g.MTR", "old.csv"}, kExists, nullptr},
        {"synth onto an earlier output",
         {"synth", "old.csv", "--rows", "3", "--duration", "3", "--seed", "1"},
         kExists,
         nullptr},
        {"motor-set onto a hard link",
         {"motor-set", "g.MTR", "--code", "35", "--output", "h.MTR", "--overwrite"},
         kSame,
         nullptr},
        {"motor-set onto an earlier output",
         {"motor-set", "g.MTR", "--code", "35", "--output", "old.csv"},
         kExists,
         nullptr},
        {"receive onto an earlier output",
         {"receive", "--port", "/dev/null", "--seconds", "1", "old.csv"},
         kExists,
         nullptr},
        {"export to a new file", {"export", "g.MTR", "--output", "e.csv"}, nullptr, "e.csv"},
        {"and again", {"export", "g.MTR", "--output", "e.csv"}, kExists, "e.csv"},
        {"report to two new files",
         {"report", "g.MTR", "--curves", "c.pdf", "--data", "d.pdf"},
         nullptr,
         "d.pdf"},
    };
    ASSERT_TRUE(QFile::link(path("g.MTR"), path("h.png"))); // a symbolic link, this time
    ASSERT_TRUE(QFile::copy(path("old.csv"), path("old.png")));
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        const Outcome r = run(s.args);
        if (s.says) {
            EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
            EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
            EXPECT_TRUE(r.err.contains(QString::fromUtf8(s.says))) << r.err.toStdString();
        } else {
            EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        }
        if (s.created && !s.says) {
            EXPECT_TRUE(QFile::exists(path(s.created)));
        }
        if (s.created && s.says == kTwo) {
            EXPECT_FALSE(QFile::exists(path(s.created)));
        }
        EXPECT_EQ(digest("g.MTR"), original);
        EXPECT_EQ(digest("h.MTR"), original);
        EXPECT_EQ(digest("old.csv"), oldDigest);
        EXPECT_EQ(digest("old.png"), oldDigest);
    }
    // Told to, an earlier output is replaced.
    const Outcome replaced = run({"export", "g.MTR", "--output", "old.csv", "--overwrite"});
    EXPECT_EQ(replaced.exitCode, 0) << replaced.err.toStdString();
    EXPECT_NE(digest("old.csv"), oldDigest);
}

TEST_F(ToolFiles, MotorDataTheDialogWouldRefuseAreRefusedBeforeAnythingIsWritten) {
    const struct {
        const char* value;
        const char* says;
    } cases[] = {
        {"4,11,nan,88,8,0.4,380", "“额定电流”的“nan”超出范围"},
        {"4,11,22.6,inf,8,0.4,380", "“额定效率”的“inf”超出范围"},
        {"4,11,22.6,88,8,0.4,1e39", "“额定电压”的“1e39”超出范围"},
        {"4,0,22.6,88,8,0.4,380", "“额定功率”为 0"},
        {"4,11,,88,8,0.4,380", "“额定电流”未填写"},
        {"4,11,22,6,88,8,0.4,380", "须为七个以逗号分开的数"},
        {"4,11,22.6,88,8,0.4", "须为七个以逗号分开的数"},
        {"4,11,abc,88,8,0.4,380", "“额定电流”的“abc”不是数字"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        for (const QStringList& args :
             {QStringList{"receive", "--port", "/dev/null", "--seconds", "1", "--motor", c.value,
                          "r.MTR"},
              QStringList{"motor-set", "g.MTR", "--motor", c.value, "--output", "r.MTR"},
              QStringList{"motor-set", "g.MTR", "--motor", c.value, "--overwrite"}}) {
            const Outcome r = run(args);
            EXPECT_EQ(r.exitCode, 1) << args.join(' ').toStdString();
            EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
            EXPECT_TRUE(r.err.startsWith(QStringLiteral("zr5-tool: --motor ")));
            EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
            EXPECT_FALSE(QFile::exists(path("r.MTR")));
            EXPECT_EQ(digest("g.MTR"), original);
        }
    }
    for (const char* code : {"0", "6936", "-1", "x"}) {
        const Outcome r = run({"motor-set", "g.MTR", "--code", code, "--overwrite"});
        EXPECT_EQ(r.exitCode, 1) << code;
        EXPECT_TRUE(r.err.contains(QStringLiteral("不是 1 - 6935 之间的整数")))
            << r.err.toStdString();
        EXPECT_EQ(digest("g.MTR"), original);
    }
}

// The header's seven motor records are the values given; everything else is the recording's.
TEST_F(ToolFiles, MotorSetWritesTheRatedDataAndKeepsTheRest) {
    const Result<RecordingInfo> before = ReadRecordingInfo(path("g.MTR"));
    ASSERT_TRUE(before);
    QFile in(path("g.MTR"));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    in.close();
    // Catalogue code 35 of the sample catalogue: four poles, 7.5 kW, 15.4 A, 87 %, 380 V.
    const struct {
        const char* name;
        QStringList args;
        const char* target;
        std::array<float, 7> motor;
    } steps[] = {
        {"typed, to a new file",
         {"motor-set", "g.MTR", "--motor", "2,7.5,15.1,87.5,5.25,0.33,380", "--output", "n.MTR"},
         "n.MTR",
         {2, 7.5f, 15.1f, 87.5f, 5.25f, 0.33f, 380}},
        {"from the catalogue, in place",
         {"motor-set", "./g.MTR", "--code", "35", "--overwrite"},
         "g.MTR",
         {4, 7.5f, 15.4f, 87, 5.89f, 0.336f, 380}},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        const Outcome r = run(s.args);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.startsWith(QStringLiteral("电机参数已写入 ")));
        const Result<RecordingInfo> after = ReadRecordingInfo(path(s.target));
        ASSERT_TRUE(after) << after.error().toStdString();
        for (std::size_t i = 0; i < 7; ++i)
            EXPECT_NEAR(after->header.Motor[i], s.motor[i], 5e-3f * std::fabs(s.motor[i])) << i;
        EXPECT_TRUE(after->header.motorParameters().MotorParametersValid);
        QFile out(path(s.target));
        ASSERT_TRUE(out.open(QIODevice::ReadOnly));
        const QByteArray written = out.readAll();
        ASSERT_EQ(written.size(), bytes.size());
        EXPECT_EQ(written.left(8), bytes.left(8)); // start time and duration
        EXPECT_EQ(written.mid(36), bytes.mid(36)); // the flags, the rows, the extrema
    }
    // Typed values are stored exactly.
    const Result<RecordingInfo> typed = ReadRecordingInfo(path("n.MTR"));
    EXPECT_EQ(typed->header.Motor,
              (std::array<float, 7>{2, 7.5f, 15.1f, 87.5f, 5.25f, 0.33f, 380}));
}

TEST_F(ToolFiles, RefusesRangesRowsAndFilesThatCannotBeRight) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe")).constData(), 0600), 0);
    const struct {
        const char* name;
        QStringList args;
        const char* says;
        const char* notCreated;
    } cases[] = {
        {"report range reversed",
         {"report", "g.MTR", "--data", "d.pdf", "--from", "10", "--to", "5"},
         "打印范围的起始行 10 大于结束行 5",
         "d.pdf"},
        {"synth beyond what can be read",
         {"synth", "big.MTR", "--rows", "67108865", "--duration", "5"},
         "--rows 最多为 67108864",
         "big.MTR"},
        {"repair of a pipe",
         {"repair", "pipe", "out.MTR"},
         "pipe 是管道（FIFO），不是数据文件",
         "out.MTR"},
        {"repair of a folder", {"repair", ".", "out.MTR"}, ". 是文件夹，不是数据文件", "out.MTR"},
        {"info of a pipe", {"info", "pipe"}, "pipe 是管道（FIFO），不是数据文件", nullptr},
        {"a file as the port",
         {"receive", "--port", "g.MTR", "--seconds", "1", "r.MTR"},
         "--port g.MTR 是普通文件，不是串行口设备",
         "r.MTR"},
        {"a folder as the port",
         {"receive", "--port", ".", "--seconds", "1", "r.MTR"},
         "--port . 是文件夹，不是串行口设备",
         "r.MTR"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome r = run(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
        if (c.notCreated) {
            EXPECT_FALSE(QFile::exists(path(c.notCreated)));
        }
    }
    // A recording that cannot be opened is named in the user's words, not the system's.
    ASSERT_TRUE(QFile::copy(path("g.MTR"), path("locked.MTR")));
    ASSERT_EQ(::chmod(QFile::encodeName(path("locked.MTR")).constData(), 0), 0);
    if (::geteuid() != 0) { // root reads it anyway
        const Outcome r = run({"info", "locked.MTR"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(QStringLiteral("没有访问权限"))) << r.err.toStdString();
    }
}

TEST_F(ToolFiles, RepairWhoseSummaryCannotBeWrittenLeavesNoOutput) {
    QFile cut(path("g.MTR"));
    ASSERT_TRUE(cut.open(QIODevice::ReadWrite));
    ASSERT_TRUE(cut.resize(cut.size() - 50)); // the extrema and part of a row lost
    cut.close();
    const Outcome full = run({"repair", "g.MTR", "out.MTR"}, QStringLiteral("/dev/full"));
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err.count(QLatin1Char('\n')), 1) << full.err.toStdString();
    EXPECT_TRUE(full.err.contains(QStringLiteral("磁盘已满"))) << full.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("out.MTR")));
    const Outcome fine = run({"repair", "g.MTR", "out.MTR"});
    EXPECT_EQ(fine.exitCode, 0) << fine.err.toStdString();
    EXPECT_TRUE(QFile::exists(path("out.MTR")));
}

} // namespace
