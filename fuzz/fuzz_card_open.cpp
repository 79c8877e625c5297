// Card recognition from arbitrary card contents: boot sector, state tables,
// catalogue (rings of every format), then the selection and the status bar
// the viewer builds for a card it takes, and the views a user switches to.
#include "fuzz_viewer.h"
#include "sparse_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quovil;
  Viewer& v = fuzz::SharedViewer();
  if (fuzz::OpenAsCard(v, fuzz::SparseImage(data, size))) {
    v.ActionFiltrChange(Viewer::Filter::Arhiv);
    v.ActionSelectAllExecute();
    v.ActionChannel2Execute();
    v.UpdateStatusBar();
  }
  v.CloseCard();
  return 0;
}
