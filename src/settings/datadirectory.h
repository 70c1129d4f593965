#pragma once

#include <QString>

#include "model/result.h"

namespace zr5 {

// The folder that holds the temporary recording, the settings file and the motor catalogue:
// c:\zr-5\ on Windows, the per-user data location elsewhere (~/.local/share/zr-5). A
// --data-dir DIR option, then the ZR5_DATA_DIR environment variable, override it.
class DataDirectory {
public:
    DataDirectory() = default;
    explicit DataDirectory(QString root) : root_(std::move(root)) {}

    // The folder of the --data-dir option when given (not empty), else of the environment, else
    // the platform's default.
    static DataDirectory fromOption(const QString& option);
    static QString defaultRoot();

    const QString& root() const { return root_; }
    QString file(const QString& name) const;
    QString temporaryRecording() const { return file(QStringLiteral("TEMP.MTX")); }
    QString settingsFile() const { return file(QStringLiteral("Mtrc.dat")); }

    // Creates the folder if it is missing; fails with the reason it cannot.
    Status ensureExists() const;

private:
    QString root_;
};

} // namespace zr5
