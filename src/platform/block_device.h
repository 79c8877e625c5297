// Raw access to a card: a device read and written at 64-bit byte offsets.
// Everything above this interface is testable on card image files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quovil {

// Reads at absolute offsets: Read may be called from several threads at once
// (the window and a worker reading the same open source); Present, Length and
// Removable may run beside them. Writes come from one thread only.
class BlockDevice {
 public:
  virtual ~BlockDevice() = default;

  // Reads exactly n bytes at offset; false when fewer could be read.
  virtual bool Read(uint64_t offset, void* buf, std::size_t n) = 0;
  // Writes exactly n bytes at offset; false when refused or incomplete.
  virtual bool Write(uint64_t offset, const void* buf, std::size_t n) = 0;
  // Length in bytes, or -1 when the device does not report it.
  virtual int64_t Length() = 0;
  // Removable media (a card in a reader; image files count as removable).
  virtual bool Removable() = 0;
  // Whether the media is still there (a pulled card, a deleted image file).
  virtual bool Present() { return true; }
  // Path or name the device was opened by.
  virtual std::string Name() const = 0;
  // A card is held read-only where the platform allows it; clearing opens it
  // for writing between these two calls. False when writing is refused (by
  // the device, the system or the user).
  virtual bool BeginWrites() { return true; }
  virtual void EndWrites() {}
};

// Opens a card image file for reading and writing, falling back to read-only
// when writing is refused. Null when the file cannot be opened at all.
std::unique_ptr<BlockDevice> OpenImageFile(const std::string& path);

// Opens a card image (or a device node) the way a card is held: read-only,
// and for writing between BeginWrites and EndWrites, while the path still
// names the same file. Null when the file cannot be read.
std::unique_ptr<BlockDevice> OpenCardImage(const std::string& path);

// Opens any file read-only (archive files, journal files use it too).
std::unique_ptr<BlockDevice> OpenReadOnlyFile(const std::string& path);

// A device held in memory (tests, fuzzing).
std::unique_ptr<BlockDevice> MemoryDevice(std::vector<uint8_t> bytes, bool removable = true);

// The candidates of the drive scan, in scan order.
class DriveEnumerator {
 public:
  virtual ~DriveEnumerator() = default;
  // Opens candidate n (0-based in scan order). Null when it cannot be opened.
  virtual std::unique_ptr<BlockDevice> Open(int n) = 0;
  // Number of candidates, or -1 when the scan runs until the first failed open
  // (Windows: \\.\PHYSICALDRIVE1, 2, ...). Starts a scan.
  virtual int Count() = 0;
  // Why the scan found a card it could not open (empty when it found none
  // such): the picture area says so instead of the missing card.
  virtual std::string Problem() const { return {}; }
  // The user asked for the card again: a device whose opening the user
  // declined is asked for once more.
  virtual void AskAgain() {}
};

// Named card images or device nodes, each held as OpenCardImage holds it,
// standing for cards in a reader.
std::unique_ptr<DriveEnumerator> PathDriveEnumerator(std::vector<std::string> paths);

// The texts of a card that is there but cannot be opened.
std::string NoPermissionText(const std::string& device, const std::string& group);
std::string DeclinedText(const std::string& device);

// The platform's enumerator: the paths of QUOVIL_DRIVES when that variable is
// set (each counts as removable), otherwise the platform's physical drives.
std::unique_ptr<DriveEnumerator> SystemDriveEnumerator();

// Linux: the whole disks of /sys/block worth scanning, in name order, and one
// of them opened read-only by its name there (sda, mmcblk0); clearing opens
// it for writing. Null when it cannot be opened; a removable disk refused for
// want of permission puts the reason into refusal.
std::vector<std::string> LinuxWholeDisks(const std::string& sysBlock = "/sys/block");
std::unique_ptr<BlockDevice> OpenLinuxDisk(const std::string& name, std::string* refusal = nullptr);
// A whole disk opened read-only elsewhere (fd, taken over; the system's disk
// service): reopen gives a descriptor for writing while clearing (-1: refused).
std::unique_ptr<BlockDevice> LinuxDiskFromDescriptor(int fd, const std::string& device, bool removable,
                                                     std::function<int()> reopen);

// Windows: \\.\PHYSICALDRIVEn; null when it cannot be opened.
std::unique_ptr<BlockDevice> OpenPhysicalDrive(int n);
// Windows: any device or file path opened the way a physical drive is (for
// reading and writing, in whole sectors); null when it cannot be opened.
std::unique_ptr<BlockDevice> OpenWindowsDevice(const std::string& path);

}  // namespace quovil
