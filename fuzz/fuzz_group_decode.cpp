// Group loading and delta decoding over a card: every record of the first
// groups is shown, forwards and then backwards, so that the slot management
// keeps, drops and reloads groups of damaged catalogues and record areas.
#include "decode/frame_cache.h"
#include "fuzz_viewer.h"
#include "sparse_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quovil;
  Viewer& v = fuzz::SharedViewer();
  if (fuzz::OpenAsCard(v, fuzz::SparseImage(data, size))) {
    const int n = std::min(v.src.AddressableEntries(), 150);
    for (int i = 0; i < n; ++i) AcquireFrame(v.src, v.cache, i);
    for (int i = n - 1; i >= 0; i -= 7) AcquireFrame(v.src, v.cache, i);
    const int shown = std::min(v.SelCount, 40);
    for (int p = 0; p < shown; ++p) v.ShowPosition(p);
    std::vector<uint8_t> sound(kSoundBlockBytes);
    for (int i = 0; i < std::min(n, 8); ++i) ReadSound(v.src, i, sound.data());
  }
  v.CloseCard();
  return 0;
}
