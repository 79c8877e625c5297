#include "journal/journal_log.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "card/korax.h"
#include "card/source.h"
#include "card/source_format.h"
#include "platform/block_device.h"
#include "platform/checksum_file.h"
#include "platform/file_guard.h"
#include "platform/translate.h"

namespace quovil {

namespace {

// File names travel as UTF-8 (the window's and the command line's), also on
// Windows where a narrow path would be taken in the ANSI code page.
std::filesystem::path PathOf(const std::string& name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

bool RecordValid(const uint8_t* area, uint32_t i) {
  return ByteChecksum(area + size_t(i) * kJournalRecordBytes, kJournalRecordBytes) == 0;
}

JournalProgress& NoProgress() {
  static JournalProgress none;
  return none;
}

}  // namespace

RingBounds FindRingBounds(const uint8_t* area, uint32_t n, uint32_t head) {
  RingBounds r;
  if (n == 0) return r;
  head %= n;
  uint32_t a = head;
  for (uint32_t looked = 0; looked < n && !RecordValid(area, a); ++looked) a = (a + 1) % n;
  r.OldestRecord = int32_t(a);
  r.NewestRecord = head == 0 ? int32_t(n) - 1 : int32_t(head) - 1;
  int64_t shown = int64_t(head) - int64_t(a);
  if (shown <= 0) shown += n;
  r.ShownCount = int32_t(shown);
  return r;
}

bool Journal::CheckJournalHeader(const uint8_t* bytes, JournalHeader& accepted) {
  const HeaderCheck c = CheckHeaderBytes(bytes);
  if (c != HeaderCheck::Ok) {
    StatusPanels[0] = HeaderCheckText(c);
    return false;
  }
  accepted = JournalHeader::From(bytes);
  return true;
}

void Journal::Accept(const JournalHeader& h, std::vector<uint8_t> area) {
  header_ = h;
  area_ = std::move(area);
}

void Journal::ReadJournalFromCard(const Source& src) {
  for (auto& p : StatusPanels) p.clear();
  if (!src.SourceIsCard) {
    StatusPanels[0] = "NO CARD MODE";
    return;
  }
  if (!src.CardOpen || !src.Card) {
    StatusPanels[0] = "CARD not open";
    return;
  }
  if (!FormatOf(src).HasJournal()) {
    StatusPanels[0] = "Not supported foarmat";
    return;
  }
  BlockDevice& dev = *src.Card;
  uint8_t sector[kSectorSize];
  if (!dev.Read(kJournalHeaderOffset, sector, sizeof sector)) {
    StatusPanels[0] = "Read error";
    return;
  }
  JournalHeader h;
  if (!CheckJournalHeader(sector, h)) return;
  // An area running past the end of the card cannot be read; say so before
  // allocating for it.
  const uint32_t size = h.JournalSize();
  const int64_t length = dev.Length();
  std::vector<uint8_t> area;
  if (length >= 0 && kJournalRecordsOffset + size > uint64_t(length)) {
    StatusPanels[0] = "Read error";
    return;
  }
  area.resize(size);
  if (size != 0 && !dev.Read(kJournalRecordsOffset, area.data(), size)) {
    StatusPanels[0] = "Read error";
    return;
  }
  Accept(h, std::move(area));
  ShowJournal();
}

bool Journal::LoadJournalFile(const std::string& name) {
  // Through the device layer: a FIFO or a folder is refused, never waited on.
  const std::unique_ptr<BlockDevice> f = OpenReadOnlyFile(name);
  if (!f) return false;
  uint8_t hb[kJournalHeaderBytes];
  if (!f->Read(0, hb, sizeof hb)) return false;
  JournalHeader h;
  if (!CheckJournalHeader(hb, h)) return true;

  const uint32_t size = h.JournalSize();
  const int64_t end = f->Length();
  if (end < 0 || uint64_t(end) < uint64_t(kJournalHeaderBytes) + size) return false;
  std::vector<uint8_t> area(size);
  if (size != 0 && !f->Read(kJournalHeaderBytes, area.data(), size)) return false;
  Accept(h, std::move(area));
  ShowJournal();
  return true;
}

bool Journal::SaveJournalFile(const std::string& name, std::string* error) const {
  auto fail = [error](std::string why) {
    if (error) *error = std::move(why);
    return false;
  };
  if (ShownCount == 0) return false;
  if (const OutputProblem problem = CheckOutputTarget(name); problem != OutputProblem::None)
    return fail(OutputProblemText(problem));
  // Written beside the target and renamed over it, so that a failed write
  // never leaves a truncated journal in place of a good one.
  const std::filesystem::path target = PathOf(name);
  std::filesystem::path temp = target;
  temp += ".part";
  {
    std::ofstream f(temp, std::ios::binary | std::ios::trunc);
    if (!f) return fail(Tr("Journal", "Ошибка открытия файла!"));
    f.write(reinterpret_cast<const char*>(header_.b.data()), std::streamsize(header_.b.size()));
    f.write(reinterpret_cast<const char*>(area_.data()), std::streamsize(area_.size()));
    f.close();
    if (!f) {
      std::error_code ec;
      std::filesystem::remove(temp, ec);
      return fail(Tr("Journal", "Ошибка записи файла!"));
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, target, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    return fail(Tr("Journal", "Ошибка записи файла!"));
  }
  std::string why;
  if (!SealExport(name, &why)) return fail(why);
  return true;
}

void Journal::ShowJournal() {
  JournalProgress& progress = progress_ ? *progress_ : NoProgress();
  progress.Open();
  ++FillCount;
  const uint32_t n = uint32_t(area_.size() / kJournalRecordBytes);
  const RingBounds b = FindRingBounds(area_.data(), n, header_.JournalHead());
  OldestRecord = b.OldestRecord;
  NewestRecord = b.NewestRecord;
  ShownCount = b.ShownCount;
  if (ShownCount == 0) {
    // The list shows the journal held, and an empty one has no rows.
    StatusPanels[0] = Tr("Journal", "журнал пуст");
    Rows.clear();
    progress.Close();
    return;
  }
  progress.SetMaximum(ShownCount);
  StatusPanels[0] = Format(Tr("Journal", " %d записей"), ShownCount);
  StatusPanels[1] = Format(Tr("Journal", " Версия ПО: %s от %s"), header_.SoftwareVersion().c_str(),
                           header_.SoftwareDate().c_str());
  StatusPanels[2] = Format(Tr("Journal", " Версия железа: %s"), header_.HardwareVersion().c_str());
  StatusPanels[3] = " ID: " + header_.DeviceId();
  FillRows(int32_t(n));
  progress.Close();
}

void Journal::FillRows(int32_t n) {
  JournalProgress& progress = progress_ ? *progress_ : NoProgress();
  Rows.clear();
  Rows.reserve(size_t(ShownCount) + 1000);
  int32_t rec = OldestRecord;
  for (int32_t done = 1; done <= ShownCount; ++done) {
    AddEventRow(&area_[size_t(rec) * kJournalRecordBytes]);
    rec = rec + 1 == n ? 0 : rec + 1;
    if (done % kJournalProgressStep == 0) progress.Advance(done);
  }
}

}  // namespace quovil
