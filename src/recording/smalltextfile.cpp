#include "recording/smalltextfile.h"

#include <QDir>
#include <QFile>

#include "recording/outputfile.h"

namespace zr5 {

Result<QByteArray> ReadSmallTextFile(QFile& file, const QString& what) {
    using R = Result<QByteArray>;
    const QString name = QDir::toNativeSeparators(file.fileName());
    const qint64 size = file.size();
    auto tooBig = [&](qint64 bytes) {
        return R::failure(QStringLiteral("%1 %2 有 %3 字节，超过 %4 字节，不是有效的%1")
                              .arg(what, name)
                              .arg(bytes)
                              .arg(kLargestSmallTextFile));
    };
    if (size > kLargestSmallTextFile)
        return tooBig(size);
    // One byte more than allowed tells a file that grew, or reports no size, from one that fits.
    const QByteArray bytes = file.read(kLargestSmallTextFile + 1);
    if (bytes.size() > kLargestSmallTextFile)
        return tooBig(bytes.size());
    if (file.error() != QFileDevice::NoError)
        return R::failure(
            QStringLiteral("读取%1 %2 出错：%3").arg(what, name, FileErrorReason(file, 0)));
    return R(bytes);
}

QString QuotedPart(const QString& text, int maxChars) {
    QString part;
    for (const QChar c : text) {
        if (part.size() >= maxChars) {
            part += QStringLiteral("…");
            break;
        }
        part += c.isPrint() ? c : QLatin1Char('?');
    }
    return part;
}

} // namespace zr5
