// The settings dialog: it opens from the file, its option buttons and check boxes change the
// settings at once, and only a confirmation with good boxes and a transformer writes the file.

#include <functional>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "settings/settingsdialog.h"
#include "support/guitest.h"
#include "ui/geometry.h"

namespace zr5::test {
namespace {

class SettingsDialogTest : public WindowTest {
protected:
    SettingsDialogTest() : dialog(state, services) {}

    void writeFile(const QByteArray& bytes) {
        ASSERT_TRUE(WriteAll(state.dataDirectory.settingsFile(), bytes));
    }
    QByteArray file() { return ReadAll(state.dataDirectory.settingsFile()); }
    template <class T = QWidget> T* control(const char* name) {
        auto* w = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* text(int n) {
        return control<QLineEdit>(QStringLiteral("Text%1").arg(n).toLatin1());
    }
    QRadioButton* option(int n) {
        return control<QRadioButton>(QStringLiteral("Option%1").arg(n).toLatin1());
    }
    QCheckBox* check(int n) {
        return control<QCheckBox>(QStringLiteral("Check%1").arg(n).toLatin1());
    }
    QStringList checkedOptions() {
        QStringList names;
        for (int n = 1; n <= 12; ++n)
            if (option(n)->isChecked())
                names << option(n)->objectName();
        return names;
    }
    // A click on the button's mark, where a user clicks.
    void clickOn(QAbstractButton* b) {
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    }
    void confirm() { QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton); }
    void cancel() { QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton); }
    void setBoxes(const char* h, const char* m, const char* s, const char* ct, const char* pt) {
        text(1)->setText(QString::fromUtf8(h));
        text(2)->setText(QString::fromUtf8(m));
        text(3)->setText(QString::fromUtf8(s));
        text(4)->setText(QString::fromUtf8(ct));
        text(5)->setText(QString::fromUtf8(pt));
    }

    SettingsDialog dialog;
};

TEST_F(SettingsDialogTest, OpensFromTheFileNotFromMemory) {
    writeFile(SettingsBytes(2, 7, 3725, 40, 0.5f, 20, 1, 0, 1));
    state.settings.CommPort = 3;
    state.settings.SegmentHalfSpan = 5; // as the analysis window's group menu leaves it
    dialog.showDialog();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ZR－5...设置"));
    EXPECT_EQ(state.settings.CommPort, 2);
    EXPECT_EQ(state.settings.SegmentHalfSpan, 20.0f);
    EXPECT_EQ(text(1)->text(), "1");
    EXPECT_EQ(text(2)->text(), "2");
    EXPECT_EQ(text(3)->text(), "5");
    EXPECT_EQ(text(4)->text(), "40");
    EXPECT_EQ(text(5)->text(), "0.5");
    EXPECT_EQ(checkedOptions(), QStringList({"Option2", "Option7", "Option12"}));
    EXPECT_TRUE(check(1)->isChecked());
    EXPECT_FALSE(check(2)->isChecked());
    EXPECT_TRUE(check(3)->isChecked());
    EXPECT_EQ(dialog.pos(), QPoint(TwipsToPixels(3000, &dialog), TwipsToPixels(2000, &dialog)));
}

TEST_F(SettingsDialogTest, SecondsThatRoundToAMinuteCarryIntoTheHours) {
    writeFile(SettingsBytes(1, 0, 3599.6f, 1, 1, 10, 1, 1, 1));
    dialog.showDialog();
    EXPECT_EQ(text(1)->text(), "1");
    EXPECT_EQ(text(2)->text(), "0");
    EXPECT_EQ(text(3)->text(), "0");
}

TEST_F(SettingsDialogTest, ValuesOutsideTheChoicesSelectNothingAndAreWrittenBack) {
    writeFile(SettingsBytes(4, 5, 10, 1, 1, 7, 1, 1, 1));
    dialog.showDialog();
    EXPECT_TRUE(checkedOptions().isEmpty());
    confirm();
    EXPECT_EQ(file(), SettingsBytes(4, 5, 10, 1, 1, 7, 1, 1, 1));
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(SettingsDialogTest, AnotherOpeningClearsAnEarlierSelection) {
    writeFile(SettingsBytes(2, 0, 10, 1, 1, 10, 1, 1, 1));
    dialog.showDialog();
    cancel();
    writeFile(SettingsBytes(9, 0, 10, 1, 1, 10, 1, 1, 1));
    dialog.showDialog();
    EXPECT_EQ(checkedOptions(), QStringList({"Option4", "Option11"}));
}

TEST_F(SettingsDialogTest, ChoicesChangeMemoryAtOnceCancelKeepsTheFile) {
    const QByteArray saved = SettingsBytes(1, 0, 10, 1, 1, 10, 1, 1, 1);
    writeFile(saved);
    dialog.showDialog();
    clickOn(option(2));
    clickOn(option(9));
    clickOn(option(10));
    clickOn(check(2));
    text(4)->setText("80"); // dropped by the cancel
    EXPECT_EQ(state.settings.CommPort, 2);
    EXPECT_EQ(state.settings.CurrentCurve, 9);
    EXPECT_EQ(state.settings.SegmentHalfSpan, 5.0f);
    EXPECT_EQ(state.settings.BlueCTInUse, 0);
    cancel();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(file(), saved);
    EXPECT_EQ(state.settings.CommPort, 2);
    EXPECT_EQ(state.settings.CTRatio, 1.0f);
}

TEST_F(SettingsDialogTest, TheCloseBoxIsCancel) {
    const QByteArray saved = SettingsBytes(1, 0, 10, 1, 1, 10, 1, 1, 1);
    writeFile(saved);
    dialog.showDialog();
    text(3)->setText("99");
    dialog.close();
    EXPECT_EQ(file(), saved);
    EXPECT_EQ(state.settings.ReceiveDuration, 10.0f);
}

TEST_F(SettingsDialogTest, EveryOpeningPutsTheFocusOnConfirm) {
    writeFile(SettingsBytes(1, 0, 10, 1, 1, 10, 1, 1, 1));
    // However the last opening ended, the next one starts on 确 定.
    const std::function<void()> endings[] = {
        [&] { cancel(); },
        [&] {
            control<QPushButton>("Command2")->setFocus();
            dialog.close();
        },
        [&] {
            text(4)->setFocus();
            dialog.close();
        },
    };
    for (const auto& end : endings) {
        dialog.showDialog();
        EXPECT_EQ(dialog.focusWidget(), control<QPushButton>("Command1"));
        end();
        EXPECT_FALSE(dialog.isVisible());
    }
    dialog.showDialog();
    EXPECT_EQ(dialog.focusWidget(), control<QPushButton>("Command1"));
}

TEST_F(SettingsDialogTest, ConfirmWritesEveryField) {
    writeFile(SettingsBytes(1, 0, 10, 1, 1, 10, 1, 1, 1));
    dialog.showDialog();
    clickOn(option(3));
    clickOn(option(6));
    clickOn(check(1));
    setBoxes("1", "90", "0", "40", "2.5");
    confirm();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(file(), SettingsBytes(3, 6, 9000, 40, 2.5f, 10, 0, 1, 1));
    EXPECT_EQ(state.settings.ConfiguredDuration, 9000.0f);
    EXPECT_EQ(state.settings.CTInUseCode, 3);
    // The boxes have no range limits; the next opening shows the time normalised.
    dialog.showDialog();
    EXPECT_EQ(text(1)->text(), "2");
    EXPECT_EQ(text(2)->text(), "30");
    EXPECT_EQ(text(3)->text(), "0");
}

TEST_F(SettingsDialogTest, EmptyTimeBoxesCountAsZero) {
    writeFile(SettingsBytes(1, 0, 10, 1, 1, 10, 1, 1, 1));
    dialog.showDialog();
    setBoxes("0", "", " ", "1", "1");
    confirm();
    EXPECT_EQ(state.settings.ReceiveDuration, 0.0f);
    EXPECT_EQ(text(2)->text(), "0");
    EXPECT_EQ(text(3)->text(), "0");
    EXPECT_EQ(file(), SettingsBytes(1, 0, 0, 1, 1, 10, 1, 1, 1));
}

TEST_F(SettingsDialogTest, NoTransformerIsRefusedAndTheDialogStays) {
    messages.expecting = true;
    const QByteArray saved = SettingsBytes(1, 0, 10, 1, 1, 10, 1, 0, 0);
    writeFile(saved);
    dialog.showDialog();
    clickOn(check(1));
    setBoxes("0", "1", "0", "30", "1");
    confirm();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("错误警告！！！"));
    EXPECT_EQ(messages.shown[0].text,
              QStringLiteral("至少需要选择连接一个互感器！\r\n请重新选择！"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(file(), saved);
    // The ratios and the duration were taken before the check, as the dialog always did.
    EXPECT_EQ(state.settings.CTRatio, 30.0f);
    EXPECT_EQ(state.settings.ReceiveDuration, 60.0f);
}

struct BadBox {
    const char* what;
    int box;
    const char* typed;
    const char* name;
};
void PrintTo(const BadBox& c, std::ostream* os) {
    *os << c.what;
}

class RefusedBoxes : public SettingsDialogTest, public ::testing::WithParamInterface<BadBox> {};

TEST_P(RefusedBoxes, AreNamedAndChangeNothing) {
    messages.expecting = true;
    const BadBox& b = GetParam();
    const QByteArray saved = SettingsBytes(1, 0, 10, 40, 1, 10, 1, 1, 1);
    writeFile(saved);
    dialog.showDialog();
    setBoxes("1", "2", "3", "4", "5");
    text(b.box)->setText(QString::fromUtf8(b.typed));
    confirm();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("错误警告！！！"));
    EXPECT_TRUE(messages.shown[0].text.startsWith(QString::fromUtf8(b.name)))
        << messages.shown[0].text.toStdString();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(file(), saved);
    EXPECT_EQ(state.settings.CTRatio, 40.0f);
    EXPECT_EQ(state.settings.PTRatio, 1.0f);
    EXPECT_EQ(state.settings.ReceiveDuration, 10.0f);
    EXPECT_EQ(text(b.box)->text(), QString::fromUtf8(b.typed)); // left for the user to mend
}

INSTANTIATE_TEST_SUITE_P(Boxes, RefusedBoxes,
                         ::testing::Values(BadBox{"ct_text", 4, "abc", "CT倍率"},
                                           BadBox{"ct_empty", 4, "", "CT倍率"},
                                           BadBox{"ct_zero", 4, "0", "CT倍率"},
                                           BadBox{"pt_negative", 5, "-1", "PT倍率"},
                                           BadBox{"hours_text", 1, "一", "累计时间（时）"},
                                           BadBox{"minutes_negative", 2, "-5", "累计时间（分）"},
                                           BadBox{"seconds_comma", 3, "1,5", "累计时间（秒）"},
                                           BadBox{"hours_too_many", 1, "1e38", "累计时间"}),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_F(SettingsDialogTest, AFileThatCannotBeWrittenIsReportedAndTheDialogStays) {
    messages.expecting = true;
    ASSERT_TRUE(WriteAll(dataFile("plain"), "x"));
    AppState blocked(DataDirectory(dataFile("plain/zr-5")));
    SettingsDialog d(blocked, services);
    d.showDialog();
    QTest::mouseClick(d.findChild<QPushButton*>("Command1"), Qt::LeftButton);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("错误警告！！！"));
    EXPECT_TRUE(d.isVisible());
}

TEST_F(SettingsDialogTest, KeepsItsSize) {
    dialog.showDialog();
    const QSize fixed = dialog.size();
    dialog.resize(fixed.width() + 200, fixed.height() - 100);
    EXPECT_EQ(dialog.size(), fixed);
    EXPECT_EQ(fixed, QSize(TwipsToPixels(7080, &dialog), TwipsToPixels(5520, &dialog)));
}

} // namespace
} // namespace zr5::test
