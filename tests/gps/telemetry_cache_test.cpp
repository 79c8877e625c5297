// The telemetry cache: a second opening reads no block, a damaged, cut,
// foreign or outdated file is built anew, and the file is the user's alone.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include "card/source.h"
#include "gps/telemetry_cache.h"
#include "support/files.h"
#include "telemetry_fixture.h"

namespace quovil {
namespace {

namespace fs = std::filesystem;
using telemetry_test::CountingProgress;
using telemetry_test::OpenCard;
using telemetry_test::SmallCard;

struct CacheTest : ::testing::Test {
  test::ScratchFolder folder{"telemetry-cache"};
  std::string dir = folder / "cache";
  OpenCard card{SmallCard(120)};
  CountingProgress progress;

  TelemetryIndex Open(bool* fromCache) {
    card.log->Clear();
    return LoadOrBuildTelemetry(card.source(), dir, progress, {}, fromCache);
  }
  std::string File() const { return dir + "/" + TelemetryCacheFileName(TelemetryCacheKey(card.source())); }
  // Rewrites the file's checksums after a change, so that only the change itself can make it unfit.
  void Reseal(std::vector<uint8_t>& bytes) {
    PutU32Pair(&bytes[40], TelemetryHash64(bytes.data() + kTelemetryHeaderBytes, bytes.size() - kTelemetryHeaderBytes, 0));
    PutU32Pair(&bytes[48], TelemetryHash64(bytes.data(), 48, 0));
  }
  static void PutU32Pair(uint8_t* p, uint64_t v) {
    PutU32(p, uint32_t(v));
    PutU32(p + 4, uint32_t(v >> 32));
  }
  // The file damaged by change, then opened: it must be built anew, and
  // written again whole.
  void ExpectRebuiltAfter(const std::function<void(std::vector<uint8_t>&)>& change) {
    bool cached = true;
    const TelemetryIndex first = Open(&cached);
    std::vector<uint8_t> bytes = test::ReadBytes(File());
    ASSERT_FALSE(bytes.empty());
    change(bytes);
    ASSERT_TRUE(test::WriteBytes(File(), bytes));
    const TelemetryIndex again = Open(&cached);
    EXPECT_FALSE(cached);
    EXPECT_GT(card.log->reads.size(), 0u);
    EXPECT_EQ(again.Seconds(), first.Seconds());
    Open(&cached);
    EXPECT_TRUE(cached);
  }
};

TEST_F(CacheTest, SecondOpeningReadsNoBlock) {
  ASSERT_TRUE(card.opened);
  bool cached = true;
  const TelemetryIndex built = Open(&cached);
  EXPECT_FALSE(cached);
  EXPECT_GT(card.log->reads.size(), 0u);
  ASSERT_TRUE(test::Exists(File()));
  EXPECT_EQ(test::ReadBytes(File()).size(), kTelemetryHeaderBytes + built.Seconds().size() * kTelemetryRowBytes);
  const TelemetryIndex loaded = Open(&cached);
  EXPECT_TRUE(cached);
  EXPECT_TRUE(card.log->reads.empty());
  EXPECT_EQ(loaded.Seconds(), built.Seconds());
  EXPECT_EQ(loaded.CatalogueVersion(), card.source().CatalogueVersion);
  EXPECT_NE(loaded.SecondOfIndex(0), nullptr);
  // Nothing but the finished file is left in the folder.
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir)) files += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 1);
#ifndef _WIN32
  EXPECT_EQ(fs::status(dir).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_EQ(fs::status(File()).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
#endif
}

TEST_F(CacheTest, DamagedFilesAreBuiltAnew) {
  ASSERT_TRUE(card.opened);
  ExpectRebuiltAfter([](std::vector<uint8_t>& b) { b[kTelemetryHeaderBytes + 30] ^= 0x40; });  // a row's value
  ExpectRebuiltAfter([](std::vector<uint8_t>& b) { b.resize(b.size() - 7); });                  // cut short
  ExpectRebuiltAfter([](std::vector<uint8_t>& b) { b.resize(20); });                            // header cut
  ExpectRebuiltAfter([](std::vector<uint8_t>& b) { b.push_back(0); });                          // a byte more
  ExpectRebuiltAfter([](std::vector<uint8_t>& b) { b.clear(); });                               // empty
  ExpectRebuiltAfter([](std::vector<uint8_t>& b) { b[0] = 'X'; });                              // magic
}

TEST_F(CacheTest, OutdatedOrForeignFilesAreBuiltAnew) {
  ASSERT_TRUE(card.opened);
  // Another version of the layout, sealed as a writer of that version would.
  ExpectRebuiltAfter([this](std::vector<uint8_t>& b) {
    PutU32(&b[8], kTelemetryCacheVersion + 1);
    Reseal(b);
  });
  // Rows of another catalogue under this card's key: a second too many.
  ExpectRebuiltAfter([this](std::vector<uint8_t>& b) {
    b.insert(b.end(), b.end() - kTelemetryRowBytes, b.end());
    PutU32Pair(&b[32], (b.size() - kTelemetryHeaderBytes) / kTelemetryRowBytes);
    Reseal(b);
  });
  // A second moved to an entry of another time.
  ExpectRebuiltAfter([this](std::vector<uint8_t>& b) {
    PutU32(&b[kTelemetryHeaderBytes + 4], 0);
    Reseal(b);
  });
  // A block entry outside its second.
  ExpectRebuiltAfter([this](std::vector<uint8_t>& b) {
    PutU32(&b[kTelemetryHeaderBytes + kTelemetryRowBytes + 8], 0);
    Reseal(b);
  });
  // A position no parser gives.
  ExpectRebuiltAfter([this](std::vector<uint8_t>& b) {
    PutU32Pair(&b[kTelemetryHeaderBytes + 24], 0x7FF8000000000000ull);  // NaN latitude
    Reseal(b);
  });
  // A count far beyond the file claims no memory for it.
  ExpectRebuiltAfter([this](std::vector<uint8_t>& b) {
    PutU32Pair(&b[32], uint64_t(1) << 40);
    Reseal(b);
  });
}

TEST_F(CacheTest, KeyFollowsTheCardsBytes) {
  ASSERT_TRUE(card.opened);
  const TelemetryKey key = TelemetryCacheKey(card.source());
  OpenCard same(SmallCard(120));
  EXPECT_EQ(TelemetryCacheKey(same.source()), key);
  OpenCard longer(SmallCard(121));
  EXPECT_NE(TelemetryCacheKey(longer.source()), key);
  OpenCard other(SmallCard(120, 6));
  EXPECT_NE(TelemetryCacheKey(other.source()), key);
  EXPECT_NE(key.lo, key.hi);
  EXPECT_EQ(TelemetryCacheFileName(key).size(), std::string("telemetry-.bin").size() + 32);
}

TEST_F(CacheTest, IncompleteOrFailedBuildsAreNotKept) {
  ASSERT_TRUE(card.opened);
  std::stop_source stop;
  stop.request_stop();
  bool cached = true;
  EXPECT_FALSE(LoadOrBuildTelemetry(card.source(), dir, progress, stop.get_token(), &cached).Complete());
  EXPECT_FALSE(test::Exists(File()));
  // A block that cannot be read: the index is shown, but not kept.
  BuildTelemetryIndex(card.source(), progress);
  ASSERT_GT(card.log->reads.size(), 2u);
  card.log->failAt = int64_t(card.log->reads[1].first);
  const TelemetryIndex index = LoadOrBuildTelemetry(card.source(), dir, progress, {}, &cached);
  EXPECT_EQ(index.ReadFailures(), 1);
  EXPECT_FALSE(cached);
  EXPECT_FALSE(test::Exists(File()));
  card.log->failAt = -1;
  // No folder: nothing is cached, the index is built all the same.
  EXPECT_FALSE(LoadOrBuildTelemetry(card.source(), "", progress, {}, &cached).Empty());
  EXPECT_FALSE(cached);
}

TEST_F(CacheTest, OnlyTheMostRecentCardsAreKept) {
  ASSERT_TRUE(card.opened);
  fs::create_directories(dir);
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(48);
  for (int i = 0; i < 20; ++i) {
    const std::string name = dir + "/" + TelemetryCacheFileName({uint64_t(i + 1), 7});
    ASSERT_TRUE(test::WriteBytes(name, {1, 2, 3}));
    fs::last_write_time(name, old + std::chrono::minutes(i));
  }
  const std::string leftover = dir + "/" + TelemetryCacheFileName({99, 7}) + ".tmp0001";
  ASSERT_TRUE(test::WriteBytes(leftover, {1}));
  fs::last_write_time(leftover, old);
  const std::string unrelated = dir + "/notes.txt";
  ASSERT_TRUE(test::WriteBytes(unrelated, {1}));
  bool cached = true;
  Open(&cached);
  int kept = 0;
  for (const auto& e : fs::directory_iterator(dir)) kept += e.path().extension() == ".bin" ? 1 : 0;
  EXPECT_EQ(kept, 16);
  EXPECT_TRUE(test::Exists(File()));
  EXPECT_TRUE(test::Exists(dir + "/" + TelemetryCacheFileName({20, 7})));  // the newest of the others
  EXPECT_FALSE(test::Exists(dir + "/" + TelemetryCacheFileName({1, 7})));
  EXPECT_FALSE(test::Exists(leftover));
  EXPECT_TRUE(test::Exists(unrelated));
}

#ifndef _WIN32
// The variables as the program finds them, put back afterwards.
class Environment {
 public:
  void Set(const char* name, const char* value) {
    if (!saved_.count(name)) {
      const char* was = std::getenv(name);
      saved_[name] = was ? std::optional<std::string>(was) : std::nullopt;
    }
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~Environment() {
    for (const auto& [name, value] : saved_) {
      if (value) setenv(name.c_str(), value->c_str(), 1);
      else unsetenv(name.c_str());
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST(TelemetryCacheDir, XdgCacheHomeElseHome) {
  Environment env;
  env.Set("XDG_CACHE_HOME", "/var/tmp/c");
  env.Set("HOME", "/home/u");
  EXPECT_EQ(TelemetryCacheDir(), "/var/tmp/c/quovil");
  env.Set("XDG_CACHE_HOME", "relative/c");  // not absolute: not taken
  EXPECT_EQ(TelemetryCacheDir(), "/home/u/.cache/quovil");
  env.Set("XDG_CACHE_HOME", nullptr);
  EXPECT_EQ(TelemetryCacheDir(), "/home/u/.cache/quovil");
  env.Set("HOME", nullptr);
  EXPECT_EQ(TelemetryCacheDir(), "");
}
#endif

}  // namespace
}  // namespace quovil
