// The motor catalogue as any files may hold it. The first byte of an input chooses the file it
// replaces (MTALL.OBJ, MT_fe.txt or bmindex.txt); the other two are the sample catalogue's.

#include <QFile>

#include "fuzz/fuzzsupport.h"
#include "motor/motorcatalogue.h"
#include "motor/samplecatalogue.h"

using namespace zr5;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const DataDirectory dir{fuzz::ScratchFolder()};
    static const bool installed = InstallSampleCatalogue(dir).isEmpty();
    if (!installed || size < 1)
        return 0;
    const auto& files = SampleCatalogueFiles();
    const SampleCatalogueFile& replaced = files[data[0] % files.size()];
    const QString name = QString::fromLatin1(replaced.name);
    fuzz::WriteInput(name, data + 1, size - 1);

    // A few categories: each one reads the whole model index, and thousands a second is the aim.
    const CategoryTable categories = LoadCategories(dir);
    for (std::size_t i = 0; i < categories.categories.size() && i < 3; ++i)
        LoadModels(dir, categories.categories[i]);
    SearchModels(dir, QStringLiteral("Y"));
    for (int code : {1, 2, 100, 6935, 6936, 0, -1})
        if (const auto record = ReadCatalogueRecord(dir, code))
            DesignationOfCode(dir, code);

    fuzz::WriteInput(name, replaced.data, replaced.size);
    return 0;
}
