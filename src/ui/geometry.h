#pragma once

#include <QFont>
#include <QRect>

class QWidget;

namespace zr5 {

// Layouts are given in twips (1/1440 inch): 15 twips to a pixel at 96 DPI, scaled for the screen.
int TwipsToPixels(double twips, const QWidget* widget = nullptr);
QRect TwipsRect(double left, double top, double width, double height,
                const QWidget* widget = nullptr);

// A font that renders Chinese (Noto Sans CJK SC where installed), at a point size.
QFont ChineseFont(double pointSize = 9);

} // namespace zr5
