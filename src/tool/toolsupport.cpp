#include "tool/commands.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <cerrno>
#include <cmath>
#include <sys/stat.h>
#include <vector>

#include "model/numbertext.h"
#include "motor/motorcatalogue.h"
#include "motor/motorconfirm.h"
#include "motor/samplecatalogue.h"
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

int UsageFail(ToolContext& context, const QString& message) {
    Fail(context, message);
    return 2;
}

int UsageFail(ToolContext& context) {
    return UsageFail(context,
                     QStringLiteral("用法: zr5-tool %1").arg(QString::fromUtf8(context.usage)));
}

QCommandLineOption Option(const char* name, const char* description, const char* valueName) {
    return QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description),
                              valueName ? QString::fromUtf8(valueName) : QString());
}

QCommandLineOption OverwriteOption() {
    return Option("overwrite", "覆盖已存在的输出文件");
}

namespace {

// A file by its device and inode when it exists, else by its folder's and its name: two names
// of one file (a hard link, "./g.MTR", a symbolic link) are the same file.
struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    mode_t mode = 0;
    QString name; // in its folder, when the file does not exist yet

    bool operator==(const FileIdentity& o) const {
        return exists == o.exists && device == o.device && inode == o.inode && name == o.name;
    }
};

FileIdentity IdentityOf(const QString& path) {
    FileIdentity id;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        id.exists = true;
        id.device = st.st_dev;
        id.inode = st.st_ino;
        id.mode = st.st_mode;
        return id;
    }
    const QFileInfo info(path);
    id.name = info.fileName();
    if (::stat(QFile::encodeName(info.absolutePath()).constData(), &st) == 0) {
        id.device = st.st_dev;
        id.inode = st.st_ino;
    } else {
        id.name = info.absoluteFilePath();
    }
    return id;
}

// What a file that is not a regular one is: "文件夹", "管道（FIFO）", ...; empty for a regular
// file.
QString KindOf(mode_t mode) {
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return QStringLiteral("文件夹");
    if (S_ISFIFO(mode))
        return QStringLiteral("管道（FIFO）");
    if (S_ISSOCK(mode))
        return QStringLiteral("套接字");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("设备");
    return QStringLiteral("特殊文件");
}

} // namespace

Status FilesRefusal(const QStringList& inputs, const QStringList& outputs, bool overwrite) {
    std::vector<FileIdentity> read;
    for (const QString& input : inputs) {
        read.push_back(IdentityOf(input));
        // A missing input is the reader's to name; a pipe would block it, a folder mislead it.
        if (const FileIdentity& id = read.back(); id.exists && !KindOf(id.mode).isEmpty())
            return Status::failure(
                QStringLiteral("%1 是%2，不是数据文件").arg(input, KindOf(id.mode)));
    }
    std::vector<FileIdentity> written;
    for (int i = 0; i < outputs.size(); ++i) {
        const QString& output = outputs[i];
        const FileIdentity id = IdentityOf(output);
        for (int k = 0; k < inputs.size(); ++k)
            if (id.exists && id == read[std::size_t(k)])
                return Status::failure(
                    QStringLiteral("输出文件 %1 就是输入文件 %2，不能覆盖正在读取的文件")
                        .arg(output, inputs[k]));
        for (int k = 0; k < i; ++k)
            if (id == written[std::size_t(k)])
                return Status::failure(
                    outputs[k] == output
                        ? QStringLiteral("两个输出是同一个文件 %1").arg(output)
                        : QStringLiteral("输出文件 %1 和 %2 是同一个文件").arg(outputs[k], output));
        if (id.exists && !KindOf(id.mode).isEmpty())
            return Status::failure(
                QStringLiteral("%1 是%2，不能作为输出文件").arg(output, KindOf(id.mode)));
        if (id.exists && !overwrite)
            return Status::failure(
                QStringLiteral("文件 %1 已存在；要覆盖它请加 --overwrite").arg(output));
        written.push_back(id);
    }
    return {};
}

Status ConfirmMotorOption(MotorParameters& motor, const DataDirectory& dataDirectory,
                          const QString& values, const QString& code) {
    if (!code.isEmpty()) {
        const std::optional<int> number = ParseMotorCode(code);
        if (!number || *number < 1 || *number > kCatalogueCodes)
            return Status::failure(QStringLiteral("编码错误：“%1” 不是 1 - %2 之间的整数")
                                       .arg(code)
                                       .arg(kCatalogueCodes));
        // As the motor command: a fresh data directory gets the sample catalogue.
        const QString problem = InstallSampleCatalogue(dataDirectory).error();
        const MotorConfirmation confirmed =
            ConfirmMotorData(motor, dataDirectory, QString::number(*number), {});
        if (confirmed.outcome == MotorConfirmation::Outcome::Accepted)
            return {};
        return Status::failure(
            QStringLiteral("--code %1：%2")
                .arg(code, confirmed.outcome == MotorConfirmation::Outcome::CatalogueFailed &&
                                   !problem.isEmpty()
                               ? problem
                               : confirmed.message));
    }
    const QStringList parts = values.split(QLatin1Char(','));
    if (parts.size() != 7)
        return Status::failure(
            QStringLiteral("--motor 须为七个以逗号分开的数：极数,额定功率,额定电流,"
                           "额定效率,空载电流,空载功率,额定电压：“%1”")
                .arg(values));
    std::array<QString, 7> boxes;
    std::copy(parts.begin(), parts.end(), boxes.begin());
    // Code 0: the seven values typed, checked as the dialog checks its boxes.
    const MotorConfirmation confirmed =
        ConfirmMotorData(motor, dataDirectory, QStringLiteral("0"), boxes);
    if (confirmed.outcome == MotorConfirmation::Outcome::Accepted)
        return {};
    return Status::failure(QStringLiteral("--motor %1：%2").arg(values, confirmed.message));
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

bool WriteResult(ToolContext& context, const QString& text) {
    const QByteArray bytes = (context.rawNames ? context.rawNames->shown(text) : text).toUtf8();
    errno = 0;
    return std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), context.out) ==
               std::size_t(bytes.size()) &&
           std::fflush(context.out) == 0;
}

int PrintResult(ToolContext& context, const QString& text) {
    return WriteResult(context, text) ? 0 : Fail(context, StandardOutputFailure());
}

void Print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
}

Status WritePdf(const QString& path, const QString& title,
                const std::function<std::unique_ptr<PrintJob>(Printer&)>& makeJob) {
    PdfOutput out(path, title);
    if (Status opened = out.open(); !opened)
        return opened;
    std::unique_ptr<PrintJob> job = makeJob(out.printer());
    if (Status printed = RunToEnd(*job); !printed) {
        out.cancel();
        return printed;
    }
    return out.commit();
}

} // namespace zr5::tool
