// Hand-built sources for the viewer tests: catalogues and state tables in
// memory, a host that counts repaints, and a log of what the viewer asked the
// frame layer for.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "viewer/viewer.h"

namespace viewer_test {

// Calls of the collaborators the viewer core leans on (see test_doubles.cpp).
struct CallLog {
  std::vector<int> built;        // catalogue indices given to BuildPicture
  std::vector<int> soundRead;    // catalogue indices given to ReadSound
  std::vector<int> failBuild;    // BuildPicture reports a read failure for these
  int stops = 0, plays = 0, gpsResets = 0, statusRefreshes = 0;
};
CallLog& Calls();

class RecordingHost : public quovil::SilentHost {
 public:
  void Repaint(unsigned flags) override {
    repaints.push_back(flags);
    all |= flags;
  }
  std::vector<unsigned> repaints;
  unsigned all = 0;
};

struct Rec {
  int cam = 0;
  uint8_t kind = 0x02;  // kind bits of the flag byte (camera bits are added)
  quovil::TimeStamp t{15, 6, 24, 12, 0, 0};
};

// A time stamp of 15.06.2024 at h:m:s.
inline quovil::TimeStamp At(int h, int m, int s, int day = 15) {
  return {uint8_t(day), 6, 24, uint8_t(h), uint8_t(m), uint8_t(s)};
}

class ViewerTest : public ::testing::Test {
 protected:
  ViewerTest() { Calls() = CallLog{}; }

  RecordingHost host;
  quovil::Viewer v{host};

  // Format 2 card: long entries 0..n-1 in catalogue order.
  void Format2(const std::vector<Rec>& recs);
  // Archive file of the given card format.
  void Archive(int format, const std::vector<Rec>& recs);
  // Format 1 ring of slotCount slots; recs fill the slots in slot order.
  void Format1(const std::vector<Rec>& slots, uint32_t recordCount, uint32_t writeSlot);
  // Format 0: catalogue entries 0..n-1, index table slot s -> slotToIndex[s]
  // (identity where not given), areas from the state-table fields.
  void Format0(const std::vector<Rec>& entries, const std::vector<uint16_t>& slotToIndex, uint16_t mainFirst,
               uint16_t mainCount, uint16_t archiveFirst, uint16_t archiveCount, uint16_t totalSlots);

  // Every kind filter off / on.
  void KindsOff();
  std::vector<int> Indices() const;  // catalogue index of every position
};

}  // namespace viewer_test
