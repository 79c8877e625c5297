// Card mode: the drive scan, the once-a-second watch over the card, closing
// it, switching to card mode and clearing the card.
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "card/card_header.h"
#include "card/source_format.h"
#include "card/state_tables.h"
#include "viewer/viewer.h"
#include "platform/translate.h"

namespace quovil {

namespace {

constexpr const char* kNoCardText = QUOVIL_TR_NOOP("Viewer", "Карта памяти отсутствует!");
constexpr const char* kNoImageText = QUOVIL_TR_NOOP("Viewer", "Файл не является образом карты памяти!");
// Enumerators that end at the first missing drive still get a ceiling.
constexpr int kMaxDrives = 256;

// Viewers in the middle of recognising a card. A timer tick that arrives
// while the copy question is open must neither scan again nor close the
// half-read card under the recognition.
std::vector<const Viewer*>& Opening() {
  static std::vector<const Viewer*> viewers;
  return viewers;
}

bool IsOpening(const Viewer* v) {
  const auto& o = Opening();
  return std::find(o.begin(), o.end(), v) != o.end();
}

struct OpeningScope {
  explicit OpeningScope(const Viewer* v) : v_(v) { Opening().push_back(v); }
  ~OpeningScope() {
    auto& o = Opening();
    o.erase(std::find(o.begin(), o.end(), v_));
  }
  const Viewer* v_;
};

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return s;
}

bool EndsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

// Whether the file's first sector is a card's.
bool LooksLikeCard(const std::string& path) {
  std::unique_ptr<BlockDevice> dev = OpenReadOnlyFile(path);
  std::array<uint8_t, kSectorSize> sector0;
  return dev && dev->Read(0, sector0.data(), sector0.size()) && HasCardMagic(sector0.data());
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

PathKind KindOfPath(const std::string& path) {
  const std::string name = Lower(path);
  if (EndsWith(name, ".klf")) return PathKind::Journal;
  if (EndsWith(name, ".kif")) return PathKind::Archive;
  return LooksLikeCard(path) ? PathKind::CardImage : PathKind::Archive;
}

bool Viewer::OpenCard() {
  workers_.StopAll();
  src_.CardOpen = false;
  DriveEnumerator* scan = ScannedDrives();
  if (!scan) return false;
  int count = scan->Count();
  int last = count < 0 ? kMaxDrives : std::min(count, kMaxDrives);
  for (int n = 0; n < last; ++n) {
    std::unique_ptr<BlockDevice> dev = scan->Open(n);
    if (!dev) {
      if (count < 0) break;
      continue;
    }
    std::array<uint8_t, kSectorSize> sector0;
    if (!dev->Removable() || !dev->Read(0, sector0.data(), sector0.size()) || !HasCardMagic(sector0.data())) {
      continue;
    }
    src_.Card = std::move(dev);
    src_.CardOpen = true;
    src_.CardFormat = -1;
    bool ok;
    {
      OpeningScope scope(this);
      ok = ReadCardHeader(src_, sector0.data(), host, noSourceText_) && PrepareBitmaps();
    }
    if (!ok) CloseCard();
    return ok;
  }
  // A card that is there but could not be opened is named, with what to do;
  // once it is gone, the picture area says again that there is no card.
  const std::string problem = scan->Problem();
  if (!problem.empty()) noSourceText_ = problem;
  else if (!shownProblem_.empty() && noSourceText_ == shownProblem_) noSourceText_ = Tr("Viewer", kNoCardText);
  shownProblem_ = problem;
  return false;
}

void Viewer::DropSourceData() {
  src_.IndexTable.clear();
  src_.ShortCatalogue.clear();
  src_.LongCatalogue.clear();
  src_.EntryCount = 0;
  src_.CatalogueChanged();
  ResetFrameCache(cache_);
  for (auto& pic : bitmaps_) pic.Free();
  disp_.ForgetCameras();
  sel_.Drop();
  // The next source starts on the whole day, whichever day it shows.
  timeline_.Span = TimeSpan{};
  timeline_.MapDay = -1;
  ForgetShownRecord();
}

void Viewer::ForgetShownRecord() {
  // Nothing is shown: the date panel and the sensor panel say nothing either.
  disp_.DatePanelText.clear();
  ForgetFrameInfo();
  Repaint(kRepaintDate | kRepaintSensors);
}

void Viewer::CloseSource(const std::string& why) {
  StopBtnClick();
  CloseCard();
  CloseArchive();
  noSourceText_ = why;
}

void Viewer::CloseCard() {
  workers_.StopAll();
  src_.Card.reset();
  src_.CardOpen = false;
  src_.CardFormat = -1;
  DropSourceData();
}

bool Viewer::CardStillPresent() {
  if (!src_.Card || !src_.Card->Present() || !src_.Card->Removable()) return false;
  std::array<uint8_t, kSectorSize> sector0;
  return src_.Card->Read(0, sector0.data(), sector0.size()) && HasCardMagic(sector0.data());
}

bool Viewer::FindCard() {
  std::string before = noSourceText_;
  if (!OpenCard()) {
    if (noSourceText_ != before) Repaint(kRepaintImage);
    return false;
  }
  sel_.ForgetPosition();
  host.TrayBalloon(kAppCaption, Tr("Viewer", " Обнаружена карта памяти"));
  ActionFotoExecute();
  ActionChannel1Execute();
  ActionSelectAllExecute();
  host.ShowFromTray();
  return true;
}

void Viewer::CheckTimerTimer() {
  if (!src_.SourceIsCard || IsOpening(this)) return;
  if (!src_.CardOpen) {
    FindCard();
    return;
  }
  if (CardStillPresent()) return;
  StopBtnClick();
  CloseCard();
  noSourceText_ = Tr("Viewer", kNoCardText);
  host.HideToTray();
  UpdateStatusBar();
  Repaint(kRepaintImage | kRepaintTimeline | kRepaintStatus | kRepaintActions);
}

void Viewer::ForgetCardImage() {
  cardImage_.clear();
  imageDrive_.reset();
  actions_.OpenImage = false;
}

void Viewer::ActionOpenCARDExecute() {
  if (imageDrive_) {
    // The image viewed as the card gives way to the card reader.
    StopBtnClick();
    CloseCard();
    ForgetCardImage();
  }
  caption_ = Format(Tr("Viewer", "%s %s - Карта SD"), kAppCaption, kAppVersion);
  actions_.OpenFile = false;
  actions_.OpenCARD = true;
  noSourceText_ = Tr("Viewer", kNoCardText);
  shownProblem_.clear();
  if (drives) drives->AskAgain();
  if (!src_.SourceIsCard) {
    CloseArchive();
    sel_.Drop();
    src_.SourceIsCard = true;
    // The panels still describe the closed archive file.
    UpdateStatusBar();
  }
  Repaint(kRepaintImage | kRepaintTimeline | kRepaintActions | kRepaintCaption | kRepaintStatus);
}

bool Viewer::OpenCardImage(const std::string& path) {
  StopBtnClick();
  // Looked at before anything closes: a file that is no card image leaves
  // the source open before as it was.
  {
    std::unique_ptr<BlockDevice> probe = quovil::OpenCardImage(path);
    if (!probe) {
      ShowMessageBox(Tr("Viewer", "Ошибка открытия файла!"), MsgKind::Error);
      return false;
    }
    std::array<uint8_t, kSectorSize> sector0;
    if (!probe->Read(0, sector0.data(), sector0.size()) || !HasCardMagic(sector0.data())) {
      ShowMessageBox(Tr("Viewer", kNoImageText), MsgKind::Error);
      return false;
    }
  }
  CloseArchive();
  CloseCard();
  ForgetCardImage();
  cardImage_ = path;
  imageDrive_ = PathDriveEnumerator({path});
  src_.SourceIsCard = true;
  actions_.OpenCARD = false;
  actions_.OpenFile = false;
  actions_.OpenImage = true;
  caption_ = Format(Tr("Viewer", "%s %s - Образ карты %s"), kAppCaption, kAppVersion, FileNameOf(path).c_str());
  noSourceText_ = Tr("Viewer", kNoCardText);
  shownProblem_.clear();
  ResetGpsOutput();
  UpdateStatusBar();
  // Shown at once, not on the next tick of the card watch.
  FindCard();
  Repaint(kRepaintImage | kRepaintTimeline | kRepaintActions | kRepaintCaption | kRepaintStatus | kRepaintDate |
          kRepaintSensors);
  return true;
}

void Viewer::ActionOpenImageExecute() {
  StopBtnClick();
  std::optional<std::string> name = host.ChooseCardImage();
  if (name) OpenCardImage(*name);
  Repaint(kRepaintActions);
}

Viewer::ClearResult Viewer::ActionDeleteAllExecute() {
  if (!src_.SourceIsCard || !src_.CardOpen || sel_.Count() <= 0) return ClearResult::Nothing;
  StopBtnClick();
  bool archiveArea = FormatOf(src_).HasArchiveArea() && actions_.Arhiv;
  const std::string question = archiveArea ? Tr("Viewer", "Вы уверены, что хотите удалить\rвсе фотографии из архива?")
                                           : Tr("Viewer", "Вы уверены, что хотите удалить\rвсе содержимое с карты памяти?");
  // Return alone must not empty a card.
  if (ShowMessageBox(question, MsgKind::Confirmation, MsgButtons::YesNoDefaultNo) != MsgResult::Yes)
    return ClearResult::Declined;
  // An image is a copy kept as it was taken: it is changed only when the
  // user says so a second time.
  if (imageDrive_ && ShowMessageBox(Format(Tr("Viewer", "Открыт образ карты %s, а не сама карта памяти.\rИзменить файл образа?"),
                                           FileNameOf(cardImage_).c_str()),
                                    MsgKind::Warning, MsgButtons::YesNoDefaultNo) != MsgResult::Yes)
    return ClearResult::Declined;
  // The card may have been pulled out while the question was open.
  if (!src_.CardOpen || !src_.Card) return ClearResult::Nothing;
  // Clearing changes the state table and the catalogue under any reader.
  workers_.StopAll();
  // The card is held read-only: it is opened for writing for these writes
  // only. Refused, nothing was changed.
  if (!src_.Card->BeginWrites()) {
    ShowMessageBox(Tr("Viewer", kClearFailedText), MsgKind::Error);
    return ClearResult::WriteFailed;
  }
  ApplyClearing(src_, archiveArea);
  // Also when the write fails: the held table, cleared, is what is shown.
  // A clear changes the table the fill pair was taken from.
  SetFillPair(src_);
  const bool written = WriteStateTables(src_);
  src_.Card->EndWrites();
  if (written) {
    ActionFotoExecute();
    ShowMessageBox(Tr("Viewer", "Карта памяти очищена успешно!"), MsgKind::Information);
  } else {
    ShowMessageBox(Tr("Viewer", kClearFailedText), MsgKind::Error);
  }
  UpdateStatusBar();
  Repaint(kRepaintImage | kRepaintTimeline);
  return written ? ClearResult::Cleared : ClearResult::WriteFailed;
}

}  // namespace quovil
