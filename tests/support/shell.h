// Outside programs the tests start through a shell: the built CLI, ffprobe,
// ffmpeg, ImageMagick.
#pragma once

#include <string>

namespace quovil::test {

// Standard output of cmd; *rc gets its exit code (-1 when it did not exit).
std::string Shell(const std::string& cmd, int* rc = nullptr);

}  // namespace quovil::test
