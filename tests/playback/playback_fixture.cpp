#include "playback_fixture.h"

#include <algorithm>
#include <memory>

namespace playback_test {

using namespace quovil;

SoundHandle FakeSound::StreamCreate(int freq, int, StreamProc proc, void* user) {
  if (int(streams.size()) >= streamsToCreate) return 0;
  SoundHandle h = SoundHandle(streams.size() + 11);
  streams[h] = FakeStream{proc, user, false, float(freq), 1.0f, 0, 0};
  return h;
}

bool FakeSound::ChannelPlay(SoundHandle h, bool) {
  FakeStream& s = streams.at(h);
  s.playing = true;
  ++s.plays;
  return true;
}

bool FakeSound::ChannelStop(SoundHandle h) {
  FakeStream& s = streams.at(h);
  s.playing = false;
  ++s.stops;
  return true;
}

bool FakeSound::ChannelSetAttribute(SoundHandle h, int attrib, float value) {
  FakeStream& s = streams.at(h);
  if (attrib == kSoundAttribFreq) s.freq = value;
  if (attrib == kSoundAttribVol) s.volume = value;
  return true;
}

namespace {

constexpr int kWidth = 16, kHeight = 8;

}  // namespace

std::vector<uint8_t> PlaybackTest::Samples(int record) const {
  std::vector<uint8_t> out;
  if (!card.sound) return out;
  const int n = card.SamplesOf(card.cams[size_t(record)]);
  for (int j = 0; j < n; ++j) out.push_back(Sample(record, j));
  return out;
}

void PlaybackTest::OpenCard(const CardSpec& spec, SoundSystem* sound) {
  card = spec;
  Source& s = v.src;
  const int n = int(spec.cams.size());
  s.SourceIsCard = true;
  s.CardFormat = 1;
  s.PictureWidth = kWidth;
  s.PictureHeight = kHeight;
  s.PictureBytes = kWidth * kHeight;
  const int most = std::max(spec.SamplesOf(0), spec.SamplesOf(1));
  s.SoundBytes = spec.sound ? int32_t(RoundToSector(2 + most)) : 0;
  s.HasSound = spec.sound;
  s.SampleRate = 11025;
  s.DataFirstSector = 1;
  s.FrameStride = s.SoundBytes + int32_t(RoundToSector(s.PictureBytes));

  std::vector<uint8_t> bytes(size_t(512 + int64_t(n) * s.FrameStride), 0);
  for (int i = 0; i < n; ++i) {
    ShortEntry e;
    e.b[0] = uint8_t(0x02 | spec.cams[size_t(i)]);
    TimeStamp{15, 6, 24, 12, uint8_t(i / 60), uint8_t(i % 60)}.To(&e.b[1]);
    s.ShortCatalogue.push_back(e);
    uint8_t* rec = bytes.data() + 512 + size_t(i) * size_t(s.FrameStride);
    if (spec.sound) {
      const int m = spec.SamplesOf(spec.cams[size_t(i)]);
      PutU16(rec, uint16_t(m));
      for (int j = 0; j < m; ++j) rec[2 + j] = Sample(i, j);
    }
    std::fill(rec + s.SoundBytes, rec + s.SoundBytes + s.PictureBytes, uint8_t(i));
  }
  s.EntryCount = n;
  s.Card = MemoryDevice(std::move(bytes));
  s.CardOpen = true;
  ASSERT_TRUE(v.PrepareBitmaps());

  v.soundSystem = sound;
  ASSERT_EQ(v.InitSound(), Viewer::SoundInit::Ok);
  v.SelUnfiltered = true;
  v.SelCount = n;
  v.CurPos = -1;
  v.CurIndex = -1;
  v.ShowPosition(0);
}

std::vector<uint8_t> PlaybackTest::Pull(int cam, uint32_t n) {
  std::vector<uint8_t> buf(n, 0xEE);
  SoundHandle h = v.play.SoundStream[size_t(cam)];
  FakeStream& s = fake.streams.at(h);
  uint32_t got = s.proc(h, buf.data(), n, s.user);
  buf.resize(got);
  return buf;
}

std::vector<uint8_t> PlaybackTest::Drain(int cam) {
  std::vector<uint8_t> all;
  for (;;) {
    std::vector<uint8_t> piece = Pull(cam, 512);
    all.insert(all.end(), piece.begin(), piece.end());
    if (piece.size() < 512) return all;
  }
}

int PlaybackTest::Queued(int cam) const {
  int n = v.sound.RingWrite[size_t(cam)] - v.sound.RingRead[size_t(cam)];
  return n < 0 ? n + kSoundRingBytes : n;
}

}  // namespace playback_test
