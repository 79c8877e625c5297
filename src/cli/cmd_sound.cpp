// `sound SRC --index I --out FILE.raw`: the samples of an entry's sound block.
#include <array>
#include <cstdio>
#include <memory>

#include "card/korax.h"
#include "cli/cli.h"
#include "platform/file_guard.h"

namespace quovil::cli {

namespace {

int Sound(Context& ctx) {
  int index = -1;
  if (!OpenAtIndex(ctx, index)) return 1;
  Viewer& v = ctx.viewer;
  std::array<uint8_t, kSoundBlockBytes> block{};
  ReadSound(v.source(), index, block.data());
  const size_t n = GetU16(block.data());
  const std::string out = ctx.args.Get("--out");
  std::string error;
  std::FILE* f = CreateOutputFile(out, error);
  if (!f) return ctx.Fail(error);
  bool ok = std::fwrite(block.data() + 2, 1, n, f) == n;
  ok = std::fclose(f) == 0 && ok;
  if (!ok) return ctx.Fail("cannot write " + out);
  ctx.out = {{"samples", n}};
  return 0;
}

}  // namespace

QUOVIL_CLI_COMMAND({"sound",
                    "the sound samples of catalogue index I as raw unsigned 8-bit bytes",
                    {"SRC"},
                    {{"--index", "catalogue index", false, true}, {"--out", "file to write", false, true}},
                    false,
                    Sound});

}  // namespace quovil::cli
