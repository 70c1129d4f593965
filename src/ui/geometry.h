#pragma once

#include <QFont>
#include <QRect>

class QTranslator;
class QWidget;

namespace zr5 {

// Layouts are given in twips (1/1440 inch): 15 twips to a pixel at 96 DPI, scaled for the screen.
int TwipsToPixels(double twips, const QWidget* widget = nullptr);
QRect TwipsRect(double left, double top, double width, double height,
                const QWidget* widget = nullptr);

// A font that renders Chinese (Noto Sans CJK SC where installed), at a point size.
QFont ChineseFont(double pointSize = 9);

// The application's font, and Qt's own Chinese texts for the standard dialogs and buttons when
// they are installed (the translator must live as long as the application).
void UseChineseTexts(QTranslator& qtTranslations);

} // namespace zr5
