// `report SRC OUT.pdf [--start TEXT] [--end TEXT] [filters]`: the report of
// the selection, or of the fragment between the marks, as an A4 PDF.
#include <QGuiApplication>

#include <cstdio>

#include "cli/cli.h"
#include "platform/file_guard.h"
#include "report/report_pdf.h"

namespace quovil::cli {

namespace {

class Quiet : public WorkProgress {
 public:
  void Begin(const std::string&, const std::string&, int) override {}
  void Step(int) override {}
  bool Cancelled() override { return false; }
  void End() override {}
};

// The PDF writer takes its fonts from Qt's platform layer; a PDF needs no
// screen, so the one without a display serves unless another is asked for.
// Qt's own notes (a missing runtime folder and the like) would mix with the
// viewer's messages on standard error; only its fatal errors are let through.
void QtNotesAside(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtFatalMsg) std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

int RunWithGui(const std::function<int()>& work) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const QtMessageHandler previous = qInstallMessageHandler(QtNotesAside);
  // --lang en made the application already.
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    const int rc = work();
    qInstallMessageHandler(previous);
    return rc;
  }
  static int argc = 1;
  static char name[] = "quovil-cli";
  static char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);
  const int rc = work();
  qInstallMessageHandler(previous);
  return rc;
}

int Report(Context& ctx) {
  const std::string& out = ctx.args.positional[1];
  std::string error;
  if (!OpenSource(ctx, ctx.args.positional[0], Access::ReadOnly, error)) return ctx.Fail(error);
  if (const OutputProblem problem = CheckOutputTarget(out); problem != OutputProblem::None)
    return ctx.Fail(OutputProblemText(problem));
  Viewer& v = ctx.viewer;
  if (v.selection().Count() == 0) return ctx.Fail(v.noSourceText());
  v.SetMarks(ctx.args.Get("--start", v.fragStart()), ctx.args.Get("--end", v.fragEnd()));
  const Viewer::Fragment fragment = v.MarkedFragment(-1);
  if (fragment.status != Viewer::Fragment::Status::Ok) return ctx.Fail(fragment.Message());
  return RunWithGui([&] {
    Quiet progress;
    const ReportResult r = WriteFragmentReport(v.source(), fragment.indices, out, progress);
    if (r.status != ReportResult::Status::Done) return ctx.Fail(r.message);
    ctx.out = {{"pages", r.pages}};
    return 0;
  });
}

}  // namespace

QUOVIL_CLI_COMMAND({"report",
                    "the report of the selection (or of the marks) as PDF",
                    {"SRC", "OUT.pdf"},
                    {{"--start", "first mark, dd.mm.yyyy hh:mm:ss", false, false},
                     {"--end", "second mark, dd.mm.yyyy hh:mm:ss", false, false}},
                    true,
                    Report});

}  // namespace quovil::cli
