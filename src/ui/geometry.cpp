#include "ui/geometry.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace zr5 {

namespace {
// What a window manager's title bar takes, for windows not framed yet.
constexpr int kTitleBarAllowance = 30;

double logicalDpi(const QWidget* widget) {
    if (widget)
        return widget->logicalDpiX();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->logicalDotsPerInchX();
    return 96.0;
}
} // namespace

int TwipsToPixels(double twips, const QWidget* widget) {
    return int(std::lround(twips * logicalDpi(widget) / 1440.0));
}

QRect TwipsRect(double left, double top, double width, double height, const QWidget* widget) {
    return QRect(TwipsToPixels(left, widget), TwipsToPixels(top, widget),
                 TwipsToPixels(width, widget), TwipsToPixels(height, widget));
}

QRect FitIntoArea(const QRect& frame, const QRect& area) {
    QRect fitted(frame.topLeft(), QSize(std::min(frame.width(), area.width()),
                                        std::min(frame.height(), area.height())));
    if (fitted.right() > area.right())
        fitted.moveRight(area.right());
    if (fitted.bottom() > area.bottom())
        fitted.moveBottom(area.bottom());
    if (fitted.left() < area.left())
        fitted.moveLeft(area.left());
    if (fitted.top() < area.top())
        fitted.moveTop(area.top());
    return fitted;
}

void KeepWithinScreen(QWidget* window, std::optional<QRect> area) {
    if (!area) {
        const QScreen* screen = window->screen();
        if (!screen)
            return;
        area = screen->availableGeometry();
    }
    QRect frame = window->frameGeometry();
    // Before the window manager has framed a new window its frame is not known yet: allow for a
    // title bar.
    if (frame == window->geometry() && !(window->windowFlags() & Qt::FramelessWindowHint))
        frame.setTop(frame.top() - kTitleBarAllowance);
    const QRect fitted = FitIntoArea(frame, *area);
    if (fitted.size() != frame.size()) {
        const QSize client = window->size() - (frame.size() - fitted.size());
        if (window->minimumSize() == window->maximumSize())
            window->setFixedSize(client);
        else {
            window->setMinimumSize(window->minimumSize().boundedTo(client));
            window->resize(client);
        }
    }
    if (fitted.topLeft() != frame.topLeft())
        window->move(window->pos() + (fitted.topLeft() - frame.topLeft()));
}

namespace {
class ScreenKeeper final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            const Qt::WindowType type = widget->windowType();
            if (widget->isWindow() && type != Qt::Popup && type != Qt::ToolTip)
                KeepWithinScreen(widget);
        }
        return false;
    }
};
} // namespace

void KeepWindowsOnScreen(QApplication& app) {
    app.installEventFilter(new ScreenKeeper(&app));
}

} // namespace zr5

namespace zr5 {

void UseChineseTexts(QTranslator& qtTranslations) {
    if (qtTranslations.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                            QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTranslations);
    QApplication::setFont(ChineseFont(9));
    // Dates, month names and sizes in Qt's own widgets follow the program's language.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
}

void PlaceOver(QWidget& window, QWidget* over) {
    window.adjustSize();
    QWidget* base = over ? over->window() : QApplication::activeWindow();
    if (!base || !base->isVisible() || base == &window)
        return;
    QRect place(QPoint(0, 0), window.frameGeometry().size());
    place.moveCenter(base->frameGeometry().center());
    if (const QScreen* screen = base->screen())
        place = FitIntoArea(place, screen->availableGeometry());
    window.move(place.topLeft());
}

} // namespace zr5
