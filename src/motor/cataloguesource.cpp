#include "motor/cataloguesource.h"

#include <QRegularExpression>
#include <QStringList>

#include "motor/catalogueformat.h"

namespace zr5 {

namespace {

// Splits one CSV line; fields may be quoted, with "" for a quote inside.
std::optional<QStringList> SplitCsvLine(const QString& line) {
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < line.size() && line[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"') && field.isEmpty()) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    if (quoted)
        return std::nullopt;
    fields << field;
    return fields;
}

QString CsvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        text.trimmed() == text)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString Figure(float v) {
    return QString::number(double(v), 'g', 7);
}

} // namespace

QStringList CatalogueSourceColumns() {
    return {QStringLiteral("code"),           QStringLiteral("category"),
            QStringLiteral("model"),          QStringLiteral("poles"),
            QStringLiteral("rated_kW"),       QStringLiteral("rated_A"),
            QStringLiteral("efficiency_pct"), QStringLiteral("no_load_A"),
            QStringLiteral("no_load_kW"),     QStringLiteral("source")};
}

Result<std::vector<CatalogueSourceEntry>> ParseCatalogueSource(const QByteArray& utf8) {
    using R = Result<std::vector<CatalogueSourceEntry>>;
    QStringList lines = QString::fromUtf8(utf8).split(QLatin1Char('\n'));
    for (QString& l : lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    while (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    if (lines.isEmpty() || SplitCsvLine(lines.front()) != CatalogueSourceColumns())
        return R::failure(QStringLiteral("第 1 行应为列名：%1")
                              .arg(CatalogueSourceColumns().join(QLatin1Char(','))));
    std::vector<CatalogueSourceEntry> entries;
    QStringList seenCategories;
    for (qsizetype n = 1; n < lines.size(); ++n) {
        const auto bad = [&](const QString& why) {
            return R::failure(QStringLiteral("第 %1 行：%2").arg(n + 1).arg(why));
        };
        const auto fields = SplitCsvLine(lines[n]);
        if (!fields || fields->size() != CatalogueSourceColumns().size())
            return bad(QStringLiteral("应有 %1 列").arg(CatalogueSourceColumns().size()));
        const QStringList& f = *fields;
        CatalogueSourceEntry e;
        bool ok[7] = {};
        e.code = f[0].toInt(&ok[0]);
        e.category = f[1];
        e.model = f[2];
        e.poles = f[3].toInt(&ok[1]);
        e.ratedPower = f[4].toFloat(&ok[2]);
        e.ratedCurrent = f[5].toFloat(&ok[3]);
        e.ratedEfficiency = f[6].toFloat(&ok[4]);
        e.noLoadCurrent = f[7].toFloat(&ok[5]);
        e.noLoadPower = f[8].toFloat(&ok[6]);
        e.source = f[9];
        for (bool good : ok)
            if (!good)
                return bad(QStringLiteral("数值无法识别"));
        if (e.code != int(entries.size()) + 1)
            return bad(QStringLiteral("编码应为 %1").arg(entries.size() + 1));
        if (e.category.isEmpty() || e.model.isEmpty())
            return bad(QStringLiteral("分类名和型号不能为空"));
        if (entries.empty() || entries.back().category != e.category) {
            if (seenCategories.contains(e.category))
                return bad(QStringLiteral("分类“%1”的型号不连续").arg(e.category));
            seenCategories << e.category;
        }
        if (e.poles < 1 || e.poles > 255)
            return bad(QStringLiteral("极数应在 1 - 255 之内"));
        if (!(e.ratedPower > 0 && e.ratedCurrent > 0 && e.ratedEfficiency > 0 &&
              e.ratedEfficiency < 100 && e.noLoadCurrent > 0 && e.noLoadPower > 0))
            return bad(QStringLiteral("各项数据应大于 0，效率应小于 100"));
        if (!(e.noLoadCurrent < e.ratedCurrent))
            return bad(QStringLiteral("空载电流应小于额定电流"));
        const double losses = double(e.ratedPower) * (100.0 / double(e.ratedEfficiency) - 1.0);
        if (!(double(e.noLoadPower) < losses))
            return bad(QStringLiteral("空载功率应小于额定损耗 %1 kW").arg(losses));
        static const QRegularExpression sourcePattern(QStringLiteral("^[PE]{5}$"));
        if (!sourcePattern.match(e.source).hasMatch())
            return bad(QStringLiteral("来源应为五个字母 P 或 E"));
        entries.push_back(std::move(e));
    }
    if (entries.empty())
        return R::failure(QStringLiteral("表中没有电机"));
    if (seenCategories.size() > kMaxCategories)
        return R::failure(QStringLiteral("分类超过 %1 个").arg(kMaxCategories));
    return entries;
}

QByteArray CatalogueSourceBytes(const std::vector<CatalogueSourceEntry>& entries) {
    QString text = CatalogueSourceColumns().join(QLatin1Char(',')) + QLatin1Char('\n');
    for (const CatalogueSourceEntry& e : entries)
        text += QStringList{QString::number(e.code),   CsvField(e.category),
                            CsvField(e.model),         QString::number(e.poles),
                            Figure(e.ratedPower),      Figure(e.ratedCurrent),
                            Figure(e.ratedEfficiency), Figure(e.noLoadCurrent),
                            Figure(e.noLoadPower),     e.source}
                    .join(QLatin1Char(',')) +
                QLatin1Char('\n');
    return text.toUtf8();
}

Result<CatalogueFiles> BuildCatalogueFiles(const std::vector<CatalogueSourceEntry>& entries) {
    CatalogueFiles files;
    int categoryFirst = 1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const CatalogueSourceEntry& e = entries[i];
        CatalogueRecord r;
        r.Poles = float(e.poles);
        r.RatedPower = e.ratedPower;
        r.RatedCurrent = e.ratedCurrent;
        r.RatedEfficiency = e.ratedEfficiency;
        r.NoLoadCurrent = e.noLoadCurrent;
        r.NoLoadPower = e.noLoadPower;
        const auto bytes = EncodeCatalogueRecord(r);
        files.records.append(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));

        const int line = int(i) + 1;
        const Result<QByteArray> modelLine = CatalogueLineBytes(line, e.code, e.model);
        if (!modelLine)
            return Result<CatalogueFiles>::failure(
                QStringLiteral("型号“%1”含有 GBK 以外的字符").arg(e.model));
        files.modelIndex += *modelLine;
        if (i + 1 == entries.size() || entries[i + 1].category != e.category) {
            const Result<QByteArray> categoryLine =
                CatalogueLineBytes(categoryFirst, line, e.category);
            if (!categoryLine)
                return Result<CatalogueFiles>::failure(
                    QStringLiteral("分类名“%1”含有 GBK 以外的字符").arg(e.category));
            files.categories += *categoryLine;
            categoryFirst = line + 1;
        }
    }
    return files;
}

} // namespace zr5
