#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <array>
#include <bitset>
#include <functional>
#include <map>
#include <memory>

#include "model/result.h"
#include "printing/printer.h"
#include "recording/outputfile.h"
#include "ui/qtcolour.h"

class QIODevice;
class QPagedPaintDevice;

namespace zr5 {

// The printer's face: "Noto Sans Mono CJK SC", a fixed-pitch face whose Chinese characters are two
// columns wide, so that the data report's header words stand over their columns. Without it, any
// installed Chinese face (fixed pitch preferred), with a line on the terminal.
QFont ReportFont();

// The width of the pixel columns the curves are reduced to on a device of `dotsPerInch`: its pixel,
// but never finer than 1/300 inch.
double PixelColumnTwips(double dotsPerInch);
// Those of the PDF output.
double PdfColumnTwips();

// Rewrites, in place and at the same length, the character codes of a PDF's ToUnicode map: each
// code c becomes actual(c). Where a glyph serves several characters (in Noto CJK the ideograph
// 文 and the radical ⽂), the PDF writer names the glyph by its lowest character; the map then
// names the character that was drawn. A range that maps a run of glyphs to consecutive characters
// is left as it is. Returns how many codes were changed.
int RestoreToUnicodeCharacters(QByteArray& cmap, const std::function<char16_t(char16_t)>& actual);

// The back end on a QPainter over a paged device (a QPrinter for paper and preview, a QPdfWriter
// for PDF). Twips become device pixels by the device's resolution.
class PainterPrinterDevice final : public PrinterDevice {
public:
    PainterPrinterDevice(QPainter& painter, QPagedPaintDevice& device);

    double columnWidth(float points) override;
    double textWidth(const QString& text, float points) override;
    void drawText(double x, double top, const QString& text, float points) override;
    void drawLine(double x1, double y1, double x2, double y2, const PrinterPen& pen) override;
    void drawBox(double x1, double y1, double x2, double y2, const PrinterPen& pen) override;
    void fillBox(double x1, double y1, double x2, double y2, std::uint32_t colour) override;
    double pixelTwips() const override;
    bool newPage() override;
    QString error() const override { return error_; }
    // Draws the glyphs still held back; before the painter ends.
    void flush();
    // The character drawn on this device that the glyph of `c` shows: `c` itself when it was
    // drawn, or another drawn character of the same glyph, else `c`.
    char16_t drawnCharacter(char16_t c);

private:
    struct Face {
        QFont font;
        QFontMetricsF metrics;
        double ascent; // twips
        double column; // twips: the advance of "0"
        // Every printable ASCII character advances one column: such texts are measured by
        // counting, and the texts of one line are drawn as one run with spaces between them.
        bool fixedPitch;
        // For fixed-pitch runs: the face at the device's size and the glyph of each printable
        // ASCII character, so that a line is placed without shaping it again.
        QRawFont raw;
        std::array<quint32, 95> glyphs;
    };
    // The fixed-pitch text of the line being written, which the next text on the line may
    // continue: where it starts, where it ends and how many columns it has.
    struct Run {
        bool open = false;
        double x = 0, top = 0, end = 0;
        float points = 0;
        qsizetype length = 0;
    };
    Face& face(float points);
    void usePen(const PrinterPen& pen);
    // Sets the painter's font and the text's pen when they are not set.
    void showFace(const Face& f, float points);
    // A text that is not fixed-pitch ASCII, shaped by the painter.
    void drawShaped(double x, double top, const QString& text, float points);
    // The glyphs of a text at `column` columns into the open run.
    void addGlyphs(const Face& f, qsizetype column, const QString& text);
    // Draws the glyphs held back.
    void drawGlyphs();

    QPainter& painter_;
    QPagedPaintDevice& device_;
    double scale_; // device pixels per twip
    std::map<float, std::unique_ptr<Face>> faces_;
    Face* lastFace_ = nullptr;
    float lastPoints_ = -1;
    Run run_;
    // Glyphs of fixed-pitch lines not yet drawn, at their device positions, all of one face.
    const Face* glyphFace_ = nullptr;
    QList<quint32> glyphs_;
    QList<QPointF> positions_;
    float shownFace_ = -1;
    PrinterPen shownPen_{-1};
    QString error_;
    std::bitset<0x10000> drawn_; // every character drawn
    std::unique_ptr<QRawFont> glyphsOf_;
    std::map<quint32, char16_t> drawnOfGlyph_;
};

// Where the jobs of one print run go: a PDF file or a printer.
class ReportOutput {
public:
    virtual ~ReportOutput() = default;
    // Starts the output, or fails with why it cannot be started.
    virtual Status open() = 0;
    virtual Printer& printer() = 0;
    // Starts a further job on a page of its own; its page numbers start from 1 again.
    virtual Printer& nextJob() = 0;
    // Completes the output, or fails with why it could not.
    virtual Status commit() = 0;
    // Abandons the output: nothing is left behind.
    virtual void cancel() = 0;
};

// A PDF of one or more print jobs, written through the checked writer: only a regular file is
// written or replaced, and only once every write and the sync succeeded; cancelled or failed,
// nothing is left behind.
class PdfOutput final : public ReportOutput {
public:
    explicit PdfOutput(const QString& path, const QString& title = QString());
    ~PdfOutput() override;
    Status open() override;
    Printer& printer() override { return *printer_; }
    Printer& nextJob() override;
    Status commit() override;
    void cancel() override;

private:
    QString failure() const;

    QString path_;
    QString title_;
    OutputFile file_;
    std::unique_ptr<QIODevice> stream_; // what the writer writes to: every write goes to file_
    std::unique_ptr<QPdfWriter> writer_;
    QPainter painter_;
    std::unique_ptr<PainterPrinterDevice> device_;
    std::unique_ptr<Printer> printer_;
    QString jobError_;
};

} // namespace zr5
