// `export-avi SRC OUT.avi [--start TEXT] [--end TEXT] [--camera 1|2] [filters]`:
// the AVI export of the active camera between the marks.
#include "cli/cli.h"
#include "export/avi_export.h"

namespace quovil::cli {

namespace {

int ExportAvi(Context& ctx) {
  std::string error;
  if (!OpenSource(ctx, ctx.args.positional[0], Access::ReadOnly, error)) return ctx.Fail(error);
  Viewer& v = ctx.viewer;
  const std::string camera = ctx.args.Get("--camera", "1");
  if (camera != "1" && camera != "2") return ctx.Fail("unknown camera: " + camera);
  if (v.selection().Count() <= 0) return ctx.Fail(v.noSourceText());
  v.SetActiveCamera(camera[0] - '1');
  v.SetMarks(ctx.args.Get("--start", v.fragStart()), ctx.args.Get("--end", v.fragEnd()));
  AviExportList list;
  std::string refusal;
  if (!CollectAviEntries(v, list, &refusal)) return ctx.Fail(refusal);
  const AviExportResult r = WriteAviFragment(v, list, ctx.args.positional[1]);
  ctx.out = {{"files", r.files}, {"frames", r.frames}};
  if (!r.failed) return 0;
  ctx.out["error"] = r.message.empty() ? "cannot create " + ctx.args.positional[1] : r.message;
  return 1;
}

}  // namespace

QUOVIL_CLI_COMMAND({"export-avi",
                    "the marked fragment of one camera as AVI video",
                    {"SRC", "OUT.avi"},
                    {{"--start", "start mark, dd.mm.yyyy hh:mm:ss (default: the first record)", false, false},
                     {"--end", "end mark (default: the last record)", false, false},
                     {"--camera", "1 or 2 (default 1)", false, false}},
                    true,
                    ExportAvi});

}  // namespace quovil::cli
