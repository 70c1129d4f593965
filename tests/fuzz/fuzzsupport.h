#pragma once

// What the harnesses share: one scratch folder per process, in memory where the system has one,
// and a way to put an input into a file there.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace zr5::fuzz {

inline const QString& ScratchFolder() {
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/zr5-fuzz-XXXXXX")
                                 : QDir::temp().filePath(QStringLiteral("zr5-fuzz-XXXXXX")));
    static const QString path = dir.path();
    return path;
}

inline QString ScratchFile(const QString& name) {
    return ScratchFolder() + QLatin1Char('/') + name;
}

inline QString WriteInput(const QString& name, const std::uint8_t* data, std::size_t size) {
    const QString path = ScratchFile(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}

} // namespace zr5::fuzz
