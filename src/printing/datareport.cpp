#include "printing/datareport.h"

#include <cmath>

#include "analysis/operatingpoint.h"
#include "model/numbertext.h"

namespace zr5 {

const int kDataReportTabs[10] = {4, 12, 22, 32, 42, 52, 62, 72, 82, 92};

namespace {

const QString kHeaderLine = QStringLiteral("    序号　  电  流     电  压  视在功率  功率因数  "
                                           "无功功率  有功功率  输出功率   效  率    负载率");
const QString kUnitLine = QStringLiteral("              A          V       kVa                 kVar"
                                         "       kW        kW        %         %   ");

QString footer(int page) {
    return QString(54, QLatin1Char(' ')) + PrintedNumber(page);
}

} // namespace

DataReportColumns DataReportLine(qint64 row, const ChannelRowValues& values,
                                 const MotorParameters& motor) {
    return DataReportLine(row, RowCompleter(motor).complete(values));
}

DataReportColumns DataReportLine(qint64 row, const CompletedRow& completed) {
    const SampleRowValues& s = completed.sample;
    DataReportColumns line;
    line.text[0] = PrintedNumber(double(row));
    line.text[1] =
        FormatValue(PrintedChannelMean(s, Slot::Current1, Slot::Current2, Slot::Current3));
    line.text[2] =
        FormatValue(PrintedChannelMean(s, Slot::Voltage1, Slot::Voltage2, Slot::Voltage3));
    line.text[3] = FormatValue(s[Slot::ApparentPower]);
    const float pf = s[Slot::PowerFactor];
    line.text[4] =
        FormatValue(std::fabs(pf)) + (pf >= 0 ? QStringLiteral("C") : QStringLiteral("L"));
    line.text[5] = FormatValue(std::fabs(s[Slot::ReactivePower]));
    line.text[6] = FormatValue(s[Slot::ActivePower]);
    if (completed.state == MotorState::Normal) {
        line.text[7] = FormatValue(completed.values.OutputPower);
        line.text[8] = FormatValue(completed.values.Efficiency);
        line.text[9] = FormatValue(completed.values.LoadRate);
    }
    return line;
}

DataReportJob::DataReportJob(Printer& printer, DataReportInput input)
    : p_(printer), in_(std::move(input)) {}

qint64 DataReportJob::total() const {
    return std::max<qint64>(0, in_.range.last - in_.range.first + 1);
}

QString DataReportJob::error() const {
    return JobError(error_, p_);
}

void DataReportJob::tableHeader() {
    p_.printLine(kHeaderLine);
    p_.printLine(kUnitLine);
}

void DataReportJob::start() {
    started_ = true;
    const ReportHeading& h = in_.heading;
    p_.setFontSize(10);
    p_.emptyLines(4);
    p_.setFontSize(12);
    p_.tab(5);
    p_.print(QStringLiteral("使 用 单 位 ："));
    p_.tab(20);
    p_.printLine(h.organisation);
    p_.tab(5);
    p_.print(QStringLiteral("被测设备编号："));
    p_.tab(20);
    p_.printLine(h.DeviceNumber);
    p_.tab(5);
    p_.print(QStringLiteral("测 试 日 期 ："));
    PrintHeadingDate(p_, h, 20, 38);
    p_.tab(5);
    p_.print(QStringLiteral("数据文件名称："));
    p_.tab(20);
    p_.printLine(h.fileName);
    p_.setFontSize(10);
    p_.emptyLines(1);
    tableHeader();

    next_ = in_.range.first;
    if (total() == 0)
        return;
    auto reader = CompletedRowReader::open(in_.recording, in_.motor, in_.range.first);
    if (!reader) {
        error_ = reader.error();
        return;
    }
    reader_ = std::move(*reader);
}

void DataReportJob::printRow(qint64 row, const CompletedRow& values) {
    const DataReportColumns line = DataReportLine(row, values);
    for (int c = 0; c < 10; ++c) {
        p_.tab(kDataReportTabs[c]);
        p_.print(line.text[std::size_t(c)]);
    }
    p_.endLine();
    ++printed_;
    if (printed_ == in_.RowsOnFirstPage + qint64(kRowsOnLaterPages) * (p_.page() - 1))
        pageBreak();
}

void DataReportJob::pageBreak() {
    p_.emptyLines(2);
    p_.printLine(footer(p_.page()));
    p_.newPage();
    p_.emptyLines(4);
    tableHeader();
}

void DataReportJob::finish() {
    finished_ = true;
    reader_.reset();
    if (!error().isEmpty())
        return;
    p_.emptyLines(2);
    p_.printLine(footer(p_.page()));
    p_.printLine(QString(51, QLatin1Char(' ')) + QStringLiteral("-- END --"));
}

bool DataReportJob::step() {
    if (finished_)
        return false;
    if (!started_)
        start();
    const qint64 wanted = std::min(stepRows_, in_.range.last - next_ + 1);
    if (wanted > 0 && error().isEmpty()) {
        const qint64 got = reader_->read(rows_, wanted);
        for (const CompletedRow& row : rows_) {
            printRow(next_++, row);
            if (!error().isEmpty())
                break;
        }
        if (got < wanted && error().isEmpty())
            error_ = reader_->error();
    }
    if (next_ > in_.range.last || !error().isEmpty())
        finish();
    return !finished_;
}

} // namespace zr5
