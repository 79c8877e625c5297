#include "card/catalogue_load.h"

#include <algorithm>
#include <type_traits>

#include "card/state_tables.h"
#include "platform/translate.h"

namespace quovil {

static_assert(std::is_trivially_copyable_v<ShortEntry> && sizeof(ShortEntry) == 8);
static_assert(std::is_trivially_copyable_v<LongEntry> && sizeof(LongEntry) == 16);

namespace {

uint64_t CatalogueOffset(const Source& src) { return uint64_t(src.CatalogueSector) * kSectorSize; }

// The entries are plain byte arrays laid end to end: the catalogue is read
// straight into them.
template <typename Entry>
uint8_t* Bytes(std::vector<Entry>& v, size_t first) {
  return reinterpret_cast<uint8_t*>(v.data()) + first * sizeof(Entry);
}

}  // namespace

bool ReadCatalogueChunk(const Source& src, uint32_t i, CatalogueChunk& chunk) {
  const uint8_t* t = src.StateTable.data();
  uint64_t cap = state2::RingCapacity.Get(t);
  if (i >= cap) return false;
  uint64_t ringSectors = uint64_t(RoundToSector(int64_t(cap) * 16)) / kSectorSize;
  uint64_t sector = uint64_t(i) * 16 / kSectorSize;
  uint64_t sectors = std::min<uint64_t>(CatalogueChunk::kBytes / kSectorSize, ringSectors - sector);
  chunk.cursor = int(uint64_t(i) * 16 % kSectorSize);
  uint64_t held = (sectors * kSectorSize - uint64_t(chunk.cursor)) / 16;
  chunk.count = int(std::min<uint64_t>(held, cap - i));
  return src.Card->Read(CatalogueOffset(src) + sector * kSectorSize, chunk.bytes.data(),
                        size_t(sectors * kSectorSize));
}

bool ReadShortCatalogue(Source& src) {
  if (src.CardFormat == 0) {
    src.ShortCatalogue.assign(size_t(kCatalogue0Entries), ShortEntry{});
    return src.Card->Read(state0::kCatalogue, Bytes(src.ShortCatalogue, 0),
                          size_t(kCatalogue0Entries) * sizeof(ShortEntry));
  }
  uint32_t slots = state1::SlotCount.Get(src.StateTable.data());
  src.ShortCatalogue.assign(size_t(AlignUp(slots, 64)), ShortEntry{});
  if (slots == 0) return true;
  return src.Card->Read(CatalogueOffset(src), Bytes(src.ShortCatalogue, 0),
                        size_t(RoundToSector(int64_t(slots) * 8)));
}

namespace {

// The clock check over the six time bytes (day, month, year, hour, minute,
// second), without a branch per field.
bool ValidClockBytes(const uint8_t* p) {
  return (unsigned(p[0] - 1) < 31u) & (unsigned(p[1] - 1) < 12u) & (p[2] != 11) & (p[3] < 24) & (p[4] < 60) &
         (p[5] < 60);
}

}  // namespace

bool ValidClock(const TimeStamp& t) {
  uint8_t b[6];
  t.To(b);
  return ValidClockBytes(b);
}

namespace {

// Walks the wrapped ring from RingTail along the chain of records (each
// record starts where the previous one ended) until the chain leaves the
// written data; the oldest entry shown lies 128 entries further on, which
// the recorder keeps free as its overwrite margin. Returns the ring index of
// the oldest entry, or -1 when a read fails.
int64_t WrapScan(const Source& src, ViewerHost& host) {
  const uint8_t* t = src.StateTable.data();
  uint32_t cap = state2::RingCapacity.Get(t);
  uint32_t limit = state2::DataWriteSector.Get(t);
  uint32_t i = state2::RingTail.Get(t);
  if (limit != 0) {
    CatalogueChunk chunk;
    if (!ReadCatalogueChunk(src, i, chunk)) return -1;
    int32_t signedSteps = int32_t(state2::ScanSteps.Get(t));
    // A chain longer than the ring would go round it for ever.
    uint32_t steps = signedSteps <= 0 ? 0 : std::min<uint32_t>(uint32_t(signedSteps), cap);
    // Scans of hundreds of thousands of entries happen at every opening of a
    // full card: the step works on the entry bytes in place, and the chunk's
    // fields live in locals the message box call cannot touch.
    const uint8_t* base = chunk.EntryBytes(0);
    int count = chunk.count;
    int k = 0;
    for (uint32_t s = 0; s < steps; ++s) {
      const uint8_t* e = base + k * 16;
      int32_t expected = int32_t(GetU32(e) + uint32_t(e[6]) + e[7] + e[8]);
      ++i;
      ++k;
      if (i >= cap || k >= count) {
        if (i >= cap) i = 0;
        if (!ReadCatalogueChunk(src, i, chunk)) return -1;
        base = chunk.EntryBytes(0);
        count = chunk.count;
        k = 0;
      }
      e = base + k * 16;
      uint32_t first = GetU32(e);
      if (expected >= 0 && first == uint32_t(expected) && e[9] == 0 && !ValidClockBytes(e + 10)) {
        host.ShowMessageBox(Format(Tr("Card", "Ошибка часов в элементе %d"), int(i)), MsgKind::Error, MsgButtons::Ok);
      }
      if (first == 0 || first >= limit) break;
    }
  }
  // Round the ring, even when the ring is smaller than the margin.
  return int64_t((uint64_t(i) + 128) % cap);
}

// Copies n entries of the ring starting at entry first: one run, or two when
// they go over the ring's end. Byte-exact runs read any ring size correctly.
// A run that cannot be read leaves its entries zero.
void CopyRing(Source& src, uint32_t first, uint32_t n) {
  uint32_t cap = state2::RingCapacity.Get(src.StateTable.data());
  src.LongCatalogue.assign(n, LongEntry{});
  uint32_t run1 = std::min(n, cap - first);
  uint64_t base = CatalogueOffset(src);
  if (!src.Card->Read(base + uint64_t(first) * 16, Bytes(src.LongCatalogue, 0), size_t(run1) * 16)) {
    std::fill_n(src.LongCatalogue.begin(), run1, LongEntry{});
  }
  uint32_t run2 = n - run1;
  if (run2 > 0 && !src.Card->Read(base, Bytes(src.LongCatalogue, run1), size_t(run2) * 16)) {
    std::fill_n(src.LongCatalogue.begin() + run1, run2, LongEntry{});
  }
}

}  // namespace

bool LOAD_X_ATTR(Source& src, ViewerHost& host) {
  if (src.CardFormat != 2) return true;
  const uint8_t* t = src.StateTable.data();
  uint32_t cap = state2::RingCapacity.Get(t);
  uint32_t head = state2::RingHead.Get(t);
  src.LongCatalogue.clear();
  src.EntryCount = 0;
  src.CatalogueChanged();
  if (cap == 0) return true;

  uint32_t first = 0;
  if (state2::RingWrapped.Get(t) != 0) {
    int64_t found = WrapScan(src, host);
    if (found < 0) return false;
    first = uint32_t(found);
  }
  int64_t count = int64_t(head) - int64_t(first);
  if (count < 0) count += cap;
  src.EntryCount = int32_t(count);
  if (count == 0) return true;
  CopyRing(src, first, uint32_t(count));
  return true;
}

}  // namespace quovil
