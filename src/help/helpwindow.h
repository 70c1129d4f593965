#pragma once

#include <QWidget>

class QTextBrowser;

namespace zr5 {

// "帮助": the program's help document, read-only.
class HelpWindow final : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    QTextBrowser* document() const { return OLE1; }

    static const char* const kDocument; // resource path of the help document

private:
    QTextBrowser* OLE1 = nullptr;
};

} // namespace zr5
