#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <span>

#include "model/result.h"
#include "settings/datadirectory.h"

namespace zr5 {

// The sample catalogue built from the project's source table: the three catalogue files, as
// shipped with the program.
struct SampleCatalogueFile {
    const char* name;
    const unsigned char* data;
    std::size_t size;
};
std::span<const SampleCatalogueFile> SampleCatalogueFiles();

// True when the data directory holds any of the three catalogue files: then they are the
// catalogue, and the sample is not used.
bool CatalogueInstalled(const DataDirectory& dir);
// The bytes of one file of the sample ("MTALL.OBJ", "MT_fe.txt", "bmindex.txt"); empty for another
// name. For reading the sample without writing it into the data directory.
QByteArray SampleCatalogueBytes(const QString& name);

// Writes the sample catalogue into the data directory when none of the three catalogue files is
// there. A user's own catalogue is never touched: when some of the files are present, nothing is
// written and the message names the missing ones. Succeeds when the catalogue is complete
// afterwards, else fails with the message.
Status InstallSampleCatalogue(const DataDirectory& dir);

} // namespace zr5
