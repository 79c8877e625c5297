// `save-kif SRC OUT.kif`: the viewer's archive save of the marked fragment,
// the marks and the camera choice taken from the options.
#include "cli/cli.h"
#include "export/archive_save.h"

namespace quovil::cli {

namespace {

bool ParseCamera(const std::string& text, int& camera) {
  if (text == "1" || text == "2") {
    camera = text[0] - '1';
    return true;
  }
  if (text == "both") {
    camera = -1;
    return true;
  }
  return false;
}

int SaveKif(Context& ctx) {
  int camera = -1;
  if (!ParseCamera(ctx.args.Get("--camera", "both"), camera)) return ctx.Fail("unknown camera: " + ctx.args.Get("--camera"));
  std::string error;
  if (!OpenSource(ctx, ctx.args.positional[0], Access::ReadOnly, error)) return ctx.Fail(error);
  Viewer& v = ctx.viewer;
  if (v.selection().Count() <= 0) return ctx.Fail(v.noSourceText());
  v.SetMarks(ctx.args.Get("--start", v.fragStart()), ctx.args.Get("--end", v.fragEnd()));
  ctx.host.cameraAnswer = camera;
  ctx.host.saveFileAnswer = ctx.args.positional[1];
  const ArchiveSaveResult r = ActionSaveFileExecute(v);
  if (r.status != ArchiveSaveStatus::Saved) return ctx.Fail(r.message);
  ctx.out = {{"entries", r.entries}};
  return 0;
}

}  // namespace

QUOVIL_CLI_COMMAND({"save-kif",
                    "save the marked fragment of SRC as an archive file",
                    {"SRC", "OUT"},
                    {{"--start", "start mark, dd.mm.yyyy hh:mm:ss (default: the first record)", false, false},
                     {"--end", "end mark (default: the last record)", false, false},
                     {"--camera", "1, 2 or both (default both)", false, false}},
                    true,
                    SaveKif});

}  // namespace quovil::cli
