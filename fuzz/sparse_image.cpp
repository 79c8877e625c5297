#include "sparse_image.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "card/korax.h"

namespace quovil::fuzz {

namespace {

struct Chunk {
  uint64_t offset;
  const uint8_t* bytes;
  size_t n;
};

class SparseDevice : public BlockDevice {
 public:
  SparseDevice(uint64_t length, std::vector<Chunk> chunks) : length_(length), chunks_(std::move(chunks)) {}

  bool Read(uint64_t offset, void* buf, size_t n) override {
    if (offset > length_ || n > length_ - offset) return false;
    auto* out = static_cast<uint8_t*>(buf);
    std::memset(out, 0, n);
    for (const Chunk& c : chunks_) {
      uint64_t from = std::max(offset, c.offset);
      uint64_t to = std::min(offset + n, c.offset + c.n);
      if (from < to) std::memcpy(out + (from - offset), c.bytes + (from - c.offset), size_t(to - from));
    }
    return true;
  }
  // The readers under test must never write; a write is a finding.
  bool Write(uint64_t, const void*, size_t) override { __builtin_trap(); }
  int64_t Length() override { return int64_t(length_); }
  bool Removable() override { return true; }
  std::string Name() const override { return "sparse"; }

 private:
  uint64_t length_;
  std::vector<Chunk> chunks_;
};

}  // namespace

std::unique_ptr<BlockDevice> SparseImage(const uint8_t* data, size_t size) {
  if (size < 4) return std::make_unique<SparseDevice>(0, std::vector<Chunk>{});
  uint32_t sectors = std::min(GetU32(data), kMaxImageSectors);
  std::vector<Chunk> chunks;
  size_t p = 4;
  while (p + 6 <= size) {
    uint64_t sector = GetU32(data + p) % kMaxImageSectors;
    size_t n = std::min<size_t>(GetU16(data + p + 4), size - (p + 6));
    chunks.push_back({sector * 512u, data + p + 6, n});
    p += 6 + n;
  }
  return std::make_unique<SparseDevice>(uint64_t(sectors) * 512u, std::move(chunks));
}

std::vector<uint8_t> EncodeSparse(const std::vector<uint8_t>& image) {
  std::vector<uint8_t> out(4);
  PutU32(out.data(), uint32_t(std::min<size_t>(image.size() / 512, kMaxImageSectors)));
  auto zero = [&](size_t s) {
    size_t end = std::min(image.size(), (s + 1) * 512);
    return std::all_of(image.begin() + long(s * 512), image.begin() + long(end), [](uint8_t b) { return b == 0; });
  };
  size_t sectors = (image.size() + 511) / 512;
  for (size_t s = 0; s < sectors;) {
    if (zero(s)) {
      ++s;
      continue;
    }
    size_t first = s;
    while (s < sectors && !zero(s) && s - first < 64) ++s;
    size_t begin = first * 512, end = std::min(image.size(), s * 512);
    uint8_t head[6];
    PutU32(head, uint32_t(first));
    PutU16(head + 4, uint16_t(end - begin));
    out.insert(out.end(), head, head + 6);
    out.insert(out.end(), image.begin() + long(begin), image.begin() + long(end));
  }
  return out;
}

}  // namespace quovil::fuzz
