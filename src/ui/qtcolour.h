#pragma once

#include <QColor>
#include <cstdint>

namespace zr5 {

// A colour of the program's tables (24 bits, red in the low byte) as Qt's.
inline QColor ColourOf(std::uint32_t colour) {
    return QColor(int(colour & 0xff), int((colour >> 8) & 0xff), int((colour >> 16) & 0xff));
}

} // namespace zr5
