#include "workbook/workbookfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <charconv>
#include <string>
#include <xlsxwriter.h>

#include "analysis/csvtable.h"

namespace zr5 {

namespace {

// The library's failure in the user's words. Where the library met a failing system call, its
// error number says why (a full disk, no permission).
QString libraryReason(int error, int systemError) {
    if (error == LXW_ERROR_MEMORY_MALLOC_FAILED)
        return SystemErrorReason(ENOMEM);
    switch (error) {
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        if (systemError != 0)
            return SystemErrorReason(systemError);
        break;
    default:
        break;
    }
    return QStringLiteral("表格库报告“%1”").arg(QString::fromUtf8(lxw_strerror(lxw_error(error))));
}

} // namespace

WorkbookFile::WorkbookFile(const QString& path) : output_(path) {}

WorkbookFile::~WorkbookFile() {
    cancel();
}

Status WorkbookFile::failure(const QString& reason) const {
    return Status::failure(QStringLiteral("写入工作簿 %1 出错：%2")
                               .arg(QDir::toNativeSeparators(output_.path()), reason));
}

Status WorkbookFile::open() {
    cancel();
    if (!output_.open())
        return Status::failure(QStringLiteral("无法创建工作簿 %1：%2")
                                   .arg(QDir::toNativeSeparators(output_.path()), output_.error()));
    folder_ = QFile::encodeName(QFileInfo(output_.path()).absolutePath());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = folder_.data();
    errno = 0;
    workbook_ = workbook_new_opt(QFile::encodeName(output_.temporaryPath()).constData(), &options);
    if (!workbook_) {
        const int error = errno;
        output_.cancel();
        return failure(SystemErrorReason(error != 0 ? error : ENOMEM));
    }
    bold_ = workbook_add_format(workbook_);
    integer_ = workbook_add_format(workbook_);
    if (!bold_ || !integer_)
        return check(LXW_ERROR_MEMORY_MALLOC_FAILED);
    format_set_bold(bold_);
    format_set_num_format(integer_, "0");
    return {};
}

Status WorkbookFile::writeHeadings(lxw_worksheet* sheet, unsigned row, const char* const* texts,
                                   int count) {
    for (int c = 0; c < count; ++c)
        if (Status s = check(worksheet_write_string(sheet, row, lxw_col_t(c), texts[c], bold_)); !s)
            return s;
    return {};
}

Result<lxw_worksheet*> WorkbookFile::addSheet(const QString& name) {
    const QByteArray utf8 = name.toUtf8();
    if (const Status s = check(workbook_validate_sheet_name(workbook_, utf8.constData())); !s)
        return Result<lxw_worksheet*>::failure(s.error());
    errno = 0;
    lxw_worksheet* sheet = workbook_add_worksheet(workbook_, utf8.constData());
    if (!sheet)
        return Result<lxw_worksheet*>::failure(
            failure(libraryReason(LXW_ERROR_CREATING_TMPFILE, errno)).error());
    return sheet;
}

Status WorkbookFile::check(int error) const {
    if (error == LXW_NO_ERROR)
        return {};
    return failure(libraryReason(error, errno));
}

Status WorkbookFile::commit() {
    if (!workbook_)
        return failure(QStringLiteral("文件未打开"));
    errno = 0;
    // Closing writes the whole file and frees the workbook, whether it succeeds or not.
    const lxw_error closed = workbook_close(workbook_);
    const int systemError = errno;
    workbook_ = nullptr;
    bold_ = integer_ = nullptr;
    if (closed != LXW_NO_ERROR) {
        output_.cancel();
        return failure(libraryReason(closed, systemError));
    }
    if (!output_.commit())
        return failure(output_.error());
    return {};
}

void WorkbookFile::cancel() {
    if (workbook_) {
        lxw_workbook_free(workbook_);
        workbook_ = nullptr;
    }
    bold_ = integer_ = nullptr;
    output_.cancel();
}

double WorkbookNumber(float v) {
    thread_local std::string text;
    text.clear();
    AppendCsvNumber(text, v);
    double d = 0;
    std::from_chars(text.data(), text.data() + text.size(), d);
    return d;
}

} // namespace zr5
