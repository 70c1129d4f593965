// The motor catalogue as any files may hold it. The first byte of an input chooses the file it
// stands for (MTALL.OBJ, MT_fe.txt or bmindex.txt); the rest is that file's content, read from
// memory by the same readers the program runs on the data directory's files.

#include <QBuffer>
#include <cstddef>
#include <cstdint>

#include "motor/motorcatalogue.h"

using namespace zr5;

// The readers allocate a few strings per line; recording 4 frames of each allocation instead of
// 30 makes the harness half as fast again, and a finding still shows where the access was.
extern "C" const char* __asan_default_options() {
    return "malloc_context_size=4";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    QByteArray content =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    QBuffer file(&content);
    file.open(QIODevice::ReadOnly);
    auto again = [&file]() -> QIODevice& {
        file.seek(0);
        return file;
    };
    switch (data[0] % 3) {
    case 0:
        for (int code : {1, 2, 100, 6935, 6936, 0, -1})
            ReadCatalogueRecord(again(), code, QStringLiteral("MTALL.OBJ"));
        break;
    case 1: {
        const CategoryTable categories = ReadCategories(again());
        // What the dialog does with a category: the index lines of its range.
        if (!categories.categories.empty())
            ReadModels(again(), categories.categories.front());
        break;
    }
    default:
        // One range that skips the first lines and runs past the end covers every line once.
        ReadModels(again(), MotorCategory{3, 32767, {}});
        SearchModels(again(), QStringLiteral("Y"));
        DesignationOfCode(again(), 100);
        break;
    }
    return 0;
}
