// What the system says about the device behind a card: its maker's model and
// serial number, for the record that goes with an image of it. Card image
// files and devices the system describes nowhere give empty fields.
#pragma once

#include <string>

namespace quovil {

struct DeviceIdentity {
  std::string device;  // the path or name it was opened by
  std::string vendor;
  std::string model;
  std::string serial;
};

// Linux: the block device's attributes in /sys (SCSI and USB readers:
// vendor, model, serial; SD cards in a built-in reader: the card's own name
// and serial). Elsewhere only the name.
DeviceIdentity DescribeDevice(const std::string& path);

}  // namespace quovil
