// The byte copy behind Save and Save As, and what opening a recording takes into the state.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "model/appstate.h"
#include "recording/filecopy.h"
#include "recording/openrecording.h"
#include "support/succeeded.h"

namespace zr5 {
namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray randomBytes(qsizetype n) {
    QByteArray b(n, Qt::Uninitialized);
    QRandomGenerator gen(12345);
    for (qsizetype i = 0; i < n; ++i)
        b[i] = char(gen.bounded(256));
    return b;
}

class FileCopyTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }
    QTemporaryDir dir;
};

struct CopySize {
    const char* what;
    qsizetype bytes;
};
void PrintTo(const CopySize& c, std::ostream* os) {
    *os << c.what;
}

class FileCopySizes : public FileCopyTest, public ::testing::WithParamInterface<CopySize> {};

TEST_P(FileCopySizes, CopiesEveryByteAndReplacesTheTarget) {
    const QByteArray content = randomBytes(GetParam().bytes);
    writeAll(path("TEMP.MTX"), content);
    writeAll(path("old.MTR"), QByteArray(5000, 'x')); // longer than some sources: must shrink
    EXPECT_TRUE(test::Succeeded(FileCopy(path("TEMP.MTX"), path("old.MTR"))));
    EXPECT_EQ(readAll(path("old.MTR")), content);
    EXPECT_EQ(readAll(path("TEMP.MTX")), content);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FileCopySizes,
                         ::testing::Values(CopySize{"empty", 0}, CopySize{"no_rows", 144},
                                           CopySize{"one_row", 180},
                                           CopySize{"beyond_one_block", (1 << 20) * 2 + 36}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_F(FileCopyTest, CopyOntoItselfKeepsTheRecording) {
    const QByteArray content = randomBytes(144 + 36 * 3);
    writeAll(path("a.MTR"), content);
    // The same file spelt differently is still the same file.
    EXPECT_TRUE(test::Succeeded(FileCopy(path("a.MTR"), dir.path() + "/./a.MTR")));
    EXPECT_TRUE(test::Succeeded(FileCopy(dir.path() + "//a.MTR", path("a.MTR"))));
    EXPECT_TRUE(test::Succeeded(FileCopy(path("a.MTR"), path("a.MTR"))));
    EXPECT_EQ(readAll(path("a.MTR")), content);
}

TEST_F(FileCopyTest, SameFileThroughALink) {
    writeAll(path("a.MTR"), "abc");
    ASSERT_TRUE(QFile::link(path("a.MTR"), path("link.MTR")));
    EXPECT_TRUE(IsSameFile(path("a.MTR"), path("link.MTR")));
    EXPECT_FALSE(IsSameFile(path("a.MTR"), path("b.MTR")));
    EXPECT_TRUE(test::Succeeded(FileCopy(path("link.MTR"), path("a.MTR"))));
    EXPECT_EQ(readAll(path("a.MTR")), QByteArray("abc"));
}

struct CopyFailure {
    const char* what;
    QString source; // relative to the folder; the source is created unless it is "missing"
    QString target;
    QString reasonPart;
};
void PrintTo(const CopyFailure& c, std::ostream* os) {
    *os << c.what;
}

class FileCopyFailures : public FileCopyTest, public ::testing::WithParamInterface<CopyFailure> {};

TEST_P(FileCopyFailures, NameBothFilesAndTheReason) {
    const CopyFailure& c = GetParam();
    if (c.source != "missing.MTX")
        writeAll(path(c.source), "recording");
    QDir(dir.path()).mkdir("folder.MTR");
    ASSERT_EQ(mkfifo(QFile::encodeName(path("pipe.MTR")).constData(), 0600), 0);
    const QString target = c.target.startsWith('/') ? c.target : path(c.target);
    const QString message = FileCopy(path(c.source), target).error();
    EXPECT_TRUE(message.contains(QDir::toNativeSeparators(path(c.source))))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QDir::toNativeSeparators(target))) << message.toStdString();
    EXPECT_TRUE(message.contains(c.reasonPart.contains("%1")
                                     ? c.reasonPart.arg(QDir::toNativeSeparators(dir.path()))
                                     : c.reasonPart))
        << message.toStdString();
    if (c.source != "missing.MTX") {
        EXPECT_EQ(readAll(path(c.source)), QByteArray("recording"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FileCopyFailures,
    ::testing::Values(
        CopyFailure{"missing_source", "missing.MTX", "a.MTR", QStringLiteral("源文件不存在")},
        CopyFailure{"folder_missing", "TEMP.MTX", "no/such/folder/a.MTR",
                    QStringLiteral("文件夹 ") + "%1/no/such/folder" + QStringLiteral(" 不存在")},
        CopyFailure{"target_is_folder", "TEMP.MTX", "folder.MTR", QStringLiteral("文件夹")},
        CopyFailure{"target_is_a_pipe", "TEMP.MTX", "pipe.MTR", QStringLiteral("不是普通文件")}),
    [](const auto& info) { return std::string(info.param.what); });

// A disk that fills up during the copy: the process may write only a few bytes into any file.
TEST_F(FileCopyTest, ADiskThatFillsUpLeavesTheOldTargetIntact) {
    writeAll(path("TEMP.MTX"), randomBytes(200000));
    writeAll(path("old.MTR"), "old recording");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString message = FileCopy(path("TEMP.MTX"), path("old.MTR")).error();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(message.contains(QDir::toNativeSeparators(path("old.MTR"))))
        << message.toStdString();
    // The system's reason, in the user's words.
    EXPECT_TRUE(message.contains(QStringLiteral("文件超出了文件系统允许的大小")))
        << message.toStdString();
    EXPECT_EQ(readAll(path("old.MTR")), QByteArray("old recording"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2); // no stray temporary file
}

// Opening a recording: its motor data and transformer flags come in; the flags become the saved
// settings, the other six lines come back from the file.
class TakeOpenedRecordingTest : public ::testing::Test {
protected:
    TakeOpenedRecordingTest() : state(DataDirectory(dir.path())) {}
    QTemporaryDir dir;
    AppState state;
};

TEST_F(TakeOpenedRecordingTest, FlagsFromTheRecordingTheRestFromTheFile) {
    Settings file = Settings::initial();
    file.CommPort = 2;
    file.CurrentCurve = 6;
    file.ReceiveDuration = 3600;
    file.CTRatio = 40;
    file.PTRatio = 1;
    file.SegmentHalfSpan = 20;
    file.RedCTInUse = file.BlueCTInUse = file.YellowCTInUse = 1;
    ASSERT_TRUE(test::Succeeded(WriteSettingsFile(state.dataDirectory.settingsFile(), file)));
    // Unsaved changes in memory, as the dialog's option buttons or an analysis leave them.
    state.settings.CommPort = 3;
    state.settings.ReceiveDuration = 60;
    state.settings.ConfiguredDuration = 120;

    RecordingHeader header;
    header.Motor = {4, 15, 30.3f, 88, 10.5f, 0.6f, 380};
    header.CTFlags = {0.0f, 1.0f, 0.0f};
    EXPECT_TRUE(test::Succeeded(TakeOpenedRecording(state, header)));

    EXPECT_EQ(state.settings.CommPort, 2);
    EXPECT_EQ(state.settings.ReceiveDuration, 3600.0f);
    EXPECT_EQ(state.settings.ConfiguredDuration, 120.0f);
    EXPECT_EQ(state.settings.CTInUseCode, 2);
    const SettingsFileContents written = ReadSettingsFile(state.dataDirectory.settingsFile());
    EXPECT_TRUE(written.complete());
    EXPECT_EQ(written.settings.CommPort, 2);
    EXPECT_EQ(written.settings.CurrentCurve, 6);
    EXPECT_EQ(written.settings.CTRatio, 40.0f);
    EXPECT_EQ(written.settings.SegmentHalfSpan, 20.0f);
    EXPECT_EQ(written.settings.RedCTInUse, 0);
    EXPECT_EQ(written.settings.BlueCTInUse, 1);
    EXPECT_EQ(written.settings.YellowCTInUse, 0);

    EXPECT_EQ(state.model.Motor.Poles, 4.0f);
    EXPECT_EQ(state.model.Motor.RatedVoltage, 380.0f);
    EXPECT_TRUE(state.model.Motor.MotorParametersValid);
    EXPECT_NEAR(state.model.Motor.RatedLosses, 15.0 * (100.0 / 88.0 - 1.0), 1e-5);
}

TEST_F(TakeOpenedRecordingTest, FlagsStoredAsFloatsRoundBack) {
    RecordingHeader header;
    header.CTFlags = {0.9999f, 0.0001f, 1.0f};
    EXPECT_TRUE(test::Succeeded(TakeOpenedRecording(state, header)));
    EXPECT_EQ(state.settings.CTInUseCode, 5);
    EXPECT_FALSE(state.model.Motor.MotorParametersValid); // zeros are no motor data
}

TEST_F(TakeOpenedRecordingTest, WithoutASettingsFileMemoryServesAndTheFileIsCreated) {
    state.settings.CommPort = 3;
    state.settings.CTRatio = 25;
    RecordingHeader header;
    header.CTFlags = {1, 0, 0};
    EXPECT_TRUE(test::Succeeded(TakeOpenedRecording(state, header)));
    const SettingsFileContents written = ReadSettingsFile(state.dataDirectory.settingsFile());
    EXPECT_TRUE(written.fileFound);
    EXPECT_EQ(written.settings.CommPort, 3);
    EXPECT_EQ(written.settings.CTRatio, 25.0f);
    EXPECT_EQ(written.settings.RedCTInUse, 1);
    EXPECT_EQ(written.settings.BlueCTInUse, 0);
}

TEST_F(TakeOpenedRecordingTest, ASettingsFileThatCannotBeWrittenIsReported) {
    // The data directory lies below a plain file, so it cannot be created.
    QFile blocker(QDir(dir.path()).filePath("plain"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    AppState blocked(DataDirectory(QDir(dir.path()).filePath("plain/zr-5")));
    RecordingHeader header;
    header.CTFlags = {1, 1, 1};
    const Status taken = TakeOpenedRecording(blocked, header);
    ASSERT_FALSE(taken);
    EXPECT_EQ(taken.error(), QStringLiteral("无法创建数据目录 %1")
                                 .arg(QDir::toNativeSeparators(blocked.dataDirectory.root())));
    EXPECT_EQ(blocked.settings.CTInUseCode, 7); // the recording's flags are in effect
}

} // namespace
} // namespace zr5
