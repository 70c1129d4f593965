#include "link/framescanner.h"

#include "model/instrumentnumber.h"

namespace zr5 {

void FrameScanner::feed(const std::uint8_t* data, std::size_t size) {
    buffer_.insert(buffer_.end(), data, data + size);
    received_ += size;
}

void FrameScanner::clear() {
    buffer_.clear();
    read_ = 0;
    matched_ = 0;
    lastFrame_ = 0;
    canDrop_ = false;
    received_ = frames_ = skipped_ = dropped_ = 0;
}

void FrameScanner::compact() {
    // Consumed bytes are dropped once they are the larger part, which keeps both the memory and
    // the cost of moving the rest small.
    if (read_ == buffer_.size()) {
        buffer_.clear();
        read_ = 0;
    } else if (read_ >= 4096 && read_ * 2 >= buffer_.size()) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(read_));
        read_ = 0;
    }
}

bool FrameScanner::next(ChannelRowValues& numbers) {
    // The last frame is kept now: its bytes may go.
    canDrop_ = false;
    compact();
    while (matched_ < 3 && read_ < buffer_.size()) {
        if (buffer_[read_++] == kFrameMarker[matched_]) {
            ++matched_;
        } else {
            skipped_ += std::uint64_t(matched_) + 1;
            matched_ = 0;
        }
    }
    if (matched_ < 3 || buffer_.size() - read_ < kFrameNumberBytes) {
        compact();
        return false;
    }
    numbers = DecodeFrameNumbers(buffer_.data() + read_);
    lastFrame_ = read_;
    canDrop_ = true;
    read_ += kFrameNumberBytes;
    matched_ = 0;
    ++frames_;
    return true;
}

void FrameScanner::dropLast() {
    if (!canDrop_)
        return;
    canDrop_ = false;
    read_ = lastFrame_;
    matched_ = 0;
    --frames_;
    ++dropped_;
    skipped_ += 3; // its marker
}

} // namespace zr5
