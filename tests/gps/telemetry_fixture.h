// Cards of the synthetic recorder opened as the viewer opens them, with every
// read of the card written down, for the telemetry tests.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "mkcard/mkcard.h"
#include "platform/block_device.h"
#include "platform/host.h"
#include "support/card_source.h"
#include "support/recording_host.h"
#include "viewer/viewer.h"

namespace telemetry_test {

struct ReadLog {
  std::mutex lock;
  std::vector<std::pair<uint64_t, size_t>> reads;  // offset, bytes
  int64_t failAt = -1;  // a read starting at this offset fails
  void Clear() {
    std::lock_guard<std::mutex> g(lock);
    reads.clear();
  }
};

class LoggingDevice : public quovil::BlockDevice {
 public:
  LoggingDevice(std::unique_ptr<quovil::BlockDevice> inner, std::shared_ptr<ReadLog> log)
      : inner_(std::move(inner)), log_(std::move(log)) {}
  bool Read(uint64_t offset, void* buf, std::size_t n) override {
    {
      std::lock_guard<std::mutex> g(log_->lock);
      log_->reads.emplace_back(offset, n);
      if (log_->failAt >= 0 && offset == uint64_t(log_->failAt)) return false;
    }
    return inner_->Read(offset, buf, n);
  }
  bool Write(uint64_t, const void*, std::size_t) override { return false; }
  int64_t Length() override { return inner_->Length(); }
  bool Removable() override { return true; }
  std::string Name() const override { return "logged"; }

 private:
  std::unique_ptr<quovil::BlockDevice> inner_;
  std::shared_ptr<ReadLog> log_;
};

// Progress that counts its steps and can ask to cancel after some of them.
class CountingProgress : public quovil::WorkProgress {
 public:
  void Begin(const std::string&, const std::string&, int m) override { max = m, begun = true; }
  void Step(int pos) override {
    ++steps;
    last = pos;
  }
  bool Cancelled() override { return cancelAfterSteps >= 0 && steps >= cancelAfterSteps; }
  void End() override { ended = true; }
  int max = -1, steps = 0, last = -1, cancelAfterSteps = -1;
  bool begun = false, ended = false;
};

// A card of the recorder in a viewer, its reads logged from the start.
struct OpenCard {
  quovil::test::RecordingHost host;
  quovil::Viewer viewer{host};
  std::shared_ptr<ReadLog> log = std::make_shared<ReadLog>();
  mkcard::Recorded truth;
  bool opened = false;

  explicit OpenCard(const mkcard::Options& o) {
    const std::vector<uint8_t> bytes = mkcard::MakeCard(o, &truth);
    auto shared = std::make_shared<const std::vector<uint8_t>>(bytes);
    opened = quovil::test::OpenCardThroughWatch(
        viewer, std::make_unique<quovil::test::OneDrive>([shared, l = log]() -> std::unique_ptr<quovil::BlockDevice> {
          return std::make_unique<LoggingDevice>(quovil::MemoryDevice(*shared), l);
        }));
    log->Clear();
  }
  const quovil::Source& source() const { return viewer.source(); }
};

// Small format-2 pictures without sound, so that long recordings stay small.
inline mkcard::Options SmallCard(int records, uint32_t seed = 5) {
  mkcard::Options o;
  o.format = 2;
  o.seed = seed;
  o.records = records;
  o.width = 16;
  o.height = 8;
  o.sound = false;
  return o;
}

}  // namespace telemetry_test
