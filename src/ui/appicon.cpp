#include "ui/appicon.h"

#include <QDir>

namespace zr5 {

QIcon ApplicationIcon() {
    QIcon icon;
    // One folder per size, each holding zr5.png (":/icons/16/zr5.png" ...).
    const QDir sizes(QStringLiteral(":/icons"));
    for (const QString& size : sizes.entryList(QDir::Dirs))
        icon.addFile(sizes.filePath(size + QStringLiteral("/zr5.png")));
    return icon;
}

} // namespace zr5
