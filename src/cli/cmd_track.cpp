// `track SRC OUT [--format gpx|kml|csv] [--start TEXT] [--end TEXT] [filters]`:
// the route and readings of the selection, or of the fragment between the
// marks, from the telemetry index (cached per card).
#include "cli/cli.h"
#include "gps/telemetry_cache.h"
#include "gps/telemetry_export.h"
#include "platform/file_guard.h"

namespace quovil::cli {

namespace {

int Track(Context& ctx) {
  const std::string& out = ctx.args.positional[1];
  TrackFormat format = TrackFormatOfName(out);
  if (ctx.args.Has("--format") && !ParseTrackFormat(ctx.args.Get("--format"), format))
    return ctx.Fail("unknown format: " + ctx.args.Get("--format"));
  std::string error;
  if (!OpenSource(ctx, ctx.args.positional[0], Access::ReadOnly, error)) return ctx.Fail(error);
  // Refused before the index is built, not after.
  if (const OutputProblem problem = CheckOutputTarget(out); problem != OutputProblem::None)
    return ctx.Fail(OutputProblemText(problem));
  Viewer& v = ctx.viewer;
  if (v.selection().Count() == 0) return ctx.Fail(v.noSourceText());
  v.SetMarks(ctx.args.Get("--start", v.fragStart()), ctx.args.Get("--end", v.fragEnd()));
  const Viewer::Fragment fragment = v.MarkedFragment(-1);
  if (fragment.status != Viewer::Fragment::Status::Ok) return ctx.Fail(fragment.Message());
  HostProgress progress(v.host);
  const TelemetryIndex index = LoadOrBuildTelemetry(v.source(), TelemetryCacheDir(), progress);
  size_t points = 0;
  const std::string text =
      TrackText(index.SecondsOfRecords(fragment.indices), format, v.fragStart() + " - " + v.fragEnd(), &points);
  if (!WriteExportText(out, text, error)) return ctx.Fail(error);
  ctx.out = {{"points", points}};
  return 0;
}

}  // namespace

QUOVIL_CLI_COMMAND({"track",
                    "the route and readings of the selection (or of the marks) as GPX, KML or CSV",
                    {"SRC", "OUT"},
                    {{"--format", "gpx, kml or csv (default: from OUT's extension, else gpx)", false, false},
                     {"--start", "first mark, dd.mm.yyyy hh:mm:ss", false, false},
                     {"--end", "second mark, dd.mm.yyyy hh:mm:ss", false, false}},
                    true,
                    Track});

}  // namespace quovil::cli
