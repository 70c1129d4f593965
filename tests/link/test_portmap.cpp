#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "link/portmap.h"
#include "support/succeeded.h"

namespace zr5 {
namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(PortMap, DefaultsWithoutAPreferencesFile) {
    QTemporaryDir dir;
    const auto [map, problems] = PortMap::load(DataDirectory(dir.path()));
    EXPECT_TRUE(problems.isEmpty());
#ifdef Q_OS_WIN
    EXPECT_EQ(map.device(1), "COM1");
    EXPECT_EQ(map.describe(3), "COM3");
#else
    EXPECT_EQ(map.device(1), "/dev/ttyS0");
    EXPECT_EQ(map.device(3), "/dev/ttyS2");
    EXPECT_EQ(map.describe(2), "COM2 (/dev/ttyS1)");
#endif
    EXPECT_EQ(map.device(0), "");
    EXPECT_EQ(map.device(-1), "");
}

TEST(PortMap, PreferencesFileRemapsSomeNumbersAndReportsBadLines) {
    QTemporaryDir dir;
    const DataDirectory data(dir.path());
    writeFile(PortMap::preferencesFile(data), "# my laptop\n"
                                              "COM1 = /dev/ttyUSB0\n"
                                              "\n"
                                              "com3=/dev/ttyACM1\r\n"
                                              "COMX=/dev/null\n"
                                              "COM2=\n"
                                              "nonsense\n");
    const auto [map, problems] = PortMap::load(data);
    EXPECT_EQ(map.device(1), "/dev/ttyUSB0");
    EXPECT_EQ(map.device(3), "/dev/ttyACM1");
    EXPECT_EQ(map.device(2), PortMap::defaultDevice(2));
    ASSERT_EQ(problems.size(), 3);
    EXPECT_TRUE(problems[0].contains("第 5 行")) << problems[0].toStdString();
    EXPECT_TRUE(problems[2].contains("nonsense"));
}

TEST(PortMap, SavedMappingReadsBack) {
    QTemporaryDir dir;
    const DataDirectory data(dir.filePath("new-folder"));
    PortMap map;
    map.setDevice(2, "/dev/ttyUSB3");
    map.setDevice(1, "/dev/ttyUSB9");
    map.setDevice(1, ""); // back to the default
    ASSERT_TRUE(test::Succeeded(map.save(data)));
    const PortMap back = PortMap::load(data).value;
    EXPECT_EQ(back.device(2), "/dev/ttyUSB3");
    EXPECT_FALSE(back.isMapped(1));
    EXPECT_EQ(back.device(1), PortMap::defaultDevice(1));
}

} // namespace
} // namespace zr5
