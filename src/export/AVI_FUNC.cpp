#include "export/AVI_FUNC.h"

#include <algorithm>
#include <cstring>

#include "card/korax.h"
#include "platform/utf8_file.h"

namespace quovil {

namespace {

constexpr uint32_t kAvifHasIndex = 0x10;
constexpr uint32_t kAvifIsInterleaved = 0x100;
constexpr size_t kMainHeaderBytes = 56;
constexpr size_t kStreamHeaderBytes = 56;

void Append(std::vector<uint8_t>& out, const char* fourcc) { out.insert(out.end(), fourcc, fourcc + 4); }
void Append32(std::vector<uint8_t>& out, uint32_t v) {
  uint8_t b[4];
  PutU32(b, v);
  out.insert(out.end(), b, b + 4);
}
void Append16(std::vector<uint8_t>& out, uint16_t v) {
  uint8_t b[2];
  PutU16(b, v);
  out.insert(out.end(), b, b + 2);
}
// Sets the 32-bit size at `at` to the bytes that follow it.
void CloseList(std::vector<uint8_t>& out, size_t at) { PutU32(&out[at], uint32_t(out.size() - at - 4)); }

}  // namespace

std::vector<uint8_t> GreyDibFormat(int width, int height) {
  std::vector<uint8_t> f;
  Append32(f, 40);
  Append32(f, uint32_t(width));
  Append32(f, uint32_t(height));
  Append16(f, 1);  // planes
  Append16(f, 8);  // bits per pixel
  Append32(f, 0);  // BI_RGB
  Append32(f, uint32_t(width) * uint32_t(height));
  for (int i = 0; i < 4; ++i) Append32(f, 0);
  for (int i = 0; i < 256; ++i) {
    const uint8_t c = uint8_t(i);
    f.insert(f.end(), {c, c, c, 0});
  }
  return f;
}

std::vector<uint8_t> PcmU8MonoFormat(uint32_t sampleRate) {
  std::vector<uint8_t> f;
  Append16(f, 1);  // WAVE_FORMAT_PCM
  Append16(f, 1);  // channels
  Append32(f, sampleRate);
  Append32(f, sampleRate);  // average bytes per second
  Append16(f, 1);           // block align
  Append16(f, 8);           // bits per sample
  return f;
}

AviFile::~AviFile() { Release(); }

bool AviFile::Open(const std::string& path, uint32_t microsPerFrame) {
  Release();
  file_ = OpenFileUtf8(path, "wb");
  if (!file_) return false;
  // Frames are written one call each; a large buffer keeps that to few system calls.
  fileBuffer_.resize(1 << 20);
  std::setvbuf(file_, fileBuffer_.data(), _IOFBF, fileBuffer_.size());
  microsPerFrame_ = microsPerFrame;
  streams_.clear();
  index_.clear();
  moviStarted_ = failed_ = false;
  moviStart_ = offset_ = dataBytes_ = 0;
  return true;
}

int AviFile::CreateStream(const AviStreamHeader& header) {
  if (!file_ || moviStarted_ || streams_.size() >= 2) return -1;
  streams_.push_back(Stream{header, {}, 0, 0, 0});
  return int(streams_.size()) - 1;
}

bool AviFile::SetFormat(int stream, const std::vector<uint8_t>& format) {
  if (!file_ || moviStarted_ || stream < 0 || size_t(stream) >= streams_.size()) return false;
  streams_[size_t(stream)].format = format;
  return true;
}

// RIFF header, hdrl and the movi list header, with the lengths known so far.
// Its size never changes, so Release rewrites it in place.
std::vector<uint8_t> AviFile::Headers() const {
  std::vector<uint8_t> h;
  Append(h, "RIFF");
  Append32(h, 0);
  Append(h, "AVI ");
  Append(h, "LIST");
  const size_t hdrl = h.size();
  Append32(h, 0);
  Append(h, "hdrl");
  Append(h, "avih");
  Append32(h, kMainHeaderBytes);
  const Stream* video = streams_.empty() ? nullptr : &streams_[0];
  uint32_t maxChunk = 0;
  uint64_t bytesPerSec = 0;
  for (const Stream& s : streams_) {
    maxChunk = std::max(maxChunk, s.maxChunk);
    if (s.header.scale) bytesPerSec += uint64_t(s.header.rate) * std::max<uint32_t>(s.header.sampleSize, s.maxChunk) / s.header.scale;
  }
  Append32(h, microsPerFrame_);
  Append32(h, uint32_t(std::min<uint64_t>(bytesPerSec, UINT32_MAX)));
  Append32(h, 0);  // padding granularity
  Append32(h, kAvifHasIndex | kAvifIsInterleaved);
  Append32(h, video ? video->chunks : 0);  // total frames
  Append32(h, 0);                          // initial frames
  Append32(h, uint32_t(streams_.size()));
  Append32(h, maxChunk);
  Append32(h, video ? uint32_t(video->header.frame[2] - video->header.frame[0]) : 0);
  Append32(h, video ? uint32_t(video->header.frame[3] - video->header.frame[1]) : 0);
  for (int i = 0; i < 4; ++i) Append32(h, 0);
  for (const Stream& s : streams_) {
    Append(h, "LIST");
    const size_t strl = h.size();
    Append32(h, 0);
    Append(h, "strl");
    Append(h, "strh");
    Append32(h, kStreamHeaderBytes);
    h.insert(h.end(), s.header.type, s.header.type + 4);
    Append32(h, s.header.handler);
    Append32(h, 0);  // flags
    Append32(h, 0);  // priority, language
    Append32(h, 0);  // initial frames
    Append32(h, s.header.scale);
    Append32(h, s.header.rate);
    Append32(h, s.header.start);
    // Length in the stream's own units: samples of fixed size, or chunks.
    Append32(h, s.header.sampleSize ? uint32_t(s.bytes / s.header.sampleSize) : s.chunks);
    Append32(h, s.header.suggestedBufferSize);
    Append32(h, 0);  // quality
    Append32(h, s.header.sampleSize);
    for (int16_t v : s.header.frame) Append16(h, uint16_t(v));
    Append(h, "strf");
    Append32(h, uint32_t(s.format.size()));
    h.insert(h.end(), s.format.begin(), s.format.end());
    if (s.format.size() & 1) h.push_back(0);
    CloseList(h, strl);
  }
  CloseList(h, hdrl);
  Append(h, "LIST");
  Append32(h, 0);
  Append(h, "movi");
  return h;
}

bool AviFile::Put(const void* p, size_t n) {
  if (failed_) return false;
  if (n && std::fwrite(p, 1, n, file_) != n) failed_ = true;
  offset_ += n;
  return !failed_;
}

bool AviFile::BeginMovi() {
  if (moviStarted_) return !failed_;
  if (streams_.empty()) return false;
  const std::vector<uint8_t> h = Headers();
  moviStarted_ = true;
  moviStart_ = h.size() - 4;
  return Put(h.data(), h.size());
}

bool AviFile::WriteSample(int stream, const uint8_t* data, uint32_t size, uint32_t flags) {
  if (!file_ || stream < 0 || size_t(stream) >= streams_.size() || !BeginMovi()) return false;
  Stream& s = streams_[size_t(stream)];
  uint8_t head[8];
  const char* kind = std::memcmp(s.header.type, "auds", 4) == 0 ? "wb" : "db";
  head[0] = uint8_t('0' + stream / 10);
  head[1] = uint8_t('0' + stream % 10);
  head[2] = uint8_t(kind[0]);
  head[3] = uint8_t(kind[1]);
  PutU32(head + 4, size);
  index_.push_back({GetU32(head), flags, uint32_t(offset_ - moviStart_), size});
  static const uint8_t pad = 0;
  if (!Put(head, 8) || !Put(data, size) || ((size & 1) && !Put(&pad, 1))) return false;
  ++s.chunks;
  s.bytes += size;
  s.maxChunk = std::max(s.maxChunk, size);
  dataBytes_ += size;
  return true;
}

bool AviFile::Release() {
  if (!file_) return true;
  bool ok = !streams_.empty() && BeginMovi();
  const uint64_t moviEnd = offset_;
  if (ok) {
    std::vector<uint8_t> idx;
    Append(idx, "idx1");
    Append32(idx, uint32_t(index_.size() * 16));
    for (const IndexEntry& e : index_) {
      Append32(idx, e.id);
      Append32(idx, e.flags);
      Append32(idx, e.offset);
      Append32(idx, e.size);
    }
    ok = Put(idx.data(), idx.size());
  }
  if (ok) {
    std::vector<uint8_t> h = Headers();
    PutU32(&h[4], uint32_t(offset_ - 8));
    PutU32(&h[h.size() - 8], uint32_t(moviEnd - moviStart_));
    ok = std::fseek(file_, 0, SEEK_SET) == 0 && std::fwrite(h.data(), 1, h.size(), file_) == h.size();
  }
  ok = (std::fclose(file_) == 0) && ok;
  file_ = nullptr;
  return ok && !failed_;
}

}  // namespace quovil
