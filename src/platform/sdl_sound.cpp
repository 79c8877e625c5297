// Sound output over SDL2's audio device: one device, every stream mixed into it
// by SoundMixer on SDL's audio thread.
#include "platform/sdl_sound.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace quovil {

// ---------------------------------------------------------------- mixer

SoundMixer::SoundMixer(int outputRate, int maxFrames)
    : outputRate_(std::max(1, outputRate)), maxFrames_(std::max(1, maxFrames)) {
  const size_t scratchBytes = size_t(maxFrames_) * kMaxStep + 2;
  for (Stream& s : streams_) s.scratch = std::make_unique<uint8_t[]>(scratchBytes);
  acc_ = std::make_unique<int32_t[]>(size_t(maxFrames_));
}

SoundMixer::Stream* SoundMixer::Find(SoundHandle h) {
  if (h == 0 || h > SoundHandle(kMaxStreams)) return nullptr;
  Stream& s = streams_[h - 1];
  return s.created.load(std::memory_order_acquire) ? &s : nullptr;
}

const SoundMixer::Stream* SoundMixer::Find(SoundHandle h) const {
  return const_cast<SoundMixer*>(this)->Find(h);
}

SoundHandle SoundMixer::Create(int freq, StreamProc proc, void* user) {
  if (proc == nullptr) return 0;
  for (size_t i = 0; i < streams_.size(); ++i) {
    Stream& s = streams_[i];
    if (s.created.load(std::memory_order_acquire)) continue;
    s.proc = proc;
    s.user = user;
    s.frac = 0;
    s.last = 128;
    s.playing.store(false);
    s.restart.store(false);
    s.gain.store(256);
    s.freq.store(uint32_t(std::max(1, freq)));
    s.created.store(true, std::memory_order_release);  // publishes proc and user
    return SoundHandle(i + 1);
  }
  return 0;
}

bool SoundMixer::Play(SoundHandle h, bool restart) {
  Stream* s = Find(h);
  if (!s) return false;
  if (restart) s->restart.store(true);
  s->playing.store(true);
  return true;
}

bool SoundMixer::Stop(SoundHandle h) {
  Stream* s = Find(h);
  if (!s) return false;
  s->playing.store(false);
  return true;
}

bool SoundMixer::Playing(SoundHandle h) const {
  const Stream* s = Find(h);
  return s && s->playing.load();
}

bool SoundMixer::SetAttribute(SoundHandle h, int attrib, float value) {
  Stream* s = Find(h);
  if (!s) return false;
  if (attrib == kSoundAttribFreq) {
    // Keep the rate within what the scratch buffers were sized for.
    const float hi = float(outputRate_) * kMaxStep;
    const float f = std::clamp(value, 100.0f, hi);
    s->freq.store(uint32_t(f));
    return true;
  }
  if (attrib == kSoundAttribVol) {
    const float v = std::clamp(value, 0.0f, 1.0f);
    s->gain.store(int32_t(v * 256.0f + 0.5f));
    return true;
  }
  return false;
}

void SoundMixer::Clear() {
  for (Stream& s : streams_) {
    s.created.store(false);
    s.playing.store(false);
    s.proc = nullptr;
    s.user = nullptr;
  }
}

// Pulls the source samples this piece needs and adds the stream, resampled by
// linear interpolation, to the accumulator. scratch[0] holds the sample the
// previous piece ended on, so pieces join without a seam; at the output rate
// (step exactly 1) samples pass through unchanged.
void SoundMixer::MixStream(Stream& s, SoundHandle h, int frames) {
  if (s.restart.exchange(false)) {
    s.frac = 0;
    s.last = 128;
  }
  uint64_t step = (uint64_t(s.freq.load()) << 16) / uint64_t(outputRate_);
  step = std::clamp<uint64_t>(step, 1, uint64_t(kMaxStep) << 16);
  const uint64_t lastPos = s.frac + uint64_t(frames - 1) * step;
  const uint64_t endPos = s.frac + uint64_t(frames) * step;
  const uint32_t needed = uint32_t(std::max((lastPos >> 16) + 1, endPos >> 16));

  uint8_t* a = s.scratch.get();
  a[0] = s.last;
  uint32_t got = s.proc(h, a + 1, needed, s.user);
  got = std::min(got, needed);
  std::memset(a + 1 + got, 128, needed - got);  // what the procedure did not deliver is silence

  const int32_t gain = s.gain.load();
  uint64_t pos = s.frac;
  for (int i = 0; i < frames; ++i, pos += step) {
    const uint32_t k = uint32_t(pos >> 16);
    const uint32_t f = uint32_t(pos & 0xFFFF);
    const int32_t v = int32_t((uint32_t(a[k]) * (65536u - f) + uint32_t(a[k + 1]) * f) >> 16);
    acc_[size_t(i)] += (v - 128) * gain;
  }
  s.last = a[endPos >> 16];
  s.frac = uint32_t(endPos & 0xFFFF);
}

void SoundMixer::MixPiece(uint8_t* out, int frames) {
  std::fill(acc_.get(), acc_.get() + frames, 0);
  for (size_t i = 0; i < streams_.size(); ++i) {
    Stream& s = streams_[i];
    if (!s.created.load(std::memory_order_acquire) || !s.playing.load()) continue;
    MixStream(s, SoundHandle(i + 1), frames);
  }
  for (int i = 0; i < frames; ++i) out[i] = uint8_t(std::clamp((acc_[size_t(i)] >> 8) + 128, 0, 255));
}

void SoundMixer::Mix(uint8_t* out, int frames) {
  while (frames > 0) {
    const int n = std::min(frames, maxFrames_);
    MixPiece(out, n);
    out += n;
    frames -= n;
  }
}

// ---------------------------------------------------------------- SDL device

namespace {

constexpr int kDeviceFrames = 512;  // about 46 ms at 11025 Hz

class SdlSoundSystem final : public SoundSystem {
 public:
  ~SdlSoundSystem() override { Free(); }

  uint32_t GetVersion() override { return kSoundVersion | 0x0100; }

  bool Init(int device, int freq) override {
    if (dev_ != 0 || freq <= 0) return false;
    mixer_ = std::make_unique<SoundMixer>(freq, 4096);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
      subsystem_ = true;
    } else if (SDL_AudioInit("dummy") == 0) {
      driverOnly_ = true;
    } else {
      mixer_.reset();
      return false;
    }
    dev_ = Open(device, freq);
    if (dev_ == 0) {
      // No sound server: SDL does not fall back by itself. Run silently on the
      // dummy driver rather than refuse to start.
      SDL_AudioQuit();
      if (SDL_AudioInit("dummy") == 0) {
        driverOnly_ = !subsystem_;
        dev_ = Open(-1, freq);
      }
    }
    if (dev_ == 0) {
      Shutdown();
      return false;
    }
    SDL_PauseAudioDevice(dev_, 0);
    return true;
  }

  SoundHandle StreamCreate(int freq, int channels, StreamProc proc, void* user) override {
    if (!mixer_ || channels != 1) return 0;
    return mixer_->Create(freq, proc, user);
  }
  bool ChannelPlay(SoundHandle h, bool restart) override { return mixer_ && mixer_->Play(h, restart); }
  bool ChannelStop(SoundHandle h) override { return mixer_ && mixer_->Stop(h); }
  bool ChannelSetAttribute(SoundHandle h, int attrib, float value) override {
    return mixer_ && mixer_->SetAttribute(h, attrib, value);
  }

  bool Free() override {
    if (dev_ == 0) return false;
    SDL_CloseAudioDevice(dev_);  // returns once the callback has finished
    dev_ = 0;
    Shutdown();
    return true;
  }

 private:
  static void SDLCALL Callback(void* userdata, Uint8* stream, int len) {
    static_cast<SoundMixer*>(userdata)->Mix(stream, len);
  }

  SDL_AudioDeviceID Open(int device, int freq) {
    SDL_AudioSpec want{};
    SDL_AudioSpec have{};
    want.freq = freq;
    want.format = AUDIO_U8;
    want.channels = 1;
    want.samples = kDeviceFrames;
    want.callback = &Callback;
    want.userdata = mixer_.get();
    const char* name = nullptr;
    if (device > 0) name = SDL_GetAudioDeviceName(device - 1, 0);
    // No allowed changes: SDL converts to whatever the hardware takes, so the
    // mixer always works at the rate and format asked for.
    return SDL_OpenAudioDevice(name, 0, &want, &have, 0);
  }

  void Shutdown() {
    if (subsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    else if (driverOnly_) SDL_AudioQuit();
    subsystem_ = driverOnly_ = false;
    if (mixer_) mixer_->Clear();
    mixer_.reset();
  }

  SDL_AudioDeviceID dev_ = 0;
  bool subsystem_ = false;   // SDL_InitSubSystem succeeded
  bool driverOnly_ = false;  // only SDL_AudioInit was called
  std::unique_ptr<SoundMixer> mixer_;
};

}  // namespace

std::unique_ptr<SoundSystem> CreateSdlSoundSystem() { return std::make_unique<SdlSoundSystem>(); }

}  // namespace quovil
