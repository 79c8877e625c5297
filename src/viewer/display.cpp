// Showing a record: the current position, the picture of its camera, the
// frame rate and the read-ahead sound; the layout commands of the picture box.
#include <algorithm>

#include "card/source_format.h"
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
  if (pos < 0 || pos >= SelCount) return;
  const unsigned repaint = kRepaintImage | kRepaintTimeline | kRepaintDate | kRepaintSensors;
  if (!src.Open()) {
    disp.CameraTimeText[0].clear();
    disp.CameraTimeText[1].clear();
    Repaint(repaint);
    return;
  }
  const int32_t index = IndexAtPos(pos);
  if (!src.ValidIndex(index)) {
    Repaint(repaint);
    return;
  }
  CurIndex = index;
  CurPos = pos;
  const int cam = src.CameraOf(index);
  const TimeStamp t = src.TimeOf(index);

  const std::string date = Format("%.2d.%.2d.%.4d", t.day, t.month, t.year + 2000);
  const std::string timeText = TimeStampText(t);
  if (disp.DatePanelText != date) {
    disp.DatePanelText = date;
    BuildDayMap(t.day, t.month, t.year);
  }
  // A record of no camera has no picture and no per-camera bookkeeping.
  if (cam < 0) {
    Repaint(repaint);
    return;
  }
  const size_t c = size_t(cam);
  if (!BuildPicture(index, CameraBitmap[c])) {
    // The picture stays as it was, but the read-ahead sound must move on:
    // playback would otherwise queue this record's sound a second time.
    ReadNextSound(pos, cam);
    Repaint(repaint);
    return;
  }
  disp.ShownIndex[c] = index;
  disp.ShownPos[c] = pos;
  disp.CameraTimeText[c] = timeText;

  if (FormatOf(src).RecordsFrameInterval()) {
    int v = src.LongCatalogue[size_t(index)].FrameInterval();
    if (v != 0) disp.CameraFps[c] = 100.0 / v;
  } else {
    // Formats 0 and 1 record no interval: the rate is the number of frames
    // of this camera shown with the previous second's stamp.
    if (timeText != disp.LastSecondText[c]) {
      disp.CameraFps[c] = disp.SecondFrameCount[c];
      disp.SecondFrameCount[c] = 1;
    } else {
      ++disp.SecondFrameCount[c];
    }
    disp.LastSecondText[c] = timeText;
  }

  ReadNextSound(pos, cam);
  Repaint(repaint);
}

void Viewer::ReadNextSound(int32_t pos, int cam) {
  const size_t c = size_t(cam);
  const int32_t next = NextPosOfCamera(pos, cam);
  disp.NextSoundPos[c] = next;
  if (next >= 0) {
    ReadSound(src, IndexAtPos(next), sound.NextSoundBlock[c].data());
  } else {
    PutU16(sound.NextSoundBlock[c].data(), 0);
  }
}

void Viewer::VIEW_Click(int tag) {
  if (tag < 0 || tag > 3) return;
  CheckViewItem(actions, kMenuItemOfArrangement[tag]);
  Repaint(kRepaintActions);
  int t = tag;
  if (disp.ViewLayout >= 4) t += 4;
  if (t == disp.ViewLayout) return;
  if (t == 1 || t == 5) t = ActiveCamera * 4 + 1;
  disp.ViewLayout = t;
  Repaint(kRepaintImage | kRepaintTimeline);
}

void Viewer::VIEW_SWAP_Click() {
  disp.ViewLayout += 4;
  if (disp.ViewLayout > 7) disp.ViewLayout -= 8;
  Repaint(kRepaintImage | kRepaintTimeline);
}

void Viewer::ImageBoxDblClick() {
  if (SelCount == 0) return;
  const bool ac0 = ActiveCamera == 0, ac1 = ActiveCamera == 1;
  int& l = disp.ViewLayout;
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
  CheckViewItem(actions, kMenuItemOfArrangement[l & 3]);
  Repaint(kRepaintImage | kRepaintTimeline | kRepaintActions);
}

void Viewer::ImageBoxMouseDown(int x, int y) {
  if (SingleCameraLayout() || SelCount == 0) return;
  // The small window of window-in-window lies over the large one, so the
  // camera drawn last is tested first.
  const int order[2][2] = {{1, 0}, {0, 1}};
  for (int cam : order[disp.ViewLayout >= 4 ? 1 : 0]) {
    const auto& r = disp.CameraRect[size_t(cam)];
    if (x < r.left || x > r.right || y < r.top || y > r.bottom) continue;
    if (cam == ActiveCamera) return;
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
  CameraSetting& s = CameraSettings[size_t(ActiveCamera & 1)];
  if (v == s.Brightness) return;
  s.Brightness = v;
  if (!play.PlayTimerEnabled) ShowPosition(disp.ShownPos[size_t(ActiveCamera & 1)]);
}

void Viewer::ContrastBarChange(int v) {
  v = std::clamp(v, 0, 200);
  CameraSetting& s = CameraSettings[size_t(ActiveCamera & 1)];
  if (v == s.Contrast) return;
  s.Contrast = v;
  if (!play.PlayTimerEnabled) ShowPosition(disp.ShownPos[size_t(ActiveCamera & 1)]);
}

}  // namespace quovil
