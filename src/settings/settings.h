#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

#include "model/result.h"

namespace zr5 {

// The user's persisted choices, one field per line of the settings file, and two companions that
// live only in memory.
struct Settings {
    std::int16_t CommPort = 1;
    std::int16_t CurrentCurve = 0;
    float ReceiveDuration = 10; // s
    float CTRatio = 1;
    float PTRatio = 1;
    float SegmentHalfSpan = 10;
    std::int16_t RedCTInUse = 1;
    std::int16_t BlueCTInUse = 1;
    std::int16_t YellowCTInUse = 1;

    float ConfiguredDuration = 10;
    std::int16_t CTInUseCode = 7;

    // 4 * red + 2 * blue + yellow.
    void recomputeCTInUseCode();
    // What the settings dialog starts from when there is no usable file: 0 h 0 min 10 s, ratios 1,
    // COM1, the current curve, 10 segments each side, all three transformers in use.
    static Settings initial();
};

constexpr int kSettingsLines = 9;

struct SettingsFileContents {
    Settings settings; // good lines taken from the file, the rest initial values
    std::array<bool, kSettingsLines> lineRead{}; // which lines held a usable number
    bool fileFound = false;
    QStringList problems; // one message per missing or unreadable line, or for a missing file
    bool complete() const { return problems.isEmpty(); }
};

// One line of the settings file: its name in messages, whether it holds a whole number, and the
// field it stands for.
struct SettingsLine {
    const char* name;
    bool integer;
    double (*get)(const Settings&);
    void (*set)(Settings&, double);
    // Edited in a box of the settings dialog, whose rule (ParseBoxNumber) the file's line obeys
    // too; zeroAllowed as for that box.
    bool dialogBox = false;
    bool zeroAllowed = true;
};
const SettingsLine& SettingsFileLine(int index); // 0..8, in the file's order

// Copies the fields of lines first..end-1 that the file held into `to`; the others stay.
void TakeSettingsLines(Settings& to, const SettingsFileContents& file, int first, int end);

// Reads the nine-line settings file tolerantly: blanks around a value and a missing zero before the
// point are accepted; integers round to the nearest, ties to even. A missing file, a missing line,
// a line that is not a number or one the settings dialog would refuse (a ratio of 0, a negative
// time) gives that field its initial value and a message naming it.
SettingsFileContents ReadSettingsFile(const QString& path);

// The file's exact bytes: each value in printed form, CR LF after every line.
QByteArray SettingsFileBytes(const Settings& settings);

// Creates or replaces the file; fails with a message naming the file and the reason. The old file
// stays intact when the new one cannot be written.
Status WriteSettingsFile(const QString& path, const Settings& settings);

// ReceiveDuration as the settings dialog shows it: whole hours, minutes and seconds, the seconds
// rounded (ties to even) and carried into the minutes and the hours when they reach 60.
struct DurationParts {
    double hours = 0; // whole hours; a double, since a duration read from a file may be huge
    int minutes = 0;
    int seconds = 0;
    bool operator==(const DurationParts&) const = default;
};
DurationParts SplitDuration(float receiveDuration);

// A number typed into one of the settings dialog's boxes: accepted, or refused with the reason.
struct BoxNumber {
    bool ok = false;
    double value = 0;
    QString reason; // why it was refused, to follow the box's name in the message ("不能为负数")
};
// Blanks around the number are ignored. An empty box counts as 0 where emptyMeansZero holds
// (the time boxes) and is refused elsewhere; text that is not a number and negative numbers are
// refused, and so is 0 where zeroAllowed is false (a transformer ratio of 0 would erase every
// reading).
BoxNumber ParseBoxNumber(const QString& text, bool emptyMeansZero, bool zeroAllowed);

} // namespace zr5
