// A card that goes wrong on cue: the n-th read or write fails, reads of one bad
// sector fail, or the card is pulled out at the n-th read (Present() turns
// false and every later read or write fails). The plan is shared, so a test
// can count and re-arm the faults while the viewer owns the device.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "platform/block_device.h"

namespace quovil::test {

struct FaultPlan {
  // 1-based counts of the operations since the device was opened; -1: never.
  int failRead = -1;
  int failWrite = -1;
  int vanishAtRead = -1;
  // Every read touching the sector that starts at this byte fails; -1: none.
  int64_t badSectorAt = -1;
  // More bad sectors (sector numbers): every read touching one fails. A weak
  // sector fails only the first read that touches it.
  std::set<uint64_t> badSectors;
  std::set<uint64_t> weakSectors;
  int reads = 0;
  int writes = 0;
  bool vanished = false;

  // Fails the n-th read from now on (n >= 1).
  void FailReadIn(int n) { failRead = reads + n; }
  void VanishIn(int n) { vanishAtRead = reads + n; }
  void Disarm() {
    failRead = failWrite = vanishAtRead = -1;
    badSectorAt = -1;
    badSectors.clear();
    weakSectors.clear();
  }
};

class FaultyDevice : public BlockDevice {
 public:
  FaultyDevice(std::unique_ptr<BlockDevice> inner, std::shared_ptr<FaultPlan> plan)
      : inner_(std::move(inner)), plan_(std::move(plan)) {}

  bool Read(uint64_t offset, void* buf, std::size_t n) override;
  bool Write(uint64_t offset, const void* buf, std::size_t n) override;
  int64_t Length() override { return inner_->Length(); }
  bool Removable() override { return inner_->Removable(); }
  bool Present() override { return !plan_->vanished && inner_->Present(); }
  std::string Name() const override { return inner_->Name(); }

 private:
  std::unique_ptr<BlockDevice> inner_;
  std::shared_ptr<FaultPlan> plan_;
};

}  // namespace quovil::test
