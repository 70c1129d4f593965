#pragma once

// What the screenshot programs share: their start (the Chinese texts, the output folder, a data
// folder of their own with the sample catalogue) and their recordings, a synthetic eight-hour
// recording of a motor given by its seven rated values.

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTranslator>
#include <array>
#include <cstdint>
#include <cstdio>

#include "motor/samplecatalogue.h"
#include "recording/synthetic.h"
#include "ui/geometry.h"

namespace zr5::shots {

// Made after the QApplication; start() reads the one argument, the output folder.
struct ShotSetup {
    // 0, or the exit code when the program cannot go on: 2 for its usage, 1 without a catalogue.
    int start(int argc, char** argv, const char* program) {
        if (argc != 2) {
            std::fprintf(stderr, "usage: %s OUT_DIR\n", program);
            return 2;
        }
        UseChineseTexts(translations);
        out = QDir(QString::fromLocal8Bit(argv[1]));
        out.mkpath(QStringLiteral("."));
        if (const Status installed = InstallSampleCatalogue(data); !installed) {
            std::fprintf(stderr, "%s\n", qPrintable(installed.error()));
            return 1;
        }
        return 0;
    }

    QTranslator translations;
    QDir out;
    QTemporaryDir dir;
    DataDirectory data{dir.path()};
};

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
