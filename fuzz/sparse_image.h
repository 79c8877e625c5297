// A card image described sparsely, so that a fuzzer can reach the far-apart
// areas of a card (boot sector, state tables, catalogue at 1 MiB, journal at
// 8 MiB) with inputs of a few kilobytes.
//
// Layout: u32 length of the image in sectors (capped), then chunks of
// u32 first sector, u16 byte count, the bytes. Everything not covered by a
// chunk reads as zero; a chunk that runs past the input is cut.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/block_device.h"

namespace quovil::fuzz {

// Images larger than this are shrunk to it: the readers' allocations grow with
// the card, and the fuzzer's memory limit is not the point of the exercise.
inline constexpr uint32_t kMaxImageSectors = 1u << 17;  // 64 MiB

std::unique_ptr<BlockDevice> SparseImage(const uint8_t* data, size_t size);

// The sparse description of a whole image (for seed corpora).
std::vector<uint8_t> EncodeSparse(const std::vector<uint8_t>& image);

}  // namespace quovil::fuzz
