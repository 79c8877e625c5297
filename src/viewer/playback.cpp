// Playback: stepping through the selection forward or backward at eight
// speeds, paced at the two slowest forward speeds by the recorded sound that
// the stream procedures drain from the per-camera rings; the mouse wheel,
// volume and mute.
#include <algorithm>
#include <cstring>

#include "viewer/viewer.h"

namespace quovil {

namespace {

constexpr int kVolumeBarMax = 100;
constexpr int kPacedInterval = 10;  // ms: the timer only polls while the sound paces

int TimerInterval(int speed) { return 205 - 25 * std::abs(speed); }

// Whether anything drains the rings. Without it the sound could never pace
// the pictures (they would wait for good), so the timer paces them instead.
bool SoundOutput(const Viewer& v) {
  return v.soundSystem && v.play().SoundStream[0] != 0 && v.play().SoundStream[1] != 0;
}

// Speeds 1 and 2 with sound: a camera moves on only when its queued sound has played.
bool SoundPaced(const Viewer& v) {
  return (v.play().PlaySpeed == 1 || v.play().PlaySpeed == 2) && v.source().HasSound && SoundOutput(v);
}

int PacedFrequency(const Viewer& v) { return (v.play().PlaySpeed + 1) * v.source().SampleRate / 2; }

// The stream calls; nothing happens without a sound system or for a stream
// that could not be created.
void ForStreams(Viewer& v, auto&& call) {
  if (!v.soundSystem) return;
  for (SoundHandle h : v.play().SoundStream)
    if (h != 0) call(*v.soundSystem, h);
}

void PlayStreams(Viewer& v) {
  ForStreams(v, [](SoundSystem& s, SoundHandle h) { s.ChannelPlay(h, false); });
}

void StopStreams(Viewer& v) {
  ForStreams(v, [](SoundSystem& s, SoundHandle h) { s.ChannelStop(h); });
}

void SetStreamFrequency(Viewer& v, int hz) {
  ForStreams(v, [hz](SoundSystem& s, SoundHandle h) { s.ChannelSetAttribute(h, kSoundAttribFreq, float(hz)); });
}

void SetStreamVolume(Viewer& v, int cam) {
  const SoundHandle h = v.play().SoundStream[size_t(cam)];
  if (!v.soundSystem || h == 0) return;
  const int bar = std::clamp(v.cameraSettings()[size_t(cam)].Volume, 0, kVolumeBarMax);
  const float volume = v.play().Muted ? 0.0f : float(kVolumeBarMax - bar) / 100.0f;
  v.soundSystem->ChannelSetAttribute(h, kSoundAttribVol, volume);
}

// Appends n bytes (samples, or silence when samples is null) to cam's ring.
// Called with SoundFlagLock held: every write of RingWrite then happens under
// both locks, which lets the stream procedure test for an empty ring under
// SoundFlagLock alone.
int Feed(SoundRings& s, int cam, const uint8_t* samples, int n) {
  std::lock_guard<std::mutex> ringLock(s.SoundRingLock);
  const size_t c = size_t(cam);
  // One byte always stays free: a completely full ring would have
  // RingWrite == RingRead and read as empty, losing what was queued.
  int space = s.RingRead[c] - s.RingWrite[c];
  if (space <= 0) space += kSoundRingBytes;
  n = std::min(n, space - 1);
  if (n <= 0) return 0;
  uint8_t* ring = s.SoundRing[c].data();
  const int w = s.RingWrite[c];
  const int first = std::min(n, kSoundRingBytes - w);
  if (samples) {
    std::memcpy(ring + w, samples, size_t(first));
    std::memcpy(ring, samples + first, size_t(n - first));
  } else {
    std::memset(ring + w, 128, size_t(first));
    std::memset(ring, 128, size_t(n - first));
  }
  s.RingWrite[c] = (w + n) % kSoundRingBytes;
  return n;
}

// Byte count at the head of the read-ahead block, never more than it holds.
int BlockCount(const SoundRings& s, int cam) {
  const int n = GetU16(s.NextSoundBlock[size_t(cam)].data());
  return std::min(n, kSoundBlockBytes - 2);
}

int CameraAt(const Viewer& v, int32_t pos) { return v.source().CameraOf(v.IndexAtPos(pos)); }

// True when some position after CurPos holds a record of either camera.
bool LaterRecordExists(const Viewer& v) {
  for (int32_t q = std::max(v.selection().Pos() + 1, 0); q < v.selection().Count(); ++q)
    if (CameraAt(v, q) >= 0) return true;
  return false;
}

}  // namespace

int Viewer::FeedSound(int cam) {
  if (cam < 0 || cam > 1) return 0;
  return Feed(sound_, cam, sound_.NextSoundBlock[size_t(cam)].data() + 2, BlockCount(sound_, cam));
}

int Viewer::FeedSilence(int cam) {
  if (cam < 0 || cam > 1) return 0;
  return Feed(sound_, cam, nullptr, BlockCount(sound_, cam));
}

uint32_t Viewer::StreamProcedure(SoundHandle, void* buffer, uint32_t length, void* user) {
  auto* u = static_cast<SoundRings::StreamUser*>(user);
  if (!u || !u->rings || u->camera < 0 || u->camera > 1 || !buffer) return 0;
  SoundRings& s = *u->rings;
  const size_t c = size_t(u->camera);
  uint32_t n = 0;
  {
    std::lock_guard<std::mutex> ringLock(s.SoundRingLock);
    int avail = s.RingWrite[c] - s.RingRead[c];
    if (avail < 0) avail += kSoundRingBytes;
    n = std::min(length, uint32_t(avail));
    const int r = s.RingRead[c];
    const uint32_t first = std::min(n, uint32_t(kSoundRingBytes - r));
    auto* out = static_cast<uint8_t*>(buffer);
    std::memcpy(out, s.SoundRing[c].data() + r, first);
    std::memcpy(out + first, s.SoundRing[c].data(), n - first);
    s.RingRead[c] = int((uint32_t(r) + n) % kSoundRingBytes);
  }
  {
    // RingRead is written only here, and RingWrite only under SoundFlagLock
    // too (see Feed), so the test is exact without taking the ring lock again.
    std::lock_guard<std::mutex> flagLock(s.SoundFlagLock);
    if (s.RingRead[c] == s.RingWrite[c]) s.NeedFrame[c] = true;
  }
  return n;
}

void Viewer::SetPlayTimer(bool enabled, int interval) {
  if (play_.PlayTimerEnabled == enabled && play_.PlayTimerInterval == interval) return;
  play_.PlayTimerEnabled = enabled;
  play_.PlayTimerInterval = interval;
  Repaint(kRepaintTimers);
}

// Speed up and down share this tail once the speed is settled.
void Viewer::ApplySpeed(bool stopStreams) {
  Viewer& v = *this;
  if (SoundPaced(v)) {
    SetStreamFrequency(v, PacedFrequency(v));
    PlayStreams(v);
    SetPlayTimer(true, kPacedInterval);
  } else {
    if (stopStreams) StopStreams(v);
    SetPlayTimer(true, TimerInterval(v.play().PlaySpeed));
  }
  v.Repaint(kRepaintImage);  // the speed label
}

// One camera's part of a playback step; false when it stopped playback.
bool Viewer::StepCamera(int cam, bool paced) {
  Viewer& v = *this;
  const size_t c = size_t(cam);
  if (!v.sound().NeedFrame[c]) return true;
  const bool forward = v.play().PlaySpeed > 0;
  if (v.SingleCameraLayout() && v.selection().ActiveCamera() == cam) {
    const int32_t p = forward ? v.NextPosOfCamera(v.selection().Pos(), cam) : v.PrevPosOfCamera(v.selection().Pos(), cam);
    disp_.NextSoundPos[c] = p;
    if (p < 0) {
      v.StopBtnClick();
      return false;
    }
    v.ShowPosition(p);
    if (paced) v.FeedSound(cam);
    sound_.NeedFrame[c] = false;
    return true;
  }
  const int32_t p = forward ? v.selection().Pos() + 1 : v.selection().Pos() - 1;
  if (p < 0 || p >= v.selection().Count()) return true;
  const int owner = CameraAt(v, p);
  if (owner < 0) {
    // A damaged entry of no camera would hold both cameras back for good.
    v.ShowPosition(p);
    return true;
  }
  if (owner != cam) return true;  // the other camera's record: this one waits
  v.ShowPosition(p);
  if (paced) {
    // The other camera gets silence as long as its own record's sound, so it
    // stays paced by its own recording.
    if (v.selection().ActiveCamera() == cam) v.FeedSound(cam);
    else v.FeedSilence(cam);
  }
  sound_.NeedFrame[c] = false;
  return true;
}


void Viewer::PlayTimerTimer() {
  const bool forward = play_.PlaySpeed > 0;
  if ((forward && !LaterRecordExists(*this)) || (!forward && sel_.Pos() <= 0) || sel_.Count() <= 0) {
    StopBtnClick();
    return;
  }
  std::lock_guard<std::mutex> flagLock(sound_.SoundFlagLock);
  const bool paced = SoundPaced(*this);
  if (!paced) sound_.NeedFrame = {true, true};
  if (StepCamera(0, paced)) StepCamera(1, paced);
}

void Viewer::PlayBtnClick() {
  actions_.PlayBtnDown = true;
  if (play_.PlaySpeed <= 0) play_.PlaySpeed = 1;
  bool paced = false;
  {
    std::lock_guard<std::mutex> flagLock(sound_.SoundFlagLock);
    sound_.NeedFrame = {true, true};
    // A remembered speed of 3 or more plays timer-paced and silent, as the
    // speed buttons leave it; only speeds 1 and 2 start the sound.
    if (SoundPaced(*this)) {
      paced = true;
      FeedSound(sel_.ActiveCamera());
    }
  }
  if (src_.HasSound) {
    SetStreamVolume(*this, 0);
    SetStreamVolume(*this, 1);
  }
  if (paced) {
    SetStreamFrequency(*this, PacedFrequency(*this));
    PlayStreams(*this);
    SetPlayTimer(true, kPacedInterval);
  } else {
    SetPlayTimer(true, TimerInterval(play_.PlaySpeed));
  }
  Repaint(kRepaintActions | kRepaintImage);
}

void Viewer::StopBtnClick() {
  SetPlayTimer(false, play_.PlayTimerInterval);
  StopStreams(*this);
  actions_.PlayBtnDown = false;
  Repaint(kRepaintActions | kRepaintImage);
}

void Viewer::SpeedUpClick() {
  if (!play_.PlayTimerEnabled) {
    PlayBtnClick();
  } else if (play_.PlaySpeed == 8 || play_.PlaySpeed == -1) {
    return;
  } else {
    ++play_.PlaySpeed;
  }
  ApplySpeed(src_.HasSound);
}

void Viewer::SpeedDownClick() {
  if (!play_.PlayTimerEnabled) {
    PlayBtnClick();
    play_.PlaySpeed = -1;
  } else if (play_.PlaySpeed == -8 || play_.PlaySpeed == 1) {
    return;
  } else {
    --play_.PlaySpeed;
  }
  // Backward from a stopped start keeps the streams running, so the block the
  // start queued plays out once.
  ApplySpeed(play_.PlaySpeed > 0 && src_.HasSound);
}

void Viewer::VolumeBarChange(int v) {
  const size_t cam = size_t(sel_.ActiveCamera() == 1 ? 1 : 0);
  cameraSettings_[cam].Volume = std::clamp(v, 0, kVolumeBarMax);
  if (play_.PlayTimerEnabled) SetStreamVolume(*this, int(cam));
}

void Viewer::MuteLabelClick() {
  play_.Muted = !play_.Muted;
  SetStreamVolume(*this, 0);
  SetStreamVolume(*this, 1);
  Repaint(kRepaintBars);
}

bool Viewer::ShowSelectionEnd(bool last) {
  if (sel_.Count() <= 0) return false;
  int32_t p = last ? sel_.Count() - 1 : 0;
  if (SingleCameraLayout()) {
    const int cam = sel_.ActiveCamera();
    if (src_.CameraOf(IndexAtPos(p)) != cam) p = last ? PrevPosOfCamera(p, cam) : NextPosOfCamera(p, cam);
  }
  if (p < 0) return false;
  ShowPositionWithCompanion(p);
  return true;
}

bool Viewer::ShowNeighbourMinute(bool forward) {
  const int32_t n = sel_.Count(), pos = sel_.Pos();
  if (n <= 0 || pos < 0 || pos >= n) return false;
  const int cam = sel_.ActiveCamera();
  const auto key = [&](int32_t q) { return MinuteKey(src_.TimeOf(IndexAtPos(q))); };
  const auto ofCamera = [&](int32_t q) { return src_.CameraOf(IndexAtPos(q)) == cam; };
  const int64_t now = key(pos);
  int32_t found = -1;
  if (forward) {
    for (int32_t q = pos + 1; q < n && found < 0; ++q)
      if (ofCamera(q) && key(q) > now) found = q;
  } else {
    int64_t minute = -1;
    for (int32_t q = pos - 1; q >= 0; --q) {
      const int64_t k = key(q);
      if (minute < 0) {
        if (ofCamera(q) && k < now) {
          minute = k;
          found = q;
        }
      } else if (k != minute) {
        break;  // before the minute's first record
      } else if (ofCamera(q)) {
        found = q;
      }
    }
  }
  if (found < 0) return false;
  ShowPositionWithCompanion(found);
  return true;
}

bool Viewer::FormMouseWheel(bool up) {
  if (sel_.Count() <= 0) return false;
  if (play_.PlayTimerEnabled) {
    if (up) SpeedUpClick();
    else SpeedDownClick();
  } else if (SingleCameraLayout()) {
    ShowPosition(up ? NextPosOfCamera(sel_.Pos(), sel_.ActiveCamera()) : PrevPosOfCamera(sel_.Pos(), sel_.ActiveCamera()));
  } else {
    ShowPosition(up ? sel_.Pos() + 1 : sel_.Pos() - 1);
  }
  return true;
}

bool Viewer::ShowNeighbourOfKind(RecordKind kind, bool forward) {
  const int32_t n = sel_.Count(), pos = sel_.Pos();
  if (n <= 0 || pos < 0 || pos >= n) return false;
  const int32_t step = forward ? 1 : -1;
  for (int32_t q = pos + step; q >= 0 && q < n; q += step) {
    if (src_.TriggerOf(IndexAtPos(q)) == kind) {
      ShowPositionWithCompanion(q);
      return true;
    }
  }
  return false;
}

}  // namespace quovil
