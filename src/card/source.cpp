#include "card/source.h"

#include <atomic>

namespace quovil {

void Source::CatalogueChanged() {
  static std::atomic<uint64_t> versions{0};
  CatalogueVersion = ++versions;
}

int32_t Source::AddressableEntries() const {
  if (ShortEntries()) {
    if (CardFormat == 0) return int32_t(ShortCatalogue.size());
    return std::min<int32_t>(EntryCount, int32_t(ShortCatalogue.size()));
  }
  return std::min<int32_t>(EntryCount, int32_t(LongCatalogue.size()));
}

uint8_t Source::FlagOf(int32_t i) const {
  return ShortEntries() ? ShortCatalogue[size_t(i)].Flag() : LongCatalogue[size_t(i)].Flag();
}

int Source::CameraOf(int32_t i) const {
  if (ShortEntries()) return ShortCatalogue[size_t(i)].Camera();
  int c = LongCatalogue[size_t(i)].Camera();
  return c <= 1 ? c : -1;
}

TimeStamp Source::TimeOf(int32_t i) const {
  return ShortEntries() ? ShortCatalogue[size_t(i)].Time() : LongCatalogue[size_t(i)].Time();
}

const uint8_t* Source::TimeBytesOf(int32_t i) const {
  return ShortEntries() ? ShortCatalogue[size_t(i)].TimeBytes() : LongCatalogue[size_t(i)].TimeBytes();
}

RecordKind Source::KindOf(int32_t i) const {
  uint8_t f = FlagOf(i);
  if (ShortEntries()) return KindOfFlag(f, false);
  if (SourceIsCard || CardFormat == 2) return KindOfFlag(f, true);
  // An archive saved from a format 0 or 1 card: the writer clears the manual
  // bit, so a record with no kind bit is a manual record.
  if ((f & 0x1C) == 0) return RecordKind::Manual;
  return KindOfFlag(f, false);
}

RecordKind Source::TriggerOf(int32_t i) const {
  if (ShortEntries()) return KindOf(i);
  return KindOfFlag(uint8_t(FlagOf(i) & ~kFlagDelta), true);
}

const char* Source::KindTextOf(int32_t i) const { return KindName(KindOf(i)); }

}  // namespace quovil
