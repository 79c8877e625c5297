// Archive mode: opening and closing an archive file, and the commands that
// save a marked fragment into a new one and open one for viewing.
#include <algorithm>
#include <optional>
#include <vector>

#include "export/archive_file.h"
#include "export/archive_save.h"
#include "viewer/viewer.h"

namespace quovil {

namespace {

constexpr const char* kOpenFailedText = "Ошибка открытия файла!";
constexpr const char* kReadFailedText = "Ошибка чтения файла!";

}  // namespace

void Viewer::CloseArchive() {
  src.ArchiveStream.reset();
  src.ArchiveOpen = false;
  src.ArchiveFileName.clear();
  DropSourceData();
}

void Viewer::OpenArchive(const std::string& name) {
  CloseCard();
  CloseArchive();
  src.SourceIsCard = false;
  NoSourceText = "Не открыт файл видеоархива!";
  actions.OpenCARD = false;
  actions.OpenFile = true;
  Caption = kAppCaption;
  ResetGpsOutput();
  const unsigned all = kRepaintImage | kRepaintTimeline | kRepaintStatus | kRepaintActions | kRepaintCaption |
                       kRepaintDate | kRepaintSensors;

  src.ArchiveStream = OpenReadOnlyFile(name);
  if (!src.ArchiveStream) {
    NoSourceText = kOpenFailedText;
    UpdateStatusBar();
    Repaint(all);
    return;
  }
  src.ArchiveOpen = true;
  src.SourceSize = src.ArchiveStream->Length();
  ArchiveHeader header;
  std::vector<LongEntry> entries;
  bool ok = ReadArchive(*src.ArchiveStream, header, entries) && header.CardFormat <= 2;
  if (ok) {
    src.Archive = header;
    src.LongCatalogue = std::move(entries);
    src.CatalogueChanged();
    src.CardFormat = int(header.CardFormat);
    src.PictureWidth = int32_t(header.Width);
    src.PictureHeight = int32_t(header.Height);
    ok = PrepareBitmaps();
  }
  if (!ok) {
    CloseArchive();
    src.CardFormat = -1;
    NoSourceText = kReadFailedText;
    UpdateStatusBar();
    Repaint(all);
    return;
  }
  src.PictureBytes = src.PictureWidth * src.PictureHeight;
  src.SoundBytes = int32_t(std::min<uint32_t>(header.SoundBytes, INT32_MAX));
  src.SampleRate = int32_t(std::min<uint32_t>(header.SampleRate, INT32_MAX));
  src.EntryCount = int32_t(header.EntryCount);
  src.HasSound = header.SoundBytes != 0 && header.SampleRate != 0;
  src.ArchiveFileName = name;

  CurPos = -1;
  CurIndex = -1;
  Caption = std::string(kAppCaption) + " - " + name;
  ActionRefreshExecute();
  ActionChannel1Execute();
  ActionSelectAllExecute();
  Repaint(all);
}

void Viewer::ActionOpenFileExecute() {
  StopBtnClick();
  std::optional<std::string> name = host.ChooseOpenFile();
  if (!name) return;
  OpenArchive(*name);
  Repaint(kRepaintImage | kRepaintTimeline);
}

ArchiveSaveResult Viewer::ActionSaveFileExecute() {
  ArchiveSaveResult result;
  if (SelCount <= 0) return result;
  StopBtnClick();
  // The marks are checked before the camera is asked for.
  int32_t first = 0, last = -1;
  if (!FragmentRange(-1, first, last)) {
    result = {ArchiveSaveStatus::Refused, 0, Fragment{}.Message()};
    ShowMessageBox(result.message, MsgKind::Error);
    return result;
  }
  std::optional<int> chosen = host.ChooseCamera(SingleCameraLayout() ? ActiveCamera : -1);
  if (!chosen) return result;
  const int camera = *chosen < 0 ? -1 : *chosen;
  const Fragment fragment = MarkedFragment(camera);
  if (fragment.status != Fragment::Status::Ok) {
    result = {ArchiveSaveStatus::Refused, 0, fragment.Message()};
    ShowMessageBox(result.message, MsgKind::Error);
    return result;
  }
  std::optional<std::string> picked = host.ChooseSaveFile(SuggestedArchiveName(camera, FragStart) + ".kif");
  if (!picked) return result;
  // The open archive or card is refused as the target by the writer itself.
  result = WriteArchiveFile(src, fragment.indices, WithKifExtension(*picked), host);
  const bool opened = result.status != ArchiveSaveStatus::OpenFailed && result.status != ArchiveSaveStatus::Refused;
  ShowMessageBox(result.message, result.status == ArchiveSaveStatus::Saved || result.status == ArchiveSaveStatus::Cancelled
                                     ? MsgKind::Information
                                     : MsgKind::Error);
  if (opened) {
    host.EnableCheckTimer(true);
    host.EnableMainWindow(true);
    host.BringToFront();
  }
  return result;
}

}  // namespace quovil
