#include "platform/map_process.h"
#include "viewer/viewer.h"

namespace quovil {

namespace {
// A VTG sentence with every field empty and mode N: no valid position.
constexpr const char* kNoFixSentence = "$GPVTG,,,,,,,,,N*30";
}  // namespace

void Viewer::ResetGpsOutput() {
  info.GpsSentence.clear();
  info.GpsSpeedText.clear();
  info.GpsIndex = -1;
  info.SensorIndex = -1;
  if (COMM1 && COMM1->IsOpen()) COMM1->Write(kNoFixSentence);
}

void Viewer::MapTimerTimer() {
  // A map program the viewer started and that has ended switches the map off.
  if (gps.MapLaunchResult > 32 && mapProcess && !mapProcess->Running()) {
    gps.MapTimerEnabled = false;
    if (COMM1 && COMM1->IsOpen()) COMM1->Close();
    gps.MapLaunchResult = 0;
    actions.MAP = false;
    mapProcess->Release();
    Repaint(kRepaintActions | kRepaintTimers);
    return;
  }
  if (!COMM1 || !COMM1->IsOpen()) return;
  const std::string& text = info.GpsSentence.empty() ? std::string(kNoFixSentence) : info.GpsSentence;
  if (!COMM1->Write(text)) COMM1->Close();
}

}  // namespace quovil
