// A private message bus started by a test, with the stand-in disk service of
// tests/udisks/udisks_standin.py on it: its drives are card images the test
// adds and removes, its answers to the opening of a disk may be refusals.
#pragma once

#include <sys/types.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <memory>
#include <string>

namespace quovil::test {

class StandInDiskService {
 public:
  // Starts the bus and the service; ok() says whether both run. Files of the
  // bus go into folder.
  explicit StandInDiskService(const std::string& folder);
  ~StandInDiskService();
  StandInDiskService(const StandInDiskService&) = delete;
  StandInDiskService& operator=(const StandInDiskService&) = delete;

  bool ok() const { return connection_ != nullptr; }
  const std::string& error() const { return error_; }
  // The bus's address, for DBUS_SYSTEM_BUS_ADDRESS.
  const std::string& address() const { return address_; }
  QDBusConnection& connection() { return *connection_; }

  // The service's test controls; every change is sent as the real service
  // sends it (object added or removed) before the call returns.
  QDBusMessage Control(const QString& method, const QVariantList& args = {});
  // kind: "reader", "fixed" or "optical".
  void AddDrive(const std::string& name, const std::string& image, const char* kind, bool media = true,
                bool partition = false);
  void RemoveDrive(const std::string& name);
  // The D-Bus error names the next openings for reading and writing answer
  // with; empty: opened.
  void Refuse(const QString& reads, const QString& writes);
  // Every opening asked for, as "/dev/sdb r".
  QStringList Opens();

 private:
  pid_t bus_ = -1, service_ = -1;
  std::string address_, error_;
  std::unique_ptr<QDBusConnection> connection_;
};

// Runs the event loop until done() holds, for at most five seconds.
bool WaitForEvents(const std::function<bool()>& done);

}  // namespace quovil::test
