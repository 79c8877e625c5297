// The mixer behind the SDL sound system: every playing stream is pulled through
// its stream procedure, resampled from its own frequency to the output rate,
// scaled by its volume and mixed into one unsigned 8-bit mono output. It knows
// nothing of SDL, so it can be driven and measured without a device.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/sound.h"

namespace quovil {

class SoundMixer {
 public:
  static constexpr int kMaxStreams = 8;
  // A stream plays at most this many times faster than the output rate; it
  // bounds the per-stream scratch buffers allocated up front.
  static constexpr int kMaxStep = 8;

  // maxFrames: the largest piece Mix works on at once (longer requests are cut).
  SoundMixer(int outputRate, int maxFrames);
  SoundMixer(const SoundMixer&) = delete;
  SoundMixer& operator=(const SoundMixer&) = delete;

  int OutputRate() const { return outputRate_; }

  // Control side (any thread but the audio thread). None of these waits for
  // the audio thread, so they may be called while holding locks the stream
  // procedures take.
  SoundHandle Create(int freq, StreamProc proc, void* user);  // 0 when all slots are taken
  bool Play(SoundHandle h, bool restart);
  bool Stop(SoundHandle h);
  bool SetAttribute(SoundHandle h, int attrib, float value);
  bool Playing(SoundHandle h) const;
  // Forgets every stream; only while nothing calls Mix.
  void Clear();

  // Audio thread: fills out with frames mixed samples. Allocates nothing.
  void Mix(uint8_t* out, int frames);

 private:
  struct Stream {
    std::atomic<bool> created{false};
    std::atomic<bool> playing{false};
    std::atomic<bool> restart{false};
    std::atomic<uint32_t> freq{0};
    std::atomic<int32_t> gain{256};  // volume in 1/256
    StreamProc proc = nullptr;
    void* user = nullptr;
    // Audio thread only: position past `last` in 1/65536 of a source sample.
    uint32_t frac = 0;
    uint8_t last = 128;
    std::unique_ptr<uint8_t[]> scratch;
  };

  Stream* Find(SoundHandle h);
  const Stream* Find(SoundHandle h) const;
  void MixStream(Stream& s, SoundHandle h, int frames);
  void MixPiece(uint8_t* out, int frames);

  int outputRate_;
  int maxFrames_;
  std::array<Stream, kMaxStreams> streams_;
  std::unique_ptr<int32_t[]> acc_;
};

}  // namespace quovil
