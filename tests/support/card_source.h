// Sources for the viewer, opened the way the program opens them: a card image
// (a file or bytes in memory) as the only drive the card watch finds, or an
// archive file through the opening command.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "faulty_device.h"
#include "platform/block_device.h"

namespace quovil {
class Viewer;
}

namespace quovil::test {

// The drive scan finding one device, made afresh at every scan; a scan that
// gets no device finds no card.
class OneDrive : public DriveEnumerator {
 public:
  using Maker = std::function<std::unique_ptr<BlockDevice>()>;
  explicit OneDrive(Maker make) : make_(std::move(make)) {}
  std::unique_ptr<BlockDevice> Open(int n) override { return n == 0 ? make_() : nullptr; }
  int Count() override { return 1; }

 private:
  Maker make_;
};

// A card image file as the drive; read-only refuses every write.
enum class Access { ReadWrite, ReadOnly };
std::unique_ptr<DriveEnumerator> ImageDrive(const std::string& path, Access access = Access::ReadWrite);
// The image file behind a FaultyDevice; a pulled card is not found again.
std::unique_ptr<DriveEnumerator> FaultyImageDrive(const std::string& path, std::shared_ptr<FaultPlan> plan,
                                                  Access access = Access::ReadWrite);
// A copy of the bytes as the drive, fresh at every scan.
std::unique_ptr<DriveEnumerator> MemoryDrive(std::vector<uint8_t> bytes);
// A copy of the bytes behind a FaultyDevice, fresh at every scan; a pulled
// card is not found again.
std::unique_ptr<DriveEnumerator> FaultyMemoryDrive(std::vector<uint8_t> bytes, std::shared_ptr<FaultPlan> plan);

// Gives the viewer the drives and lets the card watch tick once, in card
// mode (an archive file open is closed by the card-mode command first); true
// when the card was taken.
bool OpenCardThroughWatch(Viewer& v, std::unique_ptr<DriveEnumerator> drives);
bool OpenCardImage(Viewer& v, const std::string& path, Access access = Access::ReadWrite);
bool OpenCardBytes(Viewer& v, std::vector<uint8_t> bytes);
// Opens the archive file through the open-file command; true when it opened.
bool OpenArchiveFile(Viewer& v, const std::string& path);

// The picture the viewer builds for catalogue index i, row by row; empty when
// a read failed.
std::vector<uint8_t> PictureOf(Viewer& v, int index);

}  // namespace quovil::test
