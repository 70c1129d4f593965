// The program's message boxes: the whole title readable, the box over the window it speaks of.

#include <QFontMetrics>
#include <QMessageBox>

#include "support/guitest.h"
#include "ui/services.h"

namespace zr5::test {
namespace {

class MessageBoxPlace : public WindowTest {};

TEST_F(MessageBoxPlace, ShortTextsKeepTheirTitleWholeAndOpenOverTheirWindow) {
    QWidget window;
    window.setGeometry(200, 100, 520, 420); // inside the 800 x 600 offscreen screen
    auto* child = new QWidget(&window);     // a box asked for by a control speaks of its window
    window.show();
    struct Case {
        QString title;
        QString text;
        QWidget* parent;
    } cases[] = {
        {kErrorTitle, QStringLiteral("无"), &window},
        {kOperationErrorTitle, QStringLiteral("请先打开数据文件！"), &window},
        {kReceptionTitle, QStringLiteral("数据接收完成，是否保存？"), child},
    };
    for (const Case& c : cases) {
        QMessageBox box(QMessageBox::NoIcon, c.title, c.text, QMessageBox::Ok, &window);
        const int plainWidth = box.sizeHint().width();
        FitMessageBox(box, c.parent);
        QFont bold = box.font();
        bold.setBold(true);
        // Wider than the title's letters in a title bar's bold face: nothing of it is cut.
        EXPECT_GT(box.width(), QFontMetrics(bold).horizontalAdvance(c.title) + 60)
            << c.title.toStdString();
        EXPECT_GE(box.width(), plainWidth);
        // Centred over the window, not at the screen's corner.
        EXPECT_LE(
            (box.frameGeometry().center() - window.frameGeometry().center()).manhattanLength(), 2)
            << c.title.toStdString();
    }
}

} // namespace
} // namespace zr5::test
