#include "tool/commands.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <cerrno>
#include <cmath>

#include "model/numbertext.h"
#include "printing/painterprinter.h"
#include "recording/outputfile.h"
#include "tool/nativenames.h"

namespace zr5::tool {

QString JsonText(const QJsonObject& object) {
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

int Fail(ToolContext& context, const QString& message) {
    const QString shown = context.rawNames ? context.rawNames->shown(message) : message;
    Print(context.err, QStringLiteral("zr5-tool: ") + OneLine(shown) + QLatin1Char('\n'));
    return 1;
}

QString ExistingOutputRefusal(const QString& path, bool overwrite) {
    if (overwrite || !QFileInfo::exists(path))
        return {};
    return QStringLiteral("文件 %1 已存在；要覆盖它请加 --overwrite").arg(path);
}

QString OneLine(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QString StandardOutputFailure() {
    const int error = errno;
    return QStringLiteral("写入标准输出出错：%1")
        .arg(error != 0 ? SystemErrorReason(error) : QStringLiteral("输出已关闭"));
}

int PrintResult(ToolContext& context, const QString& text) {
    const QByteArray bytes = (context.rawNames ? context.rawNames->shown(text) : text).toUtf8();
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), context.out) !=
            std::size_t(bytes.size()) ||
        std::fflush(context.out) != 0)
        return Fail(context, StandardOutputFailure());
    return 0;
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

QString WritePdf(const QString& path, const QString& title,
                 const std::function<std::unique_ptr<PrintJob>(Printer&)>& makeJob) {
    PdfOutput out(path, title);
    if (QString e = out.open(); !e.isEmpty())
        return e;
    std::unique_ptr<PrintJob> job = makeJob(out.printer());
    if (QString e = RunToEnd(*job); !e.isEmpty()) {
        out.cancel();
        return e;
    }
    return out.commit();
}

bool TakeFlag(QStringList& args, const QString& name) {
    return args.removeAll(name) > 0;
}

} // namespace zr5::tool
