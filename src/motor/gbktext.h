#pragma once

#include <QByteArray>
#include <QString>

#include "model/result.h"

namespace zr5 {

// The catalogue's text files are in GBK, the code page of all the program's own texts. Qt decodes
// it where it is built with ICU; elsewhere the C library's iconv does.

// Which converter does the work: Qt's where it has one, else iconv; the others for the tests, which
// check that both agree.
enum class GbkConverter { Automatic, Qt, Iconv };

// Decodes GBK bytes; fails when a byte sequence is not GBK or no GBK converter is available.
Result<QString> DecodeGbk(const QByteArray& bytes,
                          GbkConverter converter = GbkConverter::Automatic);

// The same, but always a text: a sequence that is not GBK shows as U+FFFD (without a converter,
// the bytes as Latin-1), so that a damaged catalogue line still shows what can be read.
QString DecodeGbkLossy(const QByteArray& bytes, GbkConverter converter = GbkConverter::Automatic);

// Encodes text as GBK; fails when a character has no GBK form or no converter is available.
Result<QByteArray> EncodeGbk(const QString& text, GbkConverter converter = GbkConverter::Automatic);

// True when this build can convert GBK with the converter.
bool GbkAvailable(GbkConverter converter = GbkConverter::Automatic);

} // namespace zr5
