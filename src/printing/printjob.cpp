#include "printing/printjob.h"

#include <QFileInfo>

namespace zr5 {

std::array<QString, 5> DateTexts(const QDateTime& time) {
    const QDate d = time.date();
    const QTime t = time.time();
    return {QString::number(d.year()), QString::number(d.month()), QString::number(d.day()),
            QString::number(t.hour()), QString::number(t.minute())};
}

std::array<QString, 5> RecordingDateTexts(const QString& path, const QDateTime& now) {
    const QFileInfo info(path);
    if (!path.isEmpty() && info.isFile())
        return DateTexts(info.lastModified());
    return DateTexts(now);
}

void PrintHeadingDate(Printer& p, const ReportHeading& h, int dateColumn, int timeColumn) {
    p.tab(dateColumn);
    p.print(h.date[0] + QStringLiteral("年") + h.date[1] + QStringLiteral("月") + h.date[2] +
            QStringLiteral("日"));
    p.tab(timeColumn);
    p.print(h.date[3] + QStringLiteral("时") + h.date[4] + QStringLiteral("分"));
    p.endLine();
}

Result<RowRange> ParsePrintRange(const QString& from, const QString& to, qint64 recordCount) {
    const QString refusal =
        recordCount > 0 ? QStringLiteral("打印范围应为 1 到 %1 之间的整数。").arg(recordCount)
                        : QStringLiteral("数据文件中没有数据，无法打印数据。");
    if (recordCount < 1)
        return Result<RowRange>::failure(refusal);
    bool okFrom = false, okTo = false;
    const qint64 first = from.trimmed().toLongLong(&okFrom);
    const qint64 last = to.trimmed().toLongLong(&okTo);
    if (!okFrom || !okTo || first < 1 || last > recordCount || last < 0)
        return Result<RowRange>::failure(refusal);
    return RowRange{first, last};
}

QString JobError(const QString& ownError, Printer& printer) {
    if (!ownError.isEmpty())
        return ownError;
    if (!printer.failed())
        return {};
    // A device that refused a page without saying why has still failed the job.
    const QString reason = printer.device().error();
    return reason.isEmpty() ? QStringLiteral("打印出错，打印作业没有完成。") : reason;
}

Status RunToEnd(PrintJob& job) {
    while (job.step()) {
    }
    if (QString error = job.error(); !error.isEmpty())
        return Status::failure(error);
    return {};
}

} // namespace zr5
