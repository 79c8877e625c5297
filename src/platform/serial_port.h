// The port object the GPS output writes to (COMM1).
#pragma once

#include <string>

namespace quovil {

class SerialPort {
 public:
  virtual ~SerialPort() = default;
  virtual void SetPortName(const std::string& name) = 0;
  virtual std::string PortName() const = 0;
  virtual bool Open() = 0;
  virtual bool IsOpen() const = 0;
  // Queues the bytes and returns at once; false when they do not fit.
  virtual bool Write(const std::string& text) = 0;
  virtual void Close() = 0;
};

}  // namespace quovil
