#include "recording/filecopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace zr5 {

namespace {

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString reason(const QFileDevice& file) {
    QString why;
    switch (file.error()) {
    case QFileDevice::ReadError:
        why = QStringLiteral("读取出错");
        break;
    case QFileDevice::WriteError:
        why = QStringLiteral("写入出错（磁盘可能已满）");
        break;
    case QFileDevice::ResourceError:
        why = QStringLiteral("磁盘空间或系统资源不足");
        break;
    case QFileDevice::PermissionsError:
        why = QStringLiteral("没有访问权限");
        break;
    case QFileDevice::OpenError:
        why = QStringLiteral("无法打开");
        break;
    default:
        why = QStringLiteral("文件操作失败");
        break;
    }
    const QString detail = file.errorString();
    return detail.isEmpty() ? why : why + QStringLiteral("：") + detail;
}

QString failure(const QString& source, const QString& target, const QString& why) {
    return QStringLiteral("无法将数据文件 %1 复制为 %2，%3。")
        .arg(native(source), native(target), why);
}

constexpr qint64 kBlockBytes = 1 << 20;

} // namespace

bool IsSameFile(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

QString FileCopy(const QString& source, const QString& target) {
    const QFileInfo sourceInfo(source);
    if (!sourceInfo.exists())
        return failure(source, target, QStringLiteral("源文件不存在"));
    if (!sourceInfo.isFile())
        return failure(source, target, QStringLiteral("源文件不是普通文件"));
    if (IsSameFile(source, target))
        return {};
    // Only a plain file is ever replaced: never a folder, a device or a pipe.
    const QFileInfo targetInfo(target);
    if (targetInfo.isDir())
        return failure(source, target, QStringLiteral("目标是一个文件夹"));
    if (targetInfo.exists() && !targetInfo.isFile())
        return failure(source, target, QStringLiteral("目标不是普通文件"));

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return failure(source, target, reason(in));
    QSaveFile out(target);
    // A folder where no temporary file can be made may still allow the target itself.
    out.setDirectWriteFallback(true);
    if (!out.open(QIODevice::WriteOnly))
        return failure(source, target, reason(out));
    QByteArray block;
    qint64 copied = 0;
    while (!in.atEnd()) {
        block = in.read(kBlockBytes);
        if (block.isEmpty() && in.error() != QFileDevice::NoError)
            break;
        if (out.write(block) != block.size()) {
            out.cancelWriting();
            return failure(source, target, reason(out));
        }
        copied += block.size();
    }
    if (in.error() != QFileDevice::NoError || copied != in.size()) {
        out.cancelWriting();
        return failure(source, target, reason(in));
    }
    if (!out.commit())
        return failure(source, target, reason(out));
    return {};
}

} // namespace zr5
