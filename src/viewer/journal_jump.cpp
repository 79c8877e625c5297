// Jumping from a journal event to the frames recorded at its time.
#include <tuple>

#include "viewer/viewer.h"

namespace quovil {

void Viewer::GoToJournalTime(int day, int month, int year, int hour, int minute) {
  const auto when = std::make_tuple(year, month, day, hour, minute);
  const bool single = SingleCameraLayout();
  for (int32_t p = 0; p < sel_.Count(); ++p) {
    int32_t i = IndexAtPos(p);
    TimeStamp t = src_.TimeOf(i);
    // Seconds are not compared: the journal keeps minutes only.
    if (std::make_tuple(int(t.year), int(t.month), int(t.day), int(t.hour), int(t.minute)) < when) continue;
    if (single && src_.CameraOf(i) != sel_.ActiveCamera()) continue;
    // Both cameras move to the event's time.
    ShowPositionWithCompanion(p);
    return;
  }
}

}  // namespace quovil
