// Direct access to the viewer's private state, for tests that set up a
// situation no command reaches in a few steps: an overlay to paint, a speed, a
// layout, a damaged catalogue entry. Tests read through the viewer's views and
// act through its commands everywhere else.
#pragma once

#include "viewer/viewer.h"

namespace quovil::test {

struct ViewerProbe {
  static Source& Src(Viewer& v) { return v.src_; }
  static Selection& Sel(Viewer& v) { return v.sel_; }
  static DisplayState& Disp(Viewer& v) { return v.disp_; }
  static FrameCache& Cache(Viewer& v) { return v.cache_; }
  static FrameInfoState& Info(Viewer& v) { return v.info_; }
  static std::array<Picture8, 2>& Bitmaps(Viewer& v) { return v.bitmaps_; }
  static ActionState& Actions(Viewer& v) { return v.actions_; }
  static SoundRings& Sound(Viewer& v) { return v.sound_; }
  static PlaybackState& Play(Viewer& v) { return v.play_; }
  static TimelineState& Timeline(Viewer& v) { return v.timeline_; }
  static GpsOutputState& Gps(Viewer& v) { return v.gps_; }
  static std::array<CameraSetting, 2>& CameraSettings(Viewer& v) { return v.cameraSettings_; }
  static std::string& FragStart(Viewer& v) { return v.fragStart_; }
  static std::string& FragEnd(Viewer& v) { return v.fragEnd_; }
  static std::array<std::string, 5>& StatusPanels(Viewer& v) { return v.statusPanels_; }
  static std::string& NoSourceText(Viewer& v) { return v.noSourceText_; }
};

}  // namespace quovil::test
