// Files of several gigabytes that take no disk space, for offsets past 4 GiB.
#pragma once

#include <cstdint>
#include <string>

#include "platform/block_device.h"

namespace quovil::test {

// Sets the length of an existing file; true when it took.
bool MakeSparse(const std::string& path, uint64_t length);

// Writes four bytes 5 GiB into a device over such a file, reads them back and
// checks that the place 4 GiB lower stayed unwritten (no 32-bit wrap).
void ExpectFarOffsetsRoundTrip(BlockDevice& dev);

}  // namespace quovil::test
