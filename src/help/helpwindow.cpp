#include "help/helpwindow.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/geometry.h"

namespace zr5 {

const char* const HelpWindow::kDocument = "qrc:/help/zr5help.html";

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("帮助"));
    setFont(ChineseFont(10));
    resize(TwipsToPixels(9600, this), TwipsToPixels(7200, this));

    OLE1 = new QTextBrowser(this);
    OLE1->setObjectName(QStringLiteral("OLE1"));
    OLE1->setReadOnly(true);
    OLE1->setOpenLinks(true);
    OLE1->setOpenExternalLinks(false);
    OLE1->setSource(QUrl(QString::fromLatin1(kDocument)));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(OLE1);
}

} // namespace zr5
