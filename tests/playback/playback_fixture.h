// A viewer over a small card held in memory and opened through the card watch
// (a format-1 card, every record a key frame with its own sound block; a
// format-0 card when the records carry no sound), and a sound system that
// records what the viewer asked of it.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/recording_host.h"
#include "viewer/viewer.h"

namespace playback_test {

// Sample j of record i: never 128, so recorded sound and silence differ.
inline uint8_t Sample(int record, int j) { return uint8_t(1 + (record * 53 + j * 7) % 127); }

struct FakeStream {
  quovil::StreamProc proc = nullptr;
  void* user = nullptr;
  bool playing = false;
  float freq = 0;
  float volume = 1;
  int plays = 0, stops = 0;
};

class FakeSound : public quovil::SoundSystem {
 public:
  uint32_t version = quovil::kSoundVersion | 0x0100;
  bool initOk = true;
  int streamsToCreate = 2;  // later creations fail
  bool freed = false;
  std::map<quovil::SoundHandle, FakeStream> streams;

  uint32_t GetVersion() override { return version; }
  bool Init(int, int) override { return initOk; }
  quovil::SoundHandle StreamCreate(int freq, int, quovil::StreamProc proc, void* user) override;
  bool ChannelPlay(quovil::SoundHandle h, bool) override;
  bool ChannelStop(quovil::SoundHandle h) override;
  bool ChannelSetAttribute(quovil::SoundHandle h, int attrib, float value) override;
  bool Free() override {
    freed = true;
    return true;
  }
};


// The card: record i belongs to camera cams[i] and carries its camera's number
// of samples. Without sound it is a format-0 card (whose recorder records none).
struct CardSpec {
  std::vector<int> cams;
  bool sound = true;
  int samples = 300;       // per camera-1 record
  int samplesCam2 = -1;    // per camera-2 record; -1: as camera 1
  int SamplesOf(int cam) const { return cam == 1 && samplesCam2 >= 0 ? samplesCam2 : samples; }
};

class PlaybackTest : public ::testing::Test {
 protected:
  quovil::test::RecordingHost host;
  FakeSound fake;
  quovil::Viewer v{host};

  // Opens the card in the viewer and shows position 0 (all records selected),
  // then brings sound up over `sound`.
  void OpenCard(const CardSpec& spec, quovil::SoundSystem* sound);
  void OpenCard(const CardSpec& spec) { OpenCard(spec, &fake); }
  // Only opens the card through the card watch; sound is left as it is.
  void InsertCard(const CardSpec& inserted);

  FakeStream& Stream(int cam) { return fake.streams.at(v.play().SoundStream[size_t(cam)]); }
  // What camera cam's stream procedure delivers for a request of n bytes.
  std::vector<uint8_t> Pull(int cam, uint32_t n);
  // Drains camera cam's ring completely.
  std::vector<uint8_t> Drain(int cam);
  int Queued(int cam) const;  // bytes waiting in cam's ring
  std::vector<uint8_t> Samples(int record) const;
  int32_t ShownPos(int cam) const { return v.disp().ShownPos[size_t(cam)]; }

  CardSpec card;
};

}  // namespace playback_test
