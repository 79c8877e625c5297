#include "gps/telemetry_cache.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

#include "card/source.h"
#include "platform/utf8_file.h"

namespace quovil {

namespace fs = std::filesystem;

namespace {

// Cards whose index is kept; the oldest files beyond them are removed.
constexpr size_t kKeptCards = 16;

uint64_t GetU64(const uint8_t* p) { return uint64_t(GetU32(p)) | (uint64_t(GetU32(p + 4)) << 32); }
void PutU64(uint8_t* p, uint64_t v) {
  PutU32(p, uint32_t(v));
  PutU32(p + 4, uint32_t(v >> 32));
}
double GetF64(const uint8_t* p) { return std::bit_cast<double>(GetU64(p)); }
void PutF64(uint8_t* p, double v) { PutU64(p, std::bit_cast<uint64_t>(v)); }

// A 64-bit hash after the manner of xxHash64: four lanes over 32-byte
// stripes, then the tail and a final mix. Bytes are read little-endian, so a
// key is the same on every machine.
constexpr uint64_t kP1 = 0x9E3779B185EBCA87ull, kP2 = 0xC2B2AE3D27D4EB4Full, kP3 = 0x165667B19E3779F9ull,
                   kP4 = 0x85EBCA77C2B2AE63ull, kP5 = 0x27D4EB2F165667C5ull;
uint64_t Round(uint64_t acc, uint64_t input) { return std::rotl(acc + input * kP2, 31) * kP1; }
uint64_t Merge(uint64_t acc, uint64_t v) { return (acc ^ Round(0, v)) * kP1 + kP4; }

uint64_t Hash64(const uint8_t* p, size_t n, uint64_t seed) {
  const uint8_t* const end = p + n;
  uint64_t h;
  if (n >= 32) {
    uint64_t v1 = seed + kP1 + kP2, v2 = seed + kP2, v3 = seed, v4 = seed - kP1;
    for (; end - p >= 32; p += 32) {
      v1 = Round(v1, GetU64(p));
      v2 = Round(v2, GetU64(p + 8));
      v3 = Round(v3, GetU64(p + 16));
      v4 = Round(v4, GetU64(p + 24));
    }
    h = std::rotl(v1, 1) + std::rotl(v2, 7) + std::rotl(v3, 12) + std::rotl(v4, 18);
    h = Merge(Merge(Merge(Merge(h, v1), v2), v3), v4);
  } else {
    h = seed + kP5;
  }
  h += n;
  for (; end - p >= 8; p += 8) h = std::rotl(h ^ Round(0, GetU64(p)), 27) * kP1 + kP4;
  if (end - p >= 4) {
    h = std::rotl(h ^ (uint64_t(GetU32(p)) * kP1), 23) * kP2 + kP3;
    p += 4;
  }
  for (; p < end; ++p) h = std::rotl(h ^ (*p * kP5), 11) * kP1;
  h ^= h >> 33;
  h *= kP2;
  h ^= h >> 29;
  h *= kP3;
  return h ^ (h >> 32);
}

// Two hashes of differing seeds chained over the parts of the key.
struct KeyHasher {
  uint64_t a = 0x51A7E11u, b = 0xC0FFEE5u;
  void Add(const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    a = Hash64(p, n, a);
    b = Hash64(p, n, b ^ kP3);
  }
  void AddNumber(uint64_t v) {
    uint8_t bytes[8];
    PutU64(bytes, v);
    Add(bytes, 8);
  }
};

enum RowFlags : uint8_t {
  kHasPosition = 1,
  kHasSpeed = 2,
  kHasCourse = 4,
  kHasTime = 8,
  kHasDate = 16,
  kHasSensor = 32,
  kAllFlags = 63,
};

void PutRow(uint8_t* r, const TelemetrySecond& s) {
  std::memset(r, 0, kTelemetryRowBytes);
  PutU32(r + 0, uint32_t(s.index));
  PutU32(r + 4, uint32_t(s.lastIndex));
  PutU32(r + 8, uint32_t(s.infoIndex));
  s.time.To(r + 12);
  const GpsFix& g = s.gps;
  r[18] = uint8_t((g.hasPosition ? kHasPosition : 0) | (g.hasSpeed ? kHasSpeed : 0) | (g.hasCourse ? kHasCourse : 0) |
                  (g.hasTime ? kHasTime : 0) | (g.hasDate ? kHasDate : 0) | (s.hasSensor ? kHasSensor : 0));
  r[19] = s.status;
  PutU16(r + 20, s.uin);
  PutU16(r + 22, s.uakb);
  PutF64(r + 24, g.lat);
  PutF64(r + 32, g.lon);
  PutF64(r + 40, g.speedKmh);
  PutF64(r + 48, g.course);
  PutF64(r + 56, g.second);
  PutU16(r + 64, uint16_t(g.year));
  r[66] = uint8_t(g.month);
  r[67] = uint8_t(g.day);
  r[68] = uint8_t(g.hour);
  r[69] = uint8_t(g.minute);
}

bool Finite(double v, double limit) { return std::isfinite(v) && std::fabs(v) <= limit; }

// One row read back; false when its values cannot be the parser's.
bool GetRow(const uint8_t* r, TelemetrySecond& s) {
  s.index = int32_t(GetU32(r + 0));
  s.lastIndex = int32_t(GetU32(r + 4));
  s.infoIndex = int32_t(GetU32(r + 8));
  s.time = TimeStamp::From(r + 12);
  const uint8_t flags = r[18];
  if (flags & ~kAllFlags) return false;
  GpsFix& g = s.gps;
  g.hasPosition = flags & kHasPosition;
  g.hasSpeed = flags & kHasSpeed;
  g.hasCourse = flags & kHasCourse;
  g.hasTime = flags & kHasTime;
  g.hasDate = flags & kHasDate;
  s.hasSensor = flags & kHasSensor;
  s.status = r[19];
  s.uin = GetU16(r + 20);
  s.uakb = GetU16(r + 22);
  g.lat = GetF64(r + 24);
  g.lon = GetF64(r + 32);
  g.speedKmh = GetF64(r + 40);
  g.course = GetF64(r + 48);
  g.second = GetF64(r + 56);
  g.year = GetU16(r + 64);
  g.month = r[66];
  g.day = r[67];
  g.hour = r[68];
  g.minute = r[69];
  return Finite(g.lat, 90) && Finite(g.lon, 180) && Finite(g.speedKmh, 1e9) && Finite(g.course, 360) &&
         Finite(g.second, 61) && g.month <= 12 && g.day <= 31 && g.hour <= 23 && g.minute <= 59;
}

// The rows describe this catalogue: its runs of equal time stamps, one after
// the other over every entry, each with a block entry of its own run.
bool FitsCatalogue(const Source& src, const std::vector<TelemetrySecond>& seconds) {
  const int32_t n = src.AddressableEntries();
  int32_t next = 0;
  for (const TelemetrySecond& s : seconds) {
    if (s.index != next || s.lastIndex < s.index || s.lastIndex >= n) return false;
    const uint8_t* t = src.TimeBytesOf(s.index);
    uint8_t stored[6];
    s.time.To(stored);
    if (!SameTimeStamp(t, stored) || !SameTimeStamp(src.TimeBytesOf(s.lastIndex), t)) return false;
    if (s.lastIndex + 1 < n && SameTimeStamp(src.TimeBytesOf(s.lastIndex + 1), t)) return false;
    if (s.infoIndex != -1 && (s.infoIndex < s.index || s.infoIndex > s.lastIndex ||
                              src.LongCatalogue[size_t(s.infoIndex)].InfoSectors() == 0))
      return false;
    next = s.lastIndex + 1;
  }
  return next == n;
}

void PutHeader(uint8_t* h, const TelemetryKey& key, uint64_t count, uint64_t payloadHash) {
  std::memset(h, 0, kTelemetryHeaderBytes);
  std::memcpy(h, kTelemetryMagic, 8);
  PutU32(h + 8, kTelemetryCacheVersion);
  PutU32(h + 12, uint32_t(kTelemetryRowBytes));
  PutU64(h + 16, key.lo);
  PutU64(h + 24, key.hi);
  PutU64(h + 32, count);
  PutU64(h + 40, payloadHash);
  PutU64(h + 48, Hash64(h, 48, 0));
}

std::optional<TelemetryIndex> Load(const Source& src, const std::string& dir, const TelemetryKey& key) {
  const std::string path = PathToUtf8(PathFromUtf8(dir) / TelemetryCacheFileName(key));
  std::error_code ec;
  const uintmax_t size = fs::file_size(PathFromUtf8(path), ec);
  if (ec || size < kTelemetryHeaderBytes) return std::nullopt;
  // The rows a file may claim: one per entry at most, and exactly its size.
  const uint64_t rows = (size - kTelemetryHeaderBytes) / kTelemetryRowBytes;
  if (rows > uint64_t(std::max(src.AddressableEntries(), 0)) ||
      kTelemetryHeaderBytes + rows * kTelemetryRowBytes != size)
    return std::nullopt;
  std::FILE* f = OpenFileUtf8(path, "rb");
  if (!f) return std::nullopt;
  uint8_t h[kTelemetryHeaderBytes];
  std::vector<uint8_t> payload;
  bool ok = std::fread(h, 1, sizeof h, f) == sizeof h;
  ok = ok && std::memcmp(h, kTelemetryMagic, 8) == 0 && GetU32(h + 8) == kTelemetryCacheVersion &&
       GetU32(h + 12) == kTelemetryRowBytes && GetU64(h + 16) == key.lo && GetU64(h + 24) == key.hi &&
       GetU64(h + 32) == rows && GetU64(h + 48) == Hash64(h, 48, 0);
  if (ok) {
    payload.resize(size_t(rows) * kTelemetryRowBytes);
    ok = std::fread(payload.data(), 1, payload.size(), f) == payload.size() && std::fgetc(f) == EOF;
  }
  std::fclose(f);
  if (!ok || GetU64(h + 40) != Hash64(payload.data(), payload.size(), 0)) return std::nullopt;
  std::vector<TelemetrySecond> seconds(static_cast<size_t>(rows));
  for (size_t i = 0; i < seconds.size(); ++i)
    if (!GetRow(&payload[i * kTelemetryRowBytes], seconds[i])) return std::nullopt;
  if (!FitsCatalogue(src, seconds)) return std::nullopt;
  return TelemetryIndex(std::move(seconds), src.CatalogueVersion);
}

// A name of its own for the file being written.
std::string TemporaryName(const std::string& final) {
  static std::atomic<uint32_t> counter{0};
  static const uint32_t salt = std::random_device{}();
  return final + Format(".tmp%08x%04x", salt, unsigned(counter++ & 0xFFFF));
}

// The oldest index files beyond the kept ones, and temporary files left by a
// writer that never finished.
void Prune(const fs::path& dir) {
  std::error_code ec;
  std::vector<std::pair<fs::file_time_type, fs::path>> kept;
  const auto now = fs::file_time_type::clock::now();
  for (const fs::directory_entry& e : fs::directory_iterator(dir, ec)) {
    const std::string name = PathToUtf8(e.path().filename());
    if (name.rfind("telemetry-", 0) != 0 || !e.is_regular_file(ec)) continue;
    const fs::file_time_type when = e.last_write_time(ec);
    if (ec) continue;
    if (name.find(".bin.tmp") != std::string::npos) {
      if (now - when > std::chrono::hours(1)) fs::remove(e.path(), ec);
    } else if (name.size() > 4 && name.compare(name.size() - 4, 4, ".bin") == 0) {
      kept.emplace_back(when, e.path());
    }
  }
  if (kept.size() <= kKeptCards) return;
  std::sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  for (size_t i = kKeptCards; i < kept.size(); ++i) fs::remove(kept[i].second, ec);
}

bool Save(const TelemetryIndex& index, const std::string& dir, const TelemetryKey& key) {
  std::error_code ec;
  const fs::path folder = PathFromUtf8(dir);
  if (fs::create_directories(folder, ec)) fs::permissions(folder, fs::perms::owner_all, ec);
  if (!fs::is_directory(folder, ec)) return false;
  const std::vector<TelemetrySecond>& seconds = index.Seconds();
  std::vector<uint8_t> bytes(kTelemetryHeaderBytes + seconds.size() * kTelemetryRowBytes);
  for (size_t i = 0; i < seconds.size(); ++i) PutRow(&bytes[kTelemetryHeaderBytes + i * kTelemetryRowBytes], seconds[i]);
  PutHeader(bytes.data(), key, seconds.size(),
            Hash64(bytes.data() + kTelemetryHeaderBytes, bytes.size() - kTelemetryHeaderBytes, 0));
  const std::string final = PathToUtf8(folder / TelemetryCacheFileName(key));
  const std::string temporary = TemporaryName(final);
  std::FILE* f = OpenFileUtf8(temporary, "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  // Where the driver went is nobody else's business.
  if (ok) fs::permissions(PathFromUtf8(temporary), fs::perms::owner_read | fs::perms::owner_write, ec);
  if (ok) {
    fs::rename(PathFromUtf8(temporary), PathFromUtf8(final), ec);
    ok = !ec;
  }
  if (!ok) {
    RemoveFileUtf8(temporary);
    return false;
  }
  Prune(folder);
  return true;
}

}  // namespace

uint64_t TelemetryHash64(const uint8_t* bytes, size_t n, uint64_t seed) { return Hash64(bytes, n, seed); }

std::string TelemetryCacheDir() {
  if (const auto x = GetEnvUtf8("XDG_CACHE_HOME"); x && PathFromUtf8(*x).is_absolute())
    return PathToUtf8(PathFromUtf8(*x) / "quovil");
#ifdef _WIN32
  if (const auto local = GetEnvUtf8("LOCALAPPDATA"); local && !local->empty())
    return PathToUtf8(PathFromUtf8(*local) / "quovil");
#endif
  if (const auto home = GetEnvUtf8("HOME"); home && !home->empty())
    return PathToUtf8(PathFromUtf8(*home) / ".cache" / "quovil");
  return {};
}

TelemetryKey TelemetryCacheKey(const Source& src) {
  KeyHasher k;
  k.Add("quovil telemetry", 16);
  k.AddNumber(uint64_t(src.SourceIsCard) | (uint64_t(uint32_t(src.CardFormat)) << 8));
  k.AddNumber(uint64_t(src.SourceSize));
  k.Add(src.BootSector.data(), src.BootSector.size());
  k.Add(src.StateTable.data(), src.StateTable.size());
  const ArchiveHeader& a = src.Archive;
  for (const uint64_t v : {uint64_t(a.HeaderLength), uint64_t(a.Version), uint64_t(a.DataOffset),
                           uint64_t(a.CardFormat), uint64_t(a.SoundBytes), uint64_t(a.SampleRate), uint64_t(a.Width),
                           uint64_t(a.Height), uint64_t(a.EntryCount)})
    k.AddNumber(v);
  k.AddNumber(uint64_t(uint32_t(src.EntryCount)));
  k.AddNumber(uint64_t(src.DataBaseSector));
  k.Add(src.LongCatalogue.data(), src.LongCatalogue.size() * sizeof(LongEntry));
  k.Add(src.ShortCatalogue.data(), src.ShortCatalogue.size() * sizeof(ShortEntry));
  return {k.a, k.b};
}

std::string TelemetryCacheFileName(const TelemetryKey& key) {
  return Format("telemetry-%016llx%016llx.bin", static_cast<unsigned long long>(key.hi),
                static_cast<unsigned long long>(key.lo));
}

std::optional<TelemetryIndex> LoadTelemetryCache(const Source& src, const std::string& dir) {
  if (dir.empty() || !src.Open() || src.ShortEntries()) return std::nullopt;
  return Load(src, dir, TelemetryCacheKey(src));
}

bool SaveTelemetryCache(const Source& src, const TelemetryIndex& index, const std::string& dir) {
  if (dir.empty() || !src.Open() || src.ShortEntries() || !index.Complete()) return false;
  return Save(index, dir, TelemetryCacheKey(src));
}

TelemetryIndex LoadOrBuildTelemetry(const Source& src, const std::string& cacheDir, WorkProgress& progress,
                                    std::stop_token stop, bool* fromCache) {
  if (fromCache) *fromCache = false;
  const bool cached = !cacheDir.empty() && src.Open() && !src.ShortEntries();
  const TelemetryKey key = cached ? TelemetryCacheKey(src) : TelemetryKey{};
  if (cached) {
    if (std::optional<TelemetryIndex> index = Load(src, cacheDir, key)) {
      if (fromCache) *fromCache = true;
      return std::move(*index);
    }
  }
  TelemetryIndex index = BuildTelemetryIndex(src, progress, stop);
  if (cached && index.Complete() && index.ReadFailures() == 0) Save(index, cacheDir, key);
  return index;
}

}  // namespace quovil
