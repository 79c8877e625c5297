#include "gps/serial_port_qt.h"

#ifndef _WIN32
#include "gps/virtual_pair.h"
#endif

namespace quovil {

namespace {

// "\\.\NAME" names a device by its bare name.
std::string BareName(const std::string& name) {
  return name.rfind("\\\\.\\", 0) == 0 ? name.substr(4) : name;
}

}  // namespace

void SerialPortQt::SetPortName(const std::string& name) {
  if (name == name_) return;
  const bool reopen = IsOpen();
  if (reopen) Close();
  name_ = name;
  if (reopen) Open();
}

bool SerialPortQt::Open() {
  if (IsOpen()) return true;
#ifdef _WIN32
  port_.setPortName(QString::fromStdString(name_));
#else
  const std::string bare = BareName(name_);
  VirtualPair& pair = VirtualPair::Instance();
  if (pair.Exists() && bare == pair.ViewerName()) {
    pairOpen_ = true;
    return true;
  }
  // A real port: a path, or a name under /dev.
  port_.setPortName(QString::fromStdString(bare[0] == '/' ? bare : "/dev/" + bare));
#endif
  port_.setBaudRate(QSerialPort::Baud9600);
  port_.setDataBits(QSerialPort::Data8);
  port_.setParity(QSerialPort::NoParity);
  port_.setStopBits(QSerialPort::OneStop);
  port_.setFlowControl(QSerialPort::NoFlowControl);
  return port_.open(QIODevice::WriteOnly);
}

bool SerialPortQt::Write(const std::string& text) {
  if (text.empty()) return true;
#ifndef _WIN32
  if (pairOpen_) return VirtualPair::Instance().Write(text);
#endif
  if (!port_.isOpen() || port_.bytesToWrite() + qint64(text.size()) > kOutputBuffer) return false;
  return port_.write(text.data(), qint64(text.size())) == qint64(text.size());
}

void SerialPortQt::Close() {
  pairOpen_ = false;
  if (port_.isOpen()) port_.close();
}

}  // namespace quovil
