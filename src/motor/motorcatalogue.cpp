#include "motor/motorcatalogue.h"

#include <QDir>
#include <QFile>

#include "motor/gbktext.h"
#include "recording/outputfile.h"

namespace zr5 {

namespace {

QString NativeName(const DataDirectory& dir, const QString& file) {
    return QDir::toNativeSeparators(dir.file(file));
}

// Reads the next line without its line end; false at the end of the file.
bool NextLine(QIODevice& file, QString& line) {
    if (file.atEnd())
        return false;
    QByteArray bytes = file.readLine();
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
    line = DecodeGbkLossy(bytes);
    return true;
}

QString OpenProblem(const DataDirectory& dir, const QString& name, const QFile& file) {
    if (!file.exists())
        return QStringLiteral("电机技术数据文件 %1 不存在！").arg(NativeName(dir, name));
    return QStringLiteral("电机技术数据文件 %1 无法读取：%2")
        .arg(NativeName(dir, name), FileErrorReason(file, 0));
}

QString CodeOutOfRange(int code) {
    return QStringLiteral("编码 %1 不在 1 - %2 之内。").arg(code).arg(kCatalogueCodes);
}

} // namespace

CategoryTable LoadCategories(const DataDirectory& dir) {
    QFile file(dir.file(kCategoryFile));
    if (!file.open(QIODevice::ReadOnly)) {
        CategoryTable table;
        table.problems << OpenProblem(dir, kCategoryFile, file);
        return table;
    }
    return ReadCategories(file);
}

CategoryTable ReadCategories(QIODevice& file) {
    CategoryTable table;
    QString line;
    int lineNumber = 0;
    int ignored = 0;
    while (NextLine(file, line)) {
        ++lineNumber;
        const auto parsed = ParseCatalogueLine(line);
        if (!parsed || parsed->first < 1 || parsed->second < parsed->first) {
            if (line.trimmed().isEmpty() && file.atEnd())
                break;
            table.problems << QStringLiteral("%1 第 %2 行不是“起始行,结束行,分类名”：%3")
                                  .arg(kCategoryFile)
                                  .arg(lineNumber)
                                  .arg(line.left(40));
            continue;
        }
        if (int(table.categories.size()) >= kMaxCategories) {
            ++ignored;
            continue;
        }
        table.categories.push_back({parsed->first, parsed->second, parsed->name});
    }
    if (ignored > 0)
        table.problems << QStringLiteral("%1 的分类超过 %2 个，其后 %3 个分类未列出。")
                              .arg(kCategoryFile)
                              .arg(kMaxCategories)
                              .arg(ignored);
    return table;
}

ModelList LoadModels(const DataDirectory& dir, const MotorCategory& category) {
    QFile file(dir.file(kModelIndexFile));
    if (!file.open(QIODevice::ReadOnly)) {
        ModelList list;
        list.problems << OpenProblem(dir, kModelIndexFile, file);
        return list;
    }
    return ReadModels(file, category);
}

ModelList ReadModels(QIODevice& file, const MotorCategory& category) {
    ModelList list;
    QString line;
    int lineNumber = 0;
    while (lineNumber < category.last && NextLine(file, line)) {
        ++lineNumber;
        if (lineNumber < category.first)
            continue;
        const auto parsed = ParseCatalogueLine(line);
        if (!parsed) {
            list.problems << QStringLiteral("%1 第 %2 行不是“序号,编码,型号”：%3")
                                 .arg(kModelIndexFile)
                                 .arg(lineNumber)
                                 .arg(line.left(40));
            continue;
        }
        list.codes.push_back(parsed->second);
        list.designations << parsed->name;
        list.texts << ModelListText(int(list.codes.size()), parsed->name);
    }
    if (lineNumber < category.last)
        list.problems << QStringLiteral("%1 只有 %2 行，分类“%3”应到第 %4 行。")
                             .arg(kModelIndexFile)
                             .arg(lineNumber)
                             .arg(category.name)
                             .arg(category.last);
    return list;
}

ModelList SearchModels(const DataDirectory& dir, const QString& text) {
    if (text.trimmed().isEmpty())
        return {};
    QFile file(dir.file(kModelIndexFile));
    if (!file.open(QIODevice::ReadOnly)) {
        ModelList list;
        list.problems << OpenProblem(dir, kModelIndexFile, file);
        return list;
    }
    return SearchModels(file, text);
}

ModelList SearchModels(QIODevice& file, const QString& text) {
    ModelList list;
    const QString wanted = text.trimmed();
    if (wanted.isEmpty())
        return list;
    QString line;
    while (NextLine(file, line)) {
        const auto parsed = ParseCatalogueLine(line);
        if (!parsed || !parsed->name.contains(wanted, Qt::CaseInsensitive))
            continue;
        list.codes.push_back(parsed->second);
        list.designations << parsed->name;
        list.texts << ModelListText(int(list.codes.size()), parsed->name);
    }
    return list;
}

std::optional<QString> DesignationOfCode(const DataDirectory& dir, int code) {
    QFile file(dir.file(kModelIndexFile));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return DesignationOfCode(file, code);
}

std::optional<QString> DesignationOfCode(QIODevice& file, int code) {
    QString line;
    while (NextLine(file, line)) {
        const auto parsed = ParseCatalogueLine(line);
        if (parsed && parsed->second == code)
            return parsed->name;
    }
    return std::nullopt;
}

Result<CatalogueRecord> ReadCatalogueRecord(const DataDirectory& dir, int code) {
    if (code < 1 || code > kCatalogueCodes)
        return Result<CatalogueRecord>::failure(CodeOutOfRange(code));
    QFile file(dir.file(kCatalogueRecordFile));
    if (!file.open(QIODevice::ReadOnly))
        return Result<CatalogueRecord>::failure(OpenProblem(dir, kCatalogueRecordFile, file));
    return ReadCatalogueRecord(file, code, NativeName(dir, kCatalogueRecordFile));
}

Result<CatalogueRecord> ReadCatalogueRecord(QIODevice& file, int code, const QString& shownName) {
    if (code < 1 || code > kCatalogueCodes)
        return Result<CatalogueRecord>::failure(CodeOutOfRange(code));
    std::uint8_t bytes[kCatalogueRecordSize];
    if (!file.seek(CatalogueRecordOffset(code)) ||
        file.read(reinterpret_cast<char*>(bytes), kCatalogueRecordSize) != kCatalogueRecordSize)
        return Result<CatalogueRecord>::failure(
            QStringLiteral("电机技术数据文件 %1 不完整（%2 字节），没有编码 %3 的数据！")
                .arg(shownName)
                .arg(file.size())
                .arg(code));
    return DecodeCatalogueRecord(bytes, code);
}

} // namespace zr5
