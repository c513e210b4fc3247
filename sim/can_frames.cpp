#include "can_frames.h"

#include <algorithm>

namespace vorkelsim {

std::vector<Bytes> SegmentPayload(const Bytes& payload, bool padding, std::uint8_t padByte) {
    std::vector<Bytes> frames;
    const auto pad = [&](Bytes& frame) {
        if (padding) frame.resize(8, padByte);
    };
    if (payload.size() <= 7) {
        Bytes frame{static_cast<std::uint8_t>(payload.size())};
        frame.insert(frame.end(), payload.begin(), payload.end());
        pad(frame);
        frames.push_back(frame);
        return frames;
    }
    const std::size_t length = std::min<std::size_t>(payload.size(), 0xFFF);
    Bytes first{static_cast<std::uint8_t>(0x10 | (length >> 8)),
                static_cast<std::uint8_t>(length & 0xFF)};
    first.insert(first.end(), payload.begin(), payload.begin() + 6);
    frames.push_back(first);
    std::size_t offset = 6;
    std::uint8_t sequence = 1;
    while (offset < length) {
        const std::size_t take = std::min<std::size_t>(7, length - offset);
        Bytes frame{static_cast<std::uint8_t>(0x20 | sequence)};
        frame.insert(frame.end(), payload.begin() + static_cast<long>(offset),
                     payload.begin() + static_cast<long>(offset + take));
        pad(frame);
        frames.push_back(frame);
        offset += take;
        sequence = static_cast<std::uint8_t>((sequence + 1) & 0x0F);
    }
    return frames;
}

} // namespace vorkelsim
