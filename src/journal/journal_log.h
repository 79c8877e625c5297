// The recorder's event journal as the journal window holds it: read from a
// format-2 card or from a journal file (".klf"), its ring bounds, the status
// texts and the list rows. The window and quovil-cli both drive one Journal.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "journal/event_rows.h"
#include "journal/journal_header.h"

namespace quovil {

struct Source;

// Where the journal lies on a format-2 card.
inline constexpr uint64_t kJournalHeaderOffset = 0x800000;
inline constexpr uint64_t kJournalRecordsOffset = 0x800200;
// Records between two progress steps (and two chances for the window to
// process pending messages).
inline constexpr int kJournalProgressStep = 200;

struct RingBounds {
  int32_t OldestRecord = 0;
  int32_t NewestRecord = -1;
  int32_t ShownCount = 0;
};

// Bounds of a ring of n 8-byte records whose next write goes to head: the
// oldest record is the first valid one from head on, and the records from it
// up to head are shown. A ring with no valid record, or a full ring whose head
// record is valid, shows all n. A head beyond the ring is taken modulo n (a
// recorder that has just written the last place reports n).
RingBounds FindRingBounds(const uint8_t* area, uint32_t n, uint32_t head);

// The progress of a fill; the window shows it as a dialog without a cancel
// button and lets pending messages run at every step.
class JournalProgress {
 public:
  virtual ~JournalProgress() = default;
  virtual void Open() {}
  virtual void SetMaximum(int max) { (void)max; }
  // Called after every kJournalProgressStep records with the records done.
  virtual void Advance(int done) { (void)done; }
  virtual void Close() {}
};

class Journal {
 public:
  Journal() { ResetChangeState(); }

  // Status panel 0 carries the results; panels 1 to 3 the versions and the id.
  std::array<std::string, 5> StatusPanels;
  std::vector<EventRow> Rows;
  ChangeState Change;
  int32_t OldestRecord = 0;
  int32_t NewestRecord = -1;
  int32_t ShownCount = 0;
  // Counts the fills of Rows, so that a viewer of the rows knows when to redraw.
  unsigned FillCount = 0;

  const JournalHeader& Header() const { return header_; }
  // JournalSize bytes exactly as on the card (the ring is not reordered).
  const std::vector<uint8_t>& RecordArea() const { return area_; }

  void SetProgress(JournalProgress* p) { progress_ = p; }

  // Accepts the 84 header bytes into accepted, or puts the refusal into
  // status panel 0 and returns false.
  bool CheckJournalHeader(const uint8_t* bytes, JournalHeader& accepted);

  // The journal of the open card; every outcome lands in status panel 0.
  void ReadJournalFromCard(const Source& src);
  // False when the file cannot be opened or read (the window then says so); a
  // refused header only sets its status text. The journal held so far stays
  // unless the new one was read whole.
  bool LoadJournalFile(const std::string& name);
  // Writes the header and the record area; only when something is shown.
  // On failure error (when given) says why: a refused target, or a file
  // that could not be created or written.
  bool SaveJournalFile(const std::string& name, std::string* error = nullptr) const;

  // Computes the ring bounds and fills Rows and the status panels.
  void ShowJournal();

  void AddEventRow(const uint8_t* record) { quovil::AddEventRow(record, Change, Rows); }
  void ResetChangeState() { Change.ResetChangeState(); }

 private:
  void Accept(const JournalHeader& h, std::vector<uint8_t> area);
  void FillRows(int32_t n);

  JournalHeader header_;
  std::vector<uint8_t> area_;
  JournalProgress* progress_ = nullptr;
};

}  // namespace quovil
