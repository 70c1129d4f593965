#pragma once

// Small recordings for the analysis tests, written as a reception writes them: the header, the
// rows, then the extrema of the completed rows.

#include <QString>
#include <cmath>
#include <functional>

#include "model/measurementmodel.h"
#include "recording/recordingfile.h"

namespace zr5::test {

// A motor of 7.5 kW, 4 poles, 87 %, 15.4 A, no-load 5 A and 0.35 kW, 380 V.
inline std::array<float, 7> TestMotor() {
    return {4, 7.5f, 15.4f, 87, 5, 0.35f, 380};
}

// A running motor whose load swings slowly: every channel about 220 V and 10 A.
inline ChannelRowValues SwingingRow(qint64 r) {
    const float swing = float(std::sin(double(r) * 0.05));
    const float i = 10.0f + 4.0f * swing;
    const float v = 220.0f + 2.0f * swing;
    const float p = v * i / 1000.0f * 0.85f;
    return {i, v, p, i * 0.98f, v + 1, p * 0.98f, i * 1.02f, v - 1, p * 1.02f};
}

using RowSource = std::function<ChannelRowValues(qint64 row)>;

// Writes `rows` rows; returns an empty string or the writer's message.
inline QString WriteTestRecording(const QString& path, qint64 rows, float duration,
                                  const RowSource& source = SwingingRow,
                                  std::array<float, 7> motor = TestMotor()) {
    RecordingHeader header;
    header.StartTime = 36000;
    header.Duration = duration;
    header.Motor = motor;
    header.CTFlags = {1, 1, 1};
    RecordingWriter writer;
    if (Status e = writer.create(path, header); !e)
        return e.error();
    MeasurementModel m;
    m.resetExtrema();
    for (qint64 r = 1; r <= rows; ++r) {
        const ChannelRowValues values = source(r);
        if (Status e = writer.appendRow(values); !e)
            return e.error();
        SampleRowValues row{};
        ChannelRowValues channels{};
        for (int j = 0; j < kChannelRowSize; ++j)
            row[std::size_t(j)] = values[std::size_t(j)];
        const float t = float(double(r) * duration / double(rows));
        ProcessSampleRow(m, 36000 + t, 36000, t, row, channels);
    }
    if (rows == 0) {
        m.RowMaximum.fill(0);
        m.RowMinimum.fill(0);
    }
    return writer.finish(m.RowMaximum, m.RowMinimum).error();
}

} // namespace zr5::test
