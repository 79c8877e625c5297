// `info SRC`: the card values and the status bar right after opening.
#include "cli/cli.h"

namespace quovil::cli {

namespace {

int Info(Context& ctx) {
  std::string error;
  if (!OpenSource(ctx, ctx.args.positional[0], Access::ReadOnly, error)) return ctx.Fail(error);
  const Viewer& v = ctx.viewer;
  const Source& s = v.source();
  ctx.out = {
      {"source", s.SourceIsCard ? "card" : "archive"},
      {"format", s.CardFormat},
      {"width", s.PictureWidth},
      {"height", s.PictureHeight},
      {"pictureBytes", s.PictureBytes},
      {"frameStride", s.FrameStride},
      {"soundBytes", s.SoundBytes},
      {"sampleRate", s.SampleRate},
      {"hasSound", s.HasSound},
      {"edgeTrim", s.EdgeTrim},
      {"entryCount", s.EntryCount},
      // Panel 3 belongs to the time scale's pointer: nothing points there.
      {"status", {v.statusPanels()[0], v.statusPanels()[1], v.statusPanels()[2], "", v.statusPanels()[4]}},
  };
  return 0;
}

}  // namespace

QUOVIL_CLI_COMMAND({"info", "card values and status bar of SRC", {"SRC"}, {}, false, Info});

}  // namespace quovil::cli
