// quovil-cli: the viewer's own routines driven from the command line, one
// JSON document on stdout per call.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <deque>
#include <exception>
#include <iostream>

#include "cli/cli.h"
#include "platform/checksum_file.h"
#include "platform/file_guard.h"
#include "platform/translate.h"

#ifdef QUOVIL_CLI_LANGUAGES
#include <QCoreApplication>
#ifdef QUOVIL_CLI_GUI
#include <QGuiApplication>
#endif

#include "platform/i18n/language.h"
#endif

namespace {

using namespace quovil;
using namespace quovil::cli;

// Where CLI11 stores what it parsed for one subcommand.
struct Parsed {
  const Command* command = nullptr;
  CLI::App* app = nullptr;
  std::vector<std::string> positional;
  std::vector<std::string> rest;  // the values of a variadic last positional
  std::map<std::string, std::string> values;
  std::map<std::string, bool> flags;
  std::map<std::string, CLI::Option*> given;
};

void Declare(CLI::App& top, const Command& cmd, Parsed& p) {
  p.command = &cmd;
  p.app = top.add_subcommand(cmd.name, cmd.help);
  p.positional.resize(cmd.positionals.size());
  for (size_t i = 0; i < cmd.positionals.size(); ++i) {
    if (cmd.variadic && i + 1 == cmd.positionals.size()) {
      p.app->add_option(cmd.positionals[i], p.rest, cmd.positionals[i])->required();
    } else {
      p.app->add_option(cmd.positionals[i], p.positional[i], cmd.positionals[i])->required();
    }
  }
  std::vector<Option> options = cmd.options;
  options.push_back({"--second-copy", "answer No to the question about differing state-table copies", true, false});
  options.push_back({"--no-checksum", "write no .sha256 file beside the files written", true, false});
  options.push_back({"--lang", "the language of the texts printed: ru (default) or en", false, false});
  if (cmd.filters) {
    for (const Option& o : FilterOptions()) options.push_back(o);
  }
  for (const Option& o : options) {
    if (p.given.count(o.name)) continue;
    CLI::Option* opt = o.flag ? p.app->add_flag(o.name, p.flags[o.name], o.help)
                              : p.app->add_option(o.name, p.values[o.name], o.help);
    if (o.required) opt->required();
    p.given[o.name] = opt;
  }
}

Args Collect(const Parsed& p) {
  Args args;
  args.positional = p.positional;
  if (p.command->variadic && !args.positional.empty()) {
    args.positional.pop_back();
    args.positional.insert(args.positional.end(), p.rest.begin(), p.rest.end());
  }
  for (const auto& [name, opt] : p.given) {
    if (opt->count() == 0) continue;
    if (p.flags.count(name)) {
      args.flags.insert(name);
    } else {
      args.values[name] = p.values.at(name);
    }
  }
  return args;
}

#ifdef QUOVIL_CLI_LANGUAGES
// Qt's own notes (a missing runtime folder and the like) would mix with the
// viewer's messages on standard error; only its fatal errors are let through.
void QtNotesAside(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtFatalMsg) std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}
#endif

// The texts are the window's Russian ones unless --lang says otherwise.
bool UseLanguage(const Args& args, int argc, char** argv, std::string& error) {
  const std::string lang = args.Get("--lang");
  if (lang.empty() || lang == "ru") return true;
#ifdef QUOVIL_CLI_LANGUAGES
  if (lang == "en") {
    qInstallMessageHandler(QtNotesAside);
#ifdef QUOVIL_CLI_GUI
    // The report draws its PDF through Qt's painting, which wants a
    // graphical application; without a display it draws off screen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
#else
    static QCoreApplication app(argc, argv);
#endif
    InstallLanguage(app, Language::English);
    return true;
  }
#else
  (void)argc;
  (void)argv;
#endif
  error = "--lang: " + lang + " is not one of the languages (ru, en)";
  return false;
}

int Run(const Parsed& p, int argc, char** argv) {
  // SRC is an input for the whole call: no output of it may replace it.
  const HeldInput source(p.positional.empty() ? std::string() : p.positional[0]);
  Args args = Collect(p);
  // Before the viewer, which holds texts from its start.
  std::string langError;
  if (!UseLanguage(args, argc, argv, langError)) {
    std::cout << nlohmann::json{{"error", langError}}.dump() << std::endl;
    return 2;
  }
  CliHost host;
  Viewer viewer(host);
  Context ctx{std::move(args), host, viewer, nullptr, std::nullopt};
  host.secondCopy = ctx.args.Has("--second-copy");
  SetExportChecksums(!ctx.args.Has("--no-checksum"));
  std::string error;
  int rc = ApplyKindFilters(ctx.args, viewer, error) ? p.command->run(ctx) : ctx.Fail(error);
  if (ctx.text) {
    std::cout << *ctx.text << std::flush;
  } else {
    std::cout << ctx.out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << std::endl;
  }
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    CLI::App top{"KORAX-X card viewer, command line"};
    top.require_subcommand(1);
    std::deque<Parsed> parsed;
    for (const Command& cmd : Commands()) Declare(top, cmd, parsed.emplace_back());
    try {
      top.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
      return top.exit(e);
    }
    for (const Parsed& p : parsed) {
      if (p.app->parsed()) return Run(p, argc, argv);
    }
    return 2;
  } catch (const std::exception& e) {
    std::cout << nlohmann::json{{"error", e.what()}}.dump() << std::endl;
    return 1;
  }
}
