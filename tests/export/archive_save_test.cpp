// Saving marked fragments of recorded cards and archive files, then opening
// the saved file in a fresh viewer: the records, their order, kinds and
// pictures are the source's.
#include <algorithm>
#include <filesystem>

#include "archive_fixture.h"
#include "card/archive_file.h"
#include "card/korax.h"
#include "export/archive_save.h"
#include "support/viewer_probe.h"

using quovil::test::ViewerProbe;

namespace {

using namespace quovil;
using namespace archive_test;

class ArchiveSave : public ::testing::Test {
 protected:
  // Records a card and opens it; fps 1 gives every position its own second.
  void Card(int format, int records = 40, int fps = 4, bool bothCameras = true) {
    mkcard::Options o;
    o.format = format;
    o.records = records;
    o.framesPerSecond = fps;
    o.bothCameras = bothCameras;
    o.width = 64, o.height = 48;
    o.resolutionIndex = 2;
    cardPath = dir + "/card.img";
    truth = mkcard::WriteCard(o, cardPath);
    ASSERT_EQ(truth.format, format);
    ASSERT_TRUE(OpenCardReadOnly(v, cardPath));
    ASSERT_GT(v.selection().Count(), 0);
  }
  std::string Time(const Viewer& from, int32_t pos) const {
    return TimeStampText(from.source().TimeOf(from.IndexAtPos(pos)));
  }
  ArchiveSaveResult Save(const std::string& name, std::optional<int> camera = -1) {
    host.cameraAnswer = camera;
    host.saveFileAnswer = dir + "/" + name;
    return ActionSaveFileExecute(v);
  }
  // The saved file opened in another viewer.
  void OpenSaved(const std::string& name) {
    saved.OpenArchive(dir + "/" + name);
    ASSERT_TRUE(saved.source().ArchiveOpen) << saved.noSourceText();
  }
  // Every position of the saved selection is the card's record of the
  // expected position: same time, camera, kind and picture.
  void ExpectSameRecords(const std::vector<int32_t>& positions) {
    ASSERT_EQ(saved.selection().Count(), int32_t(positions.size()));
    for (int32_t k = 0; k < saved.selection().Count(); ++k) {
      const int32_t i = v.IndexAtPos(positions[size_t(k)]), j = saved.IndexAtPos(k);
      EXPECT_EQ(saved.source().TimeOf(j), v.source().TimeOf(i)) << k;
      EXPECT_EQ(saved.source().CameraOf(j), v.source().CameraOf(i)) << k;
      EXPECT_STREQ(saved.source().KindTextOf(j), v.source().KindTextOf(i)) << k;
      const std::vector<uint8_t> picture = PictureOf(saved, j);
      EXPECT_FALSE(picture.empty()) << k;
      EXPECT_EQ(picture, PictureOf(v, i)) << k;
    }
  }

  ScratchFolder scratch{"quovil_archive"};
  const std::string dir = scratch.path();
  std::string cardPath;
  mkcard::Recorded truth;
  RecordingHost host;
  Viewer v{host};
  RecordingHost savedHost;
  Viewer saved{savedHost};
};

TEST_F(ArchiveSave, WholeCardOfEveryFormatAndCamera) {
  for (int format : {0, 1, 2}) {
    SCOPED_TRACE(format);
    v.CloseCard();
    Card(format);
    for (int camera : {-1, 0, 1}) {
      SCOPED_TRACE(camera);
      saved.CloseArchive();  // an open archive is never the target of a save
      const ArchiveSaveResult r = Save("all.kif", camera);
      ASSERT_EQ(r.status, ArchiveSaveStatus::Saved) << r.message;
      EXPECT_EQ(host.messages.back(), "Файл создан успешно!");
      std::vector<int32_t> positions;
      for (int32_t p = 0; p < v.selection().Count(); ++p)
        if (camera < 0 || v.source().CameraOf(v.IndexAtPos(p)) == camera) positions.push_back(p);
      EXPECT_EQ(r.entries, int(positions.size()));
      OpenSaved("all.kif");
      EXPECT_EQ(saved.source().Archive.CardFormat, uint32_t(format));
      EXPECT_EQ(saved.caption(), "KORAX-X CARD VIEWER - " + dir + "/all.kif");
      EXPECT_TRUE(saved.actions().OpenFile);
      EXPECT_FALSE(saved.actions().OpenCARD);
      ExpectSameRecords(positions);
      EXPECT_EQ(saved.fragStart(), Time(saved, 0));
      EXPECT_EQ(saved.fragEnd(), Time(saved, saved.selection().Count() - 1));
    }
  }
}

TEST_F(ArchiveSave, ShortEntriesBecomeLongEntriesWithoutTheManualBit) {
  Card(0, 200);
  ASSERT_EQ(Save("f0.kif").status, ArchiveSaveStatus::Saved);
  OpenSaved("f0.kif");
  bool sawManual = false, sawMarked = false;
  for (int32_t k = 0; k < saved.selection().Count(); ++k) {
    const LongEntry& e = saved.source().LongCatalogue[size_t(saved.IndexAtPos(k))];
    const uint8_t shortFlag = v.source().FlagOf(v.IndexAtPos(k));
    EXPECT_EQ(e.Flag(), shortFlag & 0xFD);
    EXPECT_EQ(e.FrameInterval(), 0);
    EXPECT_EQ(e.InfoSectors(), 0);
    EXPECT_EQ(e.PictureSectors(), (v.source().PictureBytes + 511) / 512);
    sawManual |= (shortFlag & 0x02) != 0;
    sawMarked |= (shortFlag & 0x20) != 0;
  }
  EXPECT_TRUE(sawManual);
  EXPECT_TRUE(sawMarked);
}

TEST_F(ArchiveSave, ReversedMarksSaveTheRangeBetweenThem) {
  Card(1, 20, 1);
  ViewerProbe::FragStart(v) = Time(v, 10);
  ViewerProbe::FragEnd(v) = Time(v, 3);
  ASSERT_EQ(Save("rev.kif").status, ArchiveSaveStatus::Saved);
  OpenSaved("rev.kif");
  ExpectSameRecords({3, 4, 5, 6, 7, 8, 9, 10});
}

TEST_F(ArchiveSave, LaterMarkTakesItsWholeSecond) {
  Card(1, 40, 4);
  ViewerProbe::FragStart(v) = Time(v, 0);
  ViewerProbe::FragEnd(v) = Time(v, 5);  // positions 4..7 share that second
  ASSERT_EQ(Save("sec.kif").status, ArchiveSaveStatus::Saved);
  OpenSaved("sec.kif");
  ExpectSameRecords({0, 1, 2, 3, 4, 5, 6, 7});
}

TEST_F(ArchiveSave, SuggestedNameAndCameraPreset) {
  Card(2, 20);
  ViewerProbe::FragStart(v) = "15.06.2024 12:00:00";
  Save("a.kif", 0);
  Save("b.kif", -1);
  ASSERT_EQ(host.suggestions.size(), 2u);
  EXPECT_EQ(host.suggestions[0], "CAM1_15.06.2024_12_00_00.kif");
  EXPECT_EQ(host.suggestions[1], "CAM_15.06.2024_12_00_00.kif");
  EXPECT_EQ(host.cameraPresets[0], -1);  // both pictures shown
  ViewerProbe::Disp(v).ViewLayout = 5;
  v.SetActiveCamera(1);
  Save("c.kif", 1);
  EXPECT_EQ(host.cameraPresets.back(), 1);
  EXPECT_EQ(SuggestedArchiveName(-1, "a b\"c*d/e:f;g<h=i>j?k\\l|m\x01\xd0"), "CAM_a_b_c_d_e_f_g_h_i_j_k_l_m\x01\xd0");
  EXPECT_EQ(WithKifExtension("dir.x/name"), "dir.x/name.kif");
  EXPECT_EQ(WithKifExtension("trip.avi"), "trip.kif");
}

TEST_F(ArchiveSave, RefusalsShowTheirMessageAndWriteNothing) {
  Card(1, 20, 4, false);  // camera 1 only
  EXPECT_EQ(Save("none.kif", 1).message, "Отмеченный фрагмент не содежит\rданные для выбранной камеры!");
  ViewerProbe::FragEnd(v) = "not a time";
  EXPECT_EQ(Save("none.kif").message, "Не задано начало или конец фрагмента!");
  EXPECT_EQ(host.kinds.back(), MsgKind::Error);
  EXPECT_FALSE(std::filesystem::exists(dir + "/none.kif"));
  v.ActionSelectAllExecute();
  host.cancelCamera = true;
  EXPECT_EQ(Save("none.kif").status, ArchiveSaveStatus::Nothing);
  EXPECT_FALSE(std::filesystem::exists(dir + "/none.kif"));
  host.saveFileAnswer = dir + "/missing/x.kif";
  host.cancelCamera = false;
  host.cameraAnswer = -1;
  EXPECT_EQ(ActionSaveFileExecute(v).message, "Ошибка открытия файла!");
}

TEST_F(ArchiveSave, CancelInTheMiddleLeavesNoFile) {
  Card(2, 40);
  host.cancelAt = 20;
  const ArchiveSaveResult r = Save("cancel.kif");
  EXPECT_EQ(r.status, ArchiveSaveStatus::Cancelled);
  EXPECT_EQ(host.messages.back(), "Сохранение прервано пользователем!");
  EXPECT_EQ(host.kinds.back(), MsgKind::Information);
  EXPECT_FALSE(std::filesystem::exists(dir + "/cancel.kif"));
  EXPECT_TRUE(host.windowEnabled);
  EXPECT_TRUE(host.timerEnabled);
}

TEST_F(ArchiveSave, FailedCardReadIsAReadErrorNotData) {
  Card(1, 40);
  const uint64_t half = uint64_t(truth.dataFirstSector) * 512 + uint64_t(truth.order[20]) * truth.frameStride;
  v.CloseCard();
  ASSERT_TRUE(OpenCardReadOnly(v, cardPath, int64_t(half)));
  const ArchiveSaveResult r = Save("bad.kif");
  EXPECT_EQ(r.status, ArchiveSaveStatus::WriteFailed);
  EXPECT_EQ(host.messages.back(), "Ошибка чтения карты памяти!");
  EXPECT_TRUE(std::filesystem::exists(dir + "/bad.kif"));  // kept as far as written
  EXPECT_TRUE(host.windowEnabled);
}

TEST_F(ArchiveSave, FromAnArchiveRebuildsFirstSector) {
  Card(2, 40);
  ASSERT_EQ(Save("first.kif").status, ArchiveSaveStatus::Saved);
  v.OpenArchive(dir + "/first.kif");
  ASSERT_TRUE(v.source().ArchiveOpen);
  // Camera 2 alone: its records move up over the left-out camera-1 records
  // (whole groups, so every delta frame keeps its key frame).
  ASSERT_EQ(Save("second.kif", 1).status, ArchiveSaveStatus::Saved);
  OpenSaved("second.kif");
  std::vector<int32_t> positions;
  for (int32_t p = 0; p < v.selection().Count(); ++p)
    if (v.source().CameraOf(v.IndexAtPos(p)) == 1) positions.push_back(p);
  ASSERT_EQ(saved.selection().Count(), int32_t(positions.size()));
  uint32_t sector = 0;
  bool moved = false;
  for (int32_t k = 0; k < saved.selection().Count(); ++k) {
    const LongEntry& out = saved.source().LongCatalogue[size_t(k)];
    const LongEntry& in = v.source().LongCatalogue[size_t(v.IndexAtPos(positions[size_t(k)]))];
    EXPECT_EQ(out.FirstSector(), sector);
    EXPECT_EQ(out.RecordSectors(), in.RecordSectors());
    EXPECT_TRUE(std::equal(out.b.begin() + 4, out.b.end(), in.b.begin() + 4));
    moved |= out.FirstSector() != in.FirstSector();
    sector += out.RecordSectors();
  }
  EXPECT_TRUE(moved);
  ExpectSameRecords(positions);
  // The open file itself, under another spelling too, is never written.
  EXPECT_EQ(Save("first.kif").message, "Не могу сохранить в открытый файл!");
  EXPECT_EQ(Save("./first.kif").message, "Не могу сохранить в открытый файл!");
}

TEST_F(ArchiveSave, OpeningFailuresShowInThePictureArea) {
  Card(2, 10);
  v.OpenArchive(dir + "/absent.kif");
  EXPECT_EQ(v.noSourceText(), "Ошибка открытия файла!");
  EXPECT_FALSE(v.source().ArchiveOpen);
  EXPECT_FALSE(v.source().CardOpen);
  EXPECT_EQ(v.caption(), "KORAX-X CARD VIEWER");
  ASSERT_TRUE(WriteBytes(dir + "/short.kif", {40, 0, 3, 'K', 'O', 'R', 'A', 'X'}));
  v.OpenArchive(dir + "/short.kif");
  EXPECT_EQ(v.noSourceText(), "Ошибка чтения файла!");
  EXPECT_FALSE(v.source().ArchiveOpen);
  EXPECT_FALSE(v.source().ArchiveStream);
  EXPECT_EQ(v.selection().Count(), 0);
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(ArchiveSave, Version2FileShowsItsRecords) {
  mkcard::Options o;
  o.format = 1;
  o.records = 12;
  mkcard::Recorded t;
  ASSERT_TRUE(WriteBytes(dir + "/old.kif", mkcard::MakeArchive(o, 2, &t)));
  mkcard::Recorded card;
  ASSERT_TRUE(WriteBytes(dir + "/card.img", mkcard::MakeCard(o, &card)));
  ASSERT_TRUE(OpenCardReadOnly(v, dir + "/card.img"));
  OpenSaved("old.kif");
  EXPECT_EQ(saved.source().Archive.Version, 2);
  ASSERT_EQ(saved.selection().Count(), v.selection().Count());
  std::vector<int32_t> positions;
  for (int32_t p = 0; p < v.selection().Count(); ++p) positions.push_back(p);
  ExpectSameRecords(positions);
}

}  // namespace
