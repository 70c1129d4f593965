// The list of serial ports: what it shows, that it follows adapters coming and going, and what
// confirming writes into "Ports.ini".

#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "link/portmap.h"
#include "settings/portlistdialog.h"
#include "settings/settingsdialog.h"
#include "support/guitest.h"

namespace zr5::test {
namespace {

class PortListDialogTest : public WindowTest {
protected:
    std::vector<SerialPortEntry> present{
        {"/dev/ttyS1", "", "", std::nullopt, std::nullopt},
        {"/dev/ttyUSB0", "USB-Serial Controller", "Prolific Technology Inc.", 0x067b, 0x2303}};
    PortListDialog::PortLister lister() {
        return [this] { return present; };
    }
    QStringList rows(PortListDialog& d) {
        QStringList texts;
        auto* list = d.findChild<QListWidget*>(QStringLiteral("PortList"));
        for (int i = 0; list && i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }
    void choose(PortListDialog& d, int row) {
        d.findChild<QListWidget*>(QStringLiteral("PortList"))->setCurrentRow(row);
    }
    void confirm(PortListDialog& d) {
        QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("OkButton")), Qt::LeftButton);
    }
    QByteArray portsFile() { return ReadAll(PortMap::preferencesFile(state.dataDirectory)); }
};

TEST_F(PortListDialogTest, ListsThePortsAndFollowsAnAdapterPluggedIn) {
    PortListDialog d(state, services, 2, nullptr, lister());
    EXPECT_EQ(rows(d), (QStringList{"/dev/ttyS1", "/dev/ttyUSB0 — USB-Serial Controller"
                                                  "（Prolific Technology Inc.，USB 067b:2303）"}));
    present.push_back({"/dev/ttyACM0", "CDC", "", std::nullopt, std::nullopt});
    d.refresh();
    EXPECT_EQ(rows(d).size(), 3);
    EXPECT_EQ(rows(d).last(), "/dev/ttyACM0 — CDC");
    present.clear();
    d.refresh();
    EXPECT_EQ(rows(d), QStringList{"没有找到串行口（USB 串口线是否已插好？）"});
    EXPECT_FALSE(d.findChild<QPushButton*>(QStringLiteral("OkButton"))->isEnabled());
}

TEST_F(PortListDialogTest, ConfirmMapsTheChosenPortOntoTheComNumber) {
    struct Case {
        int commPort;
        int row;
        QByteArray file; // Ports.ini afterwards
    } cases[] = {
        {2, 1, "# COM number = serial device\nCOM2=/dev/ttyUSB0\n"},
        // COM2's own device needs no line: the mapping of COM2 goes.
        {2, 0, "# COM number = serial device\n"},
        {3, 1, "# COM number = serial device\nCOM2=/dev/ttyACM5\nCOM3=/dev/ttyUSB0\n"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteAll(PortMap::preferencesFile(state.dataDirectory), "COM2=/dev/ttyACM5\n"));
        PortListDialog d(state, services, c.commPort, nullptr, lister());
        QString mapped;
        QObject::connect(&d, &PortListDialog::portMapped,
                         [&](int, const QString& device) { mapped = device; });
        choose(d, c.row);
        confirm(d);
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(portsFile(), c.file) << c.commPort << " " << c.row;
        EXPECT_EQ(mapped, present[std::size_t(c.row)].device);
    }
}

TEST_F(PortListDialogTest, NothingChosenIsSaidAndWritesNothing) {
    PortListDialog d(state, services, 1, nullptr, lister());
    choose(d, -1);
    messages.expecting = true;
    confirm(d);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "请先在列表中选择一个串行口！");
    EXPECT_FALSE(QFile::exists(PortMap::preferencesFile(state.dataDirectory)));
}

TEST_F(PortListDialogTest, TheSettingsDialogOpensTheListBesideItsPortOptions) {
    SettingsDialog dialog(state, services);
    auto* button = dialog.findChild<QPushButton*>(QStringLiteral("Command3"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "端口…");
    // Beside COM3, not over it, and inside its frame.
    auto* com3 = dialog.findChild<QWidget*>(QStringLiteral("Option3"));
    EXPECT_FALSE(button->geometry().intersects(com3->geometry()));
    EXPECT_TRUE(button->parentWidget()->rect().contains(button->geometry()));
    button->click();
    EXPECT_NE(dialog.findChild<PortListDialog*>(), nullptr);
}

} // namespace
} // namespace zr5::test
