// COMM1: the GPS output port over QSerialPort (9600 8N1, no flow control, an
// output buffer of 2048 bytes), or over the viewer's own port pair where the
// name is that pair's.
#pragma once

#include <QSerialPort>

#include "platform/serial_port.h"

namespace quovil {

class SerialPortQt : public SerialPort {
 public:
  static constexpr qint64 kOutputBuffer = 2048;

  void SetPortName(const std::string& name) override;
  std::string PortName() const override { return name_; }
  bool Open() override;
  bool IsOpen() const override { return pairOpen_ || port_.isOpen(); }
  bool Write(const std::string& text) override;
  void Close() override;

 private:
  QSerialPort port_;
  std::string name_;
  bool pairOpen_ = false;
};

}  // namespace quovil
