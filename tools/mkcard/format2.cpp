// Card format 2: a catalogue ring of long entries over a data area in which
// each camera's pictures are stored as key frames and byte-delta frames, with
// a variable sound block and, once a second, a frame information block.
#include <algorithm>

#include "mkcard/recorder.h"

namespace mkcard::detail {

namespace {

constexpr uint32_t kStateSector = 128;
constexpr uint32_t kJournalEndSector = 16384 + 1;  // header sector; records follow
constexpr int kMargin = 128;                        // entries the loader skips after the wrap point
// The catalogue ring must end below the journal at sector 16384.
constexpr int kMaxCapacity = 500000;
constexpr int kMaxRecords = kMaxCapacity - kMargin - 64;

int Sectors(std::size_t bytes) { return int((bytes + 511) / 512); }

void PutEntry(uint8_t* e, uint32_t first, uint8_t flag, uint8_t interval, int pic, int snd, int info,
              const quovil::TimeStamp& t) {
  quovil::PutU32(e, first);
  e[4] = flag;
  e[5] = interval;
  e[6] = uint8_t(pic);
  e[7] = uint8_t(snd);
  e[8] = uint8_t(info);
  e[9] = 0;
  t.To(e + 10);
}

struct Ring {
  int cap = 0, head = 0, first = 0, tail = 0, stale = 0, scanSteps = 0;
  bool wrapped = false;
  int At(int i) const { return ((i % cap) + cap) % cap; }
};

Ring PlanRing(const Options& o, int records) {
  Ring r;
  r.wrapped = o.ringWrapped;
  Rng rng(o.seed * 57u + 11u);
  if (!r.wrapped) {
    const int chosen = o.ringCapacity > 0 ? o.ringCapacity : int(quovil::AlignUp(records + records / 2 + 1, 32));
    r.cap = std::clamp(chosen, records + 1, kMaxCapacity);
    r.head = records;
    return r;
  }
  r.stale = o.scanlessWrap ? 0 : 5 + rng.Below(12);
  const int need = records + kMargin + r.stale + 1;
  r.cap = std::clamp(o.ringCapacity > 0 ? o.ringCapacity : int(quovil::AlignUp(need + 40, 32)), need, kMaxCapacity);
  r.head = o.ringHead >= 0 ? o.ringHead % r.cap : (records / 3) % r.cap;
  r.first = r.At(r.head - records);
  r.tail = r.At(r.first - kMargin - r.stale);
  r.scanSteps = o.scanlessWrap ? 0 : r.stale + 20;
  return r;
}

// What ReadFrameInfo finds for index: the entry of the same second with a
// block, searched forward first, then backward.
void LinkInfo(Recorded& truth) {
  const int n = int(truth.frames.size());
  for (int i = 0; i < n; ++i) {
    auto same = [&](int j) { return truth.frames[std::size_t(j)].time == truth.frames[std::size_t(i)].time; };
    int found = -1;
    for (int j = i; j < n && same(j) && found < 0; ++j)
      if (truth.frames[std::size_t(j)].infoSectors) found = j;
    for (int j = i; j >= 0 && same(j) && found < 0; --j)
      if (truth.frames[std::size_t(j)].infoSectors) found = j;
    Frame& f = truth.frames[std::size_t(i)];
    f.infoIndex = found;
    if (found < 0) continue;
    const Frame& src = truth.frames[std::size_t(found)];
    f.hasSensor = src.hasSensor, f.sensorStatus = src.sensorStatus, f.uin = src.uin, f.uakb = src.uakb;
    f.gpsText = src.gpsText, f.gpsSpeed = src.gpsSpeed;
    f.gpsPosition = src.gpsPosition, f.lat = src.lat, f.lon = src.lon;
    f.gpsSpeedValid = src.gpsSpeedValid, f.speedKmh = src.speedKmh, f.gpsCourse = src.gpsCourse, f.course = src.course;
  }
}

// Entries the loader walks past or never reaches on a wrapped ring: older
// records of the previous lap, stale ones whose data was overwritten, and the
// safety margin in front of the first entry shown.
void WriteOldEntries(const Ring& r, uint8_t* cat, uint32_t limit, int records, const quovil::TimeStamp& start) {
  const int old = r.cap - records - kMargin - r.stale;
  int i = r.head;
  for (int j = 0; j < old; ++j, ++i)
    PutEntry(cat + r.At(i) * 16, limit + 4 + uint32_t(j), uint8_t(j & 1), 50, 1, 0, 0, AddSeconds(start, -3600 + j / 4));
  for (int j = 0; j < r.stale; ++j, ++i)
    PutEntry(cat + r.At(i) * 16, uint32_t(1 + j), uint8_t(j & 1), 50, 1, 0, 0, AddSeconds(start, -600 + j));
  for (int j = 0; j < kMargin; ++j, ++i)
    PutEntry(cat + r.At(i) * 16, uint32_t(j), uint8_t(j & 1), 50, 1, 0, 0, AddSeconds(start, -kMargin + j / 4));
}

}  // namespace

namespace {

// Writes the records of one card, in recording order, and keeps what the
// following records are encoded against.
struct Writer2 {
  const Options& o;
  Image& img;
  Recorded& truth;
  Ring ring;
  int width, height, n, picSectors;
  uint32_t base = 0;
  std::vector<uint8_t> cat;
  Scene scene;
  ToneGenerator tone;
  std::vector<uint8_t> last[2];
  int frameNo[2] = {0, 0}, groupPos[2] = {0, 0}, groupNo[2] = {0, 0};
  uint32_t sector = 0;

  Writer2(const Options& opt, Image& image, Recorded& t, int w, int h)
      : o(opt), img(image), truth(t), width(w), height(h), n(w * h), picSectors(Sectors(std::size_t(w) * h)),
        scene(w, h) {
    for (auto& l : last) l.assign(std::size_t(n), 0);
  }

  // The picture of a shot: a key frame whole, or a delta stream against the
  // camera's previous frame as the decoder rebuilt it. Returns the stored bytes.
  std::vector<uint8_t> Picture(Frame& f, const Shot& s) {
    const int cam = s.camera;
    const bool key = groupPos[cam] == 0;
    FillFrame(f, s, uint8_t(cam | s.kind | (key ? 0 : 0x80)));
    f.keyFrame = key;
    f.groupPosition = groupPos[cam];
    std::vector<uint8_t> drawn(static_cast<std::size_t>(n));
    scene.Draw(cam, frameNo[cam]++, s.time, drawn.data());
    std::vector<uint8_t> stored;
    if (key) {
      f.picture = drawn;
      stored = std::move(drawn);
    } else {
      stored = DeltaEncode(last[cam].data(), drawn.data(), n);
      f.picture = DecodeResult(last[cam].data(), drawn.data(), n);
    }
    last[cam] = f.picture;
    const int groupLength = std::clamp(o.groupLength, 1, 255);
    const int len = groupLength > 1 && o.longGroups && groupNo[cam] % 3 == 2 ? 70 : groupLength;
    if (++groupPos[cam] >= len) groupPos[cam] = 0, ++groupNo[cam];
    f.pictureSectors = uint8_t(key ? picSectors : std::max(1, Sectors(stored.size())));
    return stored;
  }

  void Record(int k, const Shot& s) {
    Frame& f = truth.frames[std::size_t(k)];
    const std::vector<uint8_t> stored = Picture(f, s);
    if (o.sound) {
      f.samples = tone.Samples(s.camera, s.second, std::min(22526, o.sampleRate * s.interval / 100));
      f.soundSectors = uint8_t(Sectors(f.samples.size() + 2));
      f.sound = SoundBlock(f.samples, std::size_t(f.soundSectors) * 512);
    }
    if (CarriesInfo(o, s)) {
      InfoBlock b = MakeInfoBlock(o, s, o.seed);
      f.info = b.bytes;
      f.infoSectors = uint8_t(Sectors(b.bytes.size()));
      f.hasSensor = b.hasSensor, f.sensorStatus = b.status, f.uin = b.uin, f.uakb = b.uakb;
      f.gpsText = b.gps, f.gpsSpeed = b.speed;
      f.gpsPosition = b.position, f.lat = b.lat, f.lon = b.lon;
      f.gpsSpeedValid = b.speedValid, f.speedKmh = b.kmh, f.gpsCourse = b.courseValid, f.course = b.course;
    }
    f.firstSector = sector;
    uint64_t at = (uint64_t(base) + sector) * 512;
    std::copy(f.sound.begin(), f.sound.end(), img.At(at, f.sound.size()));
    at += uint64_t(f.soundSectors) * 512;
    img.Fill(at, std::size_t(f.pictureSectors) * 512, 0);
    std::copy(stored.begin(), stored.end(), img.At(at, stored.size()));
    at += uint64_t(f.pictureSectors) * 512;
    std::copy(f.info.begin(), f.info.end(), img.At(at, f.info.size()));
    PutEntry(&cat[std::size_t(ring.At(ring.first + k)) * 16], sector, f.flag, f.frameInterval, f.pictureSectors,
             f.soundSectors, f.infoSectors, f.time);
    sector += uint32_t(f.soundSectors) + f.pictureSectors + f.infoSectors;
  }

  void StateTables(int records, int soundBytes, uint32_t writeSector, uint32_t areaSectors) {
    uint8_t st[87] = {};
    quovil::PutU16(st + 0, 87);
    st[2] = uint8_t(o.tableVersion);
    quovil::PutU32(st + 4, base);
    quovil::PutU32(st + 8, areaSectors);
    quovil::PutU32(st + 12, uint32_t(ring.cap));
    quovil::PutU32(st + 16, uint32_t(ring.scanSteps));
    quovil::PutU16(st + 20, uint16_t(width));
    quovil::PutU16(st + 22, uint16_t(height));
    quovil::PutU32(st + 24, uint32_t(picSectors) * 512);
    quovil::PutU32(st + 28, uint32_t(soundBytes));
    quovil::PutU16(st + 32, uint16_t(o.sampleRate));
    quovil::PutU32(st + 34, uint32_t(ring.head));
    quovil::PutU32(st + 38, writeSector);
    quovil::PutU32(st + 42, uint32_t(records));
    quovil::PutU32(st + 46, uint32_t(ring.tail));
    st[50] = ring.wrapped ? 1 : 0;
    quovil::SealRecord(st, 87);
    uint8_t st2[87];
    std::copy_n(st, 87, st2);
    if (o.differentCopies) {
      // The second copy is one record behind, so the choice between the copies
      // shows in the entry count.
      quovil::PutU32(st2 + 34, uint32_t(ring.At(ring.head - 1)));
      quovil::SealRecord(st2, 87);
    }
    // Damage changes a field without resealing, so a reader that skipped the
    // checksum would show a visibly wrong count.
    if (o.badFirstCopy || o.badBothCopies) st[34] ^= 0x01;
    if (o.badBothCopies) st2[34] ^= 0x01;
    img.Fill(uint64_t(kStateSector) * 512, 1024, 0xFF);
    std::copy_n(st, 87, img.At(uint64_t(kStateSector) * 512, 87));
    std::copy_n(st2, 87, img.At(uint64_t(kStateSector + 1) * 512, 87));
  }
};

void CardValues2(const Writer2& w, int records, int soundBytes, uint32_t writeSector, uint32_t areaSectors) {
  Recorded& truth = w.truth;
  truth.width = w.width;
  truth.height = w.height;
  truth.frameStride = w.picSectors * 512 + soundBytes;
  truth.soundBytes = soundBytes;
  truth.sampleRate = w.o.sampleRate;
  truth.hasSound = soundBytes > 0;
  truth.entryCount = records;
  truth.secondCopyEntryCount = w.o.differentCopies ? std::max(0, records - 1) : records;
  truth.stateSector = kStateSector;
  truth.catalogueSector = kStateSector + 2;
  truth.dataBaseSector = w.base;
  truth.dataAreaSectors = areaSectors;
  truth.dataWriteSector = writeSector;
  truth.ringCapacity = uint32_t(w.ring.cap);
  truth.ringFirst = uint32_t(w.ring.first);
  truth.ringHead = uint32_t(w.ring.head);
  truth.ringTail = uint32_t(w.ring.tail);
  truth.scanSteps = uint32_t(w.ring.scanSteps);
  truth.ringWrapped = w.ring.wrapped;
  truth.totalSlots = truth.recordCount = records;
  for (int k = 0; k < records; ++k) truth.order.push_back(k);
}

}  // namespace

void MakeFormat2(const Options& o, Image& img, Recorded& truth) {
  const int width = std::clamp(o.width, 8, 1024);
  const int height = std::clamp(o.height, 8, std::min(1024, 130560 / width));
  const int records = std::clamp(o.records, 0, kMaxRecords);
  Writer2 w(o, img, truth, width, height);
  w.ring = PlanRing(o, records);
  const uint32_t catSector = kStateSector + 2;
  const uint32_t catSectors = uint32_t(quovil::RoundToSector(int64_t(w.ring.cap) * 16) / 512);
  w.base = uint32_t(quovil::AlignUp(catSector + catSectors, 64));
  if (o.journal) {
    WriteJournal(o, img, truth);
    w.base = std::max(w.base, uint32_t(quovil::AlignUp(kJournalEndSector + truth.journalSize / 512, 64)));
  }
  WriteBootSector(img, 2, kStateSector, o.badBootChecksum);

  const auto shots = PlanShots(o, records, o.start, true);
  int maxSamples = 0;
  for (const Shot& s : shots) maxSamples = std::max(maxSamples, std::min(22526, o.sampleRate * s.interval / 100));
  const int soundBytes = o.sound ? int(quovil::RoundToSector(maxSamples + 2)) : 0;

  w.cat.assign(std::size_t(catSectors) * 512, 0xFF);
  truth.frames.assign(std::size_t(records), Frame{});
  w.sector = w.ring.wrapped ? kMargin : 0;
  for (int k = 0; k < records; ++k) w.Record(k, shots[std::size_t(k)]);
  LinkInfo(truth);
  const uint32_t limit = w.sector;
  if (w.ring.wrapped) WriteOldEntries(w.ring, w.cat.data(), limit, records, o.start);
  std::copy(w.cat.begin(), w.cat.end(), img.At(uint64_t(catSector) * 512, w.cat.size()));

  const uint32_t writeSector = w.ring.wrapped && o.scanlessWrap ? 0 : limit;
  const uint32_t areaSectors = w.ring.wrapped ? limit + 64 : limit + limit / 3 + 64;
  w.StateTables(records, soundBytes, writeSector, areaSectors);
  CardValues2(w, records, soundBytes, writeSector, areaSectors);
  img.At((uint64_t(w.base) + limit) * 512, 0);
}

}  // namespace mkcard::detail
