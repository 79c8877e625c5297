#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "card/state_tables.h"
#include "card_fixture.h"
#include "support/card_writes.h"
#include "support/files.h"
#include "test_env.h"
#include "viewer/viewer.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

using namespace quovil;
using namespace cardfix;

namespace {

// Candidates of a drive scan: shared images, or slots that cannot be opened.
class FakeDrives : public DriveEnumerator {
 public:
  struct Slot {
    std::shared_ptr<Bytes> bytes;  // null: cannot be opened
    bool removable = true;
  };
  explicit FakeDrives(std::vector<Slot> slots, bool untilFirstMissing)
      : slots_(std::move(slots)), untilFirstMissing_(untilFirstMissing) {}
  std::unique_ptr<BlockDevice> Open(int n) override {
    ++opens;
    if (n < 0 || size_t(n) >= slots_.size() || !slots_[size_t(n)].bytes) return nullptr;
    auto dev = std::make_unique<SharedDevice>(slots_[size_t(n)].bytes);
    dev->removable = slots_[size_t(n)].removable;
    last = dev.get();
    return dev;
  }
  int Count() override { return untilFirstMissing_ ? -1 : int(slots_.size()); }
  int opens = 0;
  SharedDevice* last = nullptr;

 private:
  std::vector<Slot> slots_;
  bool untilFirstMissing_;
};

std::shared_ptr<Bytes> Card(Bytes b) { return std::make_shared<Bytes>(std::move(b)); }

Bytes Format2Card(uint32_t entries) {
  Format2 f;
  f.head = entries;
  return MakeFormat2(f);
}

struct Watch {
  RecordingHost host;
  Viewer viewer{host};
  FakeDrives* drives = nullptr;

  void Use(std::vector<FakeDrives::Slot> slots, bool untilFirstMissing = false) {
    auto d = std::make_unique<FakeDrives>(std::move(slots), untilFirstMissing);
    drives = d.get();
    viewer.drives = std::move(d);
  }
};

TEST(DriveScan, FirstMissingDriveEndsTheScanWhenTheListIsOpenEnded) {
  Watch w;
  w.Use({{nullptr}, {Card(Format2Card(4))}}, true);
  EXPECT_FALSE(w.viewer.OpenCard());
  EXPECT_EQ(w.drives->opens, 1);
}

TEST(DriveScan, MissingDriveIsSkippedInAKnownList) {
  Watch w;
  w.Use({{nullptr}, {Card(Format2Card(4))}});
  EXPECT_TRUE(w.viewer.OpenCard());
  EXPECT_EQ(w.viewer.source().EntryCount, 4);
}

TEST(DriveScan, FixedDiskAndForeignDisksAreSkipped) {
  Bytes foreign(4096, 0);
  Watch w;
  w.Use({{Card(Format2Card(3)), false}, {Card(foreign)}, {Card(Format2Card(5))}}, true);
  ASSERT_TRUE(w.viewer.OpenCard());
  EXPECT_EQ(w.viewer.source().EntryCount, 5);
  EXPECT_TRUE(w.viewer.source().CardOpen);
  EXPECT_EQ(w.viewer.source().CardFormat, 2);
}

TEST(DriveScan, DamagedCardStopsTheScanAndSaysWhy) {
  Bytes damaged = MakeFormat1({});
  damaged[64 * 512 + 5] ^= 1;
  damaged[65 * 512 + 5] ^= 1;
  Watch w;
  w.Use({{Card(damaged)}, {Card(Format2Card(5))}});
  EXPECT_FALSE(w.viewer.OpenCard());
  EXPECT_FALSE(w.viewer.source().CardOpen);
  EXPECT_EQ(w.viewer.source().Card, nullptr);
  EXPECT_EQ(w.viewer.source().CardFormat, -1);
  EXPECT_EQ(w.viewer.noSourceText(), "Испорчен заголовок карты памяти!");
  EXPECT_EQ(w.drives->opens, 1);
}

TEST(CardWatch, NewCardPopsUpWithEverythingSelected) {
  Watch w;
  w.Use({{Card(Format2Card(12))}});
  w.viewer.CheckTimerTimer();
  ASSERT_TRUE(w.viewer.source().CardOpen);
  EXPECT_EQ(w.host.trayEvents, (std::vector<std::string>{"KORAX-X CARD VIEWER| Обнаружена карта памяти", "show"}));
  EXPECT_EQ(w.viewer.selection().Count(), 12);
  EXPECT_EQ(w.viewer.selection().ActiveCamera(), 0);
  EXPECT_FALSE(w.viewer.fragStart().empty());
  EXPECT_EQ(w.viewer.statusPanels()[4], " Фрагмент: " + w.viewer.fragStart() + " - " + w.viewer.fragEnd());
  EXPECT_FALSE(w.viewer.bitmaps()[0].Empty());
  // Still there on the next tick: nothing changes.
  w.viewer.CheckTimerTimer();
  EXPECT_TRUE(w.viewer.source().CardOpen);
  EXPECT_EQ(w.host.trayEvents.size(), 2u);
}

TEST(CardWatch, PulledCardClosesAndHides) {
  Watch w;
  w.Use({{Card(Format2Card(12))}});
  w.viewer.CheckTimerTimer();
  ASSERT_TRUE(w.viewer.source().CardOpen);
  w.drives->last->present = false;
  w.viewer.CheckTimerTimer();
  EXPECT_FALSE(w.viewer.source().CardOpen);
  EXPECT_EQ(w.viewer.source().Card, nullptr);
  EXPECT_EQ(w.viewer.noSourceText(), "Карта памяти отсутствует!");
  EXPECT_EQ(w.host.trayEvents.back(), "hide");
  EXPECT_EQ(w.viewer.selection().Count(), 0);
  EXPECT_TRUE(w.viewer.source().LongCatalogue.empty());
  EXPECT_TRUE(w.viewer.bitmaps()[0].Empty());
  EXPECT_EQ(w.viewer.statusPanels()[0], " Размер: ");
  EXPECT_EQ(w.viewer.statusPanels()[4], " Фрагмент: ");
}

TEST(CardWatch, RemovedImageFileCountsAsPulled) {
  namespace fs = std::filesystem;
  fs::path path = fs::temp_directory_path() / ("quovil-watch-" + std::to_string(getpid()) + ".img");
  Bytes card = Format2Card(6);
  ASSERT_TRUE(test::WriteBytes(path.string(), card));
  test::SetEnv("QUOVIL_DRIVES", path.string());
  RecordingHost host;
  Viewer viewer(host);
  viewer.drives = SystemDriveEnumerator();
  test::UnsetEnv("QUOVIL_DRIVES");
  viewer.CheckTimerTimer();
  ASSERT_TRUE(viewer.source().CardOpen);
  fs::remove(path);
  viewer.CheckTimerTimer();
  EXPECT_FALSE(viewer.source().CardOpen);
  EXPECT_EQ(viewer.noSourceText(), "Карта памяти отсутствует!");
}

TEST(CardWatch, DamagedCardIsRetriedEveryTick) {
  Format2 f;
  f.head = 3;
  auto bytes = Card(MakeFormat2(f));
  Bytes good = Table2(f), bad = good;
  bad[20] ^= 1;
  PutTable2(*bytes, f, bad, 0);
  Watch w;
  w.Use({{bytes}});
  w.viewer.CheckTimerTimer();
  EXPECT_FALSE(w.viewer.source().CardOpen);
  EXPECT_EQ(w.viewer.noSourceText(), "Испорчен заголовок карты памяти!");
  PutTable2(*bytes, f, good, 2);
  w.viewer.CheckTimerTimer();
  EXPECT_TRUE(w.viewer.source().CardOpen);
  EXPECT_EQ(w.viewer.source().EntryCount, 3);
}

TEST(CardWatch, TickDuringTheCopyQuestionLeavesTheOpeningAlone) {
  Format2 f, g;
  f.head = 3;
  g.head = 9;
  auto bytes = Card(MakeFormat2(f));
  PutTable2(*bytes, g, Table2(g), 2);
  RecordingHost host;
  Viewer viewer(host);
  // The window keeps its timer running while the copy question is open.
  host.whileShown = [&viewer] { viewer.CheckTimerTimer(); };
  viewer.drives = std::make_unique<FakeDrives>(std::vector<FakeDrives::Slot>{{bytes}}, false);
  viewer.CheckTimerTimer();
  ASSERT_TRUE(viewer.source().CardOpen);
  EXPECT_EQ(viewer.source().EntryCount, 3);
  EXPECT_EQ(host.messages.size(), 1u);
}

TEST(CardMode, OpenCardCommandOnlyRelabels) {
  Watch w;
  w.Use({{Card(Format2Card(2))}});
  ViewerProbe::NoSourceText(w.viewer) = "x";
  w.viewer.ActionOpenCARDExecute();
  EXPECT_EQ(w.viewer.caption().rfind("KORAX-X CARD VIEWER V.3.19", 0), 0u);
  EXPECT_TRUE(w.viewer.actions().OpenCARD);
  EXPECT_FALSE(w.viewer.actions().OpenFile);
  EXPECT_EQ(w.viewer.noSourceText(), "Карта памяти отсутствует!");
  EXPECT_EQ(w.drives->opens, 0);
  EXPECT_FALSE(w.viewer.source().CardOpen);
}

// ---- clearing from the viewer ----

struct Clearing : Watch {
  std::shared_ptr<Bytes> bytes;
  explicit Clearing(Bytes card) : bytes(Card(std::move(card))) {
    Use({{bytes}});
    viewer.CheckTimerTimer();
    host.messages.clear();
  }
};

TEST(ClearCommand, AsksAndClearsTheWholeCard) {
  Format2 f;
  f.head = 20;
  Clearing c(MakeFormat2(f));
  ASSERT_EQ(c.viewer.selection().Count(), 20);
  c.host.answer = MsgResult::No;
  c.viewer.ActionDeleteAllExecute();
  ASSERT_EQ(c.host.messages.size(), 1u);
  EXPECT_EQ(c.host.messages[0], "Вы уверены, что хотите удалить\rвсе содержимое с карты памяти?");
  EXPECT_EQ(state2::RingHead.Get(&(*c.bytes)[64 * 512]), 20u);

  c.host.answer = MsgResult::Yes;
  {
    test::AllowCardWrites clearing;
    c.viewer.ActionDeleteAllExecute();
  }
  EXPECT_EQ(c.host.messages.back(), "Карта памяти очищена успешно!");
  EXPECT_EQ(c.host.kinds.back(), MsgKind::Information);
  EXPECT_EQ(state2::RingHead.Get(&(*c.bytes)[64 * 512]), 0u);
  EXPECT_EQ(state2::RingHead.Get(&(*c.bytes)[65 * 512]), 0u);
  EXPECT_EQ(c.viewer.selection().Count(), 0);
  EXPECT_TRUE(c.viewer.source().CardOpen);
  // Nothing left to clear: no question.
  size_t asked = c.host.messages.size();
  c.viewer.ActionDeleteAllExecute();
  EXPECT_EQ(c.host.messages.size(), asked);
}

TEST(ClearCommand, Format0ArchiveAreaQuestion) {
  Format0 f;
  f.records = 120;  // catalogue entries behind the archive slots too
  Clearing c(MakeFormat0(f));
  c.viewer.ActionFiltrChange(Viewer::Filter::Arhiv);
  ASSERT_TRUE(c.viewer.actions().Arhiv);
  ASSERT_GT(c.viewer.selection().Count(), 0);
  {
    test::AllowCardWrites clearing;
    c.viewer.ActionDeleteAllExecute();
  }
  ASSERT_FALSE(c.host.messages.empty());
  EXPECT_EQ(c.host.messages[0], "Вы уверены, что хотите удалить\rвсе фотографии из архива?");
  const uint8_t* t = &(*c.bytes)[state0::kFirstCopy];
  EXPECT_EQ(state0::ArchiveFirstSlot.Get(t), 120);
  EXPECT_EQ(state0::MainCount.Get(t), 10);
}

TEST(ClearCommand, FailedWriteSaysSo) {
  Format1 f;
  Clearing c(MakeFormat1(f));
  ASSERT_GT(c.viewer.selection().Count(), 0);
  c.drives->last->writesAllowed = 0;
  {
    test::AllowCardWrites clearing;
    c.viewer.ActionDeleteAllExecute();
  }
  EXPECT_EQ(c.host.messages.back(), "Возникла ошибка при очистки карты.");
  EXPECT_EQ(c.host.kinds.back(), MsgKind::Error);
}

// ---- status bar ----

struct Bar {
  RecordingHost host;
  Viewer viewer{host};
  Source& src = ViewerProbe::Src(viewer);
  Bar() {
    src.CardOpen = true;
    src.SourceIsCard = true;
  }
};

TEST(StatusBar, CardSizesInDecimalUnits) {
  Bar b;
  b.src.CardFormat = 1;
  for (auto [size, text] : std::vector<std::pair<int64_t, std::string>>{
           {2000000000, "2 Gb"}, {999, "999 bytes"}, {1500000, "1 Mb"}, {64000, "64 Kb"},
           {-1, "Карта памяти пуста!"}}) {
    b.src.SourceSize = size;
    b.viewer.UpdateStatusBar();
    EXPECT_EQ(b.viewer.statusPanels()[0], " Размер: " + text);
  }
}

TEST(StatusBar, FillQualityAndToolbar) {
  Bar b;
  b.src.CardFormat = 0;
  b.src.FillRecorded = 1000;
  b.src.FillTotal = 4000;
  b.src.ResolutionIndex = 2;
  b.viewer.UpdateStatusBar();
  EXPECT_EQ(b.viewer.statusPanels()[1], " Качество: 240x256");
  EXPECT_EQ(b.viewer.statusPanels()[2], " Записано: 25%");
  EXPECT_EQ(b.viewer.statusPanels()[4], " Фрагмент: не задан");
  EXPECT_TRUE(b.viewer.actions().ArhivVisible);
  EXPECT_TRUE(b.viewer.actions().TagetVisible);
  EXPECT_TRUE(b.viewer.actions().DeleteAllVisible);

  b.src.CardFormat = 1;
  b.src.ResolutionIndex = 9;
  b.src.FillTotal = 0;  // no slots at all
  b.viewer.UpdateStatusBar();
  EXPECT_EQ(b.viewer.statusPanels()[1], " Качество: нет данных");
  EXPECT_EQ(b.viewer.statusPanels()[2], " Записано: 0%");
  EXPECT_FALSE(b.viewer.actions().ArhivVisible);
}

TEST(StatusBar, Format2FillAndCompression) {
  Bar b;
  b.src.CardFormat = 2;
  b.src.PictureBytes = 320 * 256;
  b.src.LongCatalogue.resize(3);
  for (auto& e : b.src.LongCatalogue) e.b[6] = 16;
  b.src.EntryCount = 3;
  state2::DataAreaSectors.Set(b.src.StateTable.data(), 1000);
  state2::DataWriteSector.Set(b.src.StateTable.data(), 333);
  b.viewer.UpdateStatusBar();
  EXPECT_EQ(b.viewer.statusPanels()[1], " Сжатие: 10.00");
  EXPECT_EQ(b.viewer.statusPanels()[2], " Записано: 33%");
  state2::RingWrapped.Set(b.src.StateTable.data(), 1);
  b.viewer.UpdateStatusBar();
  EXPECT_EQ(b.viewer.statusPanels()[2], " Записано: 100%");

  // No entry to average: the panel keeps its text; no data area: 0 %.
  b.src.EntryCount = 0;
  ViewerProbe::StatusPanels(b.viewer)[1] = "before";
  state2::RingWrapped.Set(b.src.StateTable.data(), 0);
  state2::DataAreaSectors.Set(b.src.StateTable.data(), 0);
  b.viewer.UpdateStatusBar();
  EXPECT_EQ(b.viewer.statusPanels()[1], "before");
  EXPECT_EQ(b.viewer.statusPanels()[2], " Записано: 0%");
}

TEST(StatusBar, ArchiveFileInBinaryUnits) {
  Bar b;
  b.src.CardOpen = false;
  b.src.SourceIsCard = false;
  b.src.ArchiveOpen = true;
  b.src.CardFormat = 1;
  b.src.SourceSize = 1572864;
  b.src.Archive.CardFormat = 1;
  b.src.Archive.EntryCount = 42;
  ViewerProbe::FragStart(b.viewer) = "01.02.2024 10:00:00";
  ViewerProbe::FragEnd(b.viewer) = "01.02.2024 10:05:00";
  b.viewer.UpdateStatusBar();
  EXPECT_EQ(b.viewer.statusPanels()[0], " Размер: 1 Mb");
  EXPECT_EQ(b.viewer.statusPanels()[1], " Качество: 320x256");
  EXPECT_EQ(b.viewer.statusPanels()[2], " Записано: 42 кадров");
  EXPECT_EQ(b.viewer.statusPanels()[4], " Фрагмент: 01.02.2024 10:00:00 - 01.02.2024 10:05:00");
  EXPECT_FALSE(b.viewer.actions().DeleteAllVisible);
  EXPECT_FALSE(b.viewer.actions().TagetVisible);
}

TEST(StatusBar, NothingOpenShowsOnlyLabels) {
  Bar b;
  b.src.CardOpen = false;
  b.viewer.UpdateStatusBar();
  EXPECT_EQ(b.viewer.statusPanels()[0], " Размер: ");
  EXPECT_EQ(b.viewer.statusPanels()[2], " Записано: ");
  EXPECT_EQ(b.viewer.statusPanels()[4], " Фрагмент: ");
  EXPECT_FALSE(b.viewer.actions().ArhivVisible);
}

}  // namespace
