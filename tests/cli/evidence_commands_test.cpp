// The evidence commands: `image` copies a card image byte for byte with its
// digests, `verify` checks files against their sidecars, every export gets a
// sidecar sha256sum accepts (none with --no-checksum), an archive records the
// card it came from, and the CSV listings read back as the JSON ones.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli_json.h"
#include "mkcard/mkcard.h"
#include "support/files.h"
#include "support/shell.h"

namespace {

using cli_test::RunCli;
using quovil::test::ReadBytes;
using quovil::test::ReadText;
using quovil::test::Shell;

// RFC 4180: fields split at commas outside quotes, "" inside quotes is one
// quote, records end with CRLF (a line break inside quotes stays).
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += '"', ++i;
      else if (c == '"') quoted = false;
      else field += c;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      row.push_back(field), field.clear();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      row.push_back(field), field.clear();
      rows.push_back(row), row.clear();
      ++i;
    } else {
      field += c;
    }
  }
  EXPECT_TRUE(field.empty() && row.empty()) << "the last record has no CRLF";
  return rows;
}

std::string Sha256sum(const std::string& file) { return Shell("sha256sum '" + file + "' | cut -c1-64").substr(0, 64); }

class Evidence : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = (std::filesystem::temp_directory_path() / "quovil_cli_evidence").string();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    mkcard::Options o;
    o.format = 2;
    o.records = 60;
    o.journal = true;
    card = dir + "/card.img";
    truth = mkcard::WriteCard(o, card);
    ASSERT_EQ(truth.format, 2);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  // sha256sum -c run in the file's folder, as whoever gets the files does.
  int ShaCheck(const std::string& file) {
    int rc = -1;
    const std::filesystem::path p(file);
    Shell("cd '" + p.parent_path().string() + "' && sha256sum -c --quiet '" + p.filename().string() + ".sha256'", &rc);
    return rc;
  }

  std::string dir, card;
  mkcard::Recorded truth;
};

TEST_F(Evidence, ImageOfACardImageIsByteIdenticalWithItsDigests) {
  const std::string image = dir + "/copy.img";
  const auto r = RunCli("image " + card + " " + image);
  ASSERT_EQ(r.rc, 0) << r.out.dump();
  EXPECT_EQ(ReadBytes(image), ReadBytes(card));
  EXPECT_EQ(r.out["bytes"], std::filesystem::file_size(card));
  EXPECT_EQ(r.out["sha256"], Sha256sum(card));
  EXPECT_EQ(r.out["md5"], Shell("md5sum '" + card + "' | cut -c1-32").substr(0, 32));
  EXPECT_EQ(r.out["badRanges"], nlohmann::json::array());
  EXPECT_EQ(ShaCheck(image), 0);
  const auto report = nlohmann::json::parse(ReadText(image + ".json"), nullptr, false);
  EXPECT_EQ(report["sha256"], r.out["sha256"]);
  // The image opens as the card.
  EXPECT_EQ(RunCli("list " + image).out["count"], RunCli("list " + card).out["count"]);

  // Never onto the source, by any name.
  const std::vector<uint8_t> before = ReadBytes(card);
  const auto self = RunCli("image " + card + " " + dir + "/./card.img");
  EXPECT_EQ(self.rc, 1);
  EXPECT_EQ(self.out["error"], "Не могу сохранить в открытый файл!");
  EXPECT_EQ(ReadBytes(card), before);
  EXPECT_EQ(RunCli("image " + dir + "/missing.img " + image).rc, 1);
}

TEST_F(Evidence, EveryExportGetsASidecarAndVerifyChecksThem) {
  const std::string kif = dir + "/part.kif", avi = dir + "/part.avi", bmp = dir + "/shot.bmp",
                    gpx = dir + "/route.gpx", klf = dir + "/journal.klf";
  ASSERT_EQ(RunCli("save-kif " + card + " " + kif).rc, 0);
  ASSERT_EQ(RunCli("export-avi " + card + " " + avi).rc, 0);
  ASSERT_EQ(RunCli("snapshot " + card + " " + bmp + " --index 3").rc, 0);
  ASSERT_EQ(RunCli("gpx " + card + " " + gpx).rc, 0);
  ASSERT_EQ(RunCli("journal " + card + " --save " + klf).rc, 0);
  const std::vector<std::string> files = {kif, avi, bmp, gpx, klf};
  std::string all;
  for (const std::string& f : files) {
    EXPECT_EQ(ShaCheck(f), 0) << f;
    all += " '" + f + "'";
  }
  auto v = RunCli("verify" + all);
  EXPECT_EQ(v.rc, 0) << v.out.dump();
  ASSERT_EQ(v.out["files"].size(), files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(v.out["files"][i]["file"], files[i]);
    EXPECT_EQ(v.out["files"][i]["ok"], true);
  }

  // One byte changed in the BMP, and a file without a sidecar: both reported.
  std::vector<uint8_t> picture = ReadBytes(bmp);
  picture[picture.size() / 2] ^= 1;
  ASSERT_TRUE(quovil::test::WriteBytes(bmp, picture));
  v = RunCli("verify '" + kif + "' '" + bmp + "' '" + card + "'");
  EXPECT_EQ(v.rc, 1);
  EXPECT_EQ(v.out["files"][0]["ok"], true);
  EXPECT_EQ(v.out["files"][1]["ok"], false);
  EXPECT_EQ(v.out["files"][2]["ok"], false);

  // --no-checksum writes none.
  const std::string plain = dir + "/plain.gpx";
  ASSERT_EQ(RunCli("gpx " + card + " " + plain + " --no-checksum").rc, 0);
  EXPECT_TRUE(quovil::test::Exists(plain));
  EXPECT_FALSE(quovil::test::Exists(plain + ".sha256"));
}

TEST_F(Evidence, AnArchiveRecordsTheCardItCameFrom) {
  const std::string kif = dir + "/part.kif";
  ASSERT_EQ(RunCli("save-kif " + card + " " + kif).rc, 0);
  const auto id = nlohmann::json::parse(ReadText(kif + ".card.json"), nullptr, false);
  ASSERT_TRUE(id.is_object());
  const std::vector<uint8_t> bytes = ReadBytes(card);
  // The regions as the recorder laid them out: boot sector, both state-table
  // copies, the catalogue ring in whole sectors.
  auto shaOf = [&](uint64_t offset, uint64_t n) {
    const std::string part = dir + "/region.bin";
    quovil::test::WriteBytes(part, std::vector<uint8_t>(bytes.begin() + int64_t(offset),
                                                       bytes.begin() + int64_t(offset + n)));
    return Sha256sum(part);
  };
  EXPECT_EQ(id["cardBytes"], bytes.size());
  EXPECT_EQ(id["cardFormat"], 2);
  EXPECT_EQ(id["bootSectorSha256"], shaOf(0, 512));
  EXPECT_EQ(id["stateTablesSha256"], shaOf(uint64_t(truth.stateSector) * 512, 1024));
  const uint64_t ring = (uint64_t(truth.ringCapacity) * 16 + 511) / 512 * 512;
  EXPECT_EQ(id["catalogueBytes"], ring);
  EXPECT_EQ(id["catalogueSha256"], shaOf(uint64_t(truth.catalogueSector) * 512, ring));
  // An archive saved from an archive has no card to record.
  ASSERT_EQ(RunCli("save-kif " + kif + " " + dir + "/again.kif").rc, 0);
  EXPECT_FALSE(quovil::test::Exists(dir + "/again.kif.card.json"));
  EXPECT_TRUE(quovil::test::Exists(dir + "/again.kif.sha256"));
}

TEST_F(Evidence, TheCsvListingsReadBackAsTheJsonOnes) {
  for (const std::string filters : {"", " --kinds motion,timer"}) {
    const auto json = RunCli("list " + card + filters).out;
    const auto rows = ParseCsv(Shell(std::string(QUOVIL_CLI) + " list " + card + filters + " --csv"));
    ASSERT_EQ(rows.size(), json["positions"].size() + 1);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"pos", "index", "camera", "kind", "flag", "time", "interval", "sectors"}));
    for (size_t k = 0; k < json["positions"].size(); ++k) {
      const auto& p = json["positions"][k];
      const auto& row = rows[k + 1];
      ASSERT_EQ(row.size(), 8u);
      EXPECT_EQ(row[0], std::to_string(p["pos"].get<int>()));
      EXPECT_EQ(row[1], std::to_string(p["index"].get<int>()));
      EXPECT_EQ(row[2], std::to_string(p["camera"].get<int>()));
      EXPECT_EQ(row[3], p["kind"].get<std::string>());
      EXPECT_EQ(row[4], std::to_string(p["flag"].get<int>()));
      EXPECT_EQ(row[5], p["time"].get<std::string>());
      const mkcard::Frame& f = truth.frames[size_t(p["index"].get<int>())];
      EXPECT_EQ(row[6], std::to_string(f.frameInterval));
      EXPECT_EQ(row[7], std::to_string(f.pictureSectors + f.soundSectors + f.infoSectors));
    }
  }

  const auto journal = RunCli("journal " + card).out;
  const auto rows = ParseCsv(Shell(std::string(QUOVIL_CLI) + " journal " + card + " --csv"));
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0], (std::vector<std::string>{"date", "time", "code", "data", "text"}));
  std::vector<nlohmann::json> shown;
  for (const auto& r : journal["rows"])
    if (!r["date"].get<std::string>().empty()) shown.push_back(r);
  ASSERT_EQ(rows.size(), shown.size() + 1);
  int powerOn = 0;
  for (size_t k = 0; k < shown.size(); ++k) {
    const auto& row = rows[k + 1];
    ASSERT_EQ(row.size(), 5u);
    EXPECT_EQ(" " + row[0], shown[k]["date"].get<std::string>());
    EXPECT_EQ(row[1], shown[k]["time"]);
    EXPECT_EQ(row[4], shown[k]["text"]);
    if (row[4] == "Подача питания") {
      EXPECT_EQ(row[2], "1");
      EXPECT_EQ(row[3], "1");
      ++powerOn;
    }
  }
  int want = 0;
  for (const mkcard::JournalEvent& e : truth.journal) want += e.code == 1 && e.data == 1;
  EXPECT_EQ(powerOn, want);
}

}  // namespace
