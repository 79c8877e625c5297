// One viewer for the whole fuzzing run (its frame cache is 48 MiB, allocated
// once), and the drive scan that finds the input as the only card.
#pragma once

#include <memory>
#include <string>

#include "platform/block_device.h"
#include "platform/host.h"
#include "viewer/viewer.h"

namespace quovil::fuzz {

class OneCard : public DriveEnumerator {
 public:
  explicit OneCard(std::unique_ptr<BlockDevice> card) : card_(std::move(card)) {}
  std::unique_ptr<BlockDevice> Open(int n) override { return n == 0 ? std::move(card_) : nullptr; }
  int Count() override { return 1; }

 private:
  std::unique_ptr<BlockDevice> card_;
};

inline Viewer& SharedViewer() {
  static SilentHost host;
  static Viewer viewer(host);
  return viewer;
}

// Finds the card the way the card watch timer does (recognition, catalogue,
// selection, first picture). True when the card was taken.
inline bool OpenAsCard(Viewer& v, std::unique_ptr<BlockDevice> card) {
  v.CloseCard();
  v.src.SourceIsCard = true;
  v.drives = std::make_unique<OneCard>(std::move(card));
  v.CheckTimerTimer();
  return v.src.CardOpen;
}

// A file in memory-backed storage: OpenArchive and the journal file reader
// take names.
std::string ScratchFile(const uint8_t* data, size_t size);

}  // namespace quovil::fuzz
