// `journal SRC|FILE.klf [--save OUT.klf]`: the journal window's list and
// status panels after reading the journal of a card or a journal file.
#include <array>

#include "card/card_header.h"
#include "card/korax.h"
#include "cli/cli.h"
#include "journal/journal_csv.h"
#include "journal/journal_log.h"
#include "platform/translate.h"

namespace quovil::cli {

namespace {

constexpr const char* kOpenFailed = QUOVIL_TR_NOOP("Cli", "Ошибка открытия файла!");

// A card image starts with a boot sector carrying one of the card magics, an
// archive file with its own header; anything else is taken for a journal
// file, so that a damaged one gets the journal's header error.
bool LooksLikeJournalFile(BlockDevice& file, const std::string& path) {
  std::array<uint8_t, 11> h{};
  if (file.Length() < int64_t(h.size()) || !file.Read(0, h.data(), h.size())) return true;
  return !HasCardMagic(h.data()) && !LooksLikeArchive(path);
}

nlohmann::json RowsJson(const Journal& j) {
  nlohmann::json rows = nlohmann::json::array();
  for (const EventRow& r : j.Rows) {
    rows.push_back({{"date", r.date}, {"time", r.time}, {"text", r.text}, {"image", r.image}});
  }
  return rows;
}

int JournalCommand(Context& ctx) {
  const std::string& path = ctx.args.positional[0];
  bool journalFile = false;
  {
    auto file = OpenReadOnlyFile(path);
    // The journal window's own words for a file it cannot open.
    if (!file) return ctx.Fail(Tr("Cli", kOpenFailed));
    journalFile = LooksLikeJournalFile(*file, path);
  }

  Journal journal;
  if (journalFile) {
    if (!journal.LoadJournalFile(path)) return ctx.Fail(Tr("Cli", kOpenFailed));
  } else {
    // A source that does not open leaves the viewer without a card, and the
    // journal says so in its own words.
    std::string ignored;
    OpenSource(ctx, path, Access::ReadOnly, ignored);
    journal.ReadJournalFromCard(ctx.viewer.source());
  }
  // Nothing was read: the first status panel says why.
  if (journal.FillCount == 0) return ctx.Fail(journal.StatusPanels[0]);

  if (ctx.args.Has("--save")) {
    // The window saves nothing when nothing is shown; asked for a file, say so.
    if (journal.ShownCount == 0) return ctx.Fail(journal.StatusPanels[0]);
    std::string error = Tr("Cli", kOpenFailed);
    if (!journal.SaveJournalFile(ctx.args.Get("--save"), &error)) return ctx.Fail(error);
  }

  if (ctx.args.Has("--csv")) {
    ctx.text = JournalCsv(journal.Rows);
    return 0;
  }
  const auto& p = journal.StatusPanels;
  ctx.out = {{"status", {p[0], p[1], p[2], p[3], p[4]}}, {"rows", RowsJson(journal)}};
  return 0;
}

}  // namespace

QUOVIL_CLI_COMMAND({"journal", "the event journal of a card or a journal file", {"SRC"},
                    {{"--save", "write the journal read to a journal file", false, false},
                     {"--csv", "print the rows as CSV (date,time,code,data,text)", true, false}},
                    false,
                    JournalCommand});

}  // namespace quovil::cli
