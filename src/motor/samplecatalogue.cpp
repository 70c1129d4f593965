#include "motor/samplecatalogue.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

namespace zr5 {

QString InstallSampleCatalogue(const DataDirectory& dir) {
    QStringList present;
    QStringList missing;
    for (const SampleCatalogueFile& f : SampleCatalogueFiles()) {
        const QString name = QString::fromLatin1(f.name);
        (QFileInfo::exists(dir.file(name)) ? present : missing) << name;
    }
    if (missing.isEmpty())
        return {};
    if (!present.isEmpty())
        return QStringLiteral("数据目录 %1 中缺少电机技术数据文件 %2（已有 %3），未安装示例数据。")
            .arg(QDir::toNativeSeparators(dir.root()), missing.join(QStringLiteral("、")),
                 present.join(QStringLiteral("、")));
    if (QString problem = dir.ensureExists(); !problem.isEmpty())
        return problem;
    for (const SampleCatalogueFile& f : SampleCatalogueFiles()) {
        QSaveFile out(dir.file(QString::fromLatin1(f.name)));
        if (!out.open(QIODevice::WriteOnly) ||
            out.write(reinterpret_cast<const char*>(f.data), qint64(f.size)) != qint64(f.size) ||
            !out.commit())
            return QStringLiteral("无法写入电机技术数据文件 %1：%2")
                .arg(QDir::toNativeSeparators(out.fileName()), out.errorString());
    }
    return {};
}

} // namespace zr5
