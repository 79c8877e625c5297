// `export-mp4 SRC OUT.mp4 [--start TEXT] [--end TEXT] [--camera 1|2|both]
// [--arrangement side|stacked|inset] [--split-mb N] [--plain-stamp]
// [filters]`: the marked fragment as MP4.
#ifdef QUOVIL_MP4

#include <cstdlib>

#include "cli/cli.h"
#include "export/mp4_export.h"

namespace quovil::cli {

namespace {

int ExportMp4Command(Context& ctx) {
  std::string error;
  if (!OpenSource(ctx, ctx.args.positional[0], Access::ReadOnly, error)) return ctx.Fail(error);
  Viewer& v = ctx.viewer;
  const std::string camera = ctx.args.Get("--camera", "1");
  if (camera != "1" && camera != "2" && camera != "both") return ctx.Fail("unknown camera: " + camera);
  const std::string arrangement = ctx.args.Get("--arrangement", "side");
  Mp4Options o;
  if (arrangement == "side") {
    o.arrangement = Mp4Options::Arrangement::Side;
  } else if (arrangement == "stacked") {
    o.arrangement = Mp4Options::Arrangement::Stacked;
  } else if (arrangement == "inset") {
    o.arrangement = Mp4Options::Arrangement::Inset;
  } else {
    return ctx.Fail("unknown arrangement: " + arrangement);
  }
  if (v.selection().Count() <= 0) return ctx.Fail(v.noSourceText());
  o.camera = camera == "both" ? -1 : camera[0] - '1';
  if (o.camera >= 0) v.SetActiveCamera(o.camera);
  v.SetMarks(ctx.args.Get("--start", v.fragStart()), ctx.args.Get("--end", v.fragEnd()));
  const Viewer::Fragment fragment = v.MarkedFragment(o.camera);
  if (fragment.status != Viewer::Fragment::Status::Ok) return ctx.Fail(fragment.Message());
  o.cameras = v.cameraSettings();
  if (ctx.args.Has("--split-mb")) {
    const std::string text = ctx.args.Get("--split-mb", "");
    char* end = nullptr;
    const unsigned long long mb = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || *end || mb < (kMp4MinimumSplitBytes >> 20) || mb > (uint64_t(1) << 24))
      return ctx.Fail("--split-mb wants a whole number of megabytes from 1: " + text);
    o.splitBytes = uint64_t(mb) << 20;
  }
  o.stampSpeed = o.stampVoltage = !ctx.args.Has("--plain-stamp");
  HostProgress progress(v.host);
  const Mp4ExportResult r = ExportMp4(v.source(), fragment.indices, o, ctx.args.positional[1], progress);
  ctx.out = {{"files", r.files}, {"frames", r.frames}, {"seconds", r.seconds}};
  if (!r.failed) return 0;
  ctx.out["error"] = r.message;
  return 1;
}

}  // namespace

QUOVIL_CLI_COMMAND({"export-mp4",
                    "the marked fragment of one camera or both as MP4 video (H.264, AAC)",
                    {"SRC", "OUT.mp4"},
                    {{"--start", "start mark, dd.mm.yyyy hh:mm:ss (default: the first record)", false, false},
                     {"--end", "end mark (default: the last record)", false, false},
                     {"--camera", "1, 2 or both (default 1)", false, false},
                     {"--arrangement", "both cameras: side, stacked or inset (default side)", false, false},
                     {"--split-mb", "files of at most about N MiB each (default: one file)", false, false},
                     {"--plain-stamp", "stamp the date and time only, without speed and voltage", true, false}},
                    true,
                    ExportMp4Command});

}  // namespace quovil::cli

#endif
