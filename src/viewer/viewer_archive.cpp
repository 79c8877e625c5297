// Archive mode: opening and closing an archive file, and the commands that
// save a marked fragment into a new one and open one for viewing.
#include <algorithm>
#include <optional>
#include <vector>

#include "card/archive_file.h"
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


}  // namespace quovil
