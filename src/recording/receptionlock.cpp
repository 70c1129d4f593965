#include "recording/receptionlock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStorageInfo>
#include <cerrno>

#include "recording/outputfile.h"

namespace zr5 {

namespace {

// One name for one file however it is spelt: "./TEMP.MTX", a relative path or a linked folder.
QString lockFileName(const QString& recording) {
    const QFileInfo info(recording);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    const QString base = folder.isEmpty() ? info.absolutePath() : folder;
    return QDir(base).filePath(info.fileName() + QStringLiteral(".lock"));
}

std::unique_ptr<QLockFile> newLock(const QString& recording) {
    auto lock = std::make_unique<QLockFile>(lockFileName(recording));
    // A reception may run for days: only a lock whose process is gone is stale, never an old one.
    lock->setStaleLockTime(0);
    return lock;
}

} // namespace

QString RecordingInUseReason() {
    return QStringLiteral("数据文件正被另一个接收使用");
}

ReceptionLock::ReceptionLock() = default;

ReceptionLock::~ReceptionLock() {
    release();
}

Status ReceptionLock::acquire(const QString& recording) {
    release();
    auto lock = newLock(recording);
    if (lock->tryLock(0)) {
        lock_ = std::move(lock);
        return {};
    }
    switch (lock->error()) {
    case QLockFile::LockFailedError:
        return Status::failure(RecordingInUseReason());
    case QLockFile::PermissionError:
        return Status::failure(SystemErrorReason(EACCES));
    default: {
        // QLockFile keeps no error number: a full disk is the usual cause, and the one to name.
        const QString name = QDir::toNativeSeparators(lockFileName(recording));
        const QStorageInfo volume(QFileInfo(lockFileName(recording)).absolutePath());
        if (volume.isValid() && volume.bytesAvailable() == 0)
            return Status::failure(
                QStringLiteral("无法建立锁定文件 %1：%2").arg(name, SystemErrorReason(ENOSPC)));
        return Status::failure(QStringLiteral("无法建立锁定文件 %1").arg(name));
    }
    }
}

void ReceptionLock::release() {
    if (lock_)
        lock_->unlock();
    lock_.reset();
}

bool IsRecordingInUse(const QString& path) {
    if (!QFileInfo::exists(lockFileName(path)))
        return false;
    // Taking the lock for a moment is the one test that also knows a killed holder's lock.
    auto probe = newLock(path);
    if (probe->tryLock(0)) {
        probe->unlock();
        return false;
    }
    return probe->error() == QLockFile::LockFailedError;
}

} // namespace zr5
