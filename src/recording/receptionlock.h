#pragma once

#include <QString>
#include <memory>

#include "model/result.h"

class QLockFile;

namespace zr5 {

// The reason a recording may not be written while another reception writes it.
QString RecordingInUseReason();

// Marks a recording as written by a reception: a lock file beside it ("TEMP.MTX.lock"), taken
// before the first byte and held until the reception ends. A second reception of the same file,
// in this process or another, is refused; so is any output replacing it. The lock of a process
// that was killed is taken over.
class ReceptionLock {
public:
    ReceptionLock();
    ~ReceptionLock();
    ReceptionLock(const ReceptionLock&) = delete;
    ReceptionLock& operator=(const ReceptionLock&) = delete;

    // Success when the lock is now held, else the reason (RecordingInUseReason() when another
    // reception holds it).
    Status acquire(const QString& recording);
    void release();
    bool isHeld() const { return lock_ != nullptr; }

private:
    std::unique_ptr<QLockFile> lock_;
};

// True while a reception (of this process or another live one) holds the lock of `path`.
bool IsRecordingInUse(const QString& path);

} // namespace zr5
