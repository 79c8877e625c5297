#include "export/snapshot.h"

#include "card/korax.h"
#include "export/bmp_file.h"
#include "export/stamp_font.h"
#include "viewer/viewer.h"

namespace quovil {

StampedSize StampedFrameSize(const Source& src) { return {420 - 2 * src.EdgeTrim, src.PictureHeight + 20}; }

void StretchPicture(const Picture8& from, Picture8& to) {
  if (from.Empty() || to.Empty()) return;
  std::vector<int> column(size_t(to.width));
  for (int x = 0; x < to.width; ++x) column[size_t(x)] = int(int64_t(x) * from.width / to.width);
  for (int y = 0; y < to.height; ++y) {
    const uint8_t* s = from.Row(int(int64_t(y) * from.height / to.height));
    uint8_t* d = to.Row(y);
    for (int x = 0; x < to.width; ++x) d[x] = s[column[size_t(x)]];
  }
}

std::string FrameStampText(const TimeStamp& t) {
  return Format("%.2d.%.2d.%.4d", t.day, t.month, 2000 + t.year) + Format("  %.2d:%.2d:%.2d", t.hour, t.minute, t.second);
}

void ComposeStampedPicture(const Picture8& pic, const std::string& stamp, Picture8& canvas) {
  StretchPicture(pic, canvas);
  DrawShadowedStamp(canvas, stamp);
}

std::string SnapshotFileName(const Source& src, int index) {
  if (!src.ValidIndex(index)) return {};
  const TimeStamp t = src.TimeOf(index);
  return Format("%.2d.%.2d.%.4d_%.2d.%.2d.%.2d_00_%s_ch%d.bmp", t.day, t.month, 2000 + t.year, t.hour, t.minute,
                t.second, src.KindTextOf(index), src.CameraOf(index));
}

bool SaveStampedPicture(const std::string& file, const std::string& stamp, const Picture8& pic, const Source& src,
                        std::string* error) {
  const StampedSize size = StampedFrameSize(src);
  if (size.width <= 0 || size.height <= 0) {
    if (error) *error = "no picture";
    return false;
  }
  Picture8 canvas;
  canvas.Resize(size.width, size.height);
  ComposeStampedPicture(pic, stamp, canvas);
  return WriteGreyBmp(file, canvas, error);
}

SnapshotResult ActionSaveImageExecute(Viewer& v) {
  using Status = SnapshotResult::Status;
  if (v.selection().Count() <= 0) return {};
  v.StopBtnClick();
  const size_t cam = size_t(v.selection().ActiveCamera() & 1);
  const std::string suggested = SnapshotFileName(v.source(), v.disp().ShownIndex[cam]);
  if (suggested.empty()) return {};  // the camera shows no record
  const std::optional<std::string> chosen = v.host.ChooseSaveFile(suggested);
  if (!chosen || chosen->empty()) return {};
  std::string error;
  if (SaveStampedPicture(*chosen, v.disp().CameraTimeText[cam], v.bitmaps()[cam], v.source(), &error))
    return {Status::Saved, {}, *chosen};
  v.ShowMessageBox(error, MsgKind::Error);
  return {Status::Failed, error, {}};
}

}  // namespace quovil
