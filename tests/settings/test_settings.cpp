#include <gtest/gtest.h>

#include "support/testnames.h"

#include <QFile>
#include <QTemporaryDir>

#include "model/appstate.h"
#include "settings/datadirectory.h"
#include "settings/settings.h"
#include "support/succeeded.h"

using namespace zr5;

namespace {

class SettingsFiles : public ::testing::Test {
protected:
    QString file() const { return dir.filePath(QStringLiteral("Mtrc.dat")); }
    void write(const QByteArray& bytes) {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray read() {
        QFile f(file());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    QTemporaryDir dir;
};

Settings example() {
    // COM2, channel-1 current first, one hour, CT 40, PT 1, 10 segments, red and yellow in use
    Settings s;
    s.CommPort = 2;
    s.CurrentCurve = 0;
    s.ReceiveDuration = 3600;
    s.CTRatio = 40;
    s.PTRatio = 1;
    s.SegmentHalfSpan = 10;
    s.RedCTInUse = 1;
    s.BlueCTInUse = 0;
    s.YellowCTInUse = 1;
    return s;
}

TEST_F(SettingsFiles, PrintedFormIsByteExact) {
    ASSERT_TRUE(test::Succeeded(WriteSettingsFile(file(), example())));
    EXPECT_EQ(read(),
              QByteArray(" 2 \r\n 0 \r\n 3600 \r\n 40 \r\n 1 \r\n 10 \r\n 1 \r\n 0 \r\n 1 \r\n"));
    QFile golden(QStringLiteral(ZR5_TEST_DATA_DIR "/golden-Mtrc.dat"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    EXPECT_EQ(read(), golden.readAll());
}

TEST_F(SettingsFiles, FractionsAreWrittenWithoutTheLeadingZeroAndReadBack) {
    Settings s = example();
    s.CTRatio = 0.5f;
    s.PTRatio = 1234.567f;
    s.ReceiveDuration = 3725;
    ASSERT_TRUE(test::Succeeded(WriteSettingsFile(file(), s)));
    const QList<QByteArray> lines = read().split('\n');
    EXPECT_EQ(lines[3], QByteArray(" .5 \r"));
    EXPECT_EQ(lines[4], QByteArray(" 1234.567 \r"));
    const SettingsFileContents back = ReadSettingsFile(file());
    EXPECT_TRUE(back.complete());
    EXPECT_EQ(back.settings.CTRatio, 0.5f);
    EXPECT_EQ(back.settings.PTRatio, 1234.567f);
    EXPECT_EQ(back.settings.ReceiveDuration, 3725.0f);
    EXPECT_EQ(back.settings.ConfiguredDuration, 3725.0f);
}

TEST_F(SettingsFiles, ReaderAcceptsBlanksOrNoneAndAnyLeadingZero) {
    write("3\r\n  7\r\n0.5\r\n.25 \r\n 1E+02 \r\n20\n0\r\n1\r\n0");
    const SettingsFileContents c = ReadSettingsFile(file());
    EXPECT_TRUE(c.complete()) << c.problems.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(c.settings.CommPort, 3);
    EXPECT_EQ(c.settings.CurrentCurve, 7);
    EXPECT_EQ(c.settings.ReceiveDuration, 0.5f);
    EXPECT_EQ(c.settings.CTRatio, 0.25f);
    EXPECT_EQ(c.settings.PTRatio, 100.0f);
    EXPECT_EQ(c.settings.SegmentHalfSpan, 20.0f);
    EXPECT_EQ(c.settings.CTInUseCode, 2);
}

TEST_F(SettingsFiles, IntegerLinesRoundToNearestTiesToEven) {
    write(" 2.5 \r\n 3.5 \r\n 10 \r\n 1 \r\n 1 \r\n 10 \r\n 0.6 \r\n 0.4 \r\n 1.5 \r\n");
    const Settings s = ReadSettingsFile(file()).settings;
    EXPECT_EQ(s.CommPort, 2);
    EXPECT_EQ(s.CurrentCurve, 4);
    EXPECT_EQ(s.RedCTInUse, 1);
    EXPECT_EQ(s.BlueCTInUse, 0);
    EXPECT_EQ(s.YellowCTInUse, 2);
}

TEST_F(SettingsFiles, OutOfSetValuesAreKeptAndWrittenBack) {
    write(" 4 \r\n 5 \r\n 10 \r\n 1 \r\n 1 \r\n 7 \r\n 1 \r\n 1 \r\n 1 \r\n");
    const SettingsFileContents c = ReadSettingsFile(file());
    EXPECT_TRUE(c.complete());
    EXPECT_EQ(c.settings.CommPort, 4);
    ASSERT_TRUE(test::Succeeded(WriteSettingsFile(file(), c.settings)));
    EXPECT_TRUE(read().startsWith(" 4 \r\n 5 \r\n"));
}

struct BrokenFile {
    const char* name;
    const char* bytes;            // nullptr: no file
    int badLine;                  // 1-based line named in the message, 0 for a missing file
    const char* reason = nullptr; // what the message says of the line, as the dialog says it
};

void PrintTo(const BrokenFile& c, std::ostream* os) {
    *os << c.name;
}

class BrokenFiles : public SettingsFiles, public ::testing::WithParamInterface<BrokenFile> {};

TEST_P(BrokenFiles, StartFromInitialValuesAndSayWhichLine) {
    const BrokenFile& c = GetParam();
    if (c.bytes)
        write(c.bytes);
    const SettingsFileContents r = ReadSettingsFile(file());
    ASSERT_FALSE(r.complete()) << c.name;
    const QString text = r.problems.join(QLatin1Char('\n'));
    if (c.badLine > 0)
        EXPECT_TRUE(text.contains(QStringLiteral("第 %1 行").arg(c.badLine))) << text.toStdString();
    else
        EXPECT_FALSE(r.fileFound);
    const Settings initial = Settings::initial();
    // lines before the bad one are kept; the bad line and those after it fall back
    if (c.badLine == 0 || c.badLine <= 3) {
        EXPECT_EQ(r.settings.ReceiveDuration, initial.ReceiveDuration);
    }
    if (c.badLine == 0 || c.badLine <= 4) {
        EXPECT_EQ(r.settings.CTRatio, 1.0f);
    }
    if (c.badLine > 0) {
        const SettingsLine& line = SettingsFileLine(c.badLine - 1);
        EXPECT_EQ(line.get(r.settings), line.get(initial));
        EXPECT_FALSE(r.lineRead[std::size_t(c.badLine - 1)]);
    }
    if (c.reason) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.reason))) << text.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenFiles,
    ::testing::Values(
        BrokenFile{"missing", nullptr, 0}, BrokenFile{"empty", "", 1},
        BrokenFile{"three lines", " 2 \r\n 0 \r\n 3600 \r\n", 4},
        BrokenFile{"text in line 4",
                   " 2 \r\n 0 \r\n 60 \r\n forty \r\n 1 \r\n 10 \r\n 1 \r\n 0 \r\n 1 \r\n", 4},
        BrokenFile{"duration not a number",
                   " 2 \r\n 0 \r\n abc \r\n 1 \r\n 1 \r\n 10 \r\n 1 \r\n 1 \r\n 1 \r\n", 3},
        BrokenFile{"port beyond 16 bits",
                   " 70000 \r\n 0 \r\n 10 \r\n 1 \r\n 1 \r\n 10 \r\n 1 \r\n 1 \r\n 1 \r\n", 1},
        BrokenFile{"ratio beyond single",
                   " 1 \r\n 0 \r\n 10 \r\n 1E+39 \r\n 1 \r\n 10 \r\n 1 \r\n 1 \r\n 1 \r\n", 4},
        // What the settings dialog refuses, the file may not hold either: a ratio of 0 would
        // record every current and power as 0, a negative one negate every voltage.
        BrokenFile{"CT ratio 0",
                   " 1 \r\n 0 \r\n 10 \r\n 0 \r\n 1 \r\n 10 \r\n 1 \r\n 1 \r\n 1 \r\n", 4,
                   "第 4 行（CT倍率）必须大于 0"},
        BrokenFile{"PT ratio minus 1",
                   " 1 \r\n 0 \r\n 10 \r\n 40 \r\n-1 \r\n 10 \r\n 1 \r\n 1 \r\n 1 \r\n", 5,
                   "第 5 行（PT倍率）不能为负数"},
        BrokenFile{"PT ratio minus 0.001",
                   " 1 \r\n 0 \r\n 10 \r\n 40 \r\n-.001 \r\n 10 \r\n 1 \r\n 1 \r\n 1 \r\n", 5,
                   "不能为负数"},
        BrokenFile{"negative duration",
                   " 1 \r\n 0 \r\n-60 \r\n 1 \r\n 1 \r\n 10 \r\n 1 \r\n 1 \r\n 1 \r\n", 3,
                   "第 3 行（累计时间）不能为负数"}),
    zr5::test::ByName());

TEST(Settings, InitialValuesAreThoseOfTheDialog) {
    const Settings s = Settings::initial();
    EXPECT_EQ(s.ReceiveDuration, 10.0f);
    EXPECT_EQ(s.CTRatio, 1.0f);
    EXPECT_EQ(s.PTRatio, 1.0f);
    EXPECT_EQ(s.CTInUseCode, 7);
}

struct FlagsCase {
    int red, blue, yellow, code;
};
class CTInUseCodes : public ::testing::TestWithParam<FlagsCase> {};
TEST_P(CTInUseCodes, FourRedTwoBlueOneYellow) {
    Settings s;
    s.RedCTInUse = std::int16_t(GetParam().red);
    s.BlueCTInUse = std::int16_t(GetParam().blue);
    s.YellowCTInUse = std::int16_t(GetParam().yellow);
    s.recomputeCTInUseCode();
    EXPECT_EQ(s.CTInUseCode, GetParam().code);
}
INSTANTIATE_TEST_SUITE_P(Flags, CTInUseCodes,
                         ::testing::Values(FlagsCase{1, 1, 1, 7}, FlagsCase{1, 0, 0, 4},
                                           FlagsCase{0, 1, 0, 2}, FlagsCase{0, 0, 1, 1}));

TEST(AppStateSettings, MissingFileIsCreatedAtTheNextWrite) {
    QTemporaryDir dir;
    AppState state{DataDirectory(dir.filePath(QStringLiteral("sub/zr-5")))};
    EXPECT_FALSE(state.ReadSettings().isEmpty());
    EXPECT_EQ(state.settings.ReceiveDuration, 10.0f);
    state.settings.CommPort = 3;
    EXPECT_TRUE(test::Succeeded(state.WriteSettings()));
    EXPECT_TRUE(state.ReadSettings().isEmpty());
    EXPECT_EQ(state.settings.CommPort, 3);
    EXPECT_EQ(state.CurrentFileName(), dir.filePath(QStringLiteral("sub/zr-5/TEMP.MTX")));
}

TEST(DataDirectoryOption, CommandLineBeatsEnvironmentBeatsDefault) {
    qputenv("ZR5_DATA_DIR", "/tmp/from-env");
    EXPECT_EQ(DataDirectory::fromOption(QStringLiteral("/tmp/x/")).root(),
              QStringLiteral("/tmp/x"));
    EXPECT_EQ(DataDirectory::fromOption({}).root(), QStringLiteral("/tmp/from-env"));
    qunsetenv("ZR5_DATA_DIR");
    EXPECT_EQ(DataDirectory::fromOption({}).root(), DataDirectory::defaultRoot());
}

} // namespace
