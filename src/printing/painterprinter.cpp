#include "printing/painterprinter.h"

#include <QDir>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <optional>

#include "recording/outputfile.h"

namespace zr5 {

namespace {

constexpr double kTwipsPerInch = 1440;
// Curves are never reduced finer than 1/300 inch: a pixel of a 1200 dpi PDF adds only size.
constexpr double kFinestColumnTwips = kTwipsPerInch / 300;
constexpr int kPdfResolution = 600;

bool isPrintableAscii(const QString& text) {
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    return true;
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
    if (points == lastPoints_)
        return *lastFace_;
    auto& f = faces_[points];
    if (!f) {
        QFont font = ReportFont();
        font.setPointSizeF(points);
        QFontMetricsF metrics(font, &device_);
        const double column = metrics.horizontalAdvance(QLatin1Char('0'));
        bool fixedPitch = true;
        for (char c = ' '; c <= '~' && fixedPitch; ++c)
            fixedPitch = metrics.horizontalAdvance(QLatin1Char(c)) == column;
        f.reset(new Face{
            font, metrics, metrics.ascent() / scale_, column / scale_, fixedPitch, {}, {}});
        if (fixedPitch) {
            f->raw = QRawFont::fromFont(font);
            f->raw.setPixelSize(points * device_.logicalDpiY() / 72.0);
            QString ascii;
            for (char c = ' '; c <= '~'; ++c)
                ascii += QLatin1Char(c);
            const QList<quint32> glyphs = f->raw.glyphIndexesForString(ascii);
            f->fixedPitch = f->raw.isValid() && glyphs.size() == qsizetype(f->glyphs.size());
            if (f->fixedPitch)
                std::copy(glyphs.begin(), glyphs.end(), f->glyphs.begin());
        }
    }
    lastPoints_ = points;
    lastFace_ = f.get();
    return *f;
}

double PainterPrinterDevice::columnWidth(float points) {
    return face(points).column;
}

double PainterPrinterDevice::textWidth(const QString& text, float points) {
    const Face& f = face(points);
    if (f.fixedPitch && isPrintableAscii(text))
        return double(text.size()) * f.column;
    return f.metrics.horizontalAdvance(text) / scale_;
}

void PainterPrinterDevice::drawText(double x, double top, const QString& text, float points) {
    const Face& f = face(points);
    if (!f.fixedPitch || !isPrintableAscii(text)) {
        flush();
        drawShaped(x, top, text, points);
        return;
    }
    // A text on the line of the open one, a whole number of columns after its end, continues it:
    // on the fixed-pitch face the blanks between put it exactly where it would stand on its own.
    if (run_.open && run_.top == top && run_.points == points && x >= run_.end) {
        const double gap = (x - run_.end) / f.column;
        const double spaces = std::round(gap);
        if (std::fabs(gap - spaces) < 1e-6) {
            if (spaces > 0)
                drawn_.set(u' ');
            addGlyphs(f, run_.length + qsizetype(spaces), text);
            run_.length += qsizetype(spaces) + text.size();
            run_.end = x + double(text.size()) * f.column;
            return;
        }
    }
    // This text starts a new run.
    run_ = {true, x, top, x + double(text.size()) * f.column, points, text.size()};
    showFace(f, points);
    // The glyphs of one face are held back and drawn as one glyph run when something else is
    // drawn or the page ends: the PDF writer then writes the page's text in one piece instead of
    // starting it again for every line.
    if (glyphFace_ != &f)
        drawGlyphs();
    glyphFace_ = &f;
    addGlyphs(f, 0, text);
}

void PainterPrinterDevice::flush() {
    run_.open = false;
    drawGlyphs();
}

void PainterPrinterDevice::showFace(const Face& f, float points) {
    if (shownFace_ != points) {
        painter_.setFont(f.font);
        shownFace_ = points;
    }
    if (!(shownPen_ == PrinterPen{1, PenStyle::Solid, Colour::Black}))
        usePen({1, PenStyle::Solid, Colour::Black});
}

void PainterPrinterDevice::drawShaped(double x, double top, const QString& text, float points) {
    const Face& f = face(points);
    showFace(f, points);
    for (QChar c : text)
        drawn_.set(c.unicode());
    painter_.drawText(QPointF(x * scale_, (top + f.ascent) * scale_), text);
}

void PainterPrinterDevice::addGlyphs(const Face& f, qsizetype column, const QString& text) {
    // The blanks left out, each character at its column, on a whole device pixel (a fraction of a
    // pixel is invisible, but written out it makes the PDF's text half as long again).
    const double x = run_.x * scale_;
    const double y = std::round((run_.top + f.ascent) * scale_);
    const double width = f.column * scale_;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        drawn_.set(c);
        if (c == u' ')
            continue;
        glyphs_.append(f.glyphs[std::size_t(c - u' ')]);
        positions_.append(QPointF(std::round(x + double(column + i) * width), y));
    }
}

void PainterPrinterDevice::drawGlyphs() {
    if (glyphs_.isEmpty())
        return;
    QGlyphRun page;
    page.setRawFont(glyphFace_->raw);
    page.setGlyphIndexes(glyphs_);
    page.setPositions(positions_);
    painter_.drawGlyphRun(QPointF(0, 0), page);
    glyphs_.clear();
    positions_.clear();
}

char16_t PainterPrinterDevice::drawnCharacter(char16_t c) {
    if (drawn_.test(c))
        return c;
    if (!glyphsOf_) {
        // The glyphs of the characters drawn, looked up once all are drawn (the PDF's maps are
        // written when the painter ends).
        glyphsOf_ = std::make_unique<QRawFont>(QRawFont::fromFont(ReportFont()));
        for (std::size_t d = 0; d < drawn_.size(); ++d) {
            if (!drawn_.test(d))
                continue;
            const QList<quint32> g = glyphsOf_->glyphIndexesForString(QString(QChar(char16_t(d))));
            if (g.size() == 1 && g[0] != 0)
                drawnOfGlyph_.emplace(g[0], char16_t(d));
        }
    }
    const QList<quint32> g = glyphsOf_->glyphIndexesForString(QString(QChar(c)));
    if (g.size() != 1 || g[0] == 0)
        return c;
    const auto found = drawnOfGlyph_.find(g[0]);
    return found == drawnOfGlyph_.end() ? c : found->second;
}

namespace {

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// A code "<XXXX>" at `at`: its value, and `at` moved past it. Null when there is none.
std::optional<unsigned> readCode(const QByteArray& text, qsizetype& at, qsizetype* digits) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\n' || text[at] == '\r'))
        ++at;
    if (at >= text.size() || text[at] != '<')
        return std::nullopt;
    qsizetype end = at + 1;
    while (end < text.size() && isHex(text[end]))
        ++end;
    if (end >= text.size() || text[end] != '>' || end == at + 1)
        return std::nullopt;
    bool ok = false;
    const unsigned value = text.mid(at + 1, end - at - 1).toUInt(&ok, 16);
    if (digits)
        *digits = end - at - 1;
    at = end + 1;
    return ok ? std::optional<unsigned>(value) : std::nullopt;
}

// Rewrites the four-digit code that ends just before `end` (at "<XXXX>").
int rewriteCode(QByteArray& text, qsizetype end, qsizetype digits, unsigned code,
                const std::function<char16_t(char16_t)>& actual) {
    if (digits != 4)
        return 0;
    const char16_t to = actual(char16_t(code));
    if (to == code)
        return 0;
    const QByteArray hex = QByteArray::number(unsigned(to), 16).toUpper().rightJustified(4, '0');
    text.replace(end - 5, 4, hex);
    return 1;
}

} // namespace

int RestoreToUnicodeCharacters(QByteArray& cmap, const std::function<char16_t(char16_t)>& actual) {
    int changed = 0;
    for (const char* kind : {"bfrange", "bfchar"}) {
        const QByteArray begin = QByteArray("begin") + kind;
        const QByteArray end = QByteArray("end") + kind;
        const bool range = kind[2] == 'r';
        qsizetype from = 0;
        while ((from = cmap.indexOf(begin, from)) >= 0) {
            qsizetype at = from + begin.size();
            const qsizetype stop = cmap.indexOf(end, at);
            if (stop < 0)
                break;
            while (at < stop) {
                const auto first = readCode(cmap, at, nullptr);
                if (!first)
                    break;
                unsigned last = *first;
                if (range) {
                    const auto second = readCode(cmap, at, nullptr);
                    if (!second)
                        break;
                    last = *second;
                }
                while (at < stop && cmap[at] == ' ')
                    ++at;
                if (range && at < stop && cmap[at] == '[') {
                    // One character per glyph of the range.
                    ++at;
                    qsizetype digits = 0;
                    while (const auto code = readCode(cmap, at, &digits))
                        changed += rewriteCode(cmap, at, digits, *code, actual);
                    while (at < stop && cmap[at] != ']')
                        ++at;
                    ++at;
                    continue;
                }
                qsizetype digits = 0;
                const auto code = readCode(cmap, at, &digits);
                if (!code)
                    break;
                // A run of glyphs onto consecutive characters keeps its start: a new start
                // would move every character of the run.
                if (last == *first)
                    changed += rewriteCode(cmap, at, digits, *code, actual);
            }
            from = stop;
        }
    }
    return changed;
}

void PainterPrinterDevice::usePen(const PrinterPen& pen) {
    // A pen pixel is 1/300 inch: the hairline of the grids and curves and the heavier frames look
    // as they do on a 300 dpi printer, whatever the device's resolution.
    QPen qpen(ColourOf(pen.colour));
    qpen.setWidthF(std::max(1.0, pen.width * device_.logicalDpiX() / 300.0));
    if (pen.style == PenStyle::Dotted)
        qpen.setDashPattern({1.5, 3});
    qpen.setCapStyle(Qt::FlatCap);
    painter_.setPen(qpen);
    shownPen_ = pen;
}

void PainterPrinterDevice::drawLine(double x1, double y1, double x2, double y2,
                                    const PrinterPen& pen) {
    flush();
    if (!(shownPen_ == pen))
        usePen(pen);
    painter_.drawLine(QPointF(x1 * scale_, y1 * scale_), QPointF(x2 * scale_, y2 * scale_));
}

void PainterPrinterDevice::drawBox(double x1, double y1, double x2, double y2,
                                   const PrinterPen& pen) {
    flush();
    if (!(shownPen_ == pen))
        usePen(pen);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(QRectF(QPointF(x1 * scale_, y1 * scale_), QPointF(x2 * scale_, y2 * scale_)));
}

void PainterPrinterDevice::fillBox(double x1, double y1, double x2, double y2,
                                   std::uint32_t colour) {
    flush();
    painter_.fillRect(QRectF(QPointF(x1 * scale_, y1 * scale_), QPointF(x2 * scale_, y2 * scale_)),
                      ColourOf(colour));
}

double PixelColumnTwips(double dotsPerInch) {
    return std::max(1.0 / (dotsPerInch / kTwipsPerInch), kFinestColumnTwips);
}

double PdfColumnTwips() {
    return PixelColumnTwips(kPdfResolution);
}

double PainterPrinterDevice::pixelTwips() const {
    return PixelColumnTwips(device_.logicalDpiX());
}

bool PainterPrinterDevice::newPage() {
    flush();
    if (device_.newPage())
        return true;
    error_ = QStringLiteral("打印机无法开始新的一页");
    return false;
}

namespace {

// The PDF writer writes to a device; this one hands each write to the checked writer, which keeps
// the reason of the first failure.
class CheckedStream final : public QIODevice {
public:
    explicit CheckedStream(OutputFile& file) : file_(file) {}
    // What a font's ToUnicode map goes through before it is written; the map keeps its length,
    // so that the offsets the writer keeps stay right.
    std::function<void(QByteArray&)> toUnicodeFilter;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        // The writer hands each map over in one write.
        static const QByteArray cmapStart("/CIDInit /ProcSet findresource begin");
        if (toUnicodeFilter && size >= cmapStart.size() &&
            std::equal(cmapStart.begin(), cmapStart.end(), data)) {
            QByteArray cmap(data, size);
            toUnicodeFilter(cmap);
            if (cmap.size() == size)
                return pass(cmap.constData(), size);
        }
        return pass(data, size);
    }

private:
    qint64 pass(const char* data, qint64 size) {
        if (failed_ || !file_.write(data, size)) {
            failed_ = true;
            return -1;
        }
        return size;
    }

private:
    OutputFile& file_;
    bool failed_ = false;
};

} // namespace

PdfOutput::PdfOutput(const QString& path, const QString& title)
    : path_(path), title_(title), file_(path) {}

PdfOutput::~PdfOutput() {
    cancel();
}

QString PdfOutput::failure() const {
    return QStringLiteral("无法写入文件 %1：%2")
        .arg(QDir::toNativeSeparators(path_), file_.error());
}

Status PdfOutput::open() {
    if (!file_.open())
        return Status::failure(failure());
    auto stream = std::make_unique<CheckedStream>(file_);
    stream->toUnicodeFilter = [this](QByteArray& cmap) {
        if (device_)
            RestoreToUnicodeCharacters(cmap,
                                       [this](char16_t c) { return device_->drawnCharacter(c); });
    };
    stream_ = std::move(stream);
    stream_->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    writer_ = std::make_unique<QPdfWriter>(stream_.get());
    writer_->setResolution(kPdfResolution);
    writer_->setPageSize(QPageSize(QPageSize::A4));
    writer_->setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    writer_->setTitle(title_);
    writer_->setCreator(QStringLiteral("ZR-5"));
    if (!painter_.begin(writer_.get())) {
        const QString reason =
            file_.error().isEmpty() ? QStringLiteral("无法开始 PDF 文件") : failure();
        cancel();
        return Status::failure(reason);
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

Status PdfOutput::commit() {
    if (!painter_.isActive()) {
        cancel();
        return Status::failure(file_.error().isEmpty() ? QStringLiteral("PDF 文件未能开始")
                                                       : failure());
    }
    if (!jobError_.isEmpty()) {
        cancel();
        return Status::failure(jobError_);
    }
    device_->flush();
    const bool ended = painter_.end();
    if (!file_.error().isEmpty() || !ended) {
        const QString reason =
            file_.error().isEmpty() ? QStringLiteral("PDF 文件未能完成") : failure();
        cancel();
        return Status::failure(reason);
    }
    if (!file_.commit())
        return Status::failure(failure());
    return {};
}

void PdfOutput::cancel() {
    if (painter_.isActive())
        painter_.end();
    file_.cancel();
}

} // namespace zr5
