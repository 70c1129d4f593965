#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "model/result.h"

namespace zr5 {

// One row of the catalogue's source table (UTF-8 CSV): code, category, model designation, poles,
// rated kW, rated A, efficiency %, no-load A, no-load kW and the source of the five figures, one
// letter each in that order: P published, E estimated.
struct CatalogueSourceEntry {
    int code = 0;
    QString category;
    QString model;
    int poles = 0;
    float ratedPower = 0;
    float ratedCurrent = 0;
    float ratedEfficiency = 0;
    float noLoadCurrent = 0;
    float noLoadPower = 0;
    QString source;
};

// The columns of the table's header line.
QStringList CatalogueSourceColumns();

// Parses the table. Every row must be sound for the operating-point model: codes 1, 2, 3, ... in
// order, each category's rows together, every figure above 0, the no-load current below the rated
// current and the no-load power below the rated losses. The message names the first bad row.
Result<std::vector<CatalogueSourceEntry>> ParseCatalogueSource(const QByteArray& utf8);

// The table written back, in the same form.
QByteArray CatalogueSourceBytes(const std::vector<CatalogueSourceEntry>& entries);

// The three catalogue files built from the table: "MTALL.OBJ", "MT_fe.txt", "bmindex.txt".
struct CatalogueFiles {
    QByteArray records;
    QByteArray categories;
    QByteArray modelIndex;
};
Result<CatalogueFiles> BuildCatalogueFiles(const std::vector<CatalogueSourceEntry>& entries);

} // namespace zr5
