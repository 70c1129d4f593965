#include "workbook/figuresheet.h"

#include <QHash>
#include <map>
#include <xlsxwriter.h>

#include "workbook/workbookfile.h"

namespace zr5 {

const char* const kFigureHeadings[kFigureColumns] = {"项目", "数值", "单位", "占记录时间（%）",
                                                     "说明", "键"};

namespace {

class FigureWriter {
public:
    FigureWriter(WorkbookFile& file, lxw_worksheet* sheet) : file_(file), sheet_(sheet) {}

    Status text(unsigned row, int column, const QString& text, lxw_format* format = nullptr) {
        if (text.isEmpty())
            return {};
        return file_.check(worksheet_write_string(sheet_, row, lxw_col_t(column),
                                                  text.toUtf8().constData(), format));
    }
    Status number(unsigned row, int column, const QJsonValue& value, int digits) {
        if (!value.isDouble())
            return text(row, column, QStringLiteral("—"));
        return file_.check(worksheet_write_number(sheet_, row, lxw_col_t(column), value.toDouble(),
                                                  decimals(digits)));
    }
    lxw_format* indented() {
        if (!indented_) {
            indented_ = workbook_add_format(file_.workbook());
            if (indented_)
                format_set_indent(indented_, 1);
        }
        return indented_;
    }

private:
    // "0", "0.00", "0.000": the decimals the tables show.
    lxw_format* decimals(int digits) {
        lxw_format*& f = formats_[digits];
        if (!f) {
            f = workbook_add_format(file_.workbook());
            if (f)
                format_set_num_format(
                    f, (digits > 0 ? "0." + QByteArray(digits, '0') : QByteArray("0")).constData());
        }
        return f;
    }

    WorkbookFile& file_;
    lxw_worksheet* sheet_;
    lxw_format* indented_ = nullptr;
    std::map<int, lxw_format*> formats_;
};

} // namespace

Result<unsigned> WriteFigureList(WorkbookFile& file, lxw_worksheet* sheet, unsigned row,
                                 const FigureList& list) {
    FigureWriter w(file, sheet);
    QHash<QString, int> items; // the elements of each array so far
    for (const FigureGroup& g : list) {
        if (g.shape == FigureGroup::Shape::EmptyList)
            continue;
        QString place;
        switch (g.shape) {
        case FigureGroup::Shape::Object:
            place = g.key + QLatin1Char('.');
            break;
        case FigureGroup::Shape::ListItem:
            place = QStringLiteral("%1[%2].").arg(g.key).arg(items[g.key]++);
            break;
        default:
            break;
        }
        bool titled = false;
        for (const Figure& f : g.figures) {
            if (f.kind == Figure::Kind::Null)
                continue;
            if (!titled && !g.title.isEmpty()) {
                if (Status s = w.text(row++, 0, g.title, file.bold()); !s)
                    return Result<unsigned>::failure(s.error());
            }
            titled = true;
            Status s = w.text(row, 0, f.label, w.indented());
            if (s && f.kind == Figure::Kind::Number)
                s = w.number(row, 1, f.single ? JsonSingle(float(f.value)) : JsonDouble(f.value),
                             f.digits);
            else if (s)
                s = w.text(row, 1, f.kind == Figure::Kind::Text ? f.text : QStringLiteral("—"));
            if (s)
                s = w.text(row, 2, f.unit);
            if (s && f.hasShare && f.kind == Figure::Kind::Number)
                s = w.number(row, 3, JsonDouble(f.share), f.digits);
            if (s && f.kind == Figure::Kind::Missing)
                s = w.text(row, 4, f.text);
            // A figure without a key is a note of its group (the reason a group is empty).
            if (s && !f.key.isEmpty() && g.shape != FigureGroup::Shape::Null)
                s = w.text(row, 5, place + f.key);
            if (!s)
                return Result<unsigned>::failure(s.error());
            ++row;
        }
    }
    return row;
}

} // namespace zr5
