#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/types.h"

namespace zr5 {

// Finds the instrument's frames (the marker 12 34 56, then nine three-byte numbers) in the byte
// stream, fed in whatever chunks the port delivers. It keeps only the bytes it has not consumed
// yet, so its memory stays bounded however long a reception runs; its counters are 64-bit.
//
// The marker is matched byte by byte: when a byte fails, the scan restarts with the byte after
// it, so a byte that failed as 34 or 56 is not tried again as 12 (12 12 34 56 is not a marker).
// Whatever the instrument sends between the ninth number and the next marker is skipped by the
// scan itself, so a frame is never lost to a fixed trailer length.
class FrameScanner {
public:
    void feed(const std::uint8_t* data, std::size_t size);
    void feed(const char* data, std::size_t size) {
        feed(reinterpret_cast<const std::uint8_t*>(data), size);
    }
    // Takes the next complete frame and decodes its nine numbers (unscaled). False when the bytes
    // received so far hold no further complete frame; the partial frame waits for more bytes.
    bool next(ChannelRowValues& numbers);
    // Drops the frame next() has just returned, whose numbers cannot be a measurement (a glitch
    // cut a frame short and the next frame's bytes were read as its numbers): the scan resumes
    // on the byte after its marker, so a marker inside it still starts the next frame.
    void dropLast();
    // Forgets every byte received (the start of a reception).
    void clear();

    std::uint64_t bytesReceived() const { return received_; }
    // Frames taken, not counting those dropped.
    std::uint64_t framesFound() const { return frames_; }
    std::uint64_t framesDropped() const { return dropped_; }
    // Bytes the scan passed over without finding a marker in them.
    std::uint64_t bytesSkipped() const { return skipped_; }
    // Bytes held: not yet scanned, or the marker and numbers of a frame still incomplete.
    std::size_t bytesHeld() const { return buffer_.size() - read_; }

private:
    void compact();

    std::vector<std::uint8_t> buffer_;
    std::size_t read_ = 0; // first byte not yet consumed
    int matched_ = 0;      // marker bytes matched just before read_
    // Where the numbers of the frame last returned begin; its bytes stay until the next scan.
    std::size_t lastFrame_ = 0;
    bool canDrop_ = false;
    std::uint64_t received_ = 0;
    std::uint64_t frames_ = 0;
    std::uint64_t skipped_ = 0;
    std::uint64_t dropped_ = 0;
};

} // namespace zr5
