#include "export/archive_save.h"

#include <cstdio>
#include <memory>

#include "card/archive_file.h"
#include "export/card_identity.h"
#include "platform/checksum_file.h"
#include "platform/file_guard.h"
#include "platform/utf8_file.h"
#include "viewer/viewer.h"
#include "platform/translate.h"

namespace quovil {

namespace {

constexpr const char* kProgressTitle = QUOVIL_TR_NOOP("Export", "Запись видео в архив на диске");
constexpr const char* kProgressText = QUOVIL_TR_NOOP("Export", "Дождитесь завершения операции или нажмите Cancel");
constexpr const char* kWriteFailed = QUOVIL_TR_NOOP("Export", "Ошибка записи файла!");
constexpr const char* kCardReadFailed = QUOVIL_TR_NOOP("Export", "Ошибка чтения карты памяти!");
constexpr const char* kTooLarge = QUOVIL_TR_NOOP("Export", "Записи этого источника слишком велики для архивного файла!");

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool WriteAll(std::FILE* f, const void* data, std::size_t n) { return n == 0 || std::fwrite(data, 1, n, f) == n; }

struct Copy {
  Copy(const Source& s, const std::vector<int32_t>& i, std::FILE* file) : src(s), indices(i), f(file) {}
  const Source& src;
  const std::vector<int32_t>& indices;
  std::FILE* f;
  std::vector<uint8_t> buffer = std::vector<uint8_t>(kArchiveCopyBuffer);
  std::size_t buffered = 0;
  std::vector<LongEntry> entries;
  uint32_t sector = 0;
  bool cardReadFailed = false;  // a card read failed, not a write

  bool Flush() {
    bool ok = WriteAll(f, buffer.data(), buffered);
    buffered = 0;
    return ok;
  }

  // One record into the buffer. A failed read fails the save: stale buffer
  // bytes must never pass for data.
  bool Record(std::size_t k) {
    LongEntry e;
    uint64_t from = 0;
    BlockDevice* dev = src.FrameDevice();
    if (!dev || !MakeSavedEntry(src, indices[k], e, from)) return false;
    e.SetFirstSector(sector);
    sector += e.RecordSectors();
    entries[k] = e;
    const std::size_t r = std::size_t(e.RecordSectors()) * kSectorSize;
    if (kArchiveCopyBuffer - r < buffered && !Flush()) return false;
    if (!dev->Read(from, buffer.data() + buffered, r)) {
      cardReadFailed = src.SourceIsCard;
      return false;
    }
    buffered += r;
    return true;
  }
};

}  // namespace

ArchiveSaveResult WriteArchiveFile(const Source& src, const std::vector<int32_t>& indices, const std::string& path,
                                   WorkProgress& progress) {
  ArchiveSaveResult result;
  const uint32_t n = uint32_t(indices.size());
  const auto header = MakeArchiveHeader(uint32_t(src.CardFormat), uint32_t(src.SoundBytes), uint32_t(src.SampleRate),
                                        uint32_t(src.PictureWidth), uint32_t(src.PictureHeight), n);
  if (const OutputProblem problem = CheckOutputTarget(path); problem != OutputProblem::None)
    return {ArchiveSaveStatus::Refused, 0, OutputProblemText(problem)};
  if (!ArchivableRecords(src)) return {ArchiveSaveStatus::Refused, 0, Tr("Export", kTooLarge)};
  File f(OpenFileUtf8(path, "wb"));
  if (!f) return {ArchiveSaveStatus::OpenFailed, 0, Tr("Export", "Ошибка открытия файла!")};
  // The copy buffer already gathers large blocks; a second one in stdio only costs a copy.
  std::setvbuf(f.get(), nullptr, _IONBF, 0);
  progress.Begin(Tr("Export", kProgressTitle), Tr("Export", kProgressText), int(n));

  Copy copy(src, indices, f.get());
  copy.entries.resize(n);
  // The header does not add up until the catalogue is in place, so a save
  // cut short never opens as an archive of bogus records.
  auto unsealed = header;
  unsealed.back() ^= 0xFF;
  bool ok = WriteAll(f.get(), unsealed.data(), unsealed.size()) &&
            std::fseek(f.get(), long(GetU32(&header[11])), SEEK_SET) == 0;
  // The card's identity as it is while the records are copied from it; a
  // card that cannot give it fails the save as a failed record read does.
  std::string cardIdentity;
  if (ok && src.SourceIsCard && !CardIdentityText(src, cardIdentity)) {
    copy.cardReadFailed = true;
    ok = false;
  }
  for (uint32_t k = 0; ok && k < n; ++k) {
    progress.Step(int(k));
    if (progress.Cancelled()) {
      progress.End();
      f.reset();
      RemoveFileUtf8(path);
      return {ArchiveSaveStatus::Cancelled, 0, Tr("Export", "Сохранение прервано пользователем!")};
    }
    ok = copy.Record(k);
  }
  ok = ok && copy.Flush() && std::fseek(f.get(), kArchiveHeaderBytes, SEEK_SET) == 0 &&
       WriteAll(f.get(), copy.entries.data(), copy.entries.size() * sizeof(LongEntry)) &&
       std::fflush(f.get()) == 0 && std::fseek(f.get(), 0, SEEK_SET) == 0 &&
       WriteAll(f.get(), header.data(), header.size());
  // Closing flushes what the system still holds; a full disk may only show here.
  ok = std::fclose(f.release()) == 0 && ok;
  progress.End();
  if (!ok) return {ArchiveSaveStatus::WriteFailed, 0, Tr("Export", copy.cardReadFailed ? kCardReadFailed : kWriteFailed)};
  // The archive's checksum, and the card it came from, beside it.
  std::string why;
  if (!SealExport(path, &why) || (!cardIdentity.empty() && !WriteCardIdentity(cardIdentity, path, why)))
    return {ArchiveSaveStatus::WriteFailed, 0, Tr("Export", kWriteFailed)};
  result.status = ArchiveSaveStatus::Saved;
  result.entries = int(n);
  result.message = Tr("Export", "Файл создан успешно!");
  return result;
}

std::string SuggestedArchiveName(int camera, const std::string& fragStart) {
  std::string name = "CAM";
  if (camera >= 0) name += char('1' + camera);
  name += '_';
  for (char ch : fragStart) {
    switch (ch) {
      case ' ': case '"': case '*': case '/': case ':': case ';':
      case '<': case '=': case '>': case '?': case '\\': case '|':
        name += '_';
        break;
      default:
        name += ch;
    }
  }
  return name;
}

std::string WithKifExtension(const std::string& name) {
  // A folder keeps its name, so that the save refuses it instead of writing
  // a hidden ".kif" inside.
  if (NamesFolder(name)) return name;
  const std::size_t slash = name.find_last_of("/\\");
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return name + ".kif";
  return name.substr(0, dot) + ".kif";
}

ArchiveSaveResult ActionSaveFileExecute(Viewer& v) {
  ArchiveSaveResult result;
  if (v.selection().Count() <= 0) return result;
  v.StopBtnClick();
  // The marks are checked before the camera is asked for.
  int32_t first = 0, last = -1;
  if (!v.FragmentRange(-1, first, last)) {
    result = {ArchiveSaveStatus::Refused, 0, Viewer::Fragment{}.Message()};
    v.ShowMessageBox(result.message, MsgKind::Error);
    return result;
  }
  std::optional<int> chosen = v.host.ChooseCamera(v.SingleCameraLayout() ? v.selection().ActiveCamera() : -1);
  if (!chosen) return result;
  const int camera = *chosen < 0 ? -1 : *chosen;
  const Viewer::Fragment fragment = v.MarkedFragment(camera);
  if (fragment.status != Viewer::Fragment::Status::Ok) {
    result = {ArchiveSaveStatus::Refused, 0, fragment.Message()};
    v.ShowMessageBox(result.message, MsgKind::Error);
    return result;
  }
  std::optional<std::string> picked = v.host.ChooseSaveFile(SuggestedArchiveName(camera, v.fragStart()) + ".kif");
  if (!picked) return result;
  // The open archive or card is refused as the target by the writer itself.
  HostProgress progress(v.host);
  result = WriteArchiveFile(v.source(), fragment.indices, WithKifExtension(*picked), progress);
  const bool opened = result.status != ArchiveSaveStatus::OpenFailed && result.status != ArchiveSaveStatus::Refused;
  v.ShowMessageBox(result.message, result.status == ArchiveSaveStatus::Saved || result.status == ArchiveSaveStatus::Cancelled
                                     ? MsgKind::Information
                                     : MsgKind::Error);
  if (opened) {
    v.host.EnableCheckTimer(true);
    v.host.EnableMainWindow(true);
    v.host.BringToFront();
  }
  return result;
}

}  // namespace quovil
