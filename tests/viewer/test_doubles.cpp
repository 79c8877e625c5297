// Stand-ins for the frame layer, playback, GPS output and status bar while the
// viewer core is tested on hand-built catalogues without frame data. They are
// weak: wherever the real routine is linked in, it takes over.
#include <algorithm>

#include "viewer_fixture.h"

namespace viewer_test {
CallLog& Calls() {
  static CallLog log;
  return log;
}
}  // namespace viewer_test

namespace quovil {

using viewer_test::Calls;

__attribute__((weak)) bool Viewer::BuildPicture(int index, Picture8& pic) {
  Calls().built.push_back(index);
  const auto& fail = Calls().failBuild;
  if (std::find(fail.begin(), fail.end(), index) != fail.end()) return false;
  pic.Fill(uint8_t(100 + index));
  return true;
}

__attribute__((weak)) void ReadSound(const Source&, int index, uint8_t* buf) {
  Calls().soundRead.push_back(index);
  PutU16(buf, 1);
  buf[2] = uint8_t(index);
}

__attribute__((weak)) void Viewer::StopBtnClick() {
  ++Calls().stops;
  play.PlayTimerEnabled = false;
}

__attribute__((weak)) void Viewer::PlayBtnClick() {
  ++Calls().plays;
  play.PlayTimerEnabled = true;
}

__attribute__((weak)) void Viewer::ResetGpsOutput() { ++Calls().gpsResets; }

__attribute__((weak)) void Viewer::UpdateStatusBar() { ++Calls().statusRefreshes; }

}  // namespace quovil
