// Hostile input: outputs named after the input, FIFOs, absurd counts on huge
// sparse images, sound rates no export can pace, damaged journal files. Each
// gets a clear error, never a hang, a crash or a changed card.
#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "card/korax.h"
#include "card/state_tables.h"
#include "export/archive_save.h"
#include "fault_fixture.h"
#include "support/shell.h"

namespace faults {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr const char* kOpenInput = "Не могу сохранить в открытый файл!";
constexpr const char* kFolder = "Не могу сохранить в папку!";

struct CliResult {
  int rc = -1;
  json out;
};

std::string Q(const std::string& s) { return "'" + s + "'"; }

#ifdef QUOVIL_CLI
// The tool under a time limit: a hang shows as a failed run, not a stuck test.
CliResult Cli(const std::string& args) {
  const std::string cmd = "timeout 60 " + std::string(QUOVIL_CLI) + " " + args + " 2>/dev/null";
  CliResult r;
  r.out = json::parse(Shell(cmd, &r.rc), nullptr, false);
  return r;
}
#endif

class Hostile : public FaultTest {
 protected:
  // Rewrites both copies of the format's state table after edit, sealed.
  template <typename Edit>
  void PatchStateTable(int length, Edit edit) {
    auto bytes = ReadBytes(cardPath);
    for (uint64_t copy = 0; copy < 2; ++copy) {
      uint8_t* t = bytes.data() + (uint64_t(truth.stateSector) + copy) * quovil::kSectorSize;
      edit(t);
      quovil::SealRecord(t, size_t(length));
    }
    WriteBytes(cardPath, bytes);
    cardBytes = bytes;
  }
  // Makes the image `bytes` long without writing its new part (sparse).
  void Extend(uint64_t bytes) { fs::resize_file(cardPath, bytes); }
};

#ifdef QUOVIL_CLI

TEST_F(Hostile, NoOutputReplacesTheSourceByAnyName) {
  auto o = SmallCard(2);
  o.journal = true;
  MakeCard(o);
  const std::string hard = dir + "/hard.img", soft = dir + "/soft.img";
  fs::create_hard_link(cardPath, hard);
  fs::create_symlink(cardPath, soft);
  // Names of the card that an extension rule leaves as they are.
  fs::create_symlink(cardPath, dir + "/c.kif");
  fs::create_symlink(cardPath, dir + "/c.avi");
  const std::string c = Q(cardPath);
  for (const std::string& target : {cardPath, hard, soft, dir + "/./card.img", dir + "/../" +
                                        fs::path(dir).filename().string() + "/card.img"}) {
    const std::string t = Q(target);
    for (const std::string& args :
         {"frame " + c + " --index 1 --out " + t, "sound " + c + " --index 1 --out " + t,
          "snapshot " + c + " " + t + " --index 1", "gpx " + c + " " + t, "track " + c + " " + t,
          "journal " + c + " --save " + t}) {
      const CliResult r = Cli(args);
      EXPECT_NE(r.rc, 0) << args;
      EXPECT_EQ(r.out["error"], kOpenInput) << args;
    }
  }
  for (const std::string& args : {"save-kif " + Q(dir + "/c.kif") + " " + Q(dir + "/c.kif"),
                                  "export-avi " + Q(dir + "/c.avi") + " " + Q(dir + "/c.avi"),
                                  "save-kif " + c + " " + Q(dir + "/c.kif"), "export-avi " + c + " " + Q(dir + "/c.avi")}) {
    const CliResult r = Cli(args);
    EXPECT_NE(r.rc, 0) << args;
    EXPECT_EQ(r.out["error"], kOpenInput) << args;
  }
  ExpectCardUnchanged();
  EXPECT_TRUE(fs::is_symlink(dir + "/c.avi"));
}

TEST_F(Hostile, AFolderIsNoTarget) {
  MakeCard(SmallCard(2));
  const std::string out = dir + "/out";
  fs::create_directories(out);
  const std::string c = Q(cardPath);
  for (const std::string& target : {out, out + "/"}) {
    for (const std::string& args : {"save-kif " + c + " " + Q(target), "export-avi " + c + " " + Q(target),
                                    "frame " + c + " --index 1 --out " + Q(target)}) {
      const CliResult r = Cli(args);
      EXPECT_NE(r.rc, 0) << args;
      EXPECT_EQ(r.out["error"], kFolder) << args;
    }
  }
  EXPECT_TRUE(fs::is_empty(out));
  EXPECT_FALSE(fs::exists(out + ".kif"));
}

TEST_F(Hostile, AFifoIsRefusedAtOnce) {
  const std::string fifo = dir + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string cmd : {"info", "list", "journal", "frame-info"}) {
    const std::string args = cmd + " " + Q(fifo) + (cmd == "frame-info" ? " --index 0" : "");
    const CliResult r = Cli(args);
    EXPECT_EQ(r.rc, 1) << args;  // not 124: the time limit never struck
    // The journal window has its own words for a file it cannot open.
    EXPECT_EQ(r.out["error"], cmd == "journal" ? std::string("Ошибка открытия файла!")
                                               : "cannot open " + fifo + ": not a regular file or block device")
        << args;
  }
  // The window's way in (its file argument, a hand-over, the open dialog).
  viewer->OpenArchive(fifo);
  EXPECT_FALSE(viewer->source().ArchiveOpen);
  EXPECT_EQ(viewer->noSourceText(), "Ошибка открытия файла!");
}

TEST_F(Hostile, AMissingFileIsNoCardProblem) {
  const CliResult r = Cli("info " + Q(dir + "/none.img"));
  EXPECT_NE(r.rc, 0);
  EXPECT_EQ(r.out["error"], "cannot open " + dir + "/none.img: No such file or directory");
}

// Counts only a huge image could hold are refused before anything is
// allocated for them, as a damaged header.
TEST_F(Hostile, HugeCataloguesOnSparseImagesAreBadHeaders) {
  MakeCard(SmallCard(2));
  PatchStateTable(quovil::state2::kLength, [](uint8_t* t) {
    quovil::state2::RingCapacity.Set(t, 0xFFFFFFFFu);
    quovil::state2::RingHead.Set(t, 0x80000000u);
    quovil::state2::RingWrapped.Set(t, 0);
  });
  Extend(uint64_t(80) << 30);
  CliResult r = Cli("info " + Q(cardPath));
  EXPECT_NE(r.rc, 0);
  EXPECT_EQ(r.out["error"], "Испорчен заголовок карты памяти!");
  EXPECT_FALSE(OpenCard());
  EXPECT_EQ(viewer->noSourceText(), "Испорчен заголовок карты памяти!");

  MakeCard(SmallCard(1));
  PatchStateTable(quovil::state1::kLength, [](uint8_t* t) { quovil::state1::SlotCount.Set(t, 0xFFFFFFF0u); });
  Extend(uint64_t(40) << 30);
  r = Cli("list " + Q(cardPath));
  EXPECT_NE(r.rc, 0);
  EXPECT_EQ(r.out["error"], "Испорчен заголовок карты памяти!");
  // The recorded part is as it was (the rest of the image was never written).
  std::vector<uint8_t> head(cardBytes.size());
  FILE* f = std::fopen(cardPath.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(std::fread(head.data(), 1, head.size(), f), head.size());
  std::fclose(f);
  EXPECT_TRUE(head == cardBytes);
  EXPECT_EQ(fs::file_size(cardPath), uint64_t(40) << 30);
  fs::remove(cardPath);  // before the fixture reads the card back whole
}

TEST_F(Hostile, SoundRatesNoExportCanPaceAreRefusedBeforeAnyFile) {
  for (int rate : {0, 1, 4, 9, 999}) {
    auto o = SmallCard(2);
    o.sampleRate = rate;
    MakeCard(o);
    const std::string avi = dir + "/slow.avi";
    const CliResult r = Cli("export-avi " + Q(cardPath) + " " + Q(avi));
    EXPECT_NE(r.rc, 0) << rate;
    EXPECT_EQ(r.out["error"], "Частота звука " + std::to_string(rate) + " Гц слишком мала для записи AVI файла!")
        << rate;
    EXPECT_FALSE(fs::exists(avi)) << rate;
  }
}

TEST_F(Hostile, PicturesTooLargeForAnArchiveAreRefusedBeforeTheFile) {
  // 512 x 256 grey, the largest picture a card may have, needs 256 sectors:
  // one more than an archive entry can say.
  MakeCard(SmallCard(1));
  PatchStateTable(quovil::state1::kLength, [](uint8_t* t) {
    quovil::state1::Width.Set(t, 512);
    quovil::state1::Height.Set(t, 256);
  });
  ASSERT_EQ(Cli("info " + Q(cardPath)).out["pictureBytes"], 512 * 256);
  const std::string kif = dir + "/big.kif";
  const CliResult r = Cli("save-kif " + Q(cardPath) + " " + Q(kif));
  EXPECT_NE(r.rc, 0);
  EXPECT_EQ(r.out["error"], "Записи этого источника слишком велики для архивного файла!");
  EXPECT_FALSE(fs::exists(kif));
}

TEST_F(Hostile, ADamagedJournalFileIsAJournalFile) {
  auto o = SmallCard(2);
  o.journal = true;
  MakeCard(o);
  const std::string good = dir + "/good.klf";
  ASSERT_EQ(Cli("journal " + Q(cardPath) + " --save " + Q(good)).rc, 0);
  auto bytes = ReadBytes(good);
  auto badLength = bytes, badSum = bytes, badVersion = bytes;
  badLength[0] = 80;
  badSum[40] ^= 0x5A;
  badVersion[2] = 7;
  quovil::SealRecord(badVersion.data(), 84);
  WriteBytes(dir + "/badlen.klf", badLength);
  WriteBytes(dir + "/badsum.klf", badSum);
  WriteBytes(dir + "/badver.klf", badVersion);
  EXPECT_EQ(Cli("journal " + Q(dir + "/badlen.klf")).out["error"], "Journal error");
  EXPECT_EQ(Cli("journal " + Q(dir + "/badsum.klf")).out["error"], "Journal error");
  EXPECT_EQ(Cli("journal " + Q(dir + "/badver.klf")).out["error"], "Invalid version");
  // A card and an archive are still read as such.
  EXPECT_EQ(Cli("journal " + Q(cardPath)).rc, 0);
  ASSERT_EQ(Cli("save-kif " + Q(cardPath) + " " + Q(dir + "/a.kif")).rc, 0);
  EXPECT_EQ(Cli("journal " + Q(dir + "/a.kif")).out["error"], "NO CARD MODE");
}

TEST_F(Hostile, AJournalSaveOntoAFullDiskSaysItCouldNotWrite) {
  auto o = SmallCard(2);
  o.journal = true;
  MakeCard(o);
  const std::string klf = dir + "/j.klf";
  // ulimit counts kibibytes; the journal file is larger than one.
  const std::string cmd = "trap '' XFSZ; ulimit -f 1; " + std::string(QUOVIL_CLI) + " journal " + Q(cardPath) +
                          " --save " + Q(klf) + " 2>/dev/null";
  EXPECT_EQ(json::parse(Shell(cmd), nullptr, false)["error"], "Ошибка записи файла!");
  EXPECT_FALSE(fs::exists(klf));
}

#endif  // QUOVIL_CLI

// The window's save dialog: the open card or archive chosen as the target.
TEST_F(Hostile, TheWindowsSavesRefuseTheOpenSource) {
  MakeCard(SmallCard(2));
  ASSERT_TRUE(OpenCard());
  viewer->ActionSelectAllExecute();
  host.messages.clear();
  // The dialog's name gets the archive's extension: a link of that name.
  fs::create_symlink(cardPath, dir + "/card.kif");
  host.saveFileAnswer = dir + "/card.kif";
  quovil::ArchiveSaveResult r = quovil::ActionSaveFileExecute(*viewer);
  EXPECT_EQ(r.status, quovil::ArchiveSaveStatus::Refused);
  EXPECT_EQ(host.messages, std::vector<std::string>{kOpenInput});
  ExpectCardUnchanged();

  host.saveFileAnswer = dir + "/trip.kif";
  ASSERT_EQ(quovil::ActionSaveFileExecute(*viewer).status, quovil::ArchiveSaveStatus::Saved);
  viewer->OpenArchive(dir + "/trip.kif");
  ASSERT_TRUE(viewer->source().ArchiveOpen);
  viewer->ActionSelectAllExecute();
  const auto kif = ReadBytes(dir + "/trip.kif");
  host.messages.clear();
  fs::create_hard_link(dir + "/trip.kif", dir + "/same.kif");
  host.saveFileAnswer = dir + "/same.kif";
  EXPECT_EQ(quovil::ActionSaveFileExecute(*viewer).status, quovil::ArchiveSaveStatus::Refused);
  EXPECT_EQ(host.messages, std::vector<std::string>{kOpenInput});
  EXPECT_TRUE(ReadBytes(dir + "/trip.kif") == kif);
}

}  // namespace
}  // namespace faults
#endif  // _WIN32
