#include "ui/chinesefont.h"

#include <QFontDatabase>
#include <QStringList>

namespace zr5 {

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
