#include "ui/fittedtext.h"

#include <QFontMetrics>
#include <QPainter>

namespace zr5 {

namespace {
constexpr int kTextMargin = 1; // pixels between a box's frame and its text
constexpr int kSmallestPixels = 5;
} // namespace

QFont FontToFit(const QFont& font, const QString& text, int width) {
    QFont fitted = font;
    if (QFontMetrics(fitted).horizontalAdvance(text) <= width)
        return fitted;
    int pixels = QFontMetrics(font).height();
    fitted.setPixelSize(pixels);
    while (pixels > kSmallestPixels && QFontMetrics(fitted).horizontalAdvance(text) > width)
        fitted.setPixelSize(--pixels);
    return fitted;
}

QRect FittedLabel::textArea() const {
    return contentsRect().adjusted(kTextMargin, 0, -kTextMargin, 0);
}

QFont FittedLabel::textFont() const {
    return FontToFit(font(), text(), textArea().width());
}

void FittedLabel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event); // the frame only; the text follows in its fitted font
    QPainter painter(this);
    painter.setFont(textFont());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(textArea(), int(alignment()) | Qt::TextSingleLine, text());
}

} // namespace zr5
