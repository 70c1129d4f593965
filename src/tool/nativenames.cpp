#include "tool/nativenames.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>

#include "recording/outputfile.h"

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zr5::tool {

bool RawNames::Representable(const QByteArray& raw) {
    return QFile::encodeName(QFile::decodeName(raw)) == raw;
}

QString RawNames::Shown(const QByteArray& raw) {
    QString shown;
    for (char c : raw)
        shown += (uchar(c) >= 0x20 && uchar(c) < 0x7f)
                     ? QString(QLatin1Char(c))
                     : QStringLiteral("\\x%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
    return shown;
}

RawNames::~RawNames() {
    // Only after an early exit, when nobody is left to tell of a name that stays a link.
    static_cast<void>(finish());
}

QString RawNames::shown(QString text) const {
    for (const Alias& a : aliases_)
        text.replace(a.path, a.shown);
    return text;
}

#ifdef Q_OS_LINUX

namespace {

QString Refusal(const QByteArray& raw, const QString& reason) {
    return QStringLiteral("文件名 “%1” 不是 UTF-8 文本，无法原样使用：%2")
        .arg(RawNames::Shown(raw), reason);
}

} // namespace

Result<QString> RawNames::alias(const QByteArray& raw) {
    const qsizetype slash = raw.lastIndexOf('/');
    QByteArray folder = slash < 0 ? QByteArray(".") : raw.left(slash);
    if (slash == 0)
        folder = "/";
    Alias a;
    a.name = raw.mid(slash + 1);
    a.shown = Shown(raw);
    struct stat st {};
    const bool isFolder = a.name.isEmpty() || a.name == "." || a.name == ".." ||
                          (::stat(raw.constData(), &st) == 0 && S_ISDIR(st.st_mode));
    if (isFolder) {
        // A folder (the data directory): its descriptor stands for it.
        a.folder = ::open(raw.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (a.folder < 0)
            return Result<QString>::failure(Refusal(raw, SystemErrorReason(errno)));
        a.name.clear();
        a.path = QStringLiteral("/proc/self/fd/%1").arg(a.folder);
        aliases_.push_back(a);
        return a.path;
    }
    a.folder = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (a.folder < 0)
        return Result<QString>::failure(Refusal(
            raw, QStringLiteral("文件夹不存在或无法访问（%1）").arg(SystemErrorReason(errno))));
    a.link = QStringLiteral(".zr5-tool-%1-%2.link")
                 .arg(QCoreApplication::applicationPid())
                 .arg(aliases_.size())
                 .toLatin1();
    if (::fstatat(a.folder, a.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        ::linkat(a.folder, a.name.constData(), a.folder, a.link.constData(), 0) != 0) {
        const int why = errno;
        ::close(a.folder);
        return Result<QString>::failure(Refusal(
            raw, QStringLiteral("无法在其文件夹中建立链接（%1）").arg(SystemErrorReason(why))));
    }
    a.path = QStringLiteral("/proc/self/fd/%1/%2").arg(a.folder).arg(QString::fromLatin1(a.link));
    aliases_.push_back(a);
    return a.path;
}

Status RawNames::finish() {
    Status status;
    for (Alias& a : aliases_) {
        if (!a.link.isEmpty()) {
            struct stat link {
            }, original{};
            if (::fstatat(a.folder, a.link.constData(), &link, AT_SYMLINK_NOFOLLOW) == 0) {
                const bool same =
                    ::fstatat(a.folder, a.name.constData(), &original, AT_SYMLINK_NOFOLLOW) == 0 &&
                    original.st_dev == link.st_dev && original.st_ino == link.st_ino;
                // Still the original file (read, or written in place): the link goes. A file
                // the command wrote anew takes the original name, and is kept if it cannot.
                if (same)
                    ::unlinkat(a.folder, a.link.constData(), 0);
                else if (::renameat(a.folder, a.link.constData(), a.folder, a.name.constData()) !=
                         0)
                    status = Status::failure(
                        QStringLiteral("写好的文件无法改名为 “%1”（%2），它保存在同一文件夹"
                                       "中的 %3")
                            .arg(a.shown, SystemErrorReason(errno), QString::fromLatin1(a.link)));
            }
        }
        ::close(a.folder);
    }
    aliases_.clear();
    return status;
}

#else

Result<QString> RawNames::alias(const QByteArray& raw) {
    return Result<QString>::failure(
        QStringLiteral("文件名 “%1” 不是 UTF-8 文本，无法原样使用；请改用 UTF-8 文件名")
            .arg(Shown(raw)));
}

Status RawNames::finish() {
    return {};
}

#endif

} // namespace zr5::tool
