// The synthetic recorder's cards, read back by the plain reference reader:
// every record lies where the layout says and decodes to the ground truth.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "mkcard/mkcard.h"
#include "reference_reader.h"

namespace {

using reference::At;
using reference::Bytes;
using quovil::GetU16;
using quovil::GetU32;

uint64_t SortKey(const quovil::TimeStamp& t) {
  return ((((uint64_t(t.year) * 13 + t.month) * 32 + t.day) * 24 + t.hour) * 60 + t.minute) * 60 + t.second;
}

TEST(Format0Card, StateTableIndexTableCatalogueAndFramesLieAtTheirFixedPlaces) {
  mkcard::Options o;
  o.format = 0;
  o.records = 50;
  o.archiveRecords = 10;
  o.mainWrapped = true;
  o.resolutionIndex = 2;
  mkcard::Recorded t;
  const Bytes img = mkcard::MakeCard(o, &t);

  EXPECT_EQ(std::memcmp(At(img, 3), "KORAX2.0", 8), 0);
  EXPECT_EQ(std::memcmp(At(img, 64), "KFAT2.02", 8), 0);
  const uint8_t* st = At(img, 0x100000);
  ASSERT_TRUE(reference::Sealed(st, 16));
  EXPECT_EQ(std::memcmp(st, At(img, 0x120200), 16), 0);
  EXPECT_EQ(GetU16(st + 0), t.mainFirstSlot);
  EXPECT_NE(t.mainFirstSlot, 0);
  EXPECT_EQ(GetU16(st + 2), t.mainFirstSlot - 1) << "a full ring ends just before its first slot";
  EXPECT_EQ(GetU16(st + 4), 50);
  EXPECT_EQ(GetU16(st + 6), 50);
  EXPECT_EQ(GetU16(st + 8), 10);
  EXPECT_EQ(GetU16(st + 10), 60);
  EXPECT_EQ(GetU16(st + 12), quovil::WordChecksum(At(img, 0x100200), 60));
  EXPECT_EQ(st[14], 2);
  EXPECT_EQ(t.width, 240);
  EXPECT_EQ(t.edgeTrim, 10);

  bool identity = true;
  for (int s = 0; s < 60; ++s) {
    const uint16_t index = GetU16(At(img, 0x100200 + 2 * s));
    ASSERT_EQ(index, t.slotToIndex[std::size_t(s)]);
    if (s >= 50 && index != s) identity = false;
  }
  EXPECT_FALSE(identity) << "the archive area is shuffled";

  quovil::TimeStamp last{};
  for (std::size_t k = 0; k < t.order.size(); ++k) {
    const int index = t.order[k];
    const mkcard::Frame& f = t.frames[std::size_t(index)];
    const uint8_t* e = At(img, 0x140400 + 8 * index);
    EXPECT_EQ(e[0], f.flag);
    EXPECT_EQ(quovil::TimeStamp::From(e + 1), f.time);
    if (k > 0) {
      EXPECT_LE(SortKey(last), SortKey(f.time)) << "recording order";
    }
    last = f.time;
    const Bytes pic = reference::Deinterlace(At(img, 3586ull * 512 + uint64_t(index) * t.frameStride), 240, 256);
    ASSERT_EQ(pic, f.picture) << index;
  }
  EXPECT_EQ(t.order.front(), t.mainFirstSlot);
  EXPECT_EQ(img.size() % 512, 0u);
  EXPECT_EQ(img.size(), 3586ull * 512 + 60ull * t.frameStride) << "no larger than the data needs";
}

TEST(Format1Card, RingOfSoundAndInterlacedPicturesWithItsStateTable) {
  mkcard::Options o;
  o.format = 1;
  o.records = 60;
  o.slotCount = 80;
  o.ringWrapped = true;
  o.storedSoundBytes = 8000;
  mkcard::Recorded t;
  const Bytes img = mkcard::MakeCard(o, &t);

  ASSERT_TRUE(reference::Sealed(img.data(), 116));
  EXPECT_EQ(img[72], 2);
  const uint32_t s = GetU32(At(img, 73));
  const uint8_t* st = At(img, uint64_t(s) * 512);
  ASSERT_TRUE(reference::Sealed(st, 34));
  EXPECT_EQ(std::memcmp(st, At(img, uint64_t(s + 1) * 512), 34), 0);
  const uint32_t dataFirst = GetU32(st + 2), slots = GetU32(st + 6), count = GetU32(st + 10), write = GetU32(st + 14);
  EXPECT_EQ(slots, 80u);
  EXPECT_EQ(count, 60u);
  EXPECT_LT(write, count) << "wrapped";
  EXPECT_EQ(GetU16(st + 19), 320);
  EXPECT_EQ(GetU16(st + 21), 256);
  EXPECT_EQ(GetU32(st + 23), uint32_t(t.frameStride));
  EXPECT_EQ(GetU32(st + 27), 8000u) << "stored as given; the viewer plays 11264 anyway";
  EXPECT_EQ(t.soundBytes, 11264);
  EXPECT_EQ(t.entryCount, 80);
  EXPECT_EQ(uint32_t(t.order.front()), (write + slots - count) % slots);

  int empty = 0;
  for (uint32_t slot = 0; slot < slots; ++slot) {
    const mkcard::Frame& f = t.frames[slot];
    const uint8_t* e = At(img, uint64_t(s + 2) * 512 + slot * 8);
    EXPECT_EQ(e[0], f.flag);
    if (!f.written) {
      ++empty;
      continue;
    }
    EXPECT_EQ(quovil::TimeStamp::From(e + 1), f.time);
    const uint8_t* rec = At(img, uint64_t(dataFirst) * 512 + uint64_t(slot) * t.frameStride);
    ASSERT_EQ(GetU16(rec), f.samples.size());
    EXPECT_TRUE(std::equal(f.samples.begin(), f.samples.end(), rec + 2));
    EXPECT_GT(f.samples.size(), 5000u);
    ASSERT_EQ(reference::Deinterlace(rec + 11264, 320, 256), f.picture);
  }
  EXPECT_EQ(empty, 20);
}

struct RingCase {
  const char* name;
  bool wrapped;
  int capacity;
  int head;
  bool scanless;
};

class Format2Card : public ::testing::TestWithParam<RingCase> {};

TEST_P(Format2Card, LoaderFindsTheRecordsAndEveryFrameDecodesToTheTruth) {
  const RingCase& c = GetParam();
  mkcard::Options o;
  o.format = 2;
  o.records = 200;
  o.seed = 11;
  o.ringWrapped = c.wrapped;
  o.ringCapacity = c.capacity;
  o.ringHead = c.head;
  o.scanlessWrap = c.scanless;
  o.longGroups = true;
  o.groupLength = 8;
  mkcard::Recorded t;
  const Bytes img = mkcard::MakeCard(o, &t);

  ASSERT_TRUE(reference::Sealed(img.data(), 116));
  EXPECT_NE(img[72], 2);
  const uint32_t s = GetU32(At(img, 73));
  const uint8_t* st = At(img, uint64_t(s) * 512);
  ASSERT_TRUE(reference::Sealed(st, 87));
  EXPECT_EQ(std::memcmp(st, At(img, uint64_t(s + 1) * 512), 87), 0);
  EXPECT_EQ(GetU16(st), 87);
  EXPECT_EQ(st[2], 4);
  const uint32_t base = GetU32(st + 4), cap = GetU32(st + 12), head = GetU32(st + 34);
  if (c.capacity) {
    EXPECT_EQ(cap, uint32_t(c.capacity));
  }
  EXPECT_EQ(st[50] != 0, c.wrapped);
  EXPECT_EQ(GetU32(st + 38) == 0, c.scanless);

  const uint32_t first = reference::FirstLoaded(img, s + 2, st);
  EXPECT_EQ(first, t.ringFirst);
  EXPECT_EQ((head + cap - first) % cap, 200u);
  if (c.wrapped && c.head < 0) {
    EXPECT_LT(head, first) << "the counted part runs over the ring's end";
  }

  Bytes last[2];
  std::set<uint8_t> kinds;
  uint32_t expected = t.frames[0].firstSector;
  for (uint32_t k = 0; k < 200; ++k) {
    const mkcard::Frame& f = t.frames[k];
    const reference::Long e = reference::LongAt(img, s + 2, (first + k) % cap);
    ASSERT_EQ(e.first, expected) << "records follow one another";
    expected += e.pic + e.snd + e.info;
    EXPECT_EQ(e.flag, f.flag);
    EXPECT_EQ(e.time, f.time);
    EXPECT_EQ(e.interval, f.frameInterval);
    EXPECT_EQ(e.byte9, 0);
    kinds.insert(e.flag & 0x7C);
    const uint64_t at = (uint64_t(base) + e.first) * 512;
    ASSERT_EQ(GetU16(At(img, at)), f.samples.size());
    EXPECT_TRUE(std::equal(f.samples.begin(), f.samples.end(), At(img, at + 2)));
    EXPECT_LE(2 + f.samples.size(), e.snd * 512u);
    const uint8_t* pic = At(img, at + e.snd * 512u);
    const int cam = e.flag & 3;
    if (!(e.flag & 0x80))
      last[cam].assign(pic, pic + t.pictureBytes);
    else
      last[cam] = reference::DecodeDelta(last[cam], pic, e.pic * 512u);
    ASSERT_EQ(last[cam], f.picture) << "entry " << k;
  }
  EXPECT_EQ(kinds, (std::set<uint8_t>{0x00, 0x04, 0x08, 0x10, 0x20}));
  EXPECT_EQ(GetU32(st + 38), c.scanless ? 0u : expected) << "DataWriteSector";
}

INSTANTIATE_TEST_SUITE_P(Rings, Format2Card,
                         ::testing::Values(RingCase{"Plain", false, 0, -1, false},
                                           RingCase{"Wrapped", true, 0, -1, false},
                                           RingCase{"WrappedOddCapacity", true, 353, -1, false},
                                           RingCase{"WrappedHeadAfterFirst", true, 400, 350, false},
                                           RingCase{"WrappedWithoutScan", true, 0, -1, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Format2Frames, GroupsStartWithKeyFramesAndSomeRunPast64WhenAsked) {
  mkcard::Options o;
  o.format = 2;
  o.records = 400;
  o.bothCameras = false;
  o.groupLength = 64;
  o.longGroups = true;
  o.width = 64;
  o.height = 48;
  mkcard::Recorded t;
  mkcard::MakeCard(o, &t);
  std::vector<int> groups;
  for (const auto& f : t.frames) {
    if (f.keyFrame) groups.push_back(0);
    EXPECT_EQ(f.keyFrame, f.groupPosition == 0);
    EXPECT_EQ((f.flag & 0x80) != 0, !f.keyFrame);
    ++groups.back();
  }
  ASSERT_GE(groups.size(), 5u);
  EXPECT_EQ(groups[0], 64);
  EXPECT_EQ(groups[1], 64);
  EXPECT_EQ(groups[2], 70);
}

TEST(Format2Frames, InformationBlocksCarrySensorsAndChecksummedGpsOncePerSecond) {
  mkcard::Options o;
  o.format = 2;
  o.records = 80;
  o.framesPerSecond = 4;
  mkcard::Recorded t;
  const Bytes img = mkcard::MakeCard(o, &t);
  int blocks = 0;
  for (std::size_t k = 0; k < t.frames.size(); ++k) {
    const mkcard::Frame& f = t.frames[k];
    ASSERT_GE(f.infoIndex, 0);
    EXPECT_EQ(t.frames[std::size_t(f.infoIndex)].time, f.time);
    if (!f.infoSectors) continue;
    ++blocks;
    const uint64_t at = (uint64_t(t.dataBaseSector) + f.firstSector + f.soundSectors + f.pictureSectors) * 512;
    const auto recs = reference::InfoRecords(At(img, at), f.infoSectors * 512u);
    ASSERT_EQ(recs.size(), 2u);
    ASSERT_EQ(recs[0].first, 0x0A);
    const auto* p = reinterpret_cast<const uint8_t*>(recs[0].second.data());
    ASSERT_EQ(recs[0].second.size(), 9u);
    EXPECT_EQ(p[0], f.sensorStatus);
    EXPECT_EQ(GetU16(p + 1), f.uin);
    EXPECT_EQ(GetU16(p + 5), f.uakb);
    ASSERT_EQ(recs[1].first, 0x0B);
    EXPECT_EQ(recs[1].second, f.gpsText);
    for (const char* kind : {"$GPRMC", "$GPGGA", "$GPVTG"}) EXPECT_NE(f.gpsText.find(kind), std::string::npos);
    std::size_t pos = 0;
    while ((pos = f.gpsText.find('$', pos)) != std::string::npos) {
      const std::size_t star = f.gpsText.find('*', pos);
      ASSERT_NE(star, std::string::npos);
      uint8_t x = 0;
      for (std::size_t i = pos + 1; i < star; ++i) x ^= uint8_t(f.gpsText[i]);
      EXPECT_EQ(f.gpsText.substr(star + 1, 2), quovil::Format("%02X", x));
      pos = star;
    }
    const std::size_t vtg = f.gpsText.find("$GPVTG");
    std::size_t c = vtg;
    for (int i = 0; i < 7; ++i) c = f.gpsText.find(',', c) + 1;
    EXPECT_EQ(f.gpsText.substr(c, f.gpsText.find(',', c) - c), f.gpsSpeed);
  }
  EXPECT_EQ(blocks, 20);
}

}  // namespace
