#include "motor/samplecatalogue.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "recording/outputfile.h"

namespace zr5 {

bool CatalogueInstalled(const DataDirectory& dir) {
    for (const SampleCatalogueFile& f : SampleCatalogueFiles())
        if (QFileInfo::exists(dir.file(QString::fromLatin1(f.name))))
            return true;
    return false;
}

QByteArray SampleCatalogueBytes(const QString& name) {
    for (const SampleCatalogueFile& f : SampleCatalogueFiles())
        if (name == QLatin1String(f.name))
            return QByteArray::fromRawData(reinterpret_cast<const char*>(f.data),
                                           qsizetype(f.size));
    return {};
}

Status InstallSampleCatalogue(const DataDirectory& dir) {
    QStringList present;
    QStringList missing;
    for (const SampleCatalogueFile& f : SampleCatalogueFiles()) {
        const QString name = QString::fromLatin1(f.name);
        (QFileInfo::exists(dir.file(name)) ? present : missing) << name;
    }
    if (missing.isEmpty())
        return {};
    if (!present.isEmpty())
        return Status::failure(
            QStringLiteral("数据目录 %1 中缺少电机技术数据文件 %2（已有 %3），未安装示例数据。")
                .arg(QDir::toNativeSeparators(dir.root()), missing.join(QStringLiteral("、")),
                     present.join(QStringLiteral("、"))));
    if (Status exists = dir.ensureExists(); !exists)
        return exists;
    for (const SampleCatalogueFile& f : SampleCatalogueFiles()) {
        const QString path = dir.file(QString::fromLatin1(f.name));
        const QByteArray bytes =
            QByteArray::fromRawData(reinterpret_cast<const char*>(f.data), qsizetype(f.size));
        if (const Status written = WriteWholeFile(path, bytes); !written)
            return Status::failure(QStringLiteral("无法写入电机技术数据文件 %1：%2")
                                       .arg(QDir::toNativeSeparators(path), written.error()));
    }
    return {};
}

} // namespace zr5
