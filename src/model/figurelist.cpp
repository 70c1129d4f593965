#include "model/figurelist.h"

#include <QJsonArray>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "model/numbertext.h"

namespace zr5 {

Figure NumberFigure(const char* key, const QString& label, double value, const char* unit,
                    int digits) {
    Figure f;
    f.key = QString::fromLatin1(key);
    f.label = label;
    f.unit = QString::fromUtf8(unit);
    f.value = value;
    f.digits = digits;
    return f;
}

Figure SingleFigure(const char* key, const QString& label, float value, const char* unit,
                    int digits) {
    Figure f = NumberFigure(key, label, value, unit, digits);
    f.single = true;
    return f;
}

Figure HoursFigure(const QString& key, const QString& label, double hours, double totalHours) {
    Figure f;
    f.key = key;
    f.label = label;
    f.unit = QStringLiteral("h");
    f.value = hours;
    f.hasShare = true;
    f.share = totalHours > 0 ? 100.0 * hours / totalHours : 0;
    return f;
}

Figure TextFigure(const char* key, const QString& label, const QString& text) {
    Figure f;
    f.kind = Figure::Kind::Text;
    f.key = QString::fromLatin1(key);
    f.label = label;
    f.text = text;
    return f;
}

Figure MissingFigure(const char* key, const QString& label, const char* unit,
                     const QString& reason) {
    Figure f;
    f.kind = Figure::Kind::Missing;
    f.key = QString::fromLatin1(key);
    f.label = label;
    f.unit = QString::fromUtf8(unit);
    f.text = reason;
    return f;
}

QString FigureValueText(const Figure& f) {
    switch (f.kind) {
    case Figure::Kind::Text:
        return f.text;
    case Figure::Kind::Missing:
        return f.text.isEmpty() ? QStringLiteral("—") : QStringLiteral("—（%1）").arg(f.text);
    case Figure::Kind::Null:
        return {};
    case Figure::Kind::Number:
        break;
    }
    QString text = FixedNumber(f.value, f.digits);
    if (!f.unit.isEmpty())
        text += QLatin1Char(' ') + f.unit;
    if (f.hasShare)
        text += QStringLiteral("（%1%）").arg(FixedNumber(f.share, f.digits));
    return text;
}

namespace {

bool Tabled(const FigureGroup& g, const Figure& f) {
    return g.shape != FigureGroup::Shape::EmptyList && f.kind != Figure::Kind::Null && !f.jsonOnly;
}

} // namespace

std::vector<FigureRow> FigureRows(const FigureList& list) {
    std::vector<FigureRow> rows;
    for (const FigureGroup& g : list) {
        std::vector<FigureRow> figures;
        for (const Figure& f : g.figures)
            if (Tabled(g, f))
                figures.push_back({QStringLiteral("  ") + f.label, FigureValueText(f)});
        if (figures.empty())
            continue;
        if (!g.title.isEmpty())
            rows.push_back({g.title, {}});
        rows.insert(rows.end(), figures.begin(), figures.end());
    }
    return rows;
}

FigureList FiguresOfPage(const FigureList& list, int page) {
    FigureList out;
    for (const FigureGroup& g : list) {
        FigureGroup kept = g;
        std::erase_if(kept.figures,
                      [&](const Figure& f) { return (f.page < 0 ? g.page : f.page) != page; });
        if (!kept.figures.empty() || (g.figures.empty() && g.page == page))
            out.push_back(std::move(kept));
    }
    return out;
}

QString FigureListText(const FigureList& list) {
    QString text;
    for (const FigureRow& row : FigureRows(list))
        text += row.isGroup() ? row.name + QLatin1Char('\n')
                              : row.name + QStringLiteral("：") + row.value + QLatin1Char('\n');
    return text;
}

QJsonObject FigureListJson(const FigureList& list) {
    QJsonObject whole;
    for (const FigureGroup& g : list) {
        QJsonObject fields;
        for (const Figure& f : g.figures) {
            switch (f.kind) {
            case Figure::Kind::Number:
                fields.insert(f.key, f.single ? JsonSingle(float(f.value)) : JsonDouble(f.value));
                break;
            case Figure::Kind::Text:
                fields.insert(f.key, f.text);
                break;
            case Figure::Kind::Missing:
            case Figure::Kind::Null:
                fields.insert(f.key, QJsonValue::Null);
                break;
            }
        }
        switch (g.shape) {
        case FigureGroup::Shape::Fields:
            for (auto it = fields.begin(); it != fields.end(); ++it)
                whole.insert(it.key(), it.value());
            break;
        case FigureGroup::Shape::Object:
            whole.insert(g.key, fields);
            break;
        case FigureGroup::Shape::ListItem: {
            QJsonArray items = whole.value(g.key).toArray();
            items.append(fields);
            whole.insert(g.key, items);
            break;
        }
        case FigureGroup::Shape::EmptyList:
            if (!whole.contains(g.key))
                whole.insert(g.key, QJsonArray());
            break;
        case FigureGroup::Shape::Null:
            whole.insert(g.key, QJsonValue::Null);
            break;
        }
    }
    return whole;
}

QJsonValue JsonDouble(double value) {
    if (!std::isfinite(value))
        return QJsonValue::Null;
    // QJsonDocument writes the shortest text of the double: rounded to 15 digits first, a sum
    // such as 1234567.89 shows as that, not with the noise of its last bits.
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    return std::strtod(buf, nullptr);
}

QJsonValue JsonSingle(float value) {
    if (!std::isfinite(value))
        return QJsonValue::Null;
    char buf[32];
    const char* end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    double read = 0;
    std::from_chars(buf, end, read);
    return read;
}

} // namespace zr5
