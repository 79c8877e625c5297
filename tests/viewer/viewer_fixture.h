// Sources for the viewer tests, built as card images and archive files and
// opened the way the program opens them: a card through the card watch, an
// archive file through the opening command. A host that counts repaints.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/card_images.h"
#include "support/faulty_device.h"
#include "support/files.h"
#include "support/recording_host.h"
#include "viewer/viewer.h"

namespace viewer_test {

// Pictures of format-1 and format-2 cards and of archive files; a format-0
// card records the width of its resolution row and 256 rows.
inline constexpr int kPictureWidth = 16;
inline constexpr int kPictureHeight = 8;
// The grey level of every pixel of catalogue index i's picture.
inline uint8_t PixelOf(int i) { return uint8_t(10 + i); }

using quovil::test::Bytes;
using quovil::test::RecordingHost;

struct Rec {
  int cam = 0;
  uint8_t kind = 0x02;  // kind bits of the flag byte (camera bits are added)
  quovil::TimeStamp t{15, 6, 24, 12, 0, 0};
  // Long entries only: the recorder's frame interval (0: unknown), and an
  // entry pointing beyond the end of the data (its picture cannot be read).
  uint8_t interval = 0;
  bool pastTheEnd = false;
};

// A time stamp of 15.06.2024 at h:m:s.
inline quovil::TimeStamp At(int h, int m, int s, int day = 15) {
  return {uint8_t(day), 6, 24, uint8_t(h), uint8_t(m), uint8_t(s)};
}

// Every source is opened with nothing shown yet for the test: after the
// opening (which shows the first record, marks the whole selection and
// repaints) the display forgets its cameras, the marks are cleared and the
// host's record of repaints and tray calls starts empty. Every record is a
// key frame whose pixels are all PixelOf(its catalogue index).
class ViewerTest : public ::testing::Test {
 protected:
  // Format 2 card: long entries 0..n-1 in catalogue order.
  void Format2(const std::vector<Rec>& recs);
  // Archive file of the given card format.
  void Archive(int format, const std::vector<Rec>& recs);
  // Format 1 ring of slotCount slots; recs fill the slots in slot order.
  // resolution: the row of the resolution table the card names (its edge trim).
  void Format1(const std::vector<Rec>& slots, uint32_t recordCount, uint32_t writeSlot, uint8_t resolution = 0);
  // Format 0: catalogue entries 0..n-1, index table slot s -> slotToIndex[s]
  // (identity where not given), areas from the state-table fields.
  void Format0(const std::vector<Rec>& entries, const std::vector<uint16_t>& slotToIndex, uint16_t mainFirst,
               uint16_t mainCount, uint16_t archiveFirst, uint16_t archiveCount, uint16_t totalSlots);

  // The card images the calls above open.
  static Bytes Format2Card(const std::vector<Rec>& recs);
  static Bytes Format1Card(const std::vector<Rec>& slots, uint32_t recordCount, uint32_t writeSlot,
                           uint8_t resolution = 0);
  static Bytes Format0Card(const std::vector<Rec>& entries, const std::vector<uint16_t>& slotToIndex,
                           uint16_t mainFirst, uint16_t mainCount, uint16_t archiveFirst, uint16_t archiveCount,
                           uint16_t totalSlots);
  // Takes out the card in the reader (if one is open) and puts this image in
  // its place; true when the card watch opened it.
  bool InsertCard(Bytes image);
  // The card is taken out of the reader and the card watch notices.
  void PullCard();

  // Every kind filter off / on.
  void KindsOff();
  std::vector<int> Indices() const;  // catalogue index of every position
  // Grey level of camera cam's picture (PixelOf the index built into it).
  int Shown(int cam) const { return v.bitmaps()[size_t(cam)].pixels[0]; }

 private:
  void StartAfresh();

  // Declared before the viewer: the archive files go after it has closed them.
  std::unique_ptr<quovil::test::ScratchFolder> folder_;
  int archives_ = 0;
  std::shared_ptr<quovil::test::FaultPlan> reader_;  // the card in the reader

 protected:
  RecordingHost host;
  quovil::Viewer v{host};
};

}  // namespace viewer_test
