// The sound library interface the viewer is written against: versioned
// initialisation, streams pulled through a stream procedure on the audio
// thread, play/stop, frequency and volume attributes, free.
#pragma once

#include <cstdint>
#include <memory>

namespace quovil {

using SoundHandle = uint32_t;  // 0 = none
// Called on the audio thread: fill up to length bytes of unsigned 8-bit mono
// samples; returns the bytes delivered (fewer leave silence).
using StreamProc = uint32_t (*)(SoundHandle handle, void* buffer, uint32_t length, void* user);

inline constexpr int kSoundAttribFreq = 1;
inline constexpr int kSoundAttribVol = 2;
inline constexpr uint32_t kSoundVersion = 0x02040000;  // 2.4

class SoundSystem {
 public:
  virtual ~SoundSystem() = default;
  virtual uint32_t GetVersion() = 0;
  virtual bool Init(int device, int freq) = 0;
  virtual SoundHandle StreamCreate(int freq, int channels, StreamProc proc, void* user) = 0;
  virtual bool ChannelPlay(SoundHandle h, bool restart) = 0;
  virtual bool ChannelStop(SoundHandle h) = 0;
  virtual bool ChannelSetAttribute(SoundHandle h, int attrib, float value) = 0;
  virtual bool Free() = 0;
};

// The SDL2 implementation (mixes every playing stream into one device).
std::unique_ptr<SoundSystem> CreateSdlSoundSystem();

}  // namespace quovil
