#include "faulty_device.h"

namespace quovil::test {

bool FaultyDevice::Read(uint64_t offset, void* buf, std::size_t n) {
  FaultPlan& p = *plan_;
  ++p.reads;
  if (p.reads == p.vanishAtRead) p.vanished = true;
  if (p.vanished || p.reads == p.failRead) return false;
  if (p.badSectorAt >= 0) {
    const uint64_t bad = uint64_t(p.badSectorAt);
    if (offset < bad + 512 && offset + n > bad) return false;
  }
  if (n > 0 && !(p.badSectors.empty() && p.weakSectors.empty())) {
    const uint64_t first = offset / 512, last = (offset + n - 1) / 512;
    if (p.badSectors.lower_bound(first) != p.badSectors.upper_bound(last)) return false;
    auto weak = p.weakSectors.lower_bound(first);
    if (weak != p.weakSectors.end() && *weak <= last) {
      p.weakSectors.erase(weak);
      return false;
    }
  }
  return inner_->Read(offset, buf, n);
}

bool FaultyDevice::Write(uint64_t offset, const void* buf, std::size_t n) {
  FaultPlan& p = *plan_;
  ++p.writes;
  if (p.vanished || p.writes == p.failWrite) return false;
  return inner_->Write(offset, buf, n);
}

}  // namespace quovil::test
