#pragma once

// What the window tests share: one QApplication on the offscreen platform, a data directory of
// their own, and small recordings written as a reception writes them.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include "model/appstate.h"
#include "recording/recordingfile.h"
#include "support/fakeservices.h"
#include "support/qtapplication.h"

namespace zr5::test {

inline QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

inline bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A recording of `rows` rows with the given motor values and transformer flags.
inline void WriteRecording(const QString& path, int rows, std::array<float, 7> motor,
                           std::array<float, 3> flags) {
    RecordingHeader header;
    header.StartTime = 36000;
    header.Duration = 60;
    header.Motor = motor;
    header.CTFlags = flags;
    RecordingWriter writer;
    ASSERT_TRUE(writer.create(path, header));
    for (int r = 0; r < rows; ++r) {
        const float f = float(r);
        ASSERT_TRUE(writer.appendRow({10 + f, 380, 2, 11, 381, 2.5f, 12, 379, 3}));
    }
    ExtremaValues max{}, min{};
    max.fill(1);
    ASSERT_TRUE(writer.finish(max, min));
}

// The nine settings lines as the program writes them.
inline QByteArray SettingsBytes(int port, int curve, float duration, float ct, float pt, float span,
                                int red, int blue, int yellow) {
    Settings s;
    s.CommPort = std::int16_t(port);
    s.CurrentCurve = std::int16_t(curve);
    s.ReceiveDuration = duration;
    s.CTRatio = ct;
    s.PTRatio = pt;
    s.SegmentHalfSpan = span;
    s.RedCTInUse = std::int16_t(red);
    s.BlueCTInUse = std::int16_t(blue);
    s.YellowCTInUse = std::int16_t(yellow);
    return SettingsFileBytes(s);
}

// A fixture with its own data directory, state and seams.
class WindowTest : public ::testing::Test {
protected:
    WindowTest() : state(DataDirectory(dir.path())) {}

    QString dataFile(const QString& name) const { return QDir(dir.path()).filePath(name); }

    QTemporaryDir dir;
    AppState state;
    FakeMessages messages;
    FakeFileDialogs files;
    FakeClock clock;
    UiServices services{messages, files, clock};
};

} // namespace zr5::test
