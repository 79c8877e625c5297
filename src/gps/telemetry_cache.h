// The telemetry index kept per card in the user's cache folder, so that a
// card opened again shows its route at once. Nothing of it is ever written to
// the card: the file is named by a key of the card's boot sector, state table,
// catalogue and size, and a file that is damaged, cut short, of another
// version or not of this catalogue is built anew.
#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>

#include "gps/telemetry.h"

namespace quovil {

struct Source;
class WorkProgress;

// The cache folder: $XDG_CACHE_HOME/quovil, else ~/.cache/quovil (Windows:
// %LOCALAPPDATA%\quovil); empty when none of them is known, and then
// nothing is cached.
std::string TelemetryCacheDir();

// 128 bits of the card's boot sector, state table, catalogue and size.
struct TelemetryKey {
  uint64_t lo = 0, hi = 0;
  bool operator==(const TelemetryKey&) const = default;
};
TelemetryKey TelemetryCacheKey(const Source& src);
// "telemetry-<32 hex digits>.bin"
std::string TelemetryCacheFileName(const TelemetryKey& key);

// The cached index of src in dir, or nothing when there is none that fits
// this catalogue whole (the file's damage is not told apart: it is rebuilt).
std::optional<TelemetryIndex> LoadTelemetryCache(const Source& src, const std::string& dir);
// Writes the index of src into dir (made when missing, private to the user)
// under a temporary name renamed when complete, and removes the oldest files
// beyond the few most recent cards. False when it could not be written.
bool SaveTelemetryCache(const Source& src, const TelemetryIndex& index, const std::string& dir);

// What the window and the command line call: the cached index when there is
// one, else a new one built and, when complete and read without failures,
// cached. fromCache (when given) says which. An empty dir caches nothing.
TelemetryIndex LoadOrBuildTelemetry(const Source& src, const std::string& cacheDir, WorkProgress& progress,
                                    std::stop_token stop = {}, bool* fromCache = nullptr);

// The cache file's layout, for the tests that damage one.
inline constexpr char kTelemetryMagic[8] = {'Q', 'V', 'T', 'E', 'L', 'E', 'M', '1'};
// Raised whenever the layout or the reading of the blocks changes, so that
// rows made by an older reading are not shown.
inline constexpr uint32_t kTelemetryCacheVersion = 1;
inline constexpr size_t kTelemetryHeaderBytes = 56;
inline constexpr size_t kTelemetryRowBytes = 72;
// The hash of the file's checksums (payload: seed 0 over the rows; header:
// seed 0 over its first 48 bytes).
uint64_t TelemetryHash64(const uint8_t* bytes, size_t n, uint64_t seed);

}  // namespace quovil
