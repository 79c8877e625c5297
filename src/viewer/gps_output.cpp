#include "platform/map_process.h"
#include "viewer/viewer.h"

namespace quovil {

namespace {
// A VTG sentence with every field empty and mode N: no valid position.
constexpr const char* kNoFixSentence = "$GPVTG,,,,,,,,,N*30";
}  // namespace

void Viewer::ResetGpsOutput() {
  info_.GpsSentence.clear();
  info_.GpsSpeedText.clear();
  info_.GpsIndex = -1;
  info_.SensorIndex = -1;
  if (COMM1 && COMM1->IsOpen()) COMM1->Write(kNoFixSentence);
}

void Viewer::SetMapLaunch(int result) { gps_.MapLaunchResult = result; }

void Viewer::SetMapOutput(bool on) {
  actions_.MAP = on;
  gps_.MapTimerEnabled = on;
  Repaint(kRepaintActions | kRepaintTimers);
}

void Viewer::MapTimerTimer() {
  // A map program the viewer started and that has ended switches the map off.
  if (gps_.MapLaunchResult > 32 && mapProcess && !mapProcess->Running()) {
    gps_.MapTimerEnabled = false;
    if (COMM1 && COMM1->IsOpen()) COMM1->Close();
    gps_.MapLaunchResult = 0;
    actions_.MAP = false;
    mapProcess->Release();
    Repaint(kRepaintActions | kRepaintTimers);
    return;
  }
  if (!COMM1 || !COMM1->IsOpen()) return;
  const std::string& text = info_.GpsSentence.empty() ? std::string(kNoFixSentence) : info_.GpsSentence;
  if (!COMM1->Write(text)) COMM1->Close();
}

}  // namespace quovil
