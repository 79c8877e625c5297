// `list SRC [filters]`: the selection the viewer builds with the given
// left-toolbar filters, position by position.
#include "cli/cli.h"
#include "export/csv_listing.h"

namespace quovil::cli {

namespace {

nlohmann::json Position(const Viewer& v, int32_t pos) {
  const int32_t index = v.IndexAtPos(pos);
  const Source& s = v.source();
  return {
      {"pos", pos},
      {"index", index},
      {"camera", s.CameraOf(index) + 1},
      {"flag", s.FlagOf(index)},
      {"kind", s.KindTextOf(index)},
      {"time", TimeStampText(s.TimeOf(index))},
  };
}

int List(Context& ctx) {
  std::string error;
  if (!OpenSource(ctx, ctx.args.positional[0], Access::ReadOnly, error)) return ctx.Fail(error);
  const Viewer& v = ctx.viewer;
  if (ctx.args.Has("--csv")) {
    ctx.text = SelectionCsv(v);
    return 0;
  }
  nlohmann::json positions = nlohmann::json::array();
  for (int32_t p = 0; p < v.selection().Count(); ++p) positions.push_back(Position(v, p));
  // Unfiltered means no kind filter on, even where the positions go through
  // the list to keep the recording order.
  ctx.out = {{"count", v.selection().Count()}, {"unfiltered", v.KindMask() == 0}, {"positions", std::move(positions)}};
  if (v.selection().Count() == 0) ctx.out["text"] = v.noSourceText();
  return 0;
}

}  // namespace

QUOVIL_CLI_COMMAND({"list", "the selection of SRC under the filters", {"SRC"},
                    {{"--csv", "print the selection as CSV (pos,index,camera,kind,flag,time,interval,sectors)", true}},
                    true, List});

}  // namespace quovil::cli
