// The motor parameter dialog, driven through its widgets on the offscreen platform.

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "catalogtestfiles.h"
#include "motor/motorparameterdialog.h"
#include "motor/samplecatalogue.h"
#include "support/fakeservices.h"
#include "support/succeeded.h"
#include "ui/geometry.h"

namespace zr5 {
namespace {

class Dialog : public ::testing::Test {
protected:
    // The application lives while the suite runs and goes before the program's statics do.
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "motor_dialog_test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    static void TearDownTestSuite() { app_.reset(); }

    void SetUp() override {
        test::WriteCatalogue(
            dir, {test::Entry(1, QStringLiteral("Y系列 380V"), QStringLiteral("Y132M-4"), 4, 7.5f,
                              15.4f, 87.0f, 5.89f, 0.336f),
                  test::Entry(2, QStringLiteral("Y系列 380V"), QStringLiteral("Y160M-4"), 4, 11,
                              22.6f, 88, 8, 0.45f),
                  test::Entry(3, QStringLiteral("单一型号"), QStringLiteral("  YE3-132M-4, B35"), 4,
                              7.5f, 14.9f, 90.4f, 5.6f, 0.24f)});
    }

    MotorParameterDialog& open() {
        dialog = std::make_unique<MotorParameterDialog>(state, services);
        dialog->show();
        return *dialog;
    }
    template <class T> T* child(const char* name) {
        T* w = dialog->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            ADD_FAILURE() << "no " << name;
        return w;
    }
    QLineEdit* box(int i) {
        return child<QLineEdit>(qPrintable(QStringLiteral("Text2_%1").arg(i)));
    }
    void click(QListWidget* list, int row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }
    void doubleClick(QListWidget* list, int row) {
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    std::array<QString, 7> boxes() {
        std::array<QString, 7> t;
        for (int i = 0; i < 7; ++i)
            t[std::size_t(i)] = box(i)->text();
        return t;
    }

    static inline std::unique_ptr<QApplication> app_;
    QTemporaryDir temp;
    DataDirectory dir{temp.path()};
    AppState state{dir};
    test::FakeMessages messages;
    test::FakeFileDialogs files;
    test::FakeClock clock;
    UiServices services{messages, files, clock};
    std::unique_ptr<MotorParameterDialog> dialog;
};

const std::array<QString, 7> kZeros = {"0", "0", "0", "0", "0", "0", "0"};

TEST_F(Dialog, OpeningClearsTheFlagListsCategoriesAndShowsTheStoredValues) {
    state.model.Motor = MotorParameters::fromValues({4, 7.5f, 15.4f, 87, 5.9f, 0.33f, 380});
    state.model.Motor.MotorParametersValid = true;
    open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("电机参数调取"));
    EXPECT_FALSE(state.model.Motor.MotorParametersValid);
    auto* list1 = child<QListWidget>("List1");
    ASSERT_EQ(list1->count(), 2);
    EXPECT_EQ(list1->item(1)->text(), QStringLiteral("单一型号"));
    EXPECT_EQ(child<QListWidget>("List2")->count(), 0);
    EXPECT_EQ(boxes(), (std::array<QString, 7>{"4", "7.5", "15.4", "87", "5.9", "0.33", "380"}));
    EXPECT_EQ(child<QLineEdit>("Text1")->text(), QStringLiteral("0"));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Dialog, ClickingACategoryListsItsModels) {
    open();
    state.model.Motor.MotorParametersValid = true;
    click(child<QListWidget>("List1"), 1);
    EXPECT_FALSE(state.model.Motor.MotorParametersValid);
    EXPECT_EQ(child<QGroupBox>("Frame2")->title(), QStringLiteral("单一型号"));
    auto* list2 = child<QListWidget>("List2");
    ASSERT_EQ(list2->count(), 1);
    EXPECT_EQ(list2->item(0)->text(), QStringLiteral("  (1).  YE3-132M-4, B35"));
}

TEST_F(Dialog, ClickingAModelShowsItsCodeAndZeros) {
    open();
    click(child<QListWidget>("List1"), 0);
    click(child<QListWidget>("List2"), 1);
    EXPECT_EQ(child<QLineEdit>("Text1")->text(), QStringLiteral("2"));
    EXPECT_EQ(boxes(), kZeros);
    EXPECT_FALSE(state.model.Motor.MotorParametersValid);
}

TEST_F(Dialog, DoubleClickingAModelLooksItUpAndAcceptsIt) {
    open();
    click(child<QListWidget>("List1"), 0);
    doubleClick(child<QListWidget>("List2"), 0);
    EXPECT_EQ(child<QLineEdit>("Text1")->text(), QStringLiteral("1"));
    EXPECT_EQ(boxes(), (std::array<QString, 7>{" 4.000", " 7.500", " 15.400", " 87.000", " 5.890",
                                               " 0.336", " 380.000"}));
    EXPECT_TRUE(state.model.Motor.MotorParametersValid);
    EXPECT_EQ(state.model.Motor.RatedVoltage, 380.0f);
    EXPECT_EQ(child<QLabel>("lblEfficiencyClass")->text(), QStringLiteral("IE1"));
    EXPECT_TRUE(dialog->isVisible()); // the dialog stays open
}

TEST_F(Dialog, ConfirmingTypedDataWithCodeZero) {
    open();
    const std::array<QString, 7> typed = {"4", "7.5", "14.9", "90.4", "5.6", "0.24", "380"};
    for (int i = 0; i < 7; ++i)
        box(i)->setText(typed[std::size_t(i)]);
    child<QPushButton>("Command4")->click();
    EXPECT_TRUE(state.model.Motor.MotorParametersValid);
    EXPECT_EQ(boxes(), typed); // not reformatted
    EXPECT_EQ(state.model.Motor.RatedEfficiency, 90.4f);
    EXPECT_EQ(child<QLabel>("lblEfficiencyClass")->text(), QStringLiteral("IE3"));
    EXPECT_EQ(child<QLabel>("lblConfirmed")->text(), QStringLiteral("已确认：自定义数据，7.5 kW"));

    // A comma for the decimal point: refused with a word, the typed text kept, the dialog open.
    messages.expecting = true;
    box(5)->setText(QStringLiteral("0,4"));
    child<QPushButton>("Command1")->click();
    EXPECT_FALSE(state.model.Motor.MotorParametersValid);
    EXPECT_EQ(state.model.Motor.NoLoadPower, 0.24f);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("错误警告！！！"));
    EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("“空载功率”的“0,4”")));
    EXPECT_EQ(box(5)->text(), QStringLiteral("0,4"));
    EXPECT_TRUE(child<QLabel>("lblConfirmed")->text().isEmpty());
    EXPECT_TRUE(dialog->isVisible());

    // A 3000 V motor lies outside the efficiency classes: the label says so, the tip says why.
    box(6)->setText(QStringLiteral("3000"));
    EXPECT_EQ(child<QLabel>("lblEfficiencyClass")->text(), QStringLiteral("不适用"));
    EXPECT_TRUE(child<QLabel>("lblEfficiencyClass")->toolTip().contains(QStringLiteral("1000 V")));
}

TEST_F(Dialog, OnALowScreenItFitsAndScrollsToEveryControl) {
    // Laptop screens with a panel: the dialog is taller than what they have.
    for (const QRect area :
         {QRect(0, 0, 1366, 740), QRect(0, 0, 1024, 740), QRect(0, 0, 800, 560)}) {
        SCOPED_TRACE(area.width());
        open();
        // With a title bar it fits 768 lines less a panel without scrolling.
        EXPECT_LE(dialog->height() + 30, 768 - 40);
        KeepWithinScreen(dialog.get(), area);
        QCoreApplication::processEvents(); // the page lays itself out in the smaller window
        EXPECT_TRUE(area.contains(dialog->frameGeometry()))
            << dialog->frameGeometry().y() << " " << dialog->frameGeometry().height();
        auto* scroll = child<QScrollArea>("scrollArea");
        for (const char* name : {"Command4", "Command3", "Text2_6", "Text1", "List1"}) {
            QWidget* w = child<QWidget>(name);
            scroll->ensureWidgetVisible(w, 0, 0);
            const QRect shown(w->mapTo(scroll->viewport(), QPoint(0, 0)), w->size());
            EXPECT_TRUE(scroll->viewport()->rect().contains(shown)) << name;
        }
    }
}

TEST_F(Dialog, ACodeOutOfRangeGivesTheMessageAndStartsAfresh) {
    messages.expecting = true;
    for (const char* code : {"6936", "-1", "abc"}) {
        state.model.Motor = MotorParameters::fromValues({4, 7.5f, 15.4f, 87, 5.9f, 0.33f, 380});
        open();
        click(child<QListWidget>("List1"), 0);
        messages.shown.clear();
        child<QLineEdit>("Text1")->setText(QString::fromLatin1(code));
        child<QPushButton>("Command4")->click();
        ASSERT_EQ(messages.shown.size(), 1u) << code;
        EXPECT_EQ(messages.shown[0].title, QStringLiteral("错误警告！！！"));
        EXPECT_EQ(messages.shown[0].text, QStringLiteral("编码错误，请重新输入！"));
        EXPECT_EQ(state.model.Motor.values(), (std::array<float, 7>{}));
        EXPECT_FALSE(state.model.Motor.MotorParametersValid);
        EXPECT_EQ(boxes(), kZeros);
        EXPECT_EQ(child<QLineEdit>("Text1")->text(), QStringLiteral("0"));
        EXPECT_EQ(child<QListWidget>("List2")->count(), 0);
        EXPECT_EQ(child<QListWidget>("List1")->count(), 2);
    }
}

TEST_F(Dialog, TypingZeroEmptiesTheModelListTypingTwelveLeavesIt) {
    open();
    click(child<QListWidget>("List1"), 0);
    auto* text1 = child<QLineEdit>("Text1");
    text1->setText(QStringLiteral("12"));
    EXPECT_EQ(child<QListWidget>("List2")->count(), 2);
    EXPECT_EQ(child<QGroupBox>("Frame2")->title(), QStringLiteral("Y系列 380V"));
    text1->setText(QStringLiteral("0"));
    EXPECT_EQ(child<QListWidget>("List2")->count(), 0);
    EXPECT_EQ(child<QGroupBox>("Frame2")->title(), QString());
}

TEST_F(Dialog, CancelClearsTheMotorData) {
    open();
    click(child<QListWidget>("List1"), 0);
    doubleClick(child<QListWidget>("List2"), 1);
    ASSERT_TRUE(state.model.Motor.MotorParametersValid);
    child<QPushButton>("Command2")->click();
    EXPECT_FALSE(state.model.Motor.MotorParametersValid);
    EXPECT_EQ(state.model.Motor.values(), (std::array<float, 7>{}));
    EXPECT_EQ(boxes(), kZeros);
    EXPECT_EQ(child<QListWidget>("List2")->count(), 0);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(Dialog, ClosingKeepsTheValuesWithTheFlagAsLeft) {
    for (bool viaButton : {true, false}) {
        open();
        click(child<QListWidget>("List1"), 0);
        doubleClick(child<QListWidget>("List2"), 1);
        ASSERT_TRUE(state.model.Motor.MotorParametersValid);
        if (viaButton)
            child<QPushButton>("Command3")->click();
        else
            dialog->close();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_TRUE(state.model.Motor.MotorParametersValid);
        EXPECT_EQ(state.model.Motor.RatedPower, 11.0f);
        // Opened again: the flag is cleared, the values are still shown.
        dialog->show();
        EXPECT_FALSE(state.model.Motor.MotorParametersValid);
        EXPECT_EQ(box(1)->text(), QStringLiteral("11"));
    }
}

TEST_F(Dialog, AMissingCatalogueGivesAMessageAndAnEmptyList) {
    messages.expecting = true;
    QFile::remove(dir.file(kCategoryFile));
    open();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, QStringLiteral("错误警告！！！"));
    EXPECT_TRUE(messages.shown[0].text.contains(kCategoryFile));
    EXPECT_EQ(child<QListWidget>("List1")->count(), 0);
}

TEST_F(Dialog, SearchFindsEveryMatchingModelOfTheSampleCatalogue) {
    QTemporaryDir sampleTemp;
    state.dataDirectory = DataDirectory(sampleTemp.path());
    ASSERT_TRUE(test::Succeeded(InstallSampleCatalogue(state.dataDirectory)));
    open();
    child<QLineEdit>("txtSearch")->setText(QStringLiteral("Y132M"));
    auto* list2 = child<QListWidget>("List2");
    // Y132M-4 and Y132M1-6, Y132M2-6, Y132M-8 of the Y series, in each of its twelve mountings.
    ASSERT_EQ(list2->count(), 48);
    for (int i = 0; i < list2->count(); ++i)
        EXPECT_TRUE(list2->item(i)->text().contains(QStringLiteral("Y132M"))) << i;
    EXPECT_TRUE(child<QGroupBox>("Frame2")->title().contains(QStringLiteral("48")));
    doubleClick(list2, 0);
    EXPECT_TRUE(state.model.Motor.MotorParametersValid);
    EXPECT_EQ(state.model.Motor.RatedPower, 7.5f);
    // A category click replaces the search results.
    click(child<QListWidget>("List1"), 0);
    EXPECT_TRUE(child<QLineEdit>("txtSearch")->text().isEmpty());
    EXPECT_EQ(list2->count(), 103);
}

} // namespace
} // namespace zr5
