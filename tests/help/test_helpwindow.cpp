// The help window shows the program's own document, read-only; the about box its texts.

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>

#include "help/aboutbox.h"
#include "help/helpwindow.h"
#include "mainwindow/mainwindow.h"
#include "support/guitest.h"
#include "ui/geometry.h"

namespace zr5::test {
namespace {

class HelpTest : public WindowTest {
protected:
    HelpTest() : window(state, services) { window.show(); }
    void trigger(const char* name) {
        auto* a = window.findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_NE(a, nullptr);
        a->trigger();
    }
    MainWindow window;
};

TEST_F(HelpTest, HelpOpensModelessAtItsPlaceWithTheDocument) {
    trigger("mnuHE");
    auto* help = window.findChild<HelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal());
    EXPECT_EQ(help->windowTitle(), QStringLiteral("帮助"));
    EXPECT_EQ(help->pos(), QPoint(TwipsToPixels(1000, &window), TwipsToPixels(1000, &window)));
    auto* browser = help->findChild<QTextBrowser*>(QStringLiteral("OLE1"));
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->isReadOnly());
    trigger("mnuHE");
    EXPECT_EQ(window.findChildren<HelpWindow*>().size(), 1);
}

// The document covers what a user needs: each topic is found in it.
TEST_F(HelpTest, TheDocumentCoversEveryTopic) {
    HelpWindow help;
    const QString text = help.document()->toPlainText();
    ASSERT_GT(text.size(), 2000);
    for (const char* topic :
         {"连接测试仪", "定时接收", "手动接收", "终止接收", "保存", "打开", "另存为", "电机参数",
          "数据分析", "打印", "CT倍率", "Mtrc.dat", "TEMP.MTX", "MTALL.OBJ", "Ports.ini",
          "/dev/ttyS0", "--data-dir", "F12"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(topic))) << topic;
}

TEST_F(HelpTest, AboutIsModalWithItsTextsAndCloses) {
    trigger("mnuABOUT");
    auto* about = window.findChild<AboutBox*>();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_TRUE(about->isModal());
    EXPECT_EQ(about->windowTitle(), QStringLiteral("关于ZR-5..."));
    QStringList texts;
    for (QLabel* l : about->findChildren<QLabel*>())
        texts << l->text();
    for (const char* t : {" ZR－5　多功能电量测试仪", "辅助软件", "V6.12"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(t))) << t;
    auto* close = about->findChild<QPushButton*>(QStringLiteral("Command1"));
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->text(), QStringLiteral("关闭窗口"));
    close->click();
    EXPECT_FALSE(about->isVisible());
}

} // namespace
} // namespace zr5::test
