// Fault tests: a recorded card image on disk, a viewer finding it behind a
// FaultyDevice, and the checks every fault test ends with (the card image is
// unchanged, the viewer still opens the good card and shows it right).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "faulty_device.h"
#include "mkcard/mkcard.h"
#include "viewer/viewer.h"

namespace faults {

// Records every message box; answers questions Yes.
class RecordingHost : public quovil::SilentHost {
 public:
  quovil::MsgResult ShowMessageBox(const std::string& text, quovil::MsgKind kind, quovil::MsgButtons b) override {
    messages.push_back(text);
    return quovil::SilentHost::ShowMessageBox(text, kind, b);
  }
  std::vector<std::string> messages;
};

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

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

  std::string dir, cardPath;
  std::vector<uint8_t> cardBytes;
  mkcard::Recorded truth;
  RecordingHost host;
  std::unique_ptr<quovil::Viewer> viewer;
  std::shared_ptr<FaultPlan> plan;
};

}  // namespace faults
