#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include "model/result.h"
#include "settings/datadirectory.h"

namespace zr5 {

// Which serial device each COM number of the settings stands for. On Windows COMn is the port
// itself. Elsewhere COMn is /dev/ttyS(n-1) unless the data directory's own preferences file
// "Ports.ini" names another device (a line "COM1=/dev/ttyUSB0"), so that the nine-line settings
// file keeps its format.
class PortMap {
public:
    static QString preferencesFile(const DataDirectory& dir) {
        return dir.file(QStringLiteral("Ports.ini"));
    }
    // The built-in device of a COM number.
    static QString defaultDevice(int commPort);

    // Reads the preferences file; a missing file means the defaults. Lines that cannot be read
    // are ignored and named in the problems.
    static TolerantRead<PortMap> load(const DataDirectory& dir);
    // Writes the preferences file; fails with the reason.
    Status save(const DataDirectory& dir) const;

    // The device a COM number opens; empty for a number below 1.
    QString device(int commPort) const;
    // "COM1 (/dev/ttyUSB0)" for the settings dialog; just "COM1" on Windows.
    QString describe(int commPort) const;
    // Maps a COM number to a device for this run (an empty device restores the default).
    void setDevice(int commPort, const QString& device);
    bool isMapped(int commPort) const { return devices_.contains(commPort); }

private:
    QMap<int, QString> devices_;
};

} // namespace zr5
