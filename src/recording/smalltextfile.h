#pragma once

#include <QByteArray>
#include <QString>

#include "model/result.h"

class QFile;

namespace zr5 {

// The settings file, the port map and the assessment settings are a few lines each; anything
// much bigger is not such a file, and reading it whole could exhaust the memory.
constexpr qint64 kLargestSmallTextFile = 16 * 1024;

// Reads the rest of an opened small text file. A file of more than kLargestSmallTextFile bytes is
// refused without reading it, with a message naming it (`what`: "设置文件") and its size.
Result<QByteArray> ReadSmallTextFile(QFile& file, const QString& what);

// A part of a bad line fit to quote in a message: at most `maxChars` characters, the rest elided
// with "…", and every character that is not printable shown as "?", so that neither a huge line
// nor binary bytes can make a message box of it.
QString QuotedPart(const QString& text, int maxChars = 32);

} // namespace zr5
