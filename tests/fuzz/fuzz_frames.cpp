// Bytes from the serial line as any instrument or cable may deliver them, in pieces of any size:
// the frame scanner, the number decoding, the ratios and the completion of every row.

#include <algorithm>

#include "link/framescanner.h"
#include "model/instrumentnumber.h"
#include "model/measurementmodel.h"

using namespace zr5;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    // The first byte sets the piece size, the second the transformer ratios.
    const std::size_t piece = std::size_t(data[0]) + 1;
    const float ratio = float(1 << (data[1] % 16));
    data += 2;
    size -= 2;
    FrameScanner scanner;
    MeasurementModel model;
    model.resetExtrema();
    ChannelRowValues numbers;
    float elapsed = 0;
    for (std::size_t at = 0; at < size; at += piece) {
        scanner.feed(data + at, std::min(piece, size - at));
        while (scanner.next(numbers)) {
            ApplyTransformerRatios(numbers, ratio, ratio);
            // As the reception does: a row no measurement gives is dropped, the scan goes on
            // inside it.
            if (!IsPossibleReading(numbers)) {
                scanner.dropLast();
                continue;
            }
            SampleRowValues row{};
            std::copy(numbers.begin(), numbers.end(), row.begin());
            elapsed += 0.034f;
            ProcessSampleRow(model, elapsed, 0.0f, elapsed, row, numbers);
        }
    }
    return 0;
}
