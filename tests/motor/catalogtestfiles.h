#pragma once

// Writes small catalogues for the tests: text files in GBK with CR LF, and record files.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <vector>

#include "motor/catalogueformat.h"
#include "motor/cataloguesource.h"
#include "motor/gbktext.h"
#include "settings/datadirectory.h"

namespace zr5::test {

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The lines as given, each encoded in GBK and ended by CR LF.
inline void WriteGbkLines(const QString& path, const QStringList& lines) {
    QByteArray bytes;
    for (const QString& l : lines) {
        const Result<QByteArray> line = EncodeGbk(l);
        if (!line)
            qFatal("%s", qPrintable(line.error()));
        bytes += *line + "\r\n";
    }
    WriteBytes(path, bytes);
}

inline CatalogueSourceEntry Entry(int code, const QString& category, const QString& model,
                                  int poles, float kw, float a, float eta, float i0, float p0) {
    return {code, category, model, poles, kw, a, eta, i0, p0, QStringLiteral("EEEEE")};
}

// A complete small catalogue in dir from source entries.
inline void WriteCatalogue(const DataDirectory& dir,
                           const std::vector<CatalogueSourceEntry>& entries) {
    const auto files = BuildCatalogueFiles(entries);
    if (!files)
        qFatal("%s", qPrintable(files.error()));
    WriteBytes(dir.file(kCatalogueRecordFile), files->records);
    WriteBytes(dir.file(kCategoryFile), files->categories);
    WriteBytes(dir.file(kModelIndexFile), files->modelIndex);
}

} // namespace zr5::test
