// Work on threads of its own that reads the open source: it is stopped and
// joined before the source is closed, replaced or cleared.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <thread>

#include "support/card_source.h"
#include "support/card_writes.h"
#include "support/files.h"
#include "viewer_fixture.h"

namespace viewer_test {
namespace {

using quovil::SessionWorkers;
using quovil::test::ScratchFolder;

// Waits (a bounded while) until done() holds.
template <class F>
bool WaitFor(F done) {
  for (int i = 0; i < 5000 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return done();
}

class SessionTest : public ViewerTest {
 protected:
  // A worker that reads the source's first sector until it is asked to stop.
  void StartReader() {
    v.StartSessionWorker([this](std::stop_token stop) {
      quovil::BlockDevice* dev = v.source().FrameDevice();
      uint8_t sector[512];
      while (!stop.stop_requested()) {
        if (dev && dev->Read(0, sector, sizeof sector)) ++reads;
        else ++failed;
      }
      stopped = true;
    });
    ASSERT_TRUE(WaitFor([this] { return reads > 50; }));
  }
  bool OpenImage(const std::string& path) {
    if (!quovil::test::WriteBytes(path, Format2Card({{0, 0x04}, {1, 0x04}, {0, 0x04}}))) return false;
    return quovil::test::OpenCardImage(v, path);
  }

  ScratchFolder dir;
  std::atomic<int> reads{0}, failed{0};
  std::atomic<bool> stopped{false};
};

TEST_F(SessionTest, APulledCardStopsItsWorkersBeforeItsDeviceGoes) {
  const std::string path = dir / "card.img";
  ASSERT_TRUE(OpenImage(path));
  StartReader();
  EXPECT_EQ(v.RunningSessionWorkers(), 1);
  // The window's own reads go on beside the worker's.
  for (int k = 0; k < 20; ++k) EXPECT_TRUE(v.CardStillPresent());
  EXPECT_EQ(failed, 0) << "every read the worker made found the device there";
  ASSERT_EQ(std::remove(path.c_str()), 0);
  v.CheckTimerTimer();  // the card watch finds the card gone (reads may fail from here on)
  EXPECT_FALSE(v.source().CardOpen);
  EXPECT_TRUE(stopped);
  EXPECT_EQ(v.RunningSessionWorkers(), 0);
}

TEST_F(SessionTest, OpeningAnotherSourceOrClearingStopsTheWorkersFirst) {
  ASSERT_TRUE(OpenImage(dir / "card.img"));
  StartReader();
  Archive(2, {{0}, {1}});
  EXPECT_TRUE(stopped);
  EXPECT_EQ(failed, 0);

  ASSERT_TRUE(OpenImage(dir / "second.img"));
  stopped = false;
  reads = 0;
  StartReader();
  host.answer = quovil::MsgResult::Yes;
  quovil::test::AllowCardWrites writes;
  ASSERT_TRUE(v.source().SourceIsCard && v.source().CardOpen) << v.noSourceText();
  ASSERT_GT(v.selection().Count(), 0);
  EXPECT_EQ(v.ActionDeleteAllExecute(), quovil::Viewer::ClearResult::Cleared);
  EXPECT_TRUE(stopped);
  EXPECT_EQ(failed, 0);
}

TEST(SessionWorkersTest, EndedWorkersAreJoinedAndAFailingOneEndsAlone) {
  SessionWorkers workers;
  std::atomic<int> ran{0};
  for (int i = 0; i < 3; ++i) workers.Start([&](std::stop_token) { ++ran; });
  workers.Start([](std::stop_token) { throw std::runtime_error("no such sector"); });
  ASSERT_TRUE(WaitFor([&] { return workers.Running() == 0; }));
  EXPECT_EQ(ran, 3);
  // A long one is stopped by its token.
  std::atomic<bool> sawStop{false};
  workers.Start([&](std::stop_token stop) {
    while (!stop.stop_requested()) std::this_thread::yield();
    sawStop = true;
  });
  EXPECT_EQ(workers.Running(), 1);
  workers.StopAll();
  EXPECT_TRUE(sawStop);
  EXPECT_EQ(workers.Running(), 0);
  workers.StopAll();  // nothing left to stop
}

}  // namespace
}  // namespace viewer_test
