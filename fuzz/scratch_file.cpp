#include <unistd.h>

#include <cstdio>

#include "fuzz_viewer.h"

namespace quovil::fuzz {

std::string ScratchFile(const uint8_t* data, size_t size) {
  static const std::string path = [] {
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/quovil-fuzz-" + std::to_string(getpid());
  }();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) __builtin_trap();
  if (size && std::fwrite(data, 1, size, f) != size) __builtin_trap();
  std::fclose(f);
  return path;
}

}  // namespace quovil::fuzz
