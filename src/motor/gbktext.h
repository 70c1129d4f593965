#pragma once

#include <QByteArray>
#include <QString>

namespace zr5 {

// The catalogue's text files are in GBK, the code page of all the program's own texts. Qt decodes
// it where it is built with ICU; elsewhere the C library's iconv does.

// Which converter does the work: Qt's where it has one, else iconv; the others for the tests, which
// check that both agree.
enum class GbkConverter { Automatic, Qt, Iconv };

// Decodes GBK bytes; *ok (when given) is false when a byte sequence is not GBK (it then shows as
// U+FFFD) or no GBK converter is available.
QString DecodeGbk(const QByteArray& bytes, bool* ok = nullptr,
                  GbkConverter converter = GbkConverter::Automatic);

// Encodes text as GBK; *ok is false when a character has no GBK form or no converter is available.
QByteArray EncodeGbk(const QString& text, bool* ok = nullptr,
                     GbkConverter converter = GbkConverter::Automatic);

// True when this build can convert GBK with the converter.
bool GbkAvailable(GbkConverter converter = GbkConverter::Automatic);

} // namespace zr5
