// Hand-built sources for the viewer tests: catalogues and state tables in
// memory, a host that counts repaints, and a log of what the viewer asked the
// frame layer for.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/recording_host.h"
#include "viewer/viewer.h"

namespace viewer_test {

inline constexpr int kPictureWidth = 16;
inline constexpr int kPictureHeight = 8;
// The grey level of every pixel of catalogue index i's picture.
inline uint8_t PixelOf(int i) { return uint8_t(10 + i); }

using quovil::test::RecordingHost;

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
  // Grey level of camera cam's picture (PixelOf the index built into it).
  int Shown(int cam) const { return v.CameraBitmap[size_t(cam)].pixels[0]; }
};

}  // namespace viewer_test
