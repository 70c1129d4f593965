#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

#include "model/result.h"

class QFileDevice;

namespace zr5 {

// The reason behind a system error number, as the user should read it ("磁盘已满").
QString SystemErrorReason(int error);
// The same for a failed file operation: from the error number when there is one, else from what
// the device reports.
QString FileErrorReason(const QFileDevice& file, int error);

// Every file the program writes goes through here. Each write, the flush and the sync to the
// storage device are checked, and only a regular file is ever written or replaced: never a
// folder, a device or a pipe.
//
// Replace: the content goes to a temporary file beside the target, which takes the target's
// place only once the whole content is on the disk; whatever fails leaves the old target as it
// was. A folder that allows no temporary file is refused; the target is never written in place.
//
// InPlace: the target itself is started empty and written; sync() puts what was written on the
// disk. Only the reception's recording is written so, because it must be readable on disk while
// it grows.
//
// Every failure gives the reason in the user's words; error() repeats the last one.
class OutputFile {
public:
    enum class Mode { Replace, InPlace };

    explicit OutputFile(const QString& path, Mode mode = Mode::Replace);
    ~OutputFile(); // an uncommitted Replace is cancelled
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool open();
    bool write(const char* data, qint64 size);
    bool write(const QByteArray& bytes) { return write(bytes.constData(), bytes.size()); }
    // Writes at a byte offset; the next write() goes on after it.
    bool writeAt(qint64 offset, const QByteArray& bytes);
    bool truncate(qint64 size);
    // Puts everything written so far on the storage device.
    bool sync();
    // Replace: syncs and puts the file in the target's place. InPlace: syncs and closes.
    bool commit();
    // Replace: drops the temporary file. InPlace: closes the file with what it holds.
    void cancel();

    bool isOpen() const;
    const QString& path() const { return path_; }
    Mode mode() const { return mode_; }
    const QString& error() const { return error_; }

private:
    bool fail(const QString& reason);
    bool failWithErrno(int error);

    QString path_;
    Mode mode_;
    std::unique_ptr<QFileDevice> file_;
    QString error_;
};

// Replace for a file that a library writes by name (the workbooks): open() makes an empty
// temporary file beside the target for the library to fill; commit() puts what it wrote on the
// disk and then in the target's place; cancel() or the destructor removes it, and the target stays
// as it was. The target is refused and failures are told as OutputFile does.
class NamedOutputFile {
public:
    explicit NamedOutputFile(const QString& path) : path_(path) {}
    ~NamedOutputFile() { cancel(); }
    NamedOutputFile(const NamedOutputFile&) = delete;
    NamedOutputFile& operator=(const NamedOutputFile&) = delete;

    bool open();
    // The temporary file's name, empty before open() and after commit() or cancel().
    const QString& temporaryPath() const { return temporary_; }
    bool commit();
    void cancel();

    const QString& path() const { return path_; }
    const QString& error() const { return error_; }

private:
    bool fail(const QString& reason);

    QString path_;
    QString temporary_;
    QString error_;
};

// Writes a whole small file through OutputFile in Replace mode; fails with the reason.
Status WriteWholeFile(const QString& path, const QByteArray& bytes);

} // namespace zr5
