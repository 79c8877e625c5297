// Card mode: the drive scan, the once-a-second watch over the card, closing
// it, switching to card mode and clearing the card.
#include <algorithm>
#include <array>
#include <vector>

#include "card/card_header.h"
#include "card/source_format.h"
#include "card/state_tables.h"
#include "viewer/viewer.h"

namespace quovil {

namespace {

constexpr const char* kNoCardText = "Карта памяти отсутствует!";
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

}  // namespace

bool Viewer::OpenCard() {
  src.CardOpen = false;
  if (!drives) return false;
  int count = drives->Count();
  int last = count < 0 ? kMaxDrives : std::min(count, kMaxDrives);
  for (int n = 0; n < last; ++n) {
    std::unique_ptr<BlockDevice> dev = drives->Open(n);
    if (!dev) {
      if (count < 0) break;
      continue;
    }
    std::array<uint8_t, kSectorSize> sector0;
    if (!dev->Removable() || !dev->Read(0, sector0.data(), sector0.size()) || !HasCardMagic(sector0.data())) {
      continue;
    }
    src.Card = std::move(dev);
    src.CardOpen = true;
    src.CardFormat = -1;
    bool ok;
    {
      OpeningScope scope(this);
      ok = ReadCardHeader(src, sector0.data(), host, NoSourceText) && PrepareBitmaps();
    }
    if (!ok) CloseCard();
    return ok;
  }
  return false;
}

void Viewer::DropSourceData() {
  src.IndexTable.clear();
  src.ShortCatalogue.clear();
  src.LongCatalogue.clear();
  src.EntryCount = 0;
  src.CatalogueChanged();
  SelList.clear();
  ResetFrameCache(cache);
  for (auto& pic : CameraBitmap) pic.Free();
  disp.ForgetCameras();
  SelCount = 0;
}

void Viewer::CloseCard() {
  src.Card.reset();
  src.CardOpen = false;
  src.CardFormat = -1;
  DropSourceData();
}

bool Viewer::CardStillPresent() {
  if (!src.Card || !src.Card->Present() || !src.Card->Removable()) return false;
  std::array<uint8_t, kSectorSize> sector0;
  return src.Card->Read(0, sector0.data(), sector0.size()) && HasCardMagic(sector0.data());
}

bool Viewer::FindCard() {
  std::string before = NoSourceText;
  if (!OpenCard()) {
    if (NoSourceText != before) Repaint(kRepaintImage);
    return false;
  }
  CurPos = -1;
  CurIndex = -1;
  host.TrayBalloon(kAppCaption, " Обнаружена карта памяти");
  ActionFotoExecute();
  ActionChannel1Execute();
  ActionSelectAllExecute();
  host.ShowFromTray();
  return true;
}

void Viewer::CheckTimerTimer() {
  if (!src.SourceIsCard || IsOpening(this)) return;
  if (!src.CardOpen) {
    FindCard();
    return;
  }
  if (CardStillPresent()) return;
  StopBtnClick();
  CloseCard();
  NoSourceText = kNoCardText;
  host.HideToTray();
  UpdateStatusBar();
  Repaint(kRepaintImage | kRepaintTimeline | kRepaintStatus | kRepaintActions);
}

void Viewer::ActionOpenCARDExecute() {
  Caption = std::string(kAppCaption) + " " + kAppVersion + " - Карта SD";
  actions.OpenFile = false;
  actions.OpenCARD = true;
  NoSourceText = kNoCardText;
  if (!src.SourceIsCard) {
    CloseArchive();
    SelCount = 0;
    src.SourceIsCard = true;
    // The panels still describe the closed archive file.
    UpdateStatusBar();
  }
  Repaint(kRepaintImage | kRepaintTimeline | kRepaintActions | kRepaintCaption | kRepaintStatus);
}

Viewer::ClearResult Viewer::ActionDeleteAllExecute() {
  if (!src.SourceIsCard || !src.CardOpen || SelCount <= 0) return ClearResult::Nothing;
  StopBtnClick();
  bool archiveArea = FormatOf(src).HasArchiveArea() && actions.Arhiv;
  std::string question = std::string("Вы уверены, что хотите удалить\r") +
                         (archiveArea ? "все фотографии из архива?" : "все содержимое с карты памяти?");
  if (ShowMessageBox(question, MsgKind::Confirmation, MsgButtons::YesNo) != MsgResult::Yes)
    return ClearResult::Declined;
  // The card may have been pulled out while the question was open.
  if (!src.CardOpen || !src.Card) return ClearResult::Nothing;
  ApplyClearing(src, archiveArea);
  // Also when the write fails: the held table, cleared, is what is shown.
  // A clear changes the table the fill pair was taken from.
  SetFillPair(src);
  const bool written = WriteStateTables(src);
  if (written) {
    ActionFotoExecute();
    ShowMessageBox("Карта памяти очищена успешно!", MsgKind::Information);
  } else {
    ShowMessageBox(kClearFailedText, MsgKind::Error);
  }
  UpdateStatusBar();
  Repaint(kRepaintImage | kRepaintTimeline);
  return written ? ClearResult::Cleared : ClearResult::WriteFailed;
}

}  // namespace quovil
