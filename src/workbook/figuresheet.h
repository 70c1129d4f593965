#pragma once

#include "model/figurelist.h"
#include "model/result.h"

struct lxw_worksheet;

namespace zr5 {

class WorkbookFile;

// The columns of a keyed list on a sheet.
constexpr int kFigureColumns = 6;
extern const char* const kFigureHeadings[kFigureColumns];

// Writes a keyed list on a sheet from row `row` on, under the headings of kFigureHeadings (which
// the caller writes): each group's title in bold, then a row per figure: its label, its value (a
// number as JSON gives it, shown with the figure's decimals; a text; "—" where there is none),
// its unit, the share of the recording's time for hours, the reason a value is missing, and its
// place in the JSON ("state_hours.normal", "replacement[0].saving_kwh"), so that a script finds
// each figure by its key. Every figure that JSON holds is there, the codes of the titles too;
// only the absent notes and the empty lists are not. Returns the next free row.
Result<unsigned> WriteFigureList(WorkbookFile& file, lxw_worksheet* sheet, unsigned row,
                                 const FigureList& list);

} // namespace zr5
