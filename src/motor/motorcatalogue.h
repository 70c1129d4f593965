#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "model/result.h"
#include "motor/catalogueformat.h"
#include "settings/datadirectory.h"

class QIODevice;

namespace zr5 {

// A category of "MT_fe.txt": its models are lines first to last (1-based, inclusive) of
// "bmindex.txt". Categories are numbered by their place in the file.
struct MotorCategory {
    int first = 0;
    int last = 0;
    QString name;
};

struct CategoryTable {
    std::vector<MotorCategory> categories; // the sound lines, in file order, at most 178
    QStringList problems;                  // a missing file, bad lines, too many categories
};

// Reads "MT_fe.txt". Lines that do not start with two numbers, or whose range is not a range of
// lines, are left out and named in the problems; so is every category past the 178th.
CategoryTable LoadCategories(const DataDirectory& dir);

// The models of one list: codes and list texts under the same index.
struct ModelList {
    std::vector<int> codes;
    QStringList texts;
    QStringList designations;
    QStringList problems;
};

// The models of a category: lines first to last of "bmindex.txt", numbered from position 1. Lines
// in the range that do not start with two numbers are left out and named in the problems, as is a
// file that ends before the range does.
ModelList LoadModels(const DataDirectory& dir, const MotorCategory& category);

// Every model of "bmindex.txt" whose designation holds the text (ignoring case and the blanks
// around the text), in file order, numbered from position 1. An empty text finds nothing.
ModelList SearchModels(const DataDirectory& dir, const QString& text);

// The designation that "bmindex.txt" gives a code (its first line for that code), if any.
std::optional<QString> DesignationOfCode(const DataDirectory& dir, int code);

// The record of a code from 1 to 6935, read from "MTALL.OBJ" (16 bytes at (code - 1) * 16), with
// the rated voltage of the code's range. A failure when the code is outside that range, the file
// is missing or too short to hold the record.
Result<CatalogueRecord> ReadCatalogueRecord(const DataDirectory& dir, int code);

// The same readers on the content of one file, already open for reading (a file or a buffer);
// the functions above open the data directory's file and hand it to these.
CategoryTable ReadCategories(QIODevice& file);
ModelList ReadModels(QIODevice& file, const MotorCategory& category);
ModelList SearchModels(QIODevice& file, const QString& text);
std::optional<QString> DesignationOfCode(QIODevice& file, int code);
// shownName names the file in the message of a record it does not hold.
Result<CatalogueRecord> ReadCatalogueRecord(QIODevice& file, int code, const QString& shownName);

} // namespace zr5
