// Writes the seed corpora of the fuzz targets from small synthetic cards:
// make_seeds OUTDIR creates OUTDIR/<target>/ for every target.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "card/korax.h"
#include "card/source.h"
#include "journal/journal_log.h"
#include "mkcard/mkcard.h"
#include "platform/block_device.h"
#include "sparse_image.h"

namespace fs = std::filesystem;
using quovil::fuzz::EncodeSparse;

namespace {

void Put(const fs::path& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
}

std::vector<mkcard::Options> SmallCards() {
  std::vector<mkcard::Options> cards;
  auto add = [&](int format, int records, auto tweak) {
    mkcard::Options o;
    o.format = format;
    o.seed = uint32_t(cards.size() + 1);
    o.records = records;
    o.resolutionIndex = 0;
    o.width = 16;
    o.height = 8;
    o.groupLength = 4;
    // Pictures of formats 0 and 1 have fixed, large sizes: few records and
    // no sound keep their seeds small.
    if (format != 2) {
      o.records = std::min(o.records, 3);
      o.sound = false;
    }
    tweak(o);
    cards.push_back(o);
  };
  auto none = [](mkcard::Options&) {};
  add(0, 6, none);
  add(0, 8, [](mkcard::Options& o) { o.mainWrapped = true; o.archiveRecords = 2; });
  add(1, 6, none);
  add(1, 8, [](mkcard::Options& o) { o.ringWrapped = true; o.slotCount = 4; });
  add(1, 4, [](mkcard::Options& o) { o.badFirstCopy = true; });
  add(2, 10, none);
  add(2, 12, [](mkcard::Options& o) { o.ringWrapped = true; o.ringCapacity = 16; });
  add(2, 12, [](mkcard::Options& o) { o.ringWrapped = true; o.scanlessWrap = true; o.ringCapacity = 16; });
  add(2, 8, [](mkcard::Options& o) { o.differentCopies = true; o.tableVersion = 3; });
  add(2, 70, [](mkcard::Options& o) { o.longGroups = true; o.groupLength = 8; o.sound = false; });
  return cards;
}

void CardSeeds(const fs::path& out) {
  int n = 0;
  for (const auto& o : SmallCards()) {
    mkcard::Recorded truth;
    auto sparse = EncodeSparse(mkcard::MakeCard(o, &truth));
    std::string name = "card" + std::to_string(n++);
    Put(out / "card_open", name, sparse);
    Put(out / "group_decode", name, sparse);
    for (const auto& f : truth.frames)
      if (!f.info.empty()) Put(out / "frame_info", name + "_" + std::to_string(&f - truth.frames.data()), f.info);
    for (int version : {2, 3}) {
      auto kif = mkcard::MakeArchive(o, version);
      if (!kif.empty() && kif.size() < (1u << 20)) Put(out / "archive", name + "_v" + std::to_string(version), kif);
    }
  }
}

void DeltaSeeds(const fs::path& out) {
  for (int n : {16, 128, 600}) {
    std::vector<uint8_t> prev(static_cast<size_t>(n)), next(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      prev[size_t(i)] = uint8_t(i * 7);
      next[size_t(i)] = uint8_t(i % 40 < 20 ? i * 7 : i * 3);
    }
    auto stream = mkcard::DeltaEncode(prev.data(), next.data(), n);
    std::vector<uint8_t> seed(2);
    quovil::PutU16(seed.data(), uint16_t(n));
    seed.insert(seed.end(), prev.begin(), prev.end());
    seed.insert(seed.end(), stream.begin(), stream.end());
    Put(out / "delta", "delta" + std::to_string(n), seed);
  }
}

void JournalSeeds(const fs::path& out, const fs::path& scratch) {
  int n = 0;
  for (bool wrapped : {false, true}) {
    mkcard::Options o;
    o.format = 2;
    o.records = 4;
    o.width = 16;
    o.height = 8;
    o.journal = true;
    o.journalWrapped = wrapped;
    o.journalCapacity = 64;
    auto image = mkcard::MakeCard(o);
    auto sparse = EncodeSparse(image);
    sparse.insert(sparse.begin(), 0);  // from the card
    Put(out / "journal", "card" + std::to_string(n), sparse);

    quovil::Source src;
    src.Card = quovil::MemoryDevice(image);
    src.CardOpen = true;
    src.CardFormat = 2;
    quovil::Journal journal;
    journal.ReadJournalFromCard(src);
    fs::path file = scratch / "seed.klf";
    if (journal.SaveJournalFile(file.string())) {
      std::ifstream in(file, std::ios::binary);
      std::vector<uint8_t> bytes{1};  // from a file
      bytes.insert(bytes.end(), std::istreambuf_iterator<char>(in), {});
      Put(out / "journal", "file" + std::to_string(n), bytes);
    }
    ++n;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  fs::path out = argv[1];
  fs::create_directories(out);
  CardSeeds(out);
  DeltaSeeds(out);
  JournalSeeds(out, out);
  fs::remove(out / "seed.klf");
  return 0;
}
