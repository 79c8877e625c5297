#include "card/card_header.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "card/catalogue_load.h"
#include "card/korax.h"
#include "card/state_tables.h"

namespace quovil {

namespace {

constexpr int kKfatOffset = 64;
constexpr int kLayoutByte = 72;
constexpr int kStateSectorOffset = 73;
// Without a reported length the catalogue offsets of the card still lie in
// its first 2 GiB.
constexpr int64_t kUnknownLengthBound = int64_t(1) << 31;

using Sector = std::array<uint8_t, kSectorSize>;

bool ReadSector(BlockDevice& dev, uint64_t offset, Sector& s) { return dev.Read(offset, s.data(), s.size()); }

// The end up to which the card's header structures may lie.
int64_t HeaderBound(const Source& src) { return src.SourceSize >= 0 ? src.SourceSize : kUnknownLengthBound; }

bool FitsOnCard(const Source& src, uint64_t offset, uint64_t bytes) {
  uint64_t bound = uint64_t(HeaderBound(src));
  return offset <= bound && bytes <= bound - offset;
}

bool PlausiblePicture(int64_t w, int64_t h) { return w > 0 && h > 0 && w * h <= kMaxPictureBytes; }

void SetPicture(Source& src, int64_t w, int64_t h) {
  src.PictureWidth = int32_t(w);
  src.PictureHeight = int32_t(h);
  src.PictureBytes = int32_t(w * h);
}

// A resolution index without a row in the table gets the first row: the
// pictures then show uncut, and the status bar says the quality is unknown.
const Resolution& ResolutionRow(int index) {
  return index >= 0 && index < int(ResolutionTable.size()) ? ResolutionTable[size_t(index)] : ResolutionTable[0];
}

// ---- format 0 ----

bool Format0Consistent(const Source& src) {
  const uint8_t* t = src.StateTable.data();
  uint32_t total = state0::TotalSlots.Get(t), archiveFirst = state0::ArchiveFirstSlot.Get(t);
  uint32_t count = state0::MainCount.Get(t), first = state0::MainFirstSlot.Get(t);
  if (archiveFirst > total || count > archiveFirst) return false;
  if (count > 0 && first >= archiveFirst) return false;
  if (state0::ArchiveCount.Get(t) > total - archiveFirst) return false;
  return FitsOnCard(src, 0, uint64_t(state0::kDataFirstSector) * kSectorSize);
}

bool ReadFormat0(Source& src, std::string& noSourceText) {
  Sector s;
  if (!ReadSector(*src.Card, state0::kFirstCopy, s)) return false;
  if (ByteChecksum(s.data(), state0::kLength) != 0) {
    if (!ReadSector(*src.Card, state0::kSecondCopy, s)) return false;
    if (ByteChecksum(s.data(), state0::kLength) != 0) {
      noSourceText = Tr("Card", kBadHeaderText);
      return false;
    }
  }
  std::memcpy(src.StateTable.data(), s.data(), state0::kLength);
  if (!Format0Consistent(src)) {
    noSourceText = Tr("Card", kBadHeaderText);
    return false;
  }
  std::array<uint8_t, size_t(kCatalogue0Entries) * 2> index;
  if (!src.Card->Read(state0::kIndexTable, index.data(), index.size())) return false;
  src.IndexTable.resize(size_t(kCatalogue0Entries));
  for (size_t k = 0; k < src.IndexTable.size(); ++k) src.IndexTable[k] = GetU16(&index[k * 2]);

  const uint8_t* t = src.StateTable.data();
  src.ResolutionIndex = state0::ResolutionIndex.Get(t);
  const Resolution& row = ResolutionRow(src.ResolutionIndex);
  SetPicture(src, row.width, 256);
  src.FrameStride = int32_t(RoundToSector(int64_t(row.width) * 256));
  src.SoundBytes = 0;
  src.SampleRate = 11025;
  src.HasSound = false;
  src.EdgeTrim = row.edgeTrim;
  src.DataFirstSector = state0::kDataFirstSector;
  src.EntryCount = state0::MainCount.Get(t);
  SetFillPair(src);
  return ReadShortCatalogue(src);
}

// ---- formats 1 and 2: the two copies after the state sector ----

bool ReadTwoCopies(Source& src, Sector& first, Sector& second) {
  uint64_t offset = uint64_t(src.StateSector) * kSectorSize;
  return ReadSector(*src.Card, offset, first) && ReadSector(*src.Card, offset + kSectorSize, second);
}

bool Format1Consistent(const Source& src) {
  const uint8_t* t = src.StateTable.data();
  uint32_t slots = state1::SlotCount.Get(t);
  if (slots > kMaxCatalogueEntries) return false;
  if (state1::RecordCount.Get(t) > slots || state1::WriteSlot.Get(t) > slots) return false;
  if (!PlausiblePicture(state1::Width.Get(t), state1::Height.Get(t))) return false;
  return FitsOnCard(src, uint64_t(src.CatalogueSector) * kSectorSize, uint64_t(RoundToSector(int64_t(slots) * 8)));
}

bool ReadFormat1(Source& src, std::string& noSourceText) {
  Sector first, second;
  if (!ReadTwoCopies(src, first, second)) return false;
  const Sector* taken = &first;
  if (ByteChecksum(first.data(), state1::kLength) != 0) {
    if (ByteChecksum(second.data(), state1::kLength) != 0) {
      noSourceText = Tr("Card", kBadHeaderText);
      return false;
    }
    taken = &second;
  }
  uint8_t* t = src.StateTable.data();
  std::memcpy(t, taken->data(), state1::kLength);
  state1::SoundBytes.Set(t, state1::kSoundBytes);
  src.CatalogueSector = src.StateSector + 2;
  if (!Format1Consistent(src)) {
    noSourceText = Tr("Card", kBadHeaderText);
    return false;
  }
  src.ResolutionIndex = state1::ResolutionIndex.Get(t);
  SetPicture(src, state1::Width.Get(t), state1::Height.Get(t));
  src.FrameStride = int32_t(std::min<uint32_t>(state1::FrameStride.Get(t), std::numeric_limits<int32_t>::max()));
  src.SoundBytes = int32_t(state1::kSoundBytes);
  src.SampleRate = state1::SampleRate.Get(t);
  src.HasSound = src.SoundBytes > 0;
  src.EdgeTrim = ResolutionRow(src.ResolutionIndex).edgeTrim;
  src.DataFirstSector = state1::DataFirstSector.Get(t);
  src.EntryCount = int32_t(state1::SlotCount.Get(t));
  SetFillPair(src);
  return ReadShortCatalogue(src);
}

// Both copies good and different: the user chooses; a broken copy is never offered.
const Sector* ChooseFormat2Copy(const Sector& first, const Sector& second, ViewerHost& host) {
  bool bad1 = ByteChecksum(first.data(), state2::kLength) != 0;
  bool bad2 = ByteChecksum(second.data(), state2::kLength) != 0;
  if (bad1 && bad2) return nullptr;
  if (bad2) return &first;
  if (bad1) return &second;
  if (std::memcmp(first.data(), second.data(), state2::kLength) == 0) return &first;
  MsgResult r = host.AskFirstCopy(Tr("Card", kCopiesDifferText));
  return r == MsgResult::Yes ? &first : &second;
}

bool Format2Consistent(const Source& src) {
  const uint8_t* t = src.StateTable.data();
  uint32_t cap = state2::RingCapacity.Get(t);
  bool wrapped = state2::RingWrapped.Get(t) != 0;
  if (cap > kMaxCatalogueEntries || state2::RingHead.Get(t) > cap) return false;
  if (cap == 0 && wrapped) return false;
  if (wrapped && state2::RingTail.Get(t) >= cap) return false;
  if (!PlausiblePicture(state2::Width.Get(t), state2::Height.Get(t))) return false;
  int64_t stride = int64_t(state2::PictureBlockBytes.Get(t)) + state2::SoundBytes.Get(t);
  if (stride > std::numeric_limits<int32_t>::max()) return false;
  return FitsOnCard(src, uint64_t(src.CatalogueSector) * kSectorSize, uint64_t(RoundToSector(int64_t(cap) * 16)));
}

bool ReadFormat2(Source& src, ViewerHost& host, std::string& noSourceText) {
  Sector first, second;
  if (!ReadTwoCopies(src, first, second)) return false;
  const Sector* taken = ChooseFormat2Copy(first, second, host);
  if (!taken) {
    noSourceText = Tr("Card", kBadHeaderText);
    return false;
  }
  uint8_t* t = src.StateTable.data();
  std::memcpy(t, taken->data(), state2::kLength);
  uint8_t version = state2::TableVersion.Get(t);
  if (state2::TableLength.Get(t) != state2::kLength || (version != 3 && version != 4)) {
    noSourceText = Tr("Card", kBadVersionText);
    return false;
  }
  src.CatalogueSector = src.StateSector + 2;
  if (!Format2Consistent(src)) {
    noSourceText = Tr("Card", kBadHeaderText);
    return false;
  }
  SetPicture(src, state2::Width.Get(t), state2::Height.Get(t));
  src.SoundBytes = int32_t(std::min<uint32_t>(state2::SoundBytes.Get(t), std::numeric_limits<int32_t>::max()));
  src.FrameStride = int32_t(int64_t(state2::PictureBlockBytes.Get(t)) + state2::SoundBytes.Get(t));
  src.SampleRate = state2::SampleRate.Get(t);
  src.HasSound = src.SoundBytes > 0;
  src.DataBaseSector = state2::DataBaseSector.Get(t);
  if (!LOAD_X_ATTR(src, host)) return false;
  SetFillPair(src);
  return true;
}

}  // namespace

void SetFillPair(Source& src) {
  const uint8_t* t = src.StateTable.data();
  if (src.CardFormat == 0) {
    src.FillRecorded = state0::MainCount.Get(t);
    src.FillTotal = state0::TotalSlots.Get(t);
  } else if (src.CardFormat == 1) {
    src.FillRecorded = state1::RecordCount.Get(t);
    src.FillTotal = state1::SlotCount.Get(t);
  } else {
    src.FillRecorded = src.FillTotal = src.EntryCount;
  }
}

bool HasCardMagic(const uint8_t* sector0) {
  return std::memcmp(sector0 + 3, "KORAX2.0", 8) == 0 || std::memcmp(sector0 + 3, "KORAX-X ", 8) == 0;
}

bool ReadCardHeader(Source& src, const uint8_t* sector0, ViewerHost& host, std::string& noSourceText) {
  if (!src.Card) return false;
  std::memcpy(src.BootSector.data(), sector0, kBootBytes);
  src.CardFormat = -1;
  int format;
  if (std::memcmp(sector0 + kKfatOffset, "KFAT2.02", 8) == 0) {
    format = 0;
  } else {
    if (ByteChecksum(sector0, kBootBytes) != 0) return false;
    format = sector0[kLayoutByte] == 2 ? 1 : 2;
    src.StateSector = GetU32(sector0 + kStateSectorOffset);
  }
  src.CardFormat = format;
  src.SourceSize = src.Card->Length();
  src.StateTable.fill(0);
  src.IndexTable.clear();
  src.ShortCatalogue.clear();
  src.LongCatalogue.clear();
  src.EntryCount = 0;
  src.CatalogueChanged();
  if (format == 0) return ReadFormat0(src, noSourceText);
  if (format == 1) return ReadFormat1(src, noSourceText);
  return ReadFormat2(src, host, noSourceText);
}

}  // namespace quovil
