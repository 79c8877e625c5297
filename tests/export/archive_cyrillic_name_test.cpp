// An archive file named in Cyrillic, as a Russian user names it in the save
// dialog: saved, found under that very name, opened again with the same records.
#include <filesystem>

#include "archive_fixture.h"
#include "card/archive_file.h"
#include "export/archive_save.h"
#include "platform/utf8_file.h"

namespace {

using namespace quovil;
using namespace archive_test;

TEST(ArchiveName, CyrillicNameIsSavedOpenedAndListedAsGiven) {
  const ScratchFolder scratch("quovil_archive");
  const std::string& dir = scratch.path();
  mkcard::Options o;
  o.format = 2;
  o.records = 12;
  o.width = 64, o.height = 48;
  o.resolutionIndex = 2;
  mkcard::WriteCard(o, dir + "/card.img");
  RecordingHost host;
  Viewer v{host};
  ASSERT_TRUE(OpenCardReadOnly(v, dir + "/card.img"));

  const std::string name = dir + "/архив_тест.kif";
  host.cameraAnswer = -1;
  host.saveFileAnswer = name;
  const ArchiveSaveResult r = ActionSaveFileExecute(v);
  ASSERT_EQ(r.status, ArchiveSaveStatus::Saved) << r.message;
  EXPECT_TRUE(std::filesystem::exists(PathFromUtf8(name)));

  RecordingHost savedHost;
  Viewer saved{savedHost};
  saved.OpenArchive(name);
  ASSERT_TRUE(saved.source().ArchiveOpen) << saved.noSourceText();
  EXPECT_EQ(saved.caption(), "KORAX-X CARD VIEWER - " + name);
  ASSERT_EQ(saved.selection().Count(), v.selection().Count());
  for (int32_t k = 0; k < saved.selection().Count(); ++k) {
    EXPECT_EQ(PictureOf(saved, saved.IndexAtPos(k)), PictureOf(v, v.IndexAtPos(k))) << k;
  }
  saved.CloseArchive();
  v.CloseCard();
}

}  // namespace
