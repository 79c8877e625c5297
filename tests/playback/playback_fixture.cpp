#include "playback_fixture.h"

#include <algorithm>
#include <memory>

#include "support/card_images.h"
#include "support/card_source.h"

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

// Record i: camera cams[i], a time stamp a second after the one before, every
// picture byte i, and (with sound) its camera's number of samples.
test::ImageRecord Record(const CardSpec& card, int i, size_t pictureBytes) {
  const int cam = card.cams[size_t(i)];
  test::ImageRecord r;
  r.flag = uint8_t(0x02 | cam);
  r.time = TimeStamp{15, 6, 24, 12, uint8_t(i / 60), uint8_t(i % 60)};
  r.picture.assign(pictureBytes, uint8_t(i));
  if (card.sound) {
    const int m = card.SamplesOf(cam);
    r.sound.assign(size_t(2 + m), 0);
    PutU16(r.sound.data(), uint16_t(m));
    for (int j = 0; j < m; ++j) r.sound[size_t(2 + j)] = Sample(i, j);
  }
  return r;
}

test::Bytes CardImage(const CardSpec& card) {
  const int n = int(card.cams.size());
  if (!card.sound) {
    test::Format0Image f;
    f.mainCount = f.archiveFirst = f.totalSlots = uint16_t(n);
    const size_t pictureBytes = size_t(test::Format0Width(f.resolution)) * test::kFormat0Height;
    for (int i = 0; i < n; ++i) f.records.push_back(Record(card, i, pictureBytes));
    return test::MakeCardImage(f);
  }
  test::Format1Image f;
  f.recordCount = f.writeSlot = uint32_t(n);
  f.width = kWidth;
  f.height = kHeight;
  for (int i = 0; i < n; ++i) f.slots.push_back(Record(card, i, size_t(kWidth) * kHeight));
  return test::MakeCardImage(f);
}

}  // namespace

std::vector<uint8_t> PlaybackTest::Samples(int record) const {
  std::vector<uint8_t> out;
  if (!card.sound) return out;
  const int n = card.SamplesOf(card.cams[size_t(record)]);
  for (int j = 0; j < n; ++j) out.push_back(Sample(record, j));
  return out;
}

void PlaybackTest::InsertCard(const CardSpec& inserted) {
  card = inserted;
  ASSERT_TRUE(test::OpenCardBytes(v, CardImage(card))) << v.noSourceText();
  ASSERT_EQ(v.selection().Count(), int32_t(card.cams.size()));
}

void PlaybackTest::OpenCard(const CardSpec& spec, SoundSystem* sound) {
  // The watch selects every record and shows position 0.
  InsertCard(spec);
  if (HasFatalFailure()) return;
  v.soundSystem = sound;
  ASSERT_EQ(v.InitSound(), Viewer::SoundInit::Ok);
}

std::vector<uint8_t> PlaybackTest::Pull(int cam, uint32_t n) {
  std::vector<uint8_t> buf(n, 0xEE);
  SoundHandle h = v.play().SoundStream[size_t(cam)];
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
  int n = v.sound().RingWrite[size_t(cam)] - v.sound().RingRead[size_t(cam)];
  return n < 0 ? n + kSoundRingBytes : n;
}

}  // namespace playback_test
