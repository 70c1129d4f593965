#pragma once

#include <QFont>

namespace zr5 {

// A font that renders Chinese (Noto Sans CJK SC where installed), at a point size.
QFont ChineseFont(double pointSize = 9);

} // namespace zr5
