#include "ui/geometry.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>
#include <QWidget>
#include <cmath>

namespace zr5 {

namespace {
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

QFont ChineseFont(double pointSize) {
    static const QString family = [] {
        const QStringList families = QFontDatabase::families();
        for (const char* name :
             {"Noto Sans CJK SC", "Noto Sans SC", "WenQuanYi Zen Hei", "Microsoft YaHei", "SimSun"})
            if (families.contains(QString::fromUtf8(name)))
                return QString::fromUtf8(name);
        return QString();
    }();
    QFont font;
    if (!family.isEmpty())
        font.setFamily(family);
    font.setPointSizeF(pointSize);
    return font;
}

} // namespace zr5

namespace zr5 {

void UseChineseTexts(QTranslator& qtTranslations) {
    if (qtTranslations.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                            QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTranslations);
    QApplication::setFont(ChineseFont(9));
}

} // namespace zr5
