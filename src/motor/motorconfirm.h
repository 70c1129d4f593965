#pragma once

#include <QString>
#include <array>
#include <optional>

#include "model/motorparameters.h"
#include "settings/datadirectory.h"

namespace zr5 {

// What the motor parameter dialog does with its code and its seven boxes, apart from the widgets.

inline const QString kMotorCodeErrorMessage = QStringLiteral("编码错误，请重新输入！");

// The code box as an integer, rounded to the nearest (ties to even). Empty when the text is not a
// number or lies far outside any code; such a code counts as out of range.
std::optional<int> ParseMotorCode(const QString& text);

// True when the code box holds a number equal to 0: the user is typing custom data, so the model
// list no longer applies.
bool IsCustomCodeText(const QString& text);

// A box of the data frame as a single value; text that is not a number counts as 0 (missing).
float ParseMotorValue(const QString& text);

// The seven boxes as the dialog shows stored data: plain decimal text, 0 as "0".
std::array<QString, 7> PlainMotorTexts(const MotorParameters& motor);
// The seven values of a catalogue record, formatted " ####0.000".
std::array<QString, 7> CatalogueMotorTexts(const std::array<float, 7>& values);

// Fails with why a box of the data frame cannot be taken (its name, the text and the reason);
// succeeds when it holds a usable value. Zero counts as missing; whether the seven values can
// describe a motor is CheckMotorValues's concern.
Status MotorValueProblem(int index, const QString& text);

struct MotorConfirmation {
    enum class Outcome {
        CodeOutOfRange,  // the message, then the dialog starts afresh with the data cleared
        CatalogueFailed, // the catalogue could not be read: the message, the flag cleared
        Incomplete,      // a value is missing or unusable: the flag cleared, the message says which
        Accepted,        // all seven stored, the flag set, the rated losses derived
    };
    Outcome outcome = Outcome::Incomplete;
    // For a catalogue code: what the seven boxes show now (set also when the record is incomplete).
    std::optional<std::array<QString, 7>> boxTexts;
    QString message;   // why the data were refused
    QString confirmed; // accepted: what was confirmed, "已确认：Y160M-4，11 kW"
};

// Confirms the dialog's data. Codes 1 to 6935 are looked up (the pole count and the rated voltage
// are stored at once); code 0 takes the seven box texts. At the first value of 0, or for data no
// motor can have (CheckMotorValues), the flag is cleared and nothing more is stored; otherwise
// all seven are stored and the flag set.
MotorConfirmation ConfirmMotorData(MotorParameters& motor, const DataDirectory& dir,
                                   const QString& codeText, const std::array<QString, 7>& boxes);

// Cancel: the flag cleared and the seven values (and the derived losses) set to 0.
void ClearMotorData(MotorParameters& motor);

} // namespace zr5
