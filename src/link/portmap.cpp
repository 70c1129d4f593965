#include "link/portmap.h"

#include <QDir>
#include <QFile>

#include "recording/outputfile.h"
#include "recording/smalltextfile.h"

namespace zr5 {

QString PortMap::defaultDevice(int commPort) {
    if (commPort < 1)
        return {};
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(commPort);
#else
    return QStringLiteral("/dev/ttyS%1").arg(commPort - 1);
#endif
}

TolerantRead<PortMap> PortMap::load(const DataDirectory& dir) {
    TolerantRead<PortMap> read;
    QFile file(preferencesFile(dir));
    if (!file.exists())
        return read;
    const QString shownName = QDir::toNativeSeparators(file.fileName());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        read.problems.append(
            QStringLiteral("无法读取串行口设置文件 %1：%2").arg(shownName, file.errorString()));
        return read;
    }
    const Result<QByteArray> bytes = ReadSmallTextFile(file, QStringLiteral("串行口设置文件"));
    if (!bytes) {
        read.problems.append(bytes.error() + QStringLiteral("，已使用默认的串行口。"));
        return read;
    }
    const QStringList lines = QString::fromUtf8(*bytes).split(u'\n');
    int lineNumber = 0;
    for (const QString& text : lines) {
        const QString line = text.trimmed();
        ++lineNumber;
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        const QString key = line.left(eq).trimmed();
        const QString device = line.mid(eq + 1).trimmed();
        bool ok = false;
        const int number =
            key.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) ? key.mid(3).toInt(&ok) : 0;
        if (eq < 0 || !ok || number < 1 || device.isEmpty()) {
            read.problems.append(QStringLiteral("串行口设置文件 %1 第 %2 行无法识别：%3")
                                     .arg(shownName)
                                     .arg(lineNumber)
                                     .arg(QuotedPart(line)));
            continue;
        }
        read.value.devices_.insert(number, device);
    }
    return read;
}

Status PortMap::save(const DataDirectory& dir) const {
    if (Status exists = dir.ensureExists(); !exists)
        return exists;
    QString text = QStringLiteral("# COM number = serial device\n");
    for (auto it = devices_.cbegin(); it != devices_.cend(); ++it)
        text += QStringLiteral("COM%1=%2\n").arg(it.key()).arg(it.value());
    const QString path = preferencesFile(dir);
    if (const Status written = WriteWholeFile(path, text.toUtf8()); !written)
        return Status::failure(QStringLiteral("无法写入串行口设置文件 %1：%2")
                                   .arg(QDir::toNativeSeparators(path), written.error()));
    return {};
}

QString PortMap::device(int commPort) const {
    if (commPort < 1)
        return {};
    return devices_.value(commPort, defaultDevice(commPort));
}

QString PortMap::describe(int commPort) const {
    const QString name = QStringLiteral("COM%1").arg(commPort);
    const QString dev = device(commPort);
    if (dev.isEmpty() || dev == name)
        return name;
    return QStringLiteral("%1 (%2)").arg(name, QDir::toNativeSeparators(dev));
}

void PortMap::setDevice(int commPort, const QString& device) {
    if (device.isEmpty())
        devices_.remove(commPort);
    else
        devices_.insert(commPort, device);
}

} // namespace zr5
