// `clear SRC [--archive-area]`: empties the card as the viewer's clear command
// does, answering Yes.
#include "cli/cli.h"
#include "platform/translate.h"

namespace quovil::cli {

namespace {

int Clear(Context& ctx) {
  std::string error;
  if (!OpenSource(ctx, ctx.args.positional[0], Access::Write, error)) return ctx.Fail(error);
  Viewer& v = ctx.viewer;
  if (!v.source().SourceIsCard) return ctx.Fail(Tr("Cli", "Карта памяти отсутствует!"));
  // The viewer's command does nothing on an empty selection: look at
  // everything, so an empty-looking filter never stops the clearing.
  v.SetKindFilters({false, false, false, false, false, false});
  v.RebuildSelection();
  if (v.selection().Count() <= 0) {
    // Nothing recorded: the viewer's command does nothing, and neither do we.
    ctx.out = {{"cleared", false}};
    return 0;
  }

  if (v.ActionDeleteAllExecute() == Viewer::ClearResult::WriteFailed)
    return ctx.Fail(Tr("Viewer", Viewer::kClearFailedText));
  ctx.out = {{"cleared", true}};
  return 0;
}

}  // namespace

QUOVIL_CLI_COMMAND({"clear", "empty the card image", {"SRC"},
                    {{"--archive-area", "clear the archive area of a format-0 card", true, false}}, false, Clear});

}  // namespace quovil::cli
