#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <vector>

namespace zr5 {

// One figure of a keyed list: its key in JSON, its label and unit as the tables show them, and a
// value: a number shown with a fixed count of decimals, a text, or none (with the reason).
struct Figure {
    enum class Kind {
        Number,  // `value`, shown with `digits` decimals
        Text,    // `text`
        Missing, // no value: "—" and the reason in `text`; null in JSON
        Null,    // nothing to show (an absent note): null in JSON, no line in the tables
    };
    Kind kind = Kind::Number;
    QString key;   // "input_energy_kwh"
    QString label; // "输入电量"
    QString unit;  // "kWh"; empty for counts and texts
    double value = 0;
    bool single = false; // a single-precision value of a recording or a catalogue
    int digits = 3;
    QString text;
    // Hours: their share of the recording's time in %, shown after the value; not in JSON.
    bool hasShare = false;
    double share = 0;
    // JSON only: a code or a name the group's title already shows.
    bool jsonOnly = false;
    // The printed page it goes on when not its group's (see FigureGroup::page); -1: the group's.
    int page = -1;
};

// A group of figures: a titled block of the tables; in JSON the fields of the enclosing object,
// an object of its own, an element of an array, or null.
struct FigureGroup {
    enum class Shape {
        Fields,    // the figures are fields of the top-level object
        Object,    // "key": {figures}
        ListItem,  // appended to the array "key"
        EmptyList, // "key": [] (no line in the tables)
        Null,      // "key": null; the tables show the figures (a note of why)
    };
    QString title;
    Shape shape = Shape::Fields;
    QString key;
    std::vector<Figure> figures;
    // What another motor or a measure would give, not what was measured: a comparison of two
    // recordings leaves it out.
    bool estimate = false;
    // The printed page a group goes on (0 the first): a list too long for one page puts its later
    // groups on a second, or a group's later figures under its title again there. The window, the
    // text and JSON ignore it.
    int page = 0;
};

using FigureList = std::vector<FigureGroup>;

// Builders of the figures of a list.
Figure NumberFigure(const char* key, const QString& label, double value, const char* unit,
                    int digits = 3);
// A single-precision value: JSON shows its shortest text.
Figure SingleFigure(const char* key, const QString& label, float value, const char* unit,
                    int digits = 3);
Figure HoursFigure(const QString& key, const QString& label, double hours, double totalHours);
Figure TextFigure(const char* key, const QString& label, const QString& text);
Figure MissingFigure(const char* key, const QString& label, const char* unit,
                     const QString& reason);

// A figure's value as the tables show it: "4.638 kWh", "0.777 h（77.667%）", "—（无电机参数）".
QString FigureValueText(const Figure& figure);

// One line of a table: a group title (no value) or a figure's label and value.
struct FigureRow {
    QString name;
    QString value;
    bool isGroup() const { return value.isEmpty(); }
};
// The rows the window and the printed page show: each group's title, then its figures indented.
std::vector<FigureRow> FigureRows(const FigureList& list);
// The groups and figures of one printed page of the list, in the list's order.
FigureList FiguresOfPage(const FigureList& list, int page);
// The list as plain text: each title on a line, each figure as "  label：value".
QString FigureListText(const FigureList& list);
// The list as one JSON object.
QJsonObject FigureListJson(const FigureList& list);

// JSON numbers. A figure computed in double keeps 15 significant digits; a single-precision value
// of a recording is the double its shortest decimal text reads as, so that JSON shows that text.
// Not finite: null.
QJsonValue JsonDouble(double value);
QJsonValue JsonSingle(float value);

} // namespace zr5
