// quovil-cli: the command registry. Each subcommand lives in its own
// cmd_<name>.cpp and registers itself with QUOVIL_CLI_COMMAND; only main.cpp
// sees the argument parser.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/host.h"
#include "viewer/viewer.h"

namespace quovil::cli {

// Answers like the user the command stands for: Yes to every question, except
// that the differing state-table copies question can be answered No.
class CliHost : public ViewerHost {
 public:
  MsgResult ShowMessageBox(const std::string& text, MsgKind kind, MsgButtons buttons) override;
  MsgResult AskFirstCopy(const std::string& text) override;
  bool secondCopy = false;
  std::vector<std::string> shown;  // every message box, in order
};

struct Option {
  std::string name;  // "--index"
  std::string help;
  bool flag = false;  // no value
  bool required = false;
};

struct Args {
  std::vector<std::string> positional;  // in the order the command declares them
  std::map<std::string, std::string> values;
  std::set<std::string> flags;

  bool Has(const std::string& name) const { return values.count(name) || flags.count(name); }
  std::string Get(const std::string& name, const std::string& fallback = "") const;
  // The option as an integer; false when given but not a whole number.
  bool GetInt(const std::string& name, int fallback, int& out) const;
};

struct Context {
  Args args;
  CliHost& host;
  Viewer& viewer;
  nlohmann::json out;
  // Printed as it is instead of out (a listing as CSV); errors stay JSON.
  std::optional<std::string> text;

  // {"error": text}, and the non-zero exit code to return.
  int Fail(const std::string& why) {
    out = nlohmann::json{{"error", why}};
    text.reset();
    return 1;
  }
};

enum class Access { ReadOnly, Write };

struct Command {
  std::string name;
  std::string help;
  std::vector<std::string> positionals;  // all required; the first is SRC
  std::vector<Option> options;
  bool filters = false;  // --kinds, --marked, --archive-area
  std::function<int(Context&)> run;
  bool variadic = false;  // the last positional takes one or more values
};

bool RegisterCommand(Command command);
const std::vector<Command>& Commands();

// The viewer's left-toolbar filter options, declared by commands with filters.
std::vector<Option> FilterOptions();
// Applies --kinds and --marked to the viewer's check marks. False (with the
// error text) for an unknown kind.
bool ApplyKindFilters(const Args& args, Viewer& viewer, std::string& error);

// Opens SRC the way the viewer does: an archive file (recognised by its
// header) through OpenArchive, anything else as a card in a reader found by
// the timer's scan. Only Access::Write lets the card be written. Then applies
// --archive-area. On failure returns false with the text the viewer shows.
bool OpenSource(Context& ctx, const std::string& path, Access access, std::string& error);

// Opens SRC read-only and reads --index, a catalogue index of it. On failure
// returns false with the error already in ctx.out.
bool OpenAtIndex(Context& ctx, int& index);

// Empty when path opens for reading; else "cannot open PATH: <reason>".
std::string CannotOpenText(const std::string& path);

// The archive file header at the start of a file (version 2 or 3).
bool LooksLikeArchive(const std::string& path);

}  // namespace quovil::cli

#define QUOVIL_CLI_CONCAT2(a, b) a##b
#define QUOVIL_CLI_CONCAT(a, b) QUOVIL_CLI_CONCAT2(a, b)
#define QUOVIL_CLI_COMMAND(...) \
  static const bool QUOVIL_CLI_CONCAT(registered_, __LINE__) = ::quovil::cli::RegisterCommand(__VA_ARGS__)
