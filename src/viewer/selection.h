// The selection: the records of the open source that pass the kind filter, in
// recording order, the current position in it and the active camera. Read by
// everyone; changed only through its commands, which the viewer calls.
#pragma once

#include <cstdint>
#include <vector>

#include "card/source_format.h"

namespace quovil {

struct Source;

class Selection {
 public:
  int32_t Count() const { return count_; }
  // Positions stand for catalogue indices themselves (no list is held).
  bool Unfiltered() const { return unfiltered_; }
  int32_t RangeStart() const { return rangeStart_; }
  // The current position and its catalogue index (-1 before any was shown).
  int32_t Pos() const { return pos_; }
  int32_t Index() const { return index_; }
  int32_t ActiveCamera() const { return camera_; }

  int32_t IndexAtPos(int32_t p) const { return unfiltered_ ? p : list_[size_t(p)]; }
  int32_t PosOfIndex(int32_t i) const;
  int32_t NextPosOfCamera(const Source& src, int32_t p, int cam) const;
  int32_t PrevPosOfCamera(const Source& src, int32_t p, int cam) const;

  // ---- commands ----
  // Walks range r of the source's catalogue, keeping every record whose kind
  // passes mask (every record when mask is 0).
  void Build(const Source& src, const WalkRange& r, KindRule rule, uint8_t mask);
  // No records: the source was closed or left.
  void Drop();
  // A new source: nothing of it was shown yet.
  void ForgetPosition() {
    pos_ = -1;
    index_ = -1;
  }
  void MoveTo(int32_t pos, int32_t index) {
    pos_ = pos;
    index_ = index;
  }
  void SetActiveCamera(int32_t cam) { camera_ = cam; }

 private:
  std::vector<int32_t> list_;
  int32_t count_ = 0;
  bool unfiltered_ = false;
  int32_t rangeStart_ = 0;
  int32_t pos_ = 0;
  int32_t index_ = -1;
  int32_t camera_ = 0;
};

}  // namespace quovil
