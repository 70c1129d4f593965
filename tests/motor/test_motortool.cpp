// zr5-tool motor: the record of a code, and the sample catalogue it installs.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "catalogtestfiles.h"
#include "motor/motorcatalogue.h"
#include "support/succeeded.h"

namespace zr5 {
namespace {

struct ToolRun {
    int exitCode;
    QByteArray out;
    QByteArray err;
};

class MotorTool : public ::testing::Test {
protected:
    ToolRun run(const QStringList& args) {
        QProcess p;
        p.setProgram(QStringLiteral(ZR5_TOOL_PATH));
        p.setArguments(QStringList{QStringLiteral("--data-dir"), dir.root()} + args);
        p.start();
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                p.readAllStandardOutput(), p.readAllStandardError()};
    }
    QTemporaryDir temp;
    DataDirectory dir{temp.path() + QStringLiteral("/data")};
};

TEST_F(MotorTool, JsonOfACodeAgreesWithTheCatalogueReader) {
    for (int code : {1, 35, 4875, 6935}) {
        const ToolRun r =
            run({QStringLiteral("motor"), QString::number(code), QStringLiteral("--json")});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
        QJsonParseError error;
        const QJsonObject j = QJsonDocument::fromJson(r.out, &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
        EXPECT_EQ(j.size(), 8);
        const auto record = ReadCatalogueRecord(dir, code); // the tool installed the catalogue
        ASSERT_TRUE(record.ok());
        EXPECT_EQ(j["code"].toInt(), code);
        EXPECT_EQ(float(j["poles"].toDouble()), record->Poles);
        EXPECT_EQ(float(j["rated_power"].toDouble()), record->RatedPower);
        EXPECT_EQ(float(j["rated_current"].toDouble()), record->RatedCurrent);
        EXPECT_EQ(float(j["rated_efficiency"].toDouble()), record->RatedEfficiency);
        EXPECT_EQ(float(j["no_load_current"].toDouble()), record->NoLoadCurrent);
        EXPECT_EQ(float(j["no_load_power"].toDouble()), record->NoLoadPower);
        EXPECT_EQ(float(j["rated_voltage"].toDouble()), record->RatedVoltage);
    }
}

TEST_F(MotorTool, TextNamesTheModel) {
    const ToolRun r = run({QStringLiteral("motor"), QStringLiteral("35")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString text = QString::fromUtf8(r.out);
    EXPECT_TRUE(text.contains(QStringLiteral("Y132M-4 B3"))) << r.out.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("额定电流  15.400 A"))) << r.out.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("额定电压  380.000 V")));
}

TEST_F(MotorTool, BadCodesFailOnStandardError) {
    for (const char* code : {"0", "6936", "-1", "abc", "12.5", ""}) {
        const ToolRun r = run({QStringLiteral("motor"), QString::fromUtf8(code)});
        EXPECT_NE(r.exitCode, 0) << code;
        EXPECT_TRUE(r.out.isEmpty()) << code;
        EXPECT_FALSE(r.err.isEmpty()) << code;
    }
    const ToolRun none = run({QStringLiteral("motor")});
    EXPECT_NE(none.exitCode, 0);
}

TEST_F(MotorTool, AUsersOwnCatalogueIsUsedAndNotReplaced) {
    ASSERT_TRUE(test::Succeeded(dir.ensureExists()));
    test::WriteCatalogue(
        dir, {test::Entry(1, QStringLiteral("自有"), QStringLiteral("M1"), 2, 3, 6, 85, 2, 0.1f)});
    const ToolRun one =
        run({QStringLiteral("motor"), QStringLiteral("1"), QStringLiteral("--json")});
    ASSERT_EQ(one.exitCode, 0) << one.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(one.out).object()["rated_power"].toDouble(), 3.0);
    const ToolRun two = run({QStringLiteral("motor"), QStringLiteral("2")});
    EXPECT_NE(two.exitCode, 0); // the user's file holds one record only
    EXPECT_TRUE(QString::fromUtf8(two.err).contains(kCatalogueRecordFile));
    EXPECT_EQ(QFile(dir.file(kCatalogueRecordFile)).size(), 16);
}

} // namespace
} // namespace zr5
