// `journal SRC|FILE.klf [--save OUT.klf]`: the journal window's list and
// status panels after reading the journal of a card or a journal file.
#include <array>
#include <cstring>

#include "card/korax.h"
#include "cli/cli.h"
#include "journal/journal_log.h"

namespace quovil::cli {

namespace {

constexpr const char* kOpenFailed = "Ошибка открытия файла!";

// A journal file starts with a sealed 84-byte header; a card image starts
// with a boot sector carrying one of the card magics.
bool LooksLikeJournalFile(BlockDevice& file) {
  std::array<uint8_t, kJournalHeaderBytes> h{};
  if (!file.Read(0, h.data(), h.size())) return false;
  if (std::memcmp(&h[3], "KORAX2.0", 8) == 0 || std::memcmp(&h[3], "KORAX-X ", 8) == 0) return false;
  return GetU16(h.data()) == kJournalHeaderBytes && ByteChecksum(h.data(), h.size()) == 0;
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
    if (!file) return ctx.Fail(kOpenFailed);
    journalFile = LooksLikeJournalFile(*file);
  }

  Journal journal;
  if (journalFile) {
    if (!journal.LoadJournalFile(path)) return ctx.Fail(kOpenFailed);
  } else {
    // A source that does not open leaves the viewer without a card, and the
    // journal says so in its own words.
    std::string ignored;
    OpenSource(ctx, path, Access::ReadOnly, ignored);
    journal.ReadJournalFromCard(ctx.viewer.src);
  }
  // Nothing was read: the first status panel says why.
  if (journal.FillCount == 0) return ctx.Fail(journal.StatusPanels[0]);

  if (ctx.args.Has("--save")) {
    // The window saves nothing when nothing is shown; asked for a file, say so.
    if (journal.ShownCount == 0) return ctx.Fail(journal.StatusPanels[0]);
    if (!journal.SaveJournalFile(ctx.args.Get("--save"))) return ctx.Fail(kOpenFailed);
  }

  const auto& p = journal.StatusPanels;
  ctx.out = {{"status", {p[0], p[1], p[2], p[3], p[4]}}, {"rows", RowsJson(journal)}};
  return 0;
}

}  // namespace

QUOVIL_CLI_COMMAND({"journal", "the event journal of a card or a journal file", {"SRC"},
                    {{"--save", "write the journal read to a journal file", false, false}}, false,
                    JournalCommand});

}  // namespace quovil::cli
