#include "settings/datadirectory.h"

#include <QDir>
#include <QStandardPaths>

namespace zr5 {

QString DataDirectory::defaultRoot() {
#ifdef Q_OS_WIN
    return QStringLiteral("c:/zr-5");
#else
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base.isEmpty() ? QDir::homePath() : base).filePath(QStringLiteral("zr-5"));
#endif
}

DataDirectory DataDirectory::fromOption(const QString& option) {
    QString chosen = option;
    if (chosen.isEmpty())
        chosen = qEnvironmentVariable("ZR5_DATA_DIR");
    if (chosen.isEmpty())
        chosen = defaultRoot();
    return DataDirectory(QDir::cleanPath(chosen));
}

QString DataDirectory::file(const QString& name) const {
    return QDir(root_).filePath(name);
}

Status DataDirectory::ensureExists() const {
    if (QDir().mkpath(root_))
        return {};
    return Status::failure(
        QStringLiteral("无法创建数据目录 %1").arg(QDir::toNativeSeparators(root_)));
}

} // namespace zr5
