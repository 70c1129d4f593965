#include "tool/commands.h"

#include <cmath>

#include "model/numbertext.h"

namespace zr5::tool {

QString jsonNumber(float v) {
    return std::isfinite(v) ? ShortestNumber(v) : QStringLiteral("null");
}

QString jsonString(const QString& s) {
    QString out = QStringLiteral("\"");
    for (QChar c : s) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\') + c;
        else if (c.unicode() < 0x20)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

int Fail(ToolContext& context, const QString& message) {
    QString line = message;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    Print(context.err, QStringLiteral("zr5-tool: ") + line + QLatin1Char('\n'));
    return 1;
}

void Print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
}

bool TakeOption(QStringList& args, const QString& name, QString& value, QString& error) {
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == name) {
            if (i + 1 >= args.size() || args[i + 1].startsWith(QLatin1String("--"))) {
                error = QStringLiteral("%1 后缺少参数值").arg(name);
                return false;
            }
            value = args[i + 1];
            args.remove(i, 2);
            return true;
        }
        if (args[i].startsWith(name + QLatin1Char('='))) {
            value = args[i].mid(name.size() + 1);
            args.removeAt(i);
            return true;
        }
    }
    return true;
}

bool TakeFlag(QStringList& args, const QString& name) {
    return args.removeAll(name) > 0;
}

} // namespace zr5::tool
