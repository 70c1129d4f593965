#include "motor/gbktext.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <string_view>
#include <utility>

#if __has_include(<iconv.h>)
#include <cerrno>
#include <iconv.h>
#define ZR5_HAVE_ICONV 1
#endif

namespace zr5 {

namespace {

#ifdef ZR5_HAVE_ICONV
// Converts a whole buffer with iconv; false on any sequence the target cannot hold.
bool IconvConvert(const char* to, const char* from, const QByteArray& in, QByteArray& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    out.clear();
    bool clean = true;
    QByteArray input = in;
    char* src = input.data();
    size_t srcLeft = size_t(input.size());
    char buffer[4096];
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, qsizetype(dst - buffer));
        if (r == size_t(-1)) {
            if (errno == E2BIG)
                continue;
            // An invalid or truncated sequence: skip one byte and go on.
            clean = false;
            ++src;
            --srcLeft;
            if (std::string_view(to).starts_with("UTF-8"))
                out.append("\xEF\xBF\xBD");
        }
    }
    iconv_close(cd);
    return clean;
}
#endif

} // namespace

bool GbkAvailable(GbkConverter converter) {
    if (converter != GbkConverter::Iconv && QStringDecoder("GBK").isValid())
        return true;
#ifdef ZR5_HAVE_ICONV
    if (converter != GbkConverter::Qt) {
        iconv_t cd = iconv_open("UTF-8", "GBK");
        if (cd != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(cd);
            return true;
        }
    }
#endif
    return false;
}

namespace {

// The text of the bytes, and false when a sequence is not GBK (it then shows as U+FFFD) or no GBK
// converter is available.
std::pair<QString, bool> Decoded(const QByteArray& bytes, GbkConverter converter) {
    // GBK keeps ASCII as it is: most catalogue lines need no converter.
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
        return {QString::fromLatin1(bytes), true};
    // Opening a converter costs more than decoding a line: one per thread, reset for each text.
    thread_local QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    if (converter != GbkConverter::Iconv && decoder.isValid()) {
        decoder.resetState();
        QString text = decoder.decode(bytes);
        return {std::move(text), !decoder.hasError()};
    }
#ifdef ZR5_HAVE_ICONV
    QByteArray utf8;
    const bool clean = converter != GbkConverter::Qt && IconvConvert("UTF-8", "GBK", bytes, utf8);
    return {QString::fromUtf8(utf8), clean};
#else
    return {QString::fromLatin1(bytes), false};
#endif
}

QString NoConverter() {
    return QStringLiteral("本程序无法转换 GBK 编码");
}

} // namespace

Result<QString> DecodeGbk(const QByteArray& bytes, GbkConverter converter) {
    auto [text, clean] = Decoded(bytes, converter);
    if (clean)
        return std::move(text);
    return Result<QString>::failure(
        GbkAvailable(converter) ? QStringLiteral("文字含有 GBK 以外的字节") : NoConverter());
}

QString DecodeGbkLossy(const QByteArray& bytes, GbkConverter converter) {
    return Decoded(bytes, converter).first;
}

Result<QByteArray> EncodeGbk(const QString& text, GbkConverter converter) {
    const auto fail = [&] {
        return Result<QByteArray>::failure(GbkAvailable(converter)
                                               ? QStringLiteral("“%1”含有 GBK 以外的字符").arg(text)
                                               : NoConverter());
    };
    QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    if (converter != GbkConverter::Iconv && encoder.isValid()) {
        QByteArray bytes = encoder.encode(text);
        if (encoder.hasError())
            return fail();
        return bytes;
    }
#ifdef ZR5_HAVE_ICONV
    QByteArray bytes;
    if (converter == GbkConverter::Qt || !IconvConvert("GBK", "UTF-8", text.toUtf8(), bytes))
        return fail();
    return bytes;
#else
    return fail();
#endif
}

} // namespace zr5
