#include "recording/filecopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "recording/outputfile.h"

namespace zr5 {

namespace {

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

Status failure(const QString& source, const QString& target, const QString& why) {
    return Status::failure(QStringLiteral("无法将数据文件 %1 复制为 %2，%3。")
                               .arg(native(source), native(target), why));
}

constexpr qint64 kBlockBytes = 1 << 20;

} // namespace

bool IsSameFile(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

Status FileCopy(const QString& source, const QString& target) {
    const QFileInfo sourceInfo(source);
    if (!sourceInfo.exists())
        return failure(source, target, QStringLiteral("源文件不存在"));
    if (!sourceInfo.isFile())
        return failure(source, target, QStringLiteral("源文件不是普通文件"));
    if (IsSameFile(source, target))
        return {};
    QFile in(source);
    errno = 0;
    if (!in.open(QIODevice::ReadOnly))
        return failure(source, target, FileErrorReason(in, errno));
    OutputFile out(target);
    if (!out.open())
        return failure(source, target, out.error());
    qint64 copied = 0;
    int readError = 0;
    while (!in.atEnd()) {
        errno = 0;
        const QByteArray block = in.read(kBlockBytes);
        readError = errno;
        if (block.isEmpty() && in.error() != QFileDevice::NoError)
            break;
        if (!out.write(block))
            return failure(source, target, out.error());
        copied += block.size();
    }
    if (in.error() != QFileDevice::NoError || copied != in.size())
        return failure(source, target,
                       in.error() != QFileDevice::NoError
                           ? FileErrorReason(in, readError)
                           : QStringLiteral("源文件在复制期间被改动"));
    if (!out.commit())
        return failure(source, target, out.error());
    return {};
}

} // namespace zr5
