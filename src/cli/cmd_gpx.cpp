// `gpx SRC OUT.gpx [--start TEXT] [--end TEXT] [filters]`: the recorded route
// of the selection, or of the fragment between the marks, as GPX 1.1.
#include "cli/cli.h"
#include "gps/gpx_route.h"
#include "platform/translate.h"

namespace quovil::cli {

namespace {

int Gpx(Context& ctx) {
  std::string error;
  if (!OpenSource(ctx, ctx.args.positional[0], Access::ReadOnly, error)) return ctx.Fail(error);
  Viewer& v = ctx.viewer;
  if (v.selection().Count() == 0) return ctx.Fail(v.noSourceText());
  v.SetMarks(ctx.args.Get("--start", v.fragStart()), ctx.args.Get("--end", v.fragEnd()));
  const Viewer::Fragment fragment = v.MarkedFragment(-1);
  if (fragment.status != Viewer::Fragment::Status::Ok) return ctx.Fail(Tr("Cli", "Отмеченный фрагмент не найден в выборке!"));
  const std::vector<TrackPoint> points = RouteOfRecords(v.source(), fragment.indices);
  if (!WriteGpxFile(ctx.args.positional[1], points, v.fragStart() + " - " + v.fragEnd(), error)) return ctx.Fail(error);
  ctx.out = {{"points", points.size()}};
  return 0;
}

}  // namespace

QUOVIL_CLI_COMMAND({"gpx",
                    "the recorded route of the selection (or of the marks) as GPX 1.1",
                    {"SRC", "OUT.gpx"},
                    {{"--start", "first mark, dd.mm.yyyy hh:mm:ss"}, {"--end", "second mark, dd.mm.yyyy hh:mm:ss"}},
                    true,
                    Gpx});

}  // namespace quovil::cli
