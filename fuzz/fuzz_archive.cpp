// Archive files: the header and catalogue reader over bytes, then the whole
// opening of the viewer (bitmaps, selection) and the pictures of the first
// records, read from the file.
#include <vector>

#include "card/archive_file.h"
#include "fuzz_viewer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quovil;
  {
    auto dev = MemoryDevice(std::vector<uint8_t>(data, data + size));
    ArchiveHeader header;
    std::vector<LongEntry> entries;
    ReadArchive(*dev, header, entries);
  }
  Viewer& v = fuzz::SharedViewer();
  v.OpenArchive(fuzz::ScratchFile(data, size));
  if (v.src.ArchiveOpen) {
    const int shown = std::min(v.SelCount, 40);
    for (int p = 0; p < shown; ++p) v.ShowPosition(p);
  }
  v.CloseArchive();
  return 0;
}
