// Showing a record: the current position, the picture of its camera, the
// frame rate and the read-ahead sound; the layout commands of the picture box.
#include <algorithm>

#include "card/source_format.h"
#include "viewer/marks.h"
#include "viewer/viewer.h"

namespace quovil {

namespace {

// Menu item (VIEW1..VIEW4, index 1..4) of each arrangement (layout & 3).
constexpr int kMenuItemOfArrangement[4] = {2, 1, 4, 3};

void CheckViewItem(ActionState& a, int item) {
  a.View.fill(false);
  if (item >= 1 && item <= 4) a.View[size_t(item)] = true;
}

}  // namespace

void Viewer::ShowPosition(int32_t pos) {
  if (pos < 0 || pos >= sel_.Count()) return;
  const unsigned repaint = kRepaintImage | kRepaintTimeline | kRepaintDate | kRepaintSensors;
  if (!src_.Open()) {
    disp_.CameraTimeText[0].clear();
    disp_.CameraTimeText[1].clear();
    Repaint(repaint);
    return;
  }
  const int32_t index = IndexAtPos(pos);
  if (!src_.ValidIndex(index)) {
    Repaint(repaint);
    return;
  }
  sel_.MoveTo(pos, index);
  const int cam = src_.CameraOf(index);
  const TimeStamp t = src_.TimeOf(index);

  const std::string date = Format("%.2d.%.2d.%.4d", t.day, t.month, t.year + 2000);
  if (disp_.DatePanelText != date) {
    disp_.DatePanelText = date;
    BuildDayMap(t.day, t.month, t.year);
  }
  // A record of no camera has no picture and no per-camera bookkeeping.
  if (cam >= 0) ShowCameraRecord(pos, index, cam, false);
  Repaint(repaint);
}

bool Viewer::ShowCameraRecord(int32_t pos, int32_t index, int cam, bool companion) {
  const size_t c = size_t(cam);
  if (!BuildPicture(index, bitmaps_[c], !companion)) {
    // The picture stays as it was, but the read-ahead sound must move on:
    // playback would otherwise queue this record's sound a second time.
    if (!companion) ReadNextSound(pos, cam);
    return false;
  }
  const std::string timeText = TimeStampText(src_.TimeOf(index));
  disp_.ShownIndex[c] = index;
  disp_.ShownPos[c] = pos;
  disp_.CameraTimeText[c] = timeText;

  if (FormatOf(src_).RecordsFrameInterval()) {
    int v = src_.LongCatalogue[size_t(index)].FrameInterval();
    if (v != 0) disp_.CameraFps[c] = 100.0 / v;
  } else {
    // Formats 0 and 1 record no interval: the rate is the number of frames
    // of this camera shown with the previous second's stamp.
    if (timeText != disp_.LastSecondText[c]) {
      disp_.CameraFps[c] = disp_.SecondFrameCount[c];
      disp_.SecondFrameCount[c] = 1;
    } else {
      ++disp_.SecondFrameCount[c];
    }
    disp_.LastSecondText[c] = timeText;
  }

  // A companion's sound is read ahead once playback reaches it.
  if (!companion) ReadNextSound(pos, cam);
  return true;
}

void Viewer::BlankCamera(int cam) {
  const size_t c = size_t(cam);
  bitmaps_[c].Fill(kBlankPictureGrey);
  disp_.ShownIndex[c] = -1;
  disp_.ShownPos[c] = -1;
  disp_.CameraTimeText[c].clear();
  disp_.CameraFps[c] = 0;
}

int32_t Viewer::CompanionPos(int32_t pos) const {
  if (pos < 0 || pos >= sel_.Count() || !src_.Open()) return -1;
  const int32_t index = IndexAtPos(pos);
  if (!src_.ValidIndex(index)) return -1;
  const int cam = src_.CameraOf(index);
  if (cam < 0) return -1;
  const int other = 1 - cam;
  const int64_t minute = MinuteKey(src_.TimeOf(index));
  // The selection runs in recording order: the minute's records lie around pos.
  for (int32_t q = pos + 1; q < sel_.Count(); ++q) {
    const int32_t i = IndexAtPos(q);
    if (!src_.ValidIndex(i) || MinuteKey(src_.TimeOf(i)) != minute) break;
    if (src_.CameraOf(i) == other) return q;
  }
  for (int32_t q = pos - 1; q >= 0; --q) {
    const int32_t i = IndexAtPos(q);
    if (!src_.ValidIndex(i) || MinuteKey(src_.TimeOf(i)) != minute) break;
    if (src_.CameraOf(i) == other) return q;
  }
  return -1;
}

void Viewer::ShowPositionWithCompanion(int32_t pos) {
  if (pos < 0 || pos >= sel_.Count()) return;
  const int32_t index = IndexAtPos(pos);
  if (src_.Open() && src_.ValidIndex(index) && src_.CameraOf(index) >= 0) {
    const int other = 1 - src_.CameraOf(index);
    const int32_t q = CompanionPos(pos);
    if (q < 0 || !ShowCameraRecord(q, IndexAtPos(q), other, true)) BlankCamera(other);
  }
  // Last, so that the position, the date and the frame information are
  // those of the record at pos.
  ShowPosition(pos);
}

void Viewer::ReadNextSound(int32_t pos, int cam) {
  const size_t c = size_t(cam);
  const int32_t next = NextPosOfCamera(pos, cam);
  disp_.NextSoundPos[c] = next;
  if (next >= 0) {
    ReadSound(src_, IndexAtPos(next), sound_.NextSoundBlock[c].data());
  } else {
    PutU16(sound_.NextSoundBlock[c].data(), 0);
  }
}

void Viewer::VIEW_Click(int tag) {
  if (tag < 0 || tag > 3) return;
  CheckViewItem(actions_, kMenuItemOfArrangement[tag]);
  Repaint(kRepaintActions);
  int t = tag;
  if (disp_.ViewLayout >= 4) t += 4;
  if (t == disp_.ViewLayout) return;
  if (t == 1 || t == 5) t = sel_.ActiveCamera() * 4 + 1;
  disp_.ViewLayout = t;
  FollowLayoutCamera();
  Repaint(kRepaintImage | kRepaintTimeline);
}

void Viewer::VIEW_SWAP_Click() {
  disp_.ViewLayout += 4;
  if (disp_.ViewLayout > 7) disp_.ViewLayout -= 8;
  FollowLayoutCamera();
  Repaint(kRepaintImage | kRepaintTimeline);
}

void Viewer::ImageBoxDblClick() {
  if (sel_.Count() == 0) return;
  const bool ac0 = sel_.ActiveCamera() == 0, ac1 = sel_.ActiveCamera() == 1;
  int& l = disp_.ViewLayout;
  switch (l) {
    case 0: l = ac0 ? 1 : 5; break;
    case 1: l = 2; break;
    case 2: l = ac0 ? 3 : 6; break;
    case 3: l = 0; break;
    case 4: l = ac1 ? 5 : 1; break;
    case 5: l = 6; break;
    case 6: l = ac1 ? 7 : 2; break;
    case 7: l = 4; break;
    default: l = 0; break;
  }
  CheckViewItem(actions_, kMenuItemOfArrangement[l & 3]);
  FollowLayoutCamera();
  Repaint(kRepaintImage | kRepaintTimeline | kRepaintActions);
}

void Viewer::ImageBoxMouseDown(int x, int y) {
  if (SingleCameraLayout() || sel_.Count() == 0) return;
  // The small window of window-in-window lies over the large one, so the
  // camera drawn last is tested first.
  const int order[2][2] = {{1, 0}, {0, 1}};
  for (int cam : order[disp_.ViewLayout >= 4 ? 1 : 0]) {
    const DisplayState::Rect r = CameraRect(cam);
    if (x < r.left || x > r.right || y < r.top || y > r.bottom) continue;
    if (cam == sel_.ActiveCamera()) return;
    if (cam == 0) {
      ActionChannel1Execute();
    } else {
      ActionChannel2Execute();
    }
    return;
  }
}

void Viewer::BrightnessBarChange(int v) {
  v = std::clamp(v, 0, 200);
  CameraSetting& s = cameraSettings_[size_t(sel_.ActiveCamera() & 1)];
  if (v == s.Brightness) return;
  s.Brightness = v;
  if (!play_.PlayTimerEnabled) ShowPosition(disp_.ShownPos[size_t(sel_.ActiveCamera() & 1)]);
}

void Viewer::ContrastBarChange(int v) {
  v = std::clamp(v, 0, 200);
  CameraSetting& s = cameraSettings_[size_t(sel_.ActiveCamera() & 1)];
  if (v == s.Contrast) return;
  s.Contrast = v;
  if (!play_.PlayTimerEnabled) ShowPosition(disp_.ShownPos[size_t(sel_.ActiveCamera() & 1)]);
}

void Viewer::SetCameraSettings(const std::array<CameraSetting, 2>& settings) { cameraSettings_ = settings; }

}  // namespace quovil
