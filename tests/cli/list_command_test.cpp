// `quovil-cli list`: the selection of every filter combination on every card
// format, checked against the recorder's own account of the card.
#include <unistd.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "mkcard/mkcard.h"
#include "support/shell.h"

namespace {

struct Filter {
  std::string args;  // command-line filter options
  uint8_t mask;      // kind bits they switch on (formats 0 and 1: marked as 0x20)
  bool format0Only = false;
};

const std::vector<Filter> kFilters = {
    {"", 0x3E},
    {"--kinds none", 0},
    {"--kinds hand", 0x02},
    {"--kinds external", 0x04},
    {"--kinds motion", 0x08},
    {"--kinds timer", 0x10},
    {"--kinds sound", 0x20},
    {"--kinds hand,timer", 0x12},
    {"--kinds none --marked", 0x20, true},
    {"--kinds motion --marked", 0x28, true},
};

#ifdef QUOVIL_CLI
const char* const kCli = QUOVIL_CLI;
#else
const char* const kCli = QUOVIL_BUILD_DIR "/src/cli/quovil-cli";
#endif

nlohmann::json RunList(const std::string& image, const std::string& filters) {
  const std::string cmd = std::string(kCli) + " list '" + image + "' " + filters + " 2>/dev/null";
  return nlohmann::json::parse(quovil::test::Shell(cmd), nullptr, false);
}

uint8_t KindBits(int format, uint8_t flag) {
  if (format != 2) return flag;
  flag &= 0x3C;
  return flag ? flag : 0x02;
}

std::vector<int> Expected(const mkcard::Recorded& t, const std::vector<int>& order, uint8_t mask) {
  std::vector<int> out;
  for (int i : order)
    if (mask == 0 || (KindBits(t.format, t.frames[size_t(i)].flag) & mask)) out.push_back(i);
  return out;
}

void CheckCard(const mkcard::Options& o, bool archiveArea = false) {
  const std::string image = ::testing::TempDir() + "list_card_" + std::to_string(getpid()) + "_" + std::to_string(o.format) + ".img";
  mkcard::Recorded t = mkcard::WriteCard(o, image);
  ASSERT_EQ(t.format, o.format);
  const std::vector<int>& order = archiveArea ? t.archiveOrder : t.order;
  for (const Filter& f : kFilters) {
    if (f.format0Only && o.format != 0) continue;
    SCOPED_TRACE("format " + std::to_string(o.format) + " filters '" + f.args + "'");
    nlohmann::json out = RunList(image, f.args + (archiveArea ? " --archive-area" : ""));
    ASSERT_TRUE(out.is_object()) << "quovil-cli did not answer";
    std::vector<int> got;
    for (const auto& p : out["positions"]) got.push_back(p["index"].get<int>());
    std::vector<int> want = Expected(t, order, f.mask);
    EXPECT_EQ(got, want);
    EXPECT_EQ(out["count"].get<int>(), int(want.size()));
    EXPECT_EQ(out["unfiltered"].get<bool>(), f.mask == 0);
    if (want.empty()) {
      EXPECT_EQ(out["text"], f.mask ? "Нет данных, соответствующих заданному фильтру!" : "Карта памяти пуста!");
    } else {
      const auto& first = out["positions"][0];
      const mkcard::Frame& fr = t.frames[size_t(want[0])];
      EXPECT_EQ(first["camera"].get<int>(), fr.camera + 1);
      EXPECT_EQ(first["flag"].get<int>(), fr.flag);
      EXPECT_EQ(first["time"], quovil::TimeStampText(fr.time));
    }
  }
}

mkcard::Options Card(int format) {
  mkcard::Options o;
  o.format = format;
  o.records = 90;
  return o;
}

TEST(ListCommand, Format0MainAreaWrapped) {
  mkcard::Options o = Card(0);
  o.mainWrapped = true;
  CheckCard(o);
}

TEST(ListCommand, Format0ArchiveArea) {
  mkcard::Options o = Card(0);
  o.archiveRecords = 24;
  CheckCard(o, true);
}

TEST(ListCommand, Format1WrappedRing) {
  mkcard::Options o = Card(1);
  o.ringWrapped = true;
  CheckCard(o);
}

TEST(ListCommand, Format2) { CheckCard(Card(2)); }

TEST(ListCommand, Format2WrappedRing) {
  mkcard::Options o = Card(2);
  o.ringWrapped = true;
  CheckCard(o);
}

TEST(ListCommand, EmptyCardWithoutFilters) {
  mkcard::Options o = Card(2);
  o.records = 0;
  const std::string image = ::testing::TempDir() + "list_empty_" + std::to_string(getpid()) + ".img";
  mkcard::WriteCard(o, image);
  nlohmann::json out = RunList(image, "--kinds none");
  ASSERT_TRUE(out.is_object());
  EXPECT_EQ(out["count"], 0);
  EXPECT_EQ(out["text"], "Карта памяти пуста!");
}

}  // namespace
