// Whole reads and writes at 64-bit offsets on a POSIX file descriptor, shared
// by the image-file and the whole-disk devices.
#pragma once

#ifndef _WIN32
#include <cstddef>
#include <cstdint>

namespace quovil {

// Reads exactly n bytes at offset (retrying interrupted calls); false when
// fewer could be read.
bool PReadAll(int fd, uint64_t offset, void* buf, std::size_t n);
// Writes exactly n bytes at offset; false when refused or incomplete.
bool PWriteAll(int fd, uint64_t offset, const void* buf, std::size_t n);

}  // namespace quovil
#endif
