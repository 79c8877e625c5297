// The boot sector every format starts with, and the event journal of
// format 2 cards.
#include <algorithm>
#include <cstring>

#include "mkcard/recorder.h"

namespace mkcard::detail {

void WriteBootSector(Image& img, int format, uint32_t stateSector, bool badChecksum) {
  uint8_t* b = img.At(0, 512);
  b[0] = 0xEB;
  b[1] = 0x58;
  b[2] = 0x90;
  std::memcpy(b + 3, format == 0 ? "KORAX2.0" : "KORAX-X ", 8);
  for (int i = 11; i < 64; ++i) b[i] = uint8_t(i * 7);
  std::memcpy(b + 64, format == 0 ? "KFAT2.02" : "KFAT3.10", 8);
  b[72] = format == 1 ? 2 : 3;
  quovil::PutU32(b + 73, stateSector);
  quovil::SealRecord(b, 116);
  if (badChecksum) b[115] ^= 0x21;
  b[510] = 0x55;
  b[511] = 0xAA;
}

namespace {

constexpr uint64_t kJournalHeader = 0x800000;
constexpr uint64_t kJournalRecords = 0x800200;

// A day of the recorder's life, repeated: switched on, recording, modules
// coming and going, power changes, a card error, switched off.
std::vector<JournalEvent> GeneratedEvents(const Options& o, int count) {
  static constexpr uint8_t kPattern[][2] = {
      {1, 1}, {2, 1}, {3, 0}, {1, 5}, {21, 0x02}, {22, 0x08}, {20, 0x03}, {21, 0x00}, {22, 0x0C},
      {19, 0x1F}, {22, 0x08}, {16, 2}, {20, 0x01}, {22, 0x00}, {1, 4}, {1, 2},
  };
  constexpr int kPatternLength = int(sizeof kPattern / sizeof kPattern[0]);
  Rng rng(o.seed * 131u + 5u);
  std::vector<JournalEvent> out(std::size_t(std::max(0, count)));
  quovil::TimeStamp t = AddSeconds(o.start, -3600);
  t.second = 0;
  for (int i = 0; i < count; ++i) {
    out[std::size_t(i)] = {t, kPattern[i % kPatternLength][0], kPattern[i % kPatternLength][1]};
    t = AddSeconds(t, 60 * (1 + rng.Below(7)));
  }
  return out;
}

}  // namespace

void WriteJournal(const Options& o, Image& img, Recorded& truth) {
  const int cap = int(std::clamp<int64_t>(quovil::AlignUp(o.journalCapacity, 64), 64, 65536 * 8));
  std::vector<JournalEvent> events = o.events;
  if (events.empty()) events = GeneratedEvents(o, o.journalWrapped ? cap + cap / 2 + 3 : std::min(cap / 2, 60));
  const int n = int(events.size());
  const int kept = std::min(n, cap);
  truth.journal.assign(events.end() - kept, events.end());
  truth.journalHead = n % cap;
  truth.journalSize = uint32_t(cap) * 8;

  img.Fill(kJournalHeader, 512, 0xFF);
  uint8_t* h = img.At(kJournalHeader, 84);
  std::fill_n(h, 84, 0);
  quovil::PutU16(h, 84);
  h[2] = 1;
  std::memcpy(h + 4, "2.17", 4);
  std::memcpy(h + 20, "14.03.2023", 10);
  std::memcpy(h + 36, "KX-MB rev.C", 11);
  std::memcpy(h + 52, "KX0004711", 9);
  quovil::PutU32(h + 75, truth.journalSize);
  quovil::PutU32(h + 79, uint32_t(truth.journalHead));
  quovil::SealRecord(h, 84);

  img.Fill(kJournalRecords, truth.journalSize, 0xFF);
  for (int k = 0; k < kept; ++k) {
    const int slot = (n - kept + k) % cap;
    const JournalEvent& e = truth.journal[std::size_t(k)];
    uint8_t* r = img.At(kJournalRecords + uint64_t(slot) * 8, 8);
    r[0] = e.time.day;
    r[1] = e.time.month;
    r[2] = e.time.year;
    r[3] = e.time.hour;
    r[4] = e.time.minute;
    r[5] = e.code;
    r[6] = e.data;
    quovil::SealRecord(r, 8);
  }
}

}  // namespace mkcard::detail
