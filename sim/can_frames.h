#pragma once

#include "cluster_model.h"

namespace vorkelsim {

// ISO 15765-2 segmentation of a payload into CAN frames, protocol-control
// bytes included: a single frame (0n) up to 7 bytes, else a first frame
// (1L LL + 6 bytes) and consecutive frames 21..2F, 20, 21... of 7 bytes.
// With padding every frame is filled to 8 bytes with padByte.
std::vector<Bytes> SegmentPayload(const Bytes& payload, bool padding, std::uint8_t padByte);

} // namespace vorkelsim
