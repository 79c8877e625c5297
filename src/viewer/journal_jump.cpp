// Jumping from a journal event to the frames recorded at its time.
#include <tuple>

#include "viewer/viewer.h"

namespace quovil {

void Viewer::GoToJournalTime(int day, int month, int year, int hour, int minute) {
  const auto when = std::make_tuple(year, month, day, hour, minute);
  const bool single = SingleCameraLayout();
  for (int32_t p = 0; p < SelCount; ++p) {
    int32_t i = IndexAtPos(p);
    TimeStamp t = src.TimeOf(i);
    // Seconds are not compared: the journal keeps minutes only.
    if (std::make_tuple(int(t.year), int(t.month), int(t.day), int(t.hour), int(t.minute)) < when) continue;
    if (single && src.CameraOf(i) != ActiveCamera) continue;
    ShowPosition(p);
    return;
  }
}

}  // namespace quovil
