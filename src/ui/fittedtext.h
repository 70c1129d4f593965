#pragma once

#include <QFont>
#include <QLabel>
#include <QString>

namespace zr5 {

// The font to print a text in a box `width` pixels wide: the given font when the text fits,
// otherwise the same font made smaller until it does. A value box never cuts digits off.
QFont FontToFit(const QFont& font, const QString& text, int width);

// A value box whose text is always shown whole: a text wider than the box is printed smaller.
class FittedLabel final : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    // The font the current text is printed in.
    QFont textFont() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect textArea() const;
};

} // namespace zr5
