#include "faulty_device.h"

namespace faults {

bool FaultyDevice::Read(uint64_t offset, void* buf, std::size_t n) {
  FaultPlan& p = *plan_;
  ++p.reads;
  if (p.reads == p.vanishAtRead) p.vanished = true;
  if (p.vanished || p.reads == p.failRead) return false;
  return inner_->Read(offset, buf, n);
}

bool FaultyDevice::Write(uint64_t offset, const void* buf, std::size_t n) {
  FaultPlan& p = *plan_;
  ++p.writes;
  if (p.vanished || p.writes == p.failWrite) return false;
  return inner_->Write(offset, buf, n);
}

std::unique_ptr<quovil::BlockDevice> FaultyDrive::Open(int n) {
  // A pulled card is not found again by the scan.
  if (n != 0 || plan_->vanished) return nullptr;
  auto inner = quovil::OpenImageFile(path_);
  if (!inner) return nullptr;
  return std::make_unique<FaultyDevice>(std::move(inner), plan_);
}

}  // namespace faults
