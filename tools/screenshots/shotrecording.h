#pragma once

// The screenshot programs' recordings: a synthetic eight-hour recording of a motor given by its
// seven rated values.

#include <QFile>
#include <QString>
#include <array>
#include <cstdint>
#include <cstdio>

#include "recording/synthetic.h"

namespace zr5::shots {

// Writes the recording with the motor's values in its header; false (and the reason on standard
// error) when it cannot be written.
inline bool WriteMotorRecording(const QString& path, std::uint64_t seed,
                                const std::array<float, 7>& motor) {
    if (const Status written = WriteSyntheticRecording(path, 20000, 8 * 3600, seed); !written) {
        std::fprintf(stderr, "%s\n", qPrintable(written.error()));
        return false;
    }
    QFile f(path);
    // The motor's seven values follow the start time and the duration.
    if (!f.open(QIODevice::ReadWrite) || !f.seek(8) ||
        f.write(reinterpret_cast<const char*>(motor.data()), qint64(sizeof(motor))) !=
            qint64(sizeof(motor)) ||
        !f.flush()) {
        std::fprintf(stderr, "cannot write the motor data into %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace zr5::shots
