// The built quovil-cli run through the shell, its JSON answer parsed.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "support/shell.h"

namespace cli_test {

struct CliResult {
  int rc = -1;
  nlohmann::json out;  // discarded when the output is no JSON
};

// args are shell words; standard error is dropped.
inline CliResult RunCli(const std::string& args) {
  CliResult r;
  const std::string text = quovil::test::Shell(std::string(QUOVIL_CLI) + " " + args + " 2>/dev/null", &r.rc);
  r.out = nlohmann::json::parse(text, nullptr, false);
  return r;
}

}  // namespace cli_test
