// Card recognition from arbitrary card contents: boot sector, format choice,
// state tables and the catalogue of every format (the rings, the wrap scan).
// The selection and pictures over a recognised card are group_decode's part.
#include <array>
#include <string>

#include "card/card_header.h"
#include "card/source.h"
#include "sparse_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quovil;
  static SilentHost host;
  Source src;
  src.Card = fuzz::SparseImage(data, size);
  std::array<uint8_t, 512> sector0;
  if (!src.Card->Read(0, sector0.data(), sector0.size()) || !HasCardMagic(sector0.data())) return 0;
  src.CardOpen = true;
  std::string text;
  ReadCardHeader(src, sector0.data(), host, text);
  return 0;
}
