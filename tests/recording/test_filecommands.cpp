// Open, Close, Save and Save As from the main window's File menu, every branch, with the file
// dialogs and message boxes answered through the window seams.

#include <QAbstractProxyModel>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>

#include "mainwindow/livetable.h"
#include "mainwindow/mainwindow.h"
#include "support/guitest.h"
#include "ui/services.h"

namespace zr5::test {
namespace {

const QString kFilter = QStringLiteral("电动机经济运行(*.MTR)");
const QString kOperationError = QStringLiteral("操作错误警告！！！");

class FileCommandsTest : public WindowTest {
protected:
    FileCommandsTest() : window(state, services) { window.show(); }

    bool enabled(const char* name) {
        const QString n = QString::fromLatin1(name);
        if (auto* b = window.findChild<QPushButton*>(n))
            return b->isEnabled();
        if (auto* m = window.findChild<QMenu*>(n))
            return m->menuAction()->isEnabled();
        auto* a = window.findChild<QAction*>(n);
        return a && a->isEnabled();
    }
    QAction* item(const char* name) {
        auto* a = window.findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(a, nullptr) << name;
        return a;
    }
    QString caption(const QString& file) {
        return QStringLiteral("电动机经济运行测试仪[") + QDir::toNativeSeparators(file) + "]";
    }
    // A finished reception: the temporary recording exists and the window is in the data
    // received state.
    void receptionFinished(int rows = 3) {
        WriteRecording(state.dataDirectory.temporaryRecording(), rows,
                       {4, 15, 30, 88, 10, 0.6f, 380}, {1, 1, 1});
        window.applyCommandEvent(CommandEvent::TimedReceptionFinishes);
    }
    QString temp() const { return state.dataDirectory.temporaryRecording(); }

    MainWindow window;
};

TEST_F(FileCommandsTest, OpenTakesTheRecordingAndItsTransformerFlags) {
    ASSERT_TRUE(WriteAll(state.dataDirectory.settingsFile(),
                         SettingsBytes(2, 0, 3600, 40, 1, 10, 1, 1, 1)));
    window.Form_Load();
    state.settings.CommPort = 3; // changed in memory, not saved
    const QString file = dataFile("motor.MTR");
    WriteRecording(file, 5, {2, 7.5f, 15.4f, 87, 6, 0.3f, 380}, {0, 1, 0});
    files.answers.push_back(file);

    item("mnuFileOpen")->trigger();

    ASSERT_EQ(files.calls.size(), 1u);
    EXPECT_FALSE(files.calls[0].save);
    EXPECT_EQ(files.calls[0].title, QStringLiteral("打开"));
    EXPECT_EQ(files.calls[0].filter, kFilter);
    EXPECT_EQ(files.calls[0].defaultSuffix, QStringLiteral("MTR"));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(state.CurrentFileName(), file);
    EXPECT_EQ(window.windowTitle(), caption(file));
    EXPECT_FALSE(enabled("Command1"));
    EXPECT_FALSE(enabled("Command3"));
    EXPECT_TRUE(enabled("Command2"));
    EXPECT_TRUE(enabled("mnuSAVE_AS"));
    EXPECT_FALSE(enabled("mnuSAVEFILE"));
    EXPECT_EQ(state.model.Motor.RatedPower, 7.5f);
    // Lines 1 to 6 as the file had them, lines 7 to 9 from the recording.
    EXPECT_EQ(ReadAll(state.dataDirectory.settingsFile()),
              SettingsBytes(2, 0, 3600, 40, 1, 10, 0, 1, 0));
    EXPECT_EQ(state.settings.CommPort, 2);
}

TEST_F(FileCommandsTest, DialogsOpenInTheRecordingsFolderElseTheLastUsedElseTheDataDirectory) {
    QDir(dir.path()).mkpath("site-a");
    QDir(dir.path()).mkpath("site-b");
    const QString a = dataFile("site-a/pump.MTR");
    const QString b = dataFile("site-b/fan.MTR");
    WriteRecording(a, 3, {4, 15, 30, 88, 10, 0.6f, 380}, {1, 1, 1});
    struct Step {
        const char* command;
        std::optional<QString> answer;
        QString folder; // where its dialog must open
    };
    const Step steps[] = {
        {"mnuFileOpen", a, dir.path()},                    // the first time: the data directory
        {"mnuSAVE_AS", b, dataFile("site-a")},             // the current recording's folder
        {"mnuCLOSE", std::nullopt, {}},                    // back to the temporary recording
        {"mnuFileOpen", std::nullopt, dataFile("site-b")}, // the last folder used; cancelled
    };
    std::size_t dialogs = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.command);
        files.answers.push_back(step.answer);
        item(step.command)->trigger();
        if (step.folder.isEmpty()) {
            files.answers.clear();
            continue;
        }
        ASSERT_EQ(files.calls.size(), ++dialogs);
        EXPECT_EQ(QDir(files.calls.back().folder), QDir(step.folder));
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FileCommandsTest, TheFileDialogListsSizesDatesAndTypesInChinese) {
    QDir(dir.path()).mkpath("site-a");
    const QString file = dataFile("site-a/pump.MTR");
    WriteRecording(file, 3, {4, 15, 30, 88, 10, 0.6f, 380}, {1, 1, 1});
    const auto dialog = MakeFileDialog(nullptr, QStringLiteral("打开"), kFilter,
                                       QStringLiteral("MTR"), dataFile("site-a"), false);
    EXPECT_EQ(dialog->directory(), QDir(dataFile("site-a")));
    QAbstractProxyModel* list = dialog->proxyModel();
    ASSERT_NE(list, nullptr);
    auto* files = qobject_cast<QFileSystemModel*>(list->sourceModel());
    ASSERT_NE(files, nullptr);
    auto shown = [&](const QString& path, int column) {
        return list->mapFromSource(files->index(path, column)).data().toString();
    };
    const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    EXPECT_EQ(shown(file, 1), QLocale(QLocale::Chinese, QLocale::China)
                                  .formattedDataSize(252, 2, QLocale::DataSizeTraditionalFormat));
    EXPECT_FALSE(shown(file, 1).contains(latin)) << shown(file, 1).toStdString();
    EXPECT_EQ(shown(file, 2), QStringLiteral("MTR 文件"));
    EXPECT_FALSE(shown(file, 3).isEmpty());
    EXPECT_FALSE(shown(file, 3).contains(latin)) << shown(file, 3).toStdString();
    EXPECT_EQ(shown(dataFile("site-a"), 2), QStringLiteral("文件夹"));
    EXPECT_EQ(list->headerData(3, Qt::Horizontal).toString(), QStringLiteral("修改日期"));
}

TEST_F(FileCommandsTest, CancellingOpenChangesNothing) {
    const QString file = dataFile("a.MTR");
    WriteRecording(file, 2, {}, {1, 1, 1});
    files.answers.push_back(file);
    item("mnuFileOpen")->trigger();
    files.answers.push_back(std::nullopt);
    item("mnuFileOpen")->trigger();
    EXPECT_EQ(state.CurrentFileName(), file); // still the recording the caption names
    EXPECT_EQ(window.windowTitle(), caption(file));
    EXPECT_TRUE(messages.shown.empty());
}

struct BadFile {
    const char* what;
    qsizetype bytes; // -1: no file at all
    const char* messagePart;
};
void PrintTo(const BadFile& c, std::ostream* os) {
    *os << c.what;
}

class OpenRefused : public FileCommandsTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(OpenRefused, AFileThatIsNotARecordingIsReportedAndNothingChanges) {
    messages.expecting = true;
    const QString file = dataFile("bad.MTR");
    if (GetParam().bytes >= 0) {
        ASSERT_TRUE(WriteAll(file, QByteArray(GetParam().bytes, '\0')));
    }
    const QByteArray settingsBefore = ReadAll(state.dataDirectory.settingsFile());
    files.answers.push_back(file);
    item("mnuFileOpen")->trigger();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, kOperationError);
    EXPECT_TRUE(messages.shown[0].text.contains(QDir::toNativeSeparators(file)));
    EXPECT_TRUE(messages.shown[0].text.contains(QString::fromUtf8(GetParam().messagePart)))
        << messages.shown[0].text.toStdString();
    EXPECT_EQ(state.CurrentFileName(), temp());
    EXPECT_EQ(window.windowTitle(), QStringLiteral(" ZR-5 多功能电量测试仪 "));
    EXPECT_TRUE(enabled("Command1"));
    EXPECT_FALSE(enabled("Command2"));
    EXPECT_EQ(ReadAll(state.dataDirectory.settingsFile()), settingsBefore);
}

INSTANTIATE_TEST_SUITE_P(Files, OpenRefused,
                         ::testing::Values(BadFile{"shorter_than_a_header", 40, "不足 144 字节"},
                                           // a whole header but not one whole row to recover
                                           BadFile{"length_not_a_row_multiple", 48 + 35, "83"},
                                           BadFile{"missing", -1, "不存在"}),
                         [](const auto& info) { return std::string(info.param.what); });

// A recording cut by a crash: Open offers to recover its whole rows into a new file and opens
// that; the cut file stays as it was.
TEST_F(FileCommandsTest, OpenOffersToRecoverACutRecordingIntoANewFile) {
    messages.expecting = true;
    const QString cut = dataFile("cut.MTR");
    WriteRecording(cut, 5, {2, 7.5f, 15.4f, 87, 6, 0.3f, 380}, {0, 1, 0});
    QByteArray bytes = ReadAll(cut);
    bytes.chop(96 + 10); // no extrema, and the last row torn
    ASSERT_TRUE(WriteAll(cut, bytes));
    const QString target = dataFile("recovered.MTR");
    files.answers = {cut, target};
    messages.answers = {true};

    item("mnuFileOpen")->trigger();

    ASSERT_GE(messages.shown.size(), 2u);
    EXPECT_TRUE(messages.shown[0].isQuestion);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("文件不完整：是否恢复已记录的 4 行数据？"));
    EXPECT_TRUE(messages.shown[1].text.contains(QStringLiteral("已恢复 4 行数据")))
        << messages.shown[1].text.toStdString();
    ASSERT_EQ(files.calls.size(), 2u);
    EXPECT_TRUE(files.calls[1].save);
    EXPECT_EQ(state.CurrentFileName(), target);
    const Result<RecordingInfo> info = ReadRecordingInfo(target);
    ASSERT_TRUE(info) << info.error().toStdString();
    EXPECT_EQ(info->RecordCount, 4);
    EXPECT_EQ(ReadAll(cut), bytes);
}

TEST_F(FileCommandsTest, CloseReturnsToNoDataAndRestoresTheConfiguredDuration) {
    const QString file = dataFile("a.MTR");
    WriteRecording(file, 2, {}, {1, 1, 1});
    ASSERT_TRUE(window.openRecording(file));
    window.showRow(LiveTableRow{{1, 2, 3, 4, 5, 6, 7, 8, 0.9f, 10, 11, 12}, false, {}});
    state.settings.ConfiguredDuration = 600;
    state.settings.ReceiveDuration = 60; // what an analysis of the recording put there

    item("mnuCLOSE")->trigger();

    EXPECT_EQ(state.CurrentFileName(), temp());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("电动机经济运行测试仪"));
    EXPECT_EQ(state.settings.ReceiveDuration, 600.0f);
    for (int k = 0; k < LiveTable::kBoxCount; ++k)
        EXPECT_TRUE(window.liveTable().box(k)->text().isEmpty()) << k;
    EXPECT_TRUE(enabled("Command1"));
    EXPECT_TRUE(enabled("Command3"));
    EXPECT_TRUE(enabled("mnuSet"));
    EXPECT_FALSE(enabled("Command2"));
    EXPECT_FALSE(enabled("mnuDAT"));
    EXPECT_FALSE(enabled("mnuCLOSE"));
}

TEST_F(FileCommandsTest, SaveCopiesTheReceptionByteForByteAndMakesItCurrent) {
    receptionFinished();
    const QString target = dataFile("saved.MTR");
    ASSERT_TRUE(WriteAll(target, QByteArray(10000, 'x'))); // confirmed for overwriting
    files.answers.push_back(target);

    item("mnuSAVEFILE")->trigger();

    ASSERT_EQ(files.calls.size(), 1u);
    EXPECT_TRUE(files.calls[0].save);
    EXPECT_EQ(files.calls[0].title, QStringLiteral("保存"));
    EXPECT_EQ(files.calls[0].filter, kFilter);
    EXPECT_EQ(files.calls[0].defaultSuffix, QStringLiteral("MTR"));
    EXPECT_EQ(ReadAll(target), ReadAll(temp()));
    EXPECT_EQ(QFileInfo(target).size(), 144 + 3 * 36);
    EXPECT_EQ(state.CurrentFileName(), target);
    EXPECT_EQ(window.windowTitle(), caption(target));
    EXPECT_TRUE(enabled("Command1"));
    EXPECT_TRUE(enabled("mnuSAVEFILE"));
    EXPECT_FALSE(enabled("mnuSAVE_AS"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FileCommandsTest, CancellingSaveLeavesTheReceptionCurrent) {
    receptionFinished();
    const QString before = window.windowTitle();
    files.answers.push_back(std::nullopt);
    item("mnuSAVEFILE")->trigger();
    EXPECT_EQ(state.CurrentFileName(), temp());
    EXPECT_EQ(window.windowTitle(), before);
    EXPECT_TRUE(enabled("mnuSAVEFILE"));
    EXPECT_TRUE(messages.shown.empty());

    // Saving again still finds the reception.
    const QString target = dataFile("later.MTR");
    files.answers.push_back(target);
    item("mnuSAVEFILE")->trigger();
    EXPECT_EQ(ReadAll(target), ReadAll(temp()));
    EXPECT_EQ(state.CurrentFileName(), target);
}

TEST_F(FileCommandsTest, SaveWithNothingReceivedShowsTheMessageAndAsksNoName) {
    messages.expecting = true;
    window.applyCommandEvent(CommandEvent::TimedReceptionFinishes);
    ASSERT_FALSE(QFileInfo::exists(temp()));
    item("mnuSAVEFILE")->trigger();
    EXPECT_TRUE(files.calls.empty());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, kOperationError);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("请先按[接收数据]按钮，或先打开一个文件。"));
    EXPECT_EQ(state.CurrentFileName(), temp());
}

TEST_F(FileCommandsTest, SavingOntoTheCurrentFileKeepsTheRecording) {
    receptionFinished(4);
    const QByteArray recording = ReadAll(temp());
    const QString target = dataFile("a.MTR");
    files.answers.push_back(target);
    item("mnuSAVEFILE")->trigger();
    // Save again under the same name, and once under the temporary recording's own name.
    files.answers.push_back(target);
    item("mnuSAVEFILE")->trigger();
    EXPECT_EQ(ReadAll(target), recording);
    window.applyCommandEvent(CommandEvent::Close);
    state.recordingOpened(temp());
    files.answers.push_back(temp());
    item("mnuSAVEFILE")->trigger();
    EXPECT_EQ(ReadAll(temp()), recording);
    EXPECT_TRUE(messages.shown.empty());
}

struct FailingTarget {
    const char* what;
    QString target; // below the data directory
};
void PrintTo(const FailingTarget& c, std::ostream* os) {
    *os << c.what;
}

class SaveFails : public FileCommandsTest, public ::testing::WithParamInterface<FailingTarget> {
protected:
    QString target() const { return dataFile(GetParam().target); }
    void SetUp() override { QDir(dir.path()).mkdir("folder.MTR"); }
    void expectReported() {
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].title, kOperationError);
        EXPECT_TRUE(messages.shown[0].text.contains(QDir::toNativeSeparators(target())))
            << messages.shown[0].text.toStdString();
        EXPECT_TRUE(QFileInfo(state.CurrentFileName()).isFile())
            << state.CurrentFileName().toStdString();
    }
};

TEST_P(SaveFails, TheMessageNamesTheFileAndTheRecordingStaysCurrent) {
    messages.expecting = true;
    receptionFinished();
    const QByteArray recording = ReadAll(temp());
    const QString captionBefore = window.windowTitle();
    files.answers.push_back(target());
    item("mnuSAVEFILE")->trigger();
    expectReported();
    EXPECT_EQ(state.CurrentFileName(), temp());
    EXPECT_EQ(ReadAll(temp()), recording);
    EXPECT_EQ(window.windowTitle(), captionBefore);
    EXPECT_FALSE(enabled("mnuSAVE_AS")); // still the data received state
}

TEST_P(SaveFails, SaveAsReportsTheSameWay) {
    messages.expecting = true;
    const QString file = dataFile("open.MTR");
    WriteRecording(file, 2, {}, {1, 1, 1});
    ASSERT_TRUE(window.openRecording(file));
    files.answers.push_back(target());
    item("mnuSAVE_AS")->trigger();
    expectReported();
    EXPECT_EQ(state.CurrentFileName(), file);
    EXPECT_EQ(window.windowTitle(), caption(file));
}

INSTANTIATE_TEST_SUITE_P(Targets, SaveFails,
                         ::testing::Values(FailingTarget{"folder_missing", "no/such/dir/a.MTR"},
                                           FailingTarget{"target_is_a_folder", "folder.MTR"}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_F(FileCommandsTest, SaveAsOfARecordingThatVanishedNamesItAndCreatesNothing) {
    messages.expecting = true;
    const QString file = dataFile("open.MTR");
    WriteRecording(file, 2, {}, {1, 1, 1});
    ASSERT_TRUE(window.openRecording(file));
    ASSERT_TRUE(QFile::remove(file)); // deleted behind the program's back
    const QString copy = dataFile("copy.MTR");
    files.answers.push_back(copy);
    item("mnuSAVE_AS")->trigger();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, kOperationError);
    EXPECT_TRUE(messages.shown[0].text.contains(QDir::toNativeSeparators(file)))
        << messages.shown[0].text.toStdString();
    EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("源文件不存在")));
    EXPECT_FALSE(QFileInfo::exists(copy));
    EXPECT_EQ(state.CurrentFileName(), file);
    EXPECT_EQ(window.windowTitle(), caption(file));
}

TEST_F(FileCommandsTest, SaveAsCopiesTheOpenRecordingUnderANewName) {
    const QString file = dataFile("open.MTR");
    WriteRecording(file, 7, {}, {1, 0, 1});
    ASSERT_TRUE(window.openRecording(file));
    const QString copy = dataFile("copy.MTR");
    files.answers.push_back(copy);
    item("mnuSAVE_AS")->trigger();
    ASSERT_EQ(files.calls.size(), 1u);
    EXPECT_EQ(files.calls[0].title, QStringLiteral("另存为"));
    EXPECT_EQ(files.calls[0].filter, kFilter);
    EXPECT_EQ(files.calls[0].defaultSuffix, QStringLiteral(".MTR"));
    EXPECT_EQ(ReadAll(copy), ReadAll(file));
    EXPECT_EQ(state.CurrentFileName(), copy);
    EXPECT_EQ(window.windowTitle(), caption(copy));

    // Save As after Save As keeps offering Save As; Save, reception and settings stay blocked.
    const QString second = dataFile("second.MTR");
    files.answers.push_back(second);
    item("mnuSAVE_AS")->trigger();
    EXPECT_EQ(ReadAll(second), ReadAll(file));
    EXPECT_TRUE(enabled("mnuSAVE_AS"));
    EXPECT_FALSE(enabled("mnuSAVEFILE"));
    EXPECT_FALSE(enabled("Command1"));
    EXPECT_FALSE(enabled("mnuSet"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FileCommandsTest, CancellingSaveAsChangesNothing) {
    const QString file = dataFile("open.MTR");
    WriteRecording(file, 1, {}, {1, 1, 1});
    ASSERT_TRUE(window.openRecording(file));
    files.answers.push_back(std::nullopt);
    item("mnuSAVE_AS")->trigger();
    EXPECT_EQ(state.CurrentFileName(), file);
    EXPECT_EQ(window.windowTitle(), caption(file));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FileCommandsTest, SaveAsWithoutACurrentFileAsksToOpenOne) {
    messages.expecting = true;
    receptionFinished();
    files.answers.push_back(std::nullopt);
    item("mnuSAVEFILE")->trigger(); // cancelled: still the temporary recording
    window.applyCommandEvent(CommandEvent::OpenCompletes);
    item("mnuSAVE_AS")->trigger();
    EXPECT_EQ(files.calls.size(), 1u); // only the Save dialog was shown
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, kOperationError);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("请[打开]一个文件。"));
}

TEST_F(FileCommandsTest, SavingOntoTheOpenRecordingItselfKeepsIt) {
    const QString file = dataFile("open.MTR");
    WriteRecording(file, 3, {}, {1, 1, 1});
    const QByteArray recording = ReadAll(file);
    ASSERT_TRUE(window.openRecording(file));
    files.answers.push_back(file);
    item("mnuSAVE_AS")->trigger();
    EXPECT_EQ(ReadAll(file), recording);
    EXPECT_EQ(state.CurrentFileName(), file);
    EXPECT_TRUE(messages.shown.empty());
}

// One whole row is enough to be offered; the recovered file holds that row.
TEST_F(FileCommandsTest, OpenOffersToRecoverARecordingCutAfterItsFirstRow) {
    messages.expecting = true;
    const QString cut = dataFile("cut.MTR");
    WriteRecording(cut, 1, {2, 7.5f, 15.4f, 87, 6, 0.3f, 380}, {1, 1, 1});
    QByteArray bytes = ReadAll(cut);
    bytes.chop(96); // no extrema
    ASSERT_TRUE(WriteAll(cut, bytes));
    const QString target = dataFile("recovered.MTR");
    files.answers = {cut, target};
    messages.answers = {true};

    item("mnuFileOpen")->trigger();

    ASSERT_GE(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("数据恢复！！！"));
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("文件不完整：是否恢复已记录的 1 行数据？"));
    EXPECT_TRUE(messages.shown[1].text.startsWith(QStringLiteral("已恢复 1 行数据")))
        << messages.shown[1].text.toStdString();
    EXPECT_EQ(state.CurrentFileName(), target);
    const Result<RecordingInfo> info = ReadRecordingInfo(target);
    ASSERT_TRUE(info) << info.error().toStdString();
    EXPECT_EQ(info->RecordCount, 1);
    EXPECT_EQ(ReadAll(target).left(int(kHeaderBytes + kRowBytes)).mid(int(kHeaderBytes)),
              bytes.mid(int(kHeaderBytes)));
}

} // namespace
} // namespace zr5::test
