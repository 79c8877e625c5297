// The mixer of the sound output, without a device: what each stream
// contributes to the output at its frequency and volume.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/sdl_sound.h"

namespace {

using quovil::kSoundAttribFreq;
using quovil::kSoundAttribVol;
using quovil::SoundHandle;
using quovil::SoundMixer;

// A stream procedure over a fixed list of samples.
struct Source {
  std::vector<uint8_t> data;
  size_t pos = 0;
  int calls = 0;
  static uint32_t Proc(SoundHandle, void* buf, uint32_t len, void* user) {
    auto* s = static_cast<Source*>(user);
    ++s->calls;
    uint32_t n = uint32_t(std::min<size_t>(len, s->data.size() - s->pos));
    std::copy_n(s->data.begin() + long(s->pos), n, static_cast<uint8_t*>(buf));
    s->pos += n;
    return n;
  }
};

std::vector<uint8_t> Ramp(int n) {
  std::vector<uint8_t> v;
  for (int i = 0; i < n; ++i) v.push_back(uint8_t(i % 256));
  return v;
}

std::vector<uint8_t> Mix(SoundMixer& m, int frames) {
  std::vector<uint8_t> out(size_t(frames), 0xEE);
  m.Mix(out.data(), frames);
  return out;
}

TEST(SoundMixer, HalfAgainAsFastConsumesOneAndAHalfSamplesPerOutputSample) {
  SoundMixer m(11025, 512);
  Source src{std::vector<uint8_t>(20000, 200)};
  for (int i = 0; i < 20000; ++i) src.data[size_t(i)] = uint8_t(i / 3 % 200);
  SoundHandle h = m.Create(11025, &Source::Proc, &src);
  m.SetAttribute(h, kSoundAttribFreq, 3 * 11025 / 2);
  m.Play(h, false);
  std::vector<uint8_t> out = Mix(m, 4000);
  EXPECT_NEAR(double(src.pos), 6000.0, 2.0);
  // The ramp climbs one step per three source samples: two output samples.
  for (int i = 3; i < 290; ++i) EXPECT_NEAR(out[size_t(i)], (i - 1) * 1.5 / 3.0, 1.5) << i;
}

TEST(SoundMixer, VolumeScalesAndStreamsAddUpToTheLimits) {
  SoundMixer m(11025, 256);
  Source loud{std::vector<uint8_t>(300, 228)};   // +100
  Source quiet{std::vector<uint8_t>(300, 78)};   // -50
  SoundHandle a = m.Create(11025, &Source::Proc, &loud);
  SoundHandle b = m.Create(11025, &Source::Proc, &quiet);
  m.Play(a, false);
  m.Play(b, false);
  m.SetAttribute(a, kSoundAttribVol, 0.5f);
  std::vector<uint8_t> out = Mix(m, 100);
  EXPECT_EQ(out[50], 128 + 50 - 50);

  m.SetAttribute(a, kSoundAttribVol, 1.0f);
  m.SetAttribute(b, kSoundAttribVol, 0.0f);
  EXPECT_EQ(Mix(m, 100)[50], 228);

  Source high{std::vector<uint8_t>(300, 255)};
  SoundHandle c = m.Create(11025, &Source::Proc, &high);
  m.Play(c, false);
  EXPECT_EQ(Mix(m, 50)[20], 255);  // clipped, not wrapped
}

TEST(SoundMixer, AStoppedStreamIsNotPulledAndResumesWhereItStopped) {
  SoundMixer m(11025, 256);
  Source src{Ramp(1000)};
  SoundHandle h = m.Create(11025, &Source::Proc, &src);
  m.Play(h, false);
  Mix(m, 100);
  m.Stop(h);
  EXPECT_FALSE(m.Playing(h));
  const int calls = src.calls;
  EXPECT_EQ(Mix(m, 100), std::vector<uint8_t>(100, 128));
  EXPECT_EQ(src.calls, calls);
  m.Play(h, false);
  std::vector<uint8_t> out = Mix(m, 10);
  EXPECT_EQ(out[0], 99);  // the sample the first piece ended on
  EXPECT_EQ(out[1], 100);
}

TEST(SoundMixer, RefusesWhatItCannotServe) {
  SoundMixer m(11025, 256);
  Source src{Ramp(100000)};
  EXPECT_EQ(m.Create(11025, nullptr, nullptr), 0u);
  EXPECT_FALSE(m.Play(0, false));
  EXPECT_FALSE(m.Play(99, false));
  EXPECT_FALSE(m.SetAttribute(1, kSoundAttribVol, 1));  // not created yet
  std::vector<SoundHandle> hs;
  for (int i = 0; i < SoundMixer::kMaxStreams; ++i) hs.push_back(m.Create(11025, &Source::Proc, &src));
  EXPECT_EQ(m.Create(11025, &Source::Proc, &src), 0u);
  // An absurd frequency is held to what the buffers were sized for.
  m.SetAttribute(hs[0], kSoundAttribFreq, 1e12f);
  m.Play(hs[0], false);
  Mix(m, 256);
  EXPECT_LE(src.pos, size_t(256 * SoundMixer::kMaxStep + 1));
  EXPECT_FALSE(m.SetAttribute(hs[0], 7, 1));
}

}  // namespace
