// An image of a whole card (or of a card image): read once from start to end
// in large blocks, hashed on the way (SHA-256 and MD5), written beside the
// target and renamed when complete. Sectors that cannot be read are tried
// once more, then written as zeros and listed. Beside the image: its
// ".sha256", the list of unread sectors (".map") and a report (".json") with
// the device, its size, model and serial, the times, the digests and the
// unread sectors. The card is only read.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/block_device.h"
#include "platform/device_identity.h"
#include "platform/host.h"

namespace quovil {

// Bytes of one read (the last one may be shorter).
inline constexpr std::size_t kImageBlockBytes = std::size_t(4) << 20;

struct SectorRange {
  uint64_t first = 0;  // 512-byte sectors from the start of the card
  uint64_t count = 0;
  bool operator==(const SectorRange&) const = default;
};

struct CardImageResult {
  enum class Status { Done, Cancelled, Refused, Failed };
  Status status = Status::Failed;
  uint64_t bytes = 0;
  std::string sha256, md5;
  std::vector<SectorRange> badRanges;
  std::string started, ended;  // UTC, "2024-06-15T12:00:00Z"
  std::string message;         // why it was refused or failed
};

struct CardImageOptions {
  std::size_t blockBytes = kImageBlockBytes;
};

// The side files of an image.
std::string ImageMapName(const std::string& image);
std::string ImageReportName(const std::string& image);

// Reads src whole into path, reporting the blocks done over 0 .. blocks.
// Refused before anything is written when path names an input of the program
// (the card itself), a folder or a device; cancelled, nothing stays.
CardImageResult WriteCardImage(BlockDevice& src, const std::string& path, const DeviceIdentity& identity,
                               WorkProgress& progress, const CardImageOptions& options = {});

// The text the window shows when the image is complete.
std::string ImageDoneText(const CardImageResult& r);

}  // namespace quovil
