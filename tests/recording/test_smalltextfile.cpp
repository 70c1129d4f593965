// The small text files (settings, port map, assessment settings) are read at most a few KB, and a
// bad line is quoted only in part: neither a huge line nor binary bytes make a huge message.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

#include "assessment/assessment.h"
#include "link/portmap.h"
#include "settings/datadirectory.h"
#include "settings/settings.h"
#include "support/testnames.h"

namespace zr5 {
namespace {

// Reads the file of `name` in `dir` as the program does; the messages it gives.
using Reader = std::function<QStringList(const DataDirectory& dir)>;

QStringList readSettings(const DataDirectory& dir) {
    return ReadSettingsFile(dir.settingsFile()).problems;
}
QStringList readPorts(const DataDirectory& dir) {
    return PortMap::load(dir).problems;
}
QStringList readAssessment(const DataDirectory& dir) {
    return ReadAssessmentSettings(dir).problems;
}

struct SmallFileCase {
    const char* name;
    const char* file;
    Reader read;
    QByteArray bytes;
    const char* mustSay; // part of the message: the size of a refused file, or the quoted part
};

void PrintTo(const SmallFileCase& c, std::ostream* os) {
    *os << c.name;
}

QByteArray binary(int n) {
    QByteArray b(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        b[i] = char((i * 37 + 11) % 256 == '\n' ? 0 : (i * 37 + 11) % 256);
    return b;
}

const QByteArray kHugeLine(20 * 1024 * 1024, '7');

class SmallTextFiles : public ::testing::TestWithParam<SmallFileCase> {};

TEST_P(SmallTextFiles, AreReadAtMostAFewKilobytesAndQuotedInPart) {
    const SmallFileCase& c = GetParam();
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const DataDirectory dir(tmp.path());
    QFile f(dir.file(QString::fromUtf8(c.file)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(c.bytes), c.bytes.size());
    f.close();

    const QStringList problems = c.read(dir);
    ASSERT_FALSE(problems.isEmpty());
    const QString text = problems.join(QLatin1Char('\n'));
    EXPECT_TRUE(text.contains(QString::fromUtf8(c.mustSay))) << text.toStdString();
    EXPECT_TRUE(text.contains(dir.file(QString::fromUtf8(c.file)))) << "the file is named";
    for (const QString& p : problems) {
        EXPECT_LT(p.size(), 200) << p.toStdString();
        for (QChar ch : p)
            EXPECT_TRUE(ch.isPrint() || ch == QLatin1Char('\n') || ch == QLatin1Char('\r'))
                << "character " << int(ch.unicode()) << " in " << p.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, SmallTextFiles,
    ::testing::Values(SmallFileCase{"settings file of one 20 MB line", "Mtrc.dat", readSettings,
                                    kHugeLine, "有 20971520 字节，超过 16384 字节"},
                      SmallFileCase{"settings file of 4 KB binary", "Mtrc.dat", readSettings,
                                    binary(4096), "第 1 行"},
                      SmallFileCase{"settings line of 2000 letters", "Mtrc.dat", readSettings,
                                    QByteArray(" 1 \r\n") + QByteArray(2000, 'x') + " \r\n",
                                    "“xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx…”"},
                      SmallFileCase{"port map of one 20 MB line", "Ports.ini", readPorts, kHugeLine,
                                    "有 20971520 字节"},
                      SmallFileCase{"port map line of 3 KB binary", "Ports.ini", readPorts,
                                    QByteArray("COM1=/dev/ttyUSB0\n") + binary(3000),
                                    "第 2 行无法识别"},
                      SmallFileCase{"assessment settings of 17 KB", "Assess.dat", readAssessment,
                                    QByteArray(17 * 1024, '1'), "有 17408 字节"}),
    test::ByName());

} // namespace
} // namespace zr5
