#include "decode_fixture.h"

#include <cstring>

#include "card/korax.h"
#include "mkcard/mkcard.h"

namespace decode_test {

bool TestDevice::Read(uint64_t offset, void* buf, std::size_t n) {
  ++reads;
  if (failAt.count(offset) || offset > bytes.size() || n > bytes.size() - offset) return false;
  std::memcpy(buf, bytes.data() + offset, n);
  return true;
}

std::vector<uint8_t> TestPicture(int n, uint32_t seed) {
  std::vector<uint8_t> p(static_cast<size_t>(n));
  uint32_t x = seed * 2654435761u + 1;
  for (int i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    // Mostly a smooth ramp shifted by the seed, with a sprinkle of noise, so
    // that consecutive pictures share long stretches.
    p[size_t(i)] = uint8_t((i / 7 + seed / 3) + (((x >> 16) % 11 == 0) ? (x >> 24) : 0));
  }
  return p;
}

Recorder::Recorder(int width, int height, bool archive) : owned_(std::make_unique<TestDevice>()) {
  dev = owned_.get();
  src.SourceIsCard = !archive;
  src.CardFormat = 2;
  src.PictureWidth = width;
  src.PictureHeight = height;
  src.PictureBytes = width * height;
  src.SoundBytes = 1024;
  src.SampleRate = 8000;
  src.HasSound = true;
  // Records start past a stretch of other data; the archive's data offset is
  // deliberately not a whole sector.
  src.DataBaseSector = 3;
  src.Archive.DataOffset = 1000;
  dev->bytes.assign(size_t(src.LongBase()), 0xEE);
}

int Recorder::Append(int cam, uint8_t flag, const std::vector<uint8_t>& data, int pictureSectors) {
  auto sectorsOf = [](size_t n) { return int((n + 511) / 512); };
  if (pictureSectors < 0) pictureSectors = sectorsOf(data.size());
  LongEntry e;
  e.SetFirstSector(sector_);
  e.b[4] = uint8_t(flag | (cam & 3));
  e.b[5] = 25;
  e.b[6] = uint8_t(pictureSectors);
  e.b[7] = uint8_t(sectorsOf(sound_.size()));
  e.b[8] = uint8_t(sectorsOf(info_.size()));
  time_.To(&e.b[10]);
  auto put = [&](const std::vector<uint8_t>& part, int sectors) {
    std::vector<uint8_t> padded(part);
    padded.resize(size_t(sectors) * 512, 0);
    dev->bytes.insert(dev->bytes.end(), padded.begin(), padded.end());
  };
  put(sound_, e.b[7]);
  put(data, e.b[6]);
  put(info_, e.b[8]);
  sector_ += e.RecordSectors();
  sound_.clear();
  info_.clear();
  src.LongCatalogue.push_back(e);
  src.EntryCount = int32_t(src.LongCatalogue.size());
  expected.emplace_back();
  return src.EntryCount - 1;
}

int Recorder::Key(int cam, const std::vector<uint8_t>& picture) {
  const int i = Append(cam, 0, picture, -1);
  expected[size_t(i)] = picture;
  last_[cam & 3] = picture;
  return i;
}

int Recorder::Delta(int cam, const std::vector<uint8_t>& picture) {
  const std::vector<uint8_t>& prev = last_[cam & 3];
  const int i = Append(cam, quovil::kFlagDelta, mkcard::DeltaEncode(prev.data(), picture.data(), src.PictureBytes), -1);
  expected[size_t(i)] = mkcard::DecodeResult(prev.data(), picture.data(), src.PictureBytes);
  last_[cam & 3] = expected[size_t(i)];
  return i;
}

int Recorder::RawDelta(int cam, const std::vector<uint8_t>& stream, int sectors) {
  return Append(cam, quovil::kFlagDelta, stream, sectors);
}

int Recorder::Group(int cam, int count, uint32_t seed) {
  const int first = Key(cam, TestPicture(src.PictureBytes, seed));
  for (int k = 1; k < count; ++k) Delta(cam, TestPicture(src.PictureBytes, seed + uint32_t(k)));
  return first;
}

Source& Recorder::Finish() {
  if (owned_) {
    if (src.SourceIsCard) {
      src.Card = std::move(owned_);
      src.CardOpen = true;
    } else {
      src.ArchiveStream = std::move(owned_);
      src.ArchiveOpen = true;
    }
  }
  return src;
}

std::vector<uint8_t> SensorRecord(uint8_t status, uint16_t uin, uint16_t uakb) {
  std::vector<uint8_t> r(13, 0);
  quovil::PutU16(r.data(), 13);
  r[2] = quovil::kInfoSensor;
  r[3] = status;
  quovil::PutU16(&r[4], uin);
  quovil::PutU16(&r[8], uakb);
  return r;
}

std::vector<uint8_t> GpsRecord(const std::string& text) {
  std::vector<uint8_t> r(text.size() + 4, 0);
  quovil::PutU16(r.data(), uint16_t(r.size()));
  r[2] = quovil::kInfoGps;
  std::memcpy(&r[3], text.data(), text.size());
  return r;
}

std::vector<uint8_t> InfoBlock(const std::vector<std::vector<uint8_t>>& records) {
  std::vector<uint8_t> b;
  for (const auto& r : records) b.insert(b.end(), r.begin(), r.end());
  b.resize((b.size() + 511) / 512 * 512, 0);
  return b;
}

}  // namespace decode_test
