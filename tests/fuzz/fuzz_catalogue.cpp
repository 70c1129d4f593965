// The motor catalogue as any files may hold it. The first byte of an input chooses the file it
// stands for (MTALL.OBJ, MT_fe.txt or bmindex.txt); the rest is that file's content, read from
// memory by the same readers the program runs on the data directory's files.

#include <QBuffer>
#include <cstddef>
#include <cstdint>

#include "motor/motorcatalogue.h"

using namespace zr5;

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
        for (std::size_t i = 0; i < categories.categories.size() && i < 3; ++i)
            ReadModels(again(), categories.categories[i]);
        break;
    }
    default:
        for (const MotorCategory& c :
             {MotorCategory{1, 3, {}}, MotorCategory{2, 40, {}}, MotorCategory{5, 32767, {}}})
            ReadModels(again(), c);
        SearchModels(again(), QStringLiteral("Y"));
        for (int code : {1, 2, 100, 6935})
            DesignationOfCode(again(), code);
        break;
    }
    return 0;
}
