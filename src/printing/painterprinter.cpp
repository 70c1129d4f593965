#include "printing/painterprinter.h"

#include <QDir>
#include <QFontDatabase>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <cstdio>

namespace zr5 {

namespace {

constexpr double kTwipsPerInch = 1440;
// Curves are never reduced finer than 1/300 inch: a pixel of a 1200 dpi PDF adds only size.
constexpr double kFinestColumnTwips = kTwipsPerInch / 300;
constexpr int kPdfResolution = 600;

QColor toColour(std::uint32_t c) {
    return QColor(int(c & 0xff), int((c >> 8) & 0xff), int((c >> 16) & 0xff));
}

} // namespace

QFont ReportFont() {
    static const QFont font = [] {
        const QString preferred = QStringLiteral("Noto Sans Mono CJK SC");
        const QStringList families = QFontDatabase::families();
        if (families.contains(preferred))
            return QFont(preferred);
        QString fallback;
        for (const QString& family : QFontDatabase::families(QFontDatabase::SimplifiedChinese)) {
            if (fallback.isEmpty() || QFontDatabase::isFixedPitch(family)) {
                fallback = family;
                if (QFontDatabase::isFixedPitch(family))
                    break;
            }
        }
        std::fprintf(stderr, "zr5: the printer face %s is not installed; printing with %s\n",
                     qPrintable(preferred),
                     fallback.isEmpty() ? "the default face" : qPrintable(fallback));
        return fallback.isEmpty() ? QFont() : QFont(fallback);
    }();
    return font;
}

PainterPrinterDevice::PainterPrinterDevice(QPainter& painter, QPagedPaintDevice& device)
    : painter_(painter), device_(device), scale_(device.logicalDpiX() / kTwipsPerInch) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

PainterPrinterDevice::Face& PainterPrinterDevice::face(float points) {
    auto& f = faces_[points];
    if (!f) {
        QFont font = ReportFont();
        font.setPointSizeF(points);
        QFontMetricsF metrics(font, &device_);
        const double ascent = metrics.ascent() / scale_;
        f.reset(new Face{font, metrics, ascent});
    }
    return *f;
}

double PainterPrinterDevice::columnWidth(float points) {
    return face(points).metrics.horizontalAdvance(QLatin1Char('0')) / scale_;
}

double PainterPrinterDevice::textWidth(const QString& text, float points) {
    return face(points).metrics.horizontalAdvance(text) / scale_;
}

void PainterPrinterDevice::drawText(double x, double top, const QString& text, float points) {
    Face& f = face(points);
    if (shownFace_ != points) {
        painter_.setFont(f.font);
        shownFace_ = points;
    }
    if (!(shownPen_ == PrinterPen{1, PenStyle::Solid, Colour::Black}))
        usePen({1, PenStyle::Solid, Colour::Black});
    painter_.drawText(QPointF(x * scale_, (top + f.ascent) * scale_), text);
}

void PainterPrinterDevice::usePen(const PrinterPen& pen) {
    // A pen pixel is 1/300 inch: the hairline of the grids and curves and the heavier frames look
    // as they do on a 300 dpi printer, whatever the device's resolution.
    QPen qpen(toColour(pen.colour));
    qpen.setWidthF(std::max(1.0, pen.width * device_.logicalDpiX() / 300.0));
    if (pen.style == PenStyle::Dotted)
        qpen.setDashPattern({1.5, 3});
    qpen.setCapStyle(Qt::FlatCap);
    painter_.setPen(qpen);
    shownPen_ = pen;
}

void PainterPrinterDevice::drawLine(double x1, double y1, double x2, double y2,
                                    const PrinterPen& pen) {
    if (!(shownPen_ == pen))
        usePen(pen);
    painter_.drawLine(QPointF(x1 * scale_, y1 * scale_), QPointF(x2 * scale_, y2 * scale_));
}

void PainterPrinterDevice::drawBox(double x1, double y1, double x2, double y2,
                                   const PrinterPen& pen) {
    if (!(shownPen_ == pen))
        usePen(pen);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(QRectF(QPointF(x1 * scale_, y1 * scale_), QPointF(x2 * scale_, y2 * scale_)));
}

double PainterPrinterDevice::pixelTwips() const {
    return std::max(1.0 / scale_, kFinestColumnTwips);
}

bool PainterPrinterDevice::newPage() {
    if (device_.newPage())
        return true;
    error_ = QStringLiteral("打印机无法开始新的一页");
    return false;
}

PdfOutput::PdfOutput(const QString& path, const QString& title)
    : path_(path), title_(title), file_(path) {}

PdfOutput::~PdfOutput() {
    cancel();
}

QString PdfOutput::failure() const {
    return QStringLiteral("无法写入文件 %1：%2")
        .arg(QDir::toNativeSeparators(path_), file_.errorString());
}

QString PdfOutput::open() {
    if (!file_.open(QIODevice::WriteOnly))
        return failure();
    writer_ = std::make_unique<QPdfWriter>(&file_);
    writer_->setResolution(kPdfResolution);
    writer_->setPageSize(QPageSize(QPageSize::A4));
    writer_->setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    writer_->setTitle(title_);
    writer_->setCreator(QStringLiteral("ZR-5"));
    if (!painter_.begin(writer_.get())) {
        file_.cancelWriting();
        return failure();
    }
    device_ = std::make_unique<PainterPrinterDevice>(painter_, *writer_);
    printer_ = std::make_unique<Printer>(*device_);
    return {};
}

Printer& PdfOutput::nextJob() {
    if (!device_->newPage())
        jobError_ = device_->error();
    printer_ = std::make_unique<Printer>(*device_);
    return *printer_;
}

QString PdfOutput::commit() {
    if (!painter_.isActive())
        return failure();
    if (!jobError_.isEmpty()) {
        cancel();
        return jobError_;
    }
    const bool ended = painter_.end();
    // The last flush is checked here: QSaveFile::commit() may report success after a failed one.
    const bool flushed = file_.flush();
    if (!ended || !flushed || file_.error() != QFileDevice::NoError) {
        const QString reason = failure();
        file_.cancelWriting();
        return reason;
    }
    if (!file_.commit())
        return failure();
    return {};
}

void PdfOutput::cancel() {
    if (painter_.isActive())
        painter_.end();
    if (file_.isOpen())
        file_.cancelWriting();
}

} // namespace zr5
