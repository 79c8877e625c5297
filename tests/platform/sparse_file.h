// Files of several gigabytes that take no disk space, for offsets past 4 GiB.
#pragma once

#include <cstdint>
#include <string>

namespace quovil::test {

// Sets the length of an existing file; true when it took.
bool MakeSparse(const std::string& path, uint64_t length);

}  // namespace quovil::test
