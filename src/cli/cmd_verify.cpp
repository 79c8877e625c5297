// `verify FILE...`: each file checked against the ".sha256" beside it.
#include "cli/cli.h"
#include "platform/checksum_file.h"

namespace quovil::cli {

namespace {

int Verify(Context& ctx) {
  nlohmann::json files = nlohmann::json::array();
  bool all = true;
  for (const std::string& file : ctx.args.positional) {
    const SidecarCheck check = VerifySha256Sidecar(file);
    all = all && check.ok;
    files.push_back({{"file", file}, {"ok", check.ok}});
    if (!check.ok) std::fprintf(stderr, "%s: %s\n", file.c_str(), check.problem.c_str());
  }
  ctx.out = {{"files", std::move(files)}};
  return all ? 0 : 1;
}

}  // namespace

QUOVIL_CLI_COMMAND({"verify", "check each FILE against FILE.sha256", {"FILE..."}, {}, false, Verify, true});

}  // namespace quovil::cli
