// Every file the program writes, on a disk that is full: the write fails with a reason, an
// existing file keeps its content and nothing half-written is left behind. The disk is a real
// 64 KiB tmpfs mounted by the test (root in CI); where mounting is not allowed the test fails.

#include <gtest/gtest.h>

#include "support/testnames.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <functional>
#include <sys/mount.h>

#include "link/portmap.h"
#include "motor/samplecatalogue.h"
#include "recording/filecopy.h"
#include "recording/recordingfile.h"
#include "recording/synthetic.h"
#include "settings/settings.h"
#include "support/succeeded.h"

using namespace zr5;

namespace {

// A 64 KiB tmpfs filled to the last byte.
class FullDisk {
public:
    FullDisk() {
        root_ = mounts_.filePath(QStringLiteral("disk"));
        QDir().mkpath(root_);
        mounted_ =
            ::mount("tmpfs", QFile::encodeName(root_).constData(), "tmpfs", 0, "size=64k") == 0;
        if (!mounted_)
            why_ = QString::fromLocal8Bit(std::strerror(errno));
    }
    ~FullDisk() {
        if (mounted_)
            ::umount(QFile::encodeName(root_).constData());
    }
    bool mounted() const { return mounted_; }
    const QString& whyNot() const { return why_; }
    QString file(const QString& name) const { return root_ + QLatin1Char('/') + name; }
    // Takes the last free byte.
    void fill() const {
        QFile filler(file(QStringLiteral("filler")));
        filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        const QByteArray block(512, 'x');
        while (filler.write(block) > 0) {
        }
        while (filler.write("x", 1) == 1) {
        }
    }
    QStringList entries() const {
        return QDir(root_).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private:
    QTemporaryDir mounts_;
    QString root_;
    bool mounted_ = false;
    QString why_;
};

QString runTool(const QStringList& args, const QString& standardOutput = {}) {
    QProcess p;
    if (!standardOutput.isEmpty())
        p.setStandardOutputFile(standardOutput, QIODevice::Append);
    p.start(QStringLiteral(ZR5_TOOL_PATH), args);
    p.waitForFinished(60000);
    if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return {};
    const QString err = QString::fromUtf8(p.readAllStandardError()).trimmed();
    return err.isEmpty() ? QStringLiteral("exit %1 without a message").arg(p.exitCode()) : err;
}

struct Writer {
    const char* name;
    const char* target; // the file the writer replaces, created valid before the disk fills
    // Writes into the disk's folder; returns the failure message (empty: it reported success).
    std::function<QString(const QString& dir, const QString& target)> write;
};

const Writer kWriters[] = {
    {"save and save as copy a recording", "saved.MTR",
     [](const QString& dir, const QString& target) {
         const QString source = QDir::temp().filePath(QStringLiteral("zr5-fulldisk-source.MTR"));
         if (const Status s = WriteSyntheticRecording(source, 200, 60, 5); !s)
             return s.error();
         const QString error = FileCopy(source, target).error();
         QFile::remove(source);
         Q_UNUSED(dir);
         return error;
     }},
    {"settings file", "Mtrc.dat",
     [](const QString&, const QString& target) {
         return WriteSettingsFile(target, Settings::initial()).error();
     }},
    {"port map", "Ports.ini",
     [](const QString& dir, const QString&) {
         PortMap map;
         map.setDevice(1, QStringLiteral("/dev/ttyUSB0"));
         return map.save(DataDirectory(dir)).error();
     }},
    {"sample catalogue", nullptr,
     [](const QString& dir, const QString&) {
         return InstallSampleCatalogue(DataDirectory(dir)).error();
     }},
    {"synth overwrite", "synth.MTR",
     [](const QString&, const QString& target) {
         return runTool({QStringLiteral("synth"), target, QStringLiteral("--rows"),
                         QStringLiteral("100"), QStringLiteral("--duration"), QStringLiteral("60"),
                         QStringLiteral("--seed"), QStringLiteral("2"),
                         QStringLiteral("--overwrite")});
     }},
    {"export output", "export.csv",
     [](const QString&, const QString& target) {
         const QString source = QDir::temp().filePath(QStringLiteral("zr5-fulldisk-export.MTR"));
         if (const Status s = WriteSyntheticRecording(source, 50, 60, 5); !s)
             return s.error();
         const QString error =
             runTool({QStringLiteral("export"), source, QStringLiteral("--output"), target,
                      QStringLiteral("--overwrite")});
         QFile::remove(source);
         return error;
     }},
    {"workbook export", "export.xlsx",
     [](const QString&, const QString& target) {
         const QString source = QDir::temp().filePath(QStringLiteral("zr5-fulldisk-xlsx.MTR"));
         if (const Status s = WriteSyntheticRecording(source, 50, 60, 5); !s)
             return s.error();
         const QString error = runTool({QStringLiteral("export"), source, QStringLiteral("--xlsx"),
                                        target, QStringLiteral("--overwrite")});
         QFile::remove(source);
         return error;
     }},
    {"assessment workbook", "assess.xlsx",
     [](const QString& dir, const QString& target) {
         const QString source = QDir::temp().filePath(QStringLiteral("zr5-fulldisk-assess.MTR"));
         if (const Status s = WriteSyntheticRecording(source, 50, 60, 5); !s)
             return s.error();
         const QString error =
             runTool({QStringLiteral("--data-dir"), dir, QStringLiteral("assess"), source,
                      QStringLiteral("--xlsx"), target, QStringLiteral("--overwrite")});
         QFile::remove(source);
         return error;
     }},
    {"pdf report", "report.pdf",
     [](const QString&, const QString& target) {
         const QString source = QDir::temp().filePath(QStringLiteral("zr5-fulldisk-report.MTR"));
         if (const Status s = WriteSyntheticRecording(source, 50, 60, 5); !s)
             return s.error();
         const QString error =
             runTool({QStringLiteral("report"), source, QStringLiteral("--data"), target,
                      QStringLiteral("--date"), QStringLiteral("2024-05-01T08:00"),
                      QStringLiteral("--overwrite")});
         QFile::remove(source);
         return error;
     }},
    {"info on standard output", "info.txt",
     [](const QString&, const QString& target) {
         const QString source = QDir::temp().filePath(QStringLiteral("zr5-fulldisk-info.MTR"));
         if (const Status s = WriteSyntheticRecording(source, 50, 60, 5); !s)
             return s.error();
         const QString error = runTool({QStringLiteral("info"), source}, target);
         QFile::remove(source);
         return error;
     }},
};

class WriterOnFullDisk : public ::testing::TestWithParam<Writer> {};

TEST_P(WriterOnFullDisk, FailsWithAReasonAndLeavesTheOldFile) {
    const Writer& w = GetParam();
    FullDisk disk;
    ASSERT_TRUE(disk.mounted())
        << "this test mounts a 64 KiB tmpfs and must run as root (or with CAP_SYS_ADMIN): "
        << disk.whyNot().toStdString();
    const QString target = w.target ? disk.file(QString::fromLatin1(w.target)) : QString();
    QByteArray before;
    if (w.target) {
        // A file the user already had, two whole pages, so that no slack of its last page
        // takes a few bytes of an append.
        before = QByteArray("previous content\r\n").repeated(500).left(8192);
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        ASSERT_EQ(old.write(before), before.size());
    }
    disk.fill();
    const QStringList entries = disk.entries();

    const QString message = w.write(disk.file(QString()).chopped(1), target);

    EXPECT_FALSE(message.isEmpty()) << "reported success on a full disk";
    EXPECT_TRUE(message.contains(QStringLiteral("磁盘已满"))) << message.toStdString();
    EXPECT_FALSE(message.contains(QLatin1String("Unknown error"))) << message.toStdString();
    EXPECT_EQ(disk.entries(), entries) << "a file was left behind or removed";
    if (w.target) {
        QFile after(target);
        ASSERT_TRUE(after.open(QIODevice::ReadOnly));
        EXPECT_EQ(after.readAll(), before) << "the existing file was changed";
    }
}

// The reception's recording, written in place: a valid recording after every checkpoint, and
// when the disk fills, the rows of the last good checkpoint with their extrema and duration.
TEST(ReceptionRecordingOnFullDisk, IsValidAtEveryCheckpointAndKeepsTheLastGoodOne) {
    FullDisk disk;
    ASSERT_TRUE(disk.mounted()) << "this test mounts a 64 KiB tmpfs and must run as root: "
                                << disk.whyNot().toStdString();
    const QString file = disk.file(QStringLiteral("TEMP.MTX"));
    RecordingWriter writer;
    RecordingHeader header;
    header.StartTime = 28800;
    header.Duration = 10;
    ASSERT_TRUE(test::Succeeded(writer.create(file, header, OutputFile::Mode::InPlace)));
    ExtremaValues maximum, minimum;
    maximum.fill(-100000);
    minimum.fill(100000);
    minimum[0] = 0; // the rows' first values count up from 0
    QString error = writer.checkpoint(maximum, minimum, 0).error();
    qint64 rows = 0;
    float duration = 0;
    while (error.isEmpty() && rows < 10000) {
        const Result<RecordingInfo> info = ReadRecordingInfo(file);
        ASSERT_TRUE(info) << info.error().toStdString();
        ASSERT_EQ(info->RecordCount, rows);
        ASSERT_EQ(info->header.Duration, duration);
        ASSERT_EQ(info->RowMaximum, maximum);
        for (int k = 0; k < 100; ++k, ++rows)
            ASSERT_TRUE(test::Succeeded(writer.appendRow({float(rows), 220, 1, 2, 3, 4, 5, 6, 7})));
        const ExtremaValues lastMaximum = maximum;
        const float lastDuration = duration;
        maximum[0] = float(rows - 1);
        duration = float(rows) / 30;
        error = writer.checkpoint(maximum, minimum, duration).error();
        if (!error.isEmpty()) {
            rows -= 100;
            maximum = lastMaximum;
            duration = lastDuration;
        }
    }
    EXPECT_TRUE(error.contains(QStringLiteral("磁盘已满"))) << error.toStdString();
    EXPECT_TRUE(writer.fileValid());
    EXPECT_EQ(writer.rowsWritten(), rows);
    EXPECT_GE(rows, 1600); // 64 KiB hold 1816 rows; one checkpoint of 100 rows is lost
    const Result<RecordingInfo> info = ReadRecordingInfo(file);
    ASSERT_TRUE(info) << info.error().toStdString();
    EXPECT_EQ(info->RecordCount, rows);
    EXPECT_EQ(info->header.Duration, duration);
    EXPECT_EQ(info->RowMaximum, maximum);
    EXPECT_EQ(info->RowMinimum, minimum);
}

INSTANTIATE_TEST_SUITE_P(AllWriters, WriterOnFullDisk, ::testing::ValuesIn(kWriters),
                         zr5::test::ByName{});

} // namespace

// A reception that cannot begin its recording on a full disk fails with the reason and leaves no
// empty file where the recording was to be.
TEST(ReceptionOnFullDisk, ThatCannotBeginLeavesNoFile) {
    FullDisk disk;
    ASSERT_TRUE(disk.mounted()) << disk.whyNot().toStdString();
    QProcess simulator;
    simulator.start(QStringLiteral(ZR5_SIM_PROGRAM),
                    {QStringLiteral("--rate"), QStringLiteral("50")});
    while (!simulator.canReadLine() && simulator.waitForReadyRead(5000)) {
    }
    const QString device = QString::fromLocal8Bit(simulator.readLine()).trimmed();
    ASSERT_FALSE(device.isEmpty());
    disk.fill();
    const QStringList entries = disk.entries();
    QTemporaryDir data;
    const QString message =
        runTool({QStringLiteral("--data-dir"), data.path(), QStringLiteral("receive"),
                 QStringLiteral("--port"), device, QStringLiteral("--seconds"), QStringLiteral("2"),
                 disk.file(QStringLiteral("r.MTR"))});
    simulator.kill();
    simulator.waitForFinished(5000);
    EXPECT_TRUE(message.contains(QStringLiteral("磁盘已满"))) << message.toStdString();
    EXPECT_EQ(disk.entries(), entries);
}
