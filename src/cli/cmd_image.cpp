// `image SRC OUT.img`: the whole source read once into an image file, with
// its digests, the unread sectors and the report beside it. SRC is only read.
#include "cli/cli.h"
#include "export/card_image.h"

namespace quovil::cli {

namespace {

class Quiet : public WorkProgress {
 public:
  void Begin(const std::string&, const std::string&, int) override {}
  void Step(int) override {}
  bool Cancelled() override { return false; }
  void End() override {}
};

int Image(Context& ctx) {
  const std::string& path = ctx.args.positional[0];
  if (const std::string why = CannotOpenText(path); !why.empty()) return ctx.Fail(why);
  std::unique_ptr<BlockDevice> src = OpenReadOnlyFile(path);
  if (!src) return ctx.Fail(CannotOpenText(path));
  Quiet progress;
  const CardImageResult r = WriteCardImage(*src, ctx.args.positional[1], DescribeDevice(path), progress);
  if (r.status != CardImageResult::Status::Done) return ctx.Fail(r.message);
  nlohmann::json bad = nlohmann::json::array();
  for (const SectorRange& b : r.badRanges) bad.push_back({b.first, b.count});
  ctx.out = {{"bytes", r.bytes}, {"sha256", r.sha256}, {"md5", r.md5}, {"badRanges", std::move(bad)}};
  return 0;
}

}  // namespace

QUOVIL_CLI_COMMAND({"image", "read the whole source once into an image file, with its SHA-256 and MD5",
                    {"SRC", "OUT.img"}, {}, false, Image});

}  // namespace quovil::cli
