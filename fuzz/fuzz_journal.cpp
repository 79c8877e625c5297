// The event journal: from a format-2 card (header at 8 MiB) and from a
// journal file. The first input byte chooses which; the rest is the card
// (sparse) or the file.
#include "fuzz_viewer.h"
#include "card/source.h"
#include "journal/journal_log.h"
#include "sparse_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quovil;
  if (size < 1) return 0;
  const bool fromFile = data[0] & 1;
  ++data;
  --size;
  Journal journal;
  if (fromFile) {
    journal.LoadJournalFile(fuzz::ScratchFile(data, size));
    return 0;
  }
  // The journal reader trusts the card header to have said format 2; it is
  // given that, without the rest of the recognition.
  Source src;
  src.Card = fuzz::SparseImage(data, size);
  src.CardOpen = true;
  src.CardFormat = 2;
  journal.ReadJournalFromCard(src);
  return 0;
}
