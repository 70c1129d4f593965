#pragma once

#include <QIcon>

namespace zr5 {

// The program's icon at every size the menus, title bars and task bars ask for: the same PNGs the
// package puts in the hicolor theme, rendered from zr5.svg at build time.
QIcon ApplicationIcon();

} // namespace zr5
