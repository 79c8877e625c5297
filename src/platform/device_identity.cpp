#include "platform/device_identity.h"

#ifdef __linux__
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>
#endif

namespace quovil {

#ifdef __linux__
namespace {

std::string Attribute(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::string text;
  if (!in || !std::getline(in, text)) return {};
  const auto first = text.find_first_not_of(" \t");
  const auto last = text.find_last_not_of(" \t\r");
  return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

}  // namespace
#endif

DeviceIdentity DescribeDevice(const std::string& path) {
  DeviceIdentity id;
  id.device = path;
#ifdef __linux__
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISBLK(st.st_mode)) return id;
  // /sys/dev/block/MAJOR:MINOR leads to the disk (or a partition of it).
  std::error_code ec;
  std::filesystem::path node = std::filesystem::canonical(
      "/sys/dev/block/" + std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev)), ec);
  if (ec) return id;
  if (std::filesystem::exists(node / "partition", ec)) node = node.parent_path();
  const std::filesystem::path dev = node / "device";
  id.vendor = Attribute(dev / "vendor");
  id.model = Attribute(dev / "model");
  if (id.model.empty()) id.model = Attribute(dev / "name");  // an SD card: its product name
  id.serial = Attribute(dev / "serial");
  if (id.serial.empty()) id.serial = Attribute(dev / "wwid");
#endif
  return id;
}

}  // namespace quovil
