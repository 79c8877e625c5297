// Archive mode: opening and closing an archive file, and the commands that
// save a marked fragment into a new one and open one for viewing.
#include <algorithm>
#include <optional>
#include <vector>

#include "card/archive_file.h"
#include "viewer/viewer.h"
#include "platform/translate.h"

namespace quovil {

namespace {

constexpr const char* kOpenFailedText = QUOVIL_TR_NOOP("Viewer", "Ошибка открытия файла!");
constexpr const char* kReadFailedText = QUOVIL_TR_NOOP("Viewer", "Ошибка чтения файла!");

}  // namespace

void Viewer::CloseArchive() {
  workers_.StopAll();
  src_.ArchiveStream.reset();
  src_.ArchiveOpen = false;
  src_.ArchiveFileName.clear();
  DropSourceData();
}

void Viewer::OpenArchive(const std::string& name) {
  CloseCard();
  CloseArchive();
  ForgetCardImage();
  src_.SourceIsCard = false;
  noSourceText_ = Tr("Viewer", "Не открыт файл видеоархива!");
  actions_.OpenCARD = false;
  actions_.OpenFile = true;
  caption_ = kAppCaption;
  ResetGpsOutput();
  const unsigned all = kRepaintImage | kRepaintTimeline | kRepaintStatus | kRepaintActions | kRepaintCaption |
                       kRepaintDate | kRepaintSensors;

  src_.ArchiveStream = OpenReadOnlyFile(name);
  if (!src_.ArchiveStream) {
    noSourceText_ = Tr("Viewer", kOpenFailedText);
    UpdateStatusBar();
    Repaint(all);
    return;
  }
  src_.ArchiveOpen = true;
  src_.SourceSize = src_.ArchiveStream->Length();
  ArchiveHeader header;
  std::vector<LongEntry> entries;
  bool ok = ReadArchive(*src_.ArchiveStream, header, entries) && header.CardFormat <= 2;
  if (ok) {
    src_.Archive = header;
    src_.LongCatalogue = std::move(entries);
    src_.CatalogueChanged();
    src_.CardFormat = int(header.CardFormat);
    src_.PictureWidth = int32_t(header.Width);
    src_.PictureHeight = int32_t(header.Height);
    ok = PrepareBitmaps();
  }
  if (!ok) {
    CloseArchive();
    src_.CardFormat = -1;
    noSourceText_ = Tr("Viewer", kReadFailedText);
    UpdateStatusBar();
    Repaint(all);
    return;
  }
  src_.PictureBytes = src_.PictureWidth * src_.PictureHeight;
  src_.SoundBytes = int32_t(std::min<uint32_t>(header.SoundBytes, INT32_MAX));
  src_.SampleRate = int32_t(std::min<uint32_t>(header.SampleRate, INT32_MAX));
  src_.EntryCount = int32_t(header.EntryCount);
  src_.HasSound = header.SoundBytes != 0 && header.SampleRate != 0;
  src_.ArchiveFileName = name;

  sel_.ForgetPosition();
  caption_ = std::string(kAppCaption) + " - " + name;
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


}  // namespace quovil
