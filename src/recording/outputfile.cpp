#include "recording/outputfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "recording/receptionlock.h"

namespace zr5 {

QString SystemErrorReason(int error) {
    switch (error) {
    case ENOSPC:
        return QStringLiteral("磁盘已满");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("超出磁盘配额");
#endif
    case EFBIG:
        return QStringLiteral("文件超出了文件系统允许的大小");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有访问权限");
    case EROFS:
        return QStringLiteral("文件系统是只读的");
    case ENOENT:
        return QStringLiteral("文件或文件夹不存在");
    case ENOTDIR:
        return QStringLiteral("路径中的某一部分不是文件夹");
    case EISDIR:
        return QStringLiteral("这是一个文件夹");
    case EEXIST:
        return QStringLiteral("文件已存在");
    case ENAMETOOLONG:
        return QStringLiteral("文件名太长");
    case EIO:
        return QStringLiteral("设备读写出错（磁盘或连接可能有故障）");
    case ENXIO:
    case ENODEV:
        return QStringLiteral("设备不存在或已断开");
    case ENOTTY:
        return QStringLiteral("设备已断开或不支持所需的操作");
    case EBUSY:
        return QStringLiteral("设备或文件正被占用");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("打开的文件太多");
    case ENOMEM:
        return QStringLiteral("内存不足");
    case EPIPE:
        return QStringLiteral("接收方已关闭");
    case EAGAIN:
        return QStringLiteral("设备暂时不能读写");
    case EINVAL:
        return QStringLiteral("参数无效");
    default:
        return QStringLiteral("系统错误 %1").arg(error);
    }
}

QString FileErrorReason(const QFileDevice& file, int error) {
    if (error != 0)
        return SystemErrorReason(error);
    // The system's error number was lost: what the device itself reports.
    switch (file.error()) {
    case QFileDevice::ResourceError:
        return SystemErrorReason(ENOSPC);
    case QFileDevice::PermissionsError:
        return SystemErrorReason(EACCES);
    case QFileDevice::ReadError:
        return QStringLiteral("读取出错");
    case QFileDevice::OpenError:
        return QStringLiteral("无法打开");
    default:
        return QStringLiteral("写入出错");
    }
}

namespace {

// Why a target must not be written, or empty when it may: only a regular file (or none) is.
QString targetRefusal(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("这是一个文件夹，不能写成文件");
    if (info.exists() && !info.isFile())
        return QStringLiteral("这不是普通文件（是设备、管道或套接字），不能写入或替换");
    return {};
}

// Why no temporary file could be made beside the target.
QString temporaryRefusal(const QString& path, const QString& reason) {
    const QString folder = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("文件夹 %1 不存在").arg(folder);
    return QStringLiteral("文件夹 %1 中无法建立临时文件（%2），为免损坏原文件，"
                          "不直接改写目标文件")
        .arg(folder, reason);
}

// A recording that a reception is writing is never replaced under it. The reception itself
// holds the lock and writes in place.
QString replaceRefusal(const QString& path) {
    if (IsRecordingInUse(path))
        return RecordingInUseReason();
    return {};
}

} // namespace

OutputFile::OutputFile(const QString& path, Mode mode) : path_(path), mode_(mode) {}

OutputFile::~OutputFile() {
    if (isOpen())
        cancel();
}

bool OutputFile::isOpen() const {
    return file_ && file_->isOpen();
}

bool OutputFile::fail(const QString& reason) {
    error_ = reason;
    return false;
}

bool OutputFile::failWithErrno(int error) {
    return fail(FileErrorReason(*file_, error));
}

bool OutputFile::open() {
    error_.clear();
    if (const QString refusal = targetRefusal(path_); !refusal.isEmpty())
        return fail(refusal);
    // Unbuffered: every write reaches the system at once, so its failure is seen where it
    // happens and never only at a final flush.
    const QIODevice::OpenMode openMode = QIODevice::WriteOnly | QIODevice::Unbuffered;
    errno = 0;
    if (mode_ == Mode::Replace) {
        if (const QString refusal = replaceRefusal(path_); !refusal.isEmpty())
            return fail(refusal);
        auto save = std::make_unique<QSaveFile>(path_);
        save->setDirectWriteFallback(false);
        const bool opened = save->open(openMode);
        const int error = errno;
        file_ = std::move(save);
        if (!opened)
            return fail(temporaryRefusal(path_, FileErrorReason(*file_, error)));
        return true;
    }
    file_ = std::make_unique<QFile>(path_);
    if (!file_->open(openMode | QIODevice::Truncate))
        return failWithErrno(errno);
    return true;
}

bool OutputFile::write(const char* data, qint64 size) {
    if (!isOpen())
        return fail(QStringLiteral("文件未打开"));
    // A short write is tried again for the rest, which then tells why it stopped.
    while (size > 0) {
        errno = 0;
        const qint64 written = file_->write(data, size);
        if (written <= 0)
            return failWithErrno(errno);
        data += written;
        size -= written;
    }
    return true;
}

bool OutputFile::writeAt(qint64 offset, const QByteArray& bytes) {
    if (!isOpen())
        return fail(QStringLiteral("文件未打开"));
    errno = 0;
    if (!file_->seek(offset))
        return failWithErrno(errno);
    return write(bytes);
}

bool OutputFile::truncate(qint64 size) {
    if (!isOpen())
        return fail(QStringLiteral("文件未打开"));
    errno = 0;
    if (!file_->resize(size))
        return failWithErrno(errno);
    return true;
}

bool OutputFile::sync() {
    if (!isOpen())
        return fail(QStringLiteral("文件未打开"));
    errno = 0;
    if (!file_->flush())
        return failWithErrno(errno);
#ifdef Q_OS_WIN
    const bool synced = _commit(file_->handle()) == 0;
#else
    const bool synced = ::fsync(file_->handle()) == 0;
#endif
    if (!synced)
        return failWithErrno(errno);
    return true;
}

bool OutputFile::commit() {
    if (!sync()) {
        cancel();
        return false;
    }
    if (mode_ == Mode::InPlace) {
        file_->close();
        return true;
    }
    auto& save = static_cast<QSaveFile&>(*file_);
    errno = 0;
    if (!save.commit())
        return failWithErrno(errno);
    return true;
}

void OutputFile::cancel() {
    if (!isOpen())
        return;
    if (mode_ == Mode::Replace)
        file_.reset(); // a save file that is not committed is dropped
    else
        file_->close();
}

bool NamedOutputFile::fail(const QString& reason) {
    error_ = reason;
    cancel();
    return false;
}

bool NamedOutputFile::open() {
    error_.clear();
    cancel();
    if (const QString refusal = targetRefusal(path_); !refusal.isEmpty())
        return fail(refusal);
    if (const QString refusal = replaceRefusal(path_); !refusal.isEmpty())
        return fail(refusal);
    QTemporaryFile file(QFileInfo(path_).absoluteFilePath() + QStringLiteral(".XXXXXX"));
    file.setAutoRemove(false);
    errno = 0;
    if (!file.open())
        return fail(temporaryRefusal(path_, FileErrorReason(file, errno)));
    temporary_ = file.fileName();
    // The permissions a new file gets (the user's mask applies), or those of the file replaced.
    const QFileInfo target(path_);
    file.setPermissions(target.exists() ? target.permissions()
                                        : QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ReadGroup | QFileDevice::ReadOther);
    return true;
}

bool NamedOutputFile::commit() {
    if (temporary_.isEmpty())
        return fail(QStringLiteral("文件未打开"));
    QFile file(temporary_);
    errno = 0;
    if (!file.open(QIODevice::ReadWrite))
        return fail(FileErrorReason(file, errno));
#ifdef Q_OS_WIN
    const bool synced = _commit(file.handle()) == 0;
#else
    const bool synced = ::fsync(file.handle()) == 0;
#endif
    const int syncError = errno;
    file.close();
    if (!synced)
        return fail(FileErrorReason(file, syncError));
    if (const QString refusal = targetRefusal(path_); !refusal.isEmpty())
        return fail(refusal);
    errno = 0;
#ifdef Q_OS_WIN
    const bool renamed = MoveFileExW(reinterpret_cast<const wchar_t*>(temporary_.utf16()),
                                     reinterpret_cast<const wchar_t*>(path_.utf16()),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    const int renameError = renamed ? 0 : EACCES;
#else
    // rename() replaces the target at once: a reader sees the old file or the new one.
    const bool renamed = std::rename(QFile::encodeName(temporary_).constData(),
                                     QFile::encodeName(path_).constData()) == 0;
    const int renameError = errno;
#endif
    if (!renamed)
        return fail(SystemErrorReason(renameError));
    temporary_.clear();
    return true;
}

void NamedOutputFile::cancel() {
    if (temporary_.isEmpty())
        return;
    QFile::remove(temporary_);
    temporary_.clear();
}

Status WriteWholeFile(const QString& path, const QByteArray& bytes) {
    OutputFile out(path);
    if (out.open() && out.write(bytes) && out.commit())
        return {};
    return Status::failure(out.error());
}

} // namespace zr5
