#pragma once

#include <QFont>
#include <QRect>
#include <optional>

#include "ui/chinesefont.h"

class QApplication;
class QTranslator;
class QWidget;

namespace zr5 {

// Layouts are given in twips (1/1440 inch): 15 twips to a pixel at 96 DPI, scaled for the screen.
int TwipsToPixels(double twips, const QWidget* widget = nullptr);
QRect TwipsRect(double left, double top, double width, double height,
                const QWidget* widget = nullptr);

// A window's frame moved into an area; a frame wider or taller than the area is cut to it.
QRect FitIntoArea(const QRect& frame, const QRect& area);

// Keeps a top-level window within an area (its screen's available area by default): where its
// place would put part of it outside, it moves to fit; where it is larger, it is made as large as
// the area allows (a window that can be taller than the screen scrolls its contents).
void KeepWithinScreen(QWidget* window, std::optional<QRect> area = std::nullopt);

// Centres a window that is about to be shown over another window (the active one when none is
// given), within the screen. The window manager would otherwise place it where it likes, often at
// the screen's corner: it honours only a place the program set itself.
void PlaceOver(QWidget& window, QWidget* over);

// From now on every window is kept within its screen whenever it is shown.
void KeepWindowsOnScreen(QApplication& app);

// The application's font, and Qt's own Chinese texts for the standard dialogs and buttons when
// they are installed (the translator must live as long as the application).
void UseChineseTexts(QTranslator& qtTranslations);

} // namespace zr5
