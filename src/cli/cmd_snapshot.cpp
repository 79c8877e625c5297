// `snapshot SRC OUT.bmp --index I`: the stamped BMP of a record as the viewer
// saves it once that record is shown.
#include "card/korax.h"
#include "cli/cli.h"
#include "export/snapshot.h"

namespace quovil::cli {

namespace {

int Snapshot(Context& ctx) {
  int index = -1;
  if (!OpenAtIndex(ctx, index)) return 1;
  Viewer& v = ctx.viewer;
  const int cam = v.source().CameraOf(index);
  const int32_t pos = v.PosOfIndex(index);
  if (cam < 0 || pos < 0) return ctx.Fail(Format("entry %d is not in the selection", index));
  v.SetActiveCamera(cam);
  v.ShowPosition(pos);
  if (v.disp().ShownIndex[size_t(cam)] != index) return ctx.Fail(Format("entry %d cannot be shown", index));
  ctx.host.saveFileAnswer = ctx.args.positional[1];
  const SnapshotResult r = ActionSaveImageExecute(v);
  if (r.status == SnapshotResult::Status::Failed) return ctx.Fail(r.message);
  ctx.out = {{"file", ctx.args.positional[1]}, {"name", SnapshotFileName(v.source(), index)},
             {"stamp", v.disp().CameraTimeText[size_t(cam)]}};
  return 0;
}

}  // namespace

QUOVIL_CLI_COMMAND({"snapshot",
                    "the stamped BMP snapshot of catalogue index I",
                    {"SRC", "OUT.bmp"},
                    {{"--index", "catalogue index", false, true}},
                    false,
                    Snapshot});

}  // namespace quovil::cli
