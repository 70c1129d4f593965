#pragma once

#include <QByteArray>
#include <QString>

#include "model/result.h"
#include "recording/outputfile.h"

struct lxw_format;
struct lxw_workbook;
struct lxw_worksheet;

namespace zr5 {

// One .xlsx being written: libxlsxwriter in its constant-memory mode (each sheet's rows go to a
// temporary file as they are written, so a workbook of millions of rows holds none of them) into
// a temporary file beside the target, which takes the target's place only when the library has
// closed the whole workbook without an error. Whatever fails, or a workbook never committed,
// leaves the old target as it was.
class WorkbookFile {
public:
    explicit WorkbookFile(const QString& path);
    ~WorkbookFile(); // an uncommitted workbook is dropped
    WorkbookFile(const WorkbookFile&) = delete;
    WorkbookFile& operator=(const WorkbookFile&) = delete;

    Status open();
    lxw_workbook* workbook() const { return workbook_; }
    // A new sheet at the end, or why not.
    Result<lxw_worksheet*> addSheet(const QString& name);
    // The failure of a library call (LXW_NO_ERROR is success), the message naming the file.
    Status check(int error) const;
    // The formats every sheet shares: bold headings and whole numbers.
    lxw_format* bold() const { return bold_; }
    lxw_format* integer() const { return integer_; }
    // A heading row: the texts in bold from column 0 on.
    Status writeHeadings(lxw_worksheet* sheet, unsigned row, const char* const* texts, int count);
    // Closes the workbook and puts it in the target's place.
    Status commit();
    // Drops the workbook and its temporary file.
    void cancel();

    const QString& path() const { return output_.path(); }

private:
    Status failure(const QString& reason) const;

    NamedOutputFile output_;
    QByteArray folder_; // the library's own temporary files go beside the target too
    lxw_workbook* workbook_ = nullptr;
    lxw_format* bold_ = nullptr;
    lxw_format* integer_ = nullptr;
};

// The number a sheet keeps for a single-precision value: the double of the CSV table's
// nine-digit text, so that the cell and the exported text are the same number.
double WorkbookNumber(float value);

} // namespace zr5
