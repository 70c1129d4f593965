// The program's icon carries every size of the hicolor theme, each drawn at its own size (a
// missing or mis-rendered PNG would leave Qt to scale another one).

#include <QIcon>
#include <algorithm>
#include <gtest/gtest.h>

#include "support/qtapplication.h"
#include "ui/appicon.h"

namespace zr5::test {
namespace {

TEST(ApplicationIconTest, EveryThemeSizeIsItsOwnPicture) {
    const QIcon icon = ApplicationIcon();
    QList<int> sizes;
    for (const QSize& s : icon.availableSizes()) {
        EXPECT_EQ(s.width(), s.height());
        sizes.append(s.width());
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (QList<int>{16, 22, 24, 32, 48, 64, 128, 256}));
    for (int size : sizes) {
        const QImage image = icon.pixmap(size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size)) << size;
        // Rounded, nearly transparent corners, and the blue face between the axis and the curve.
        EXPECT_LT(qAlpha(image.pixel(0, 0)), 32) << size;
        const QColor face = image.pixelColor(size * 5 / 16, size / 4);
        EXPECT_GT(face.blue(), face.red() + 40) << size;
    }
}

} // namespace
} // namespace zr5::test
