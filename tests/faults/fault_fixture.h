// Fault tests: a recorded card image on disk, a viewer finding it behind a
// FaultyDevice, and the checks every fault test ends with (the card image is
// unchanged, the viewer still opens the good card and shows it right).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mkcard/mkcard.h"
#include "support/card_source.h"
#include "support/card_writes.h"
#include "support/faulty_device.h"
#include "support/files.h"
#include "support/recording_host.h"
#include "viewer/viewer.h"

namespace faults {

using namespace quovil::test;

// A small card of the format with a few groups, both cameras, sound and
// frame information, so that a walk over every read stays quick.
mkcard::Options SmallCard(int format);

class FaultTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the card and keeps its bytes and truth.
  void MakeCard(const mkcard::Options& o);
  // Opens the card the way the card watch does, behind the given fault plan
  // (a fresh one without faults when none is given).
  bool OpenCard(std::shared_ptr<FaultPlan> withPlan = nullptr);
  // The card image is byte for byte what was recorded.
  void ExpectCardUnchanged();
  // The viewer, after whatever happened, takes the card again (without faults)
  // and builds every picture as recorded.
  void ExpectSoundViewer();
  std::vector<uint8_t> PictureOf(int index);

  ScratchFolder scratch{"faults"};
  std::string dir = scratch.path(), cardPath;
  std::vector<uint8_t> cardBytes;
  mkcard::Recorded truth;
  RecordingHost host;
  std::unique_ptr<quovil::Viewer> viewer;
  std::shared_ptr<FaultPlan> plan;
};

}  // namespace faults
