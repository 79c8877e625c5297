// The drive scan through the system's disk service (UDisks2 over D-Bus): the
// whole disks of drives with removable media that hold media, opened
// read-only through the service (which asks the user once for the right to),
// and for writing only while the card is cleared. Insertions and removals
// come as the service's signals, so a scan opens nothing that is no card
// reader's disk.
#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/block_device.h"

namespace quovil {

class UDisksDrives : public QObject, public DriveEnumerator {
  Q_OBJECT

 public:
  // The service on bus; null when the bus has no disk service.
  static std::unique_ptr<UDisksDrives> Connect(const QDBusConnection& bus);
  explicit UDisksDrives(const QDBusConnection& bus);

  std::unique_ptr<BlockDevice> Open(int n) override;
  int Count() override;
  std::string Problem() const override { return problem_; }
  void AskAgain() override { declined_.clear(); }

  // The device nodes of the candidates of the last scan, in scan order.
  std::vector<std::string> Devices() const;
  // How often the service was asked for its objects (once per change), and
  // whether a change came since the last time.
  int Listings() const { return listings_; }
  bool ChangePending() const { return stale_; }

 private slots:
  void InterfacesAdded(const QDBusObjectPath& path);
  void InterfacesRemoved(const QDBusObjectPath& path);
  void PropertiesChanged(const QString& interface, const QVariantMap& changed);

 private:
  struct Candidate {
    QString object;      // the block device's object path
    std::string device;  // its node (/dev/sdb)
  };
  void List();
  void Listen(const QString& owner);
  // The block device opened through the service in mode "r" or "rw": a
  // descriptor of our own, or -1 with the service's error name in error.
  int OpenThrough(const QString& object, const QString& mode, QString* error) const;

  QDBusConnection bus_;
  QString owner_;  // the service's unique name on the bus
  bool stale_ = true;
  std::vector<Candidate> candidates_;
  std::set<QString> declined_;  // asked, and the user (or the system) said no
  std::string problem_;
  int listings_ = 0;
};

// The drive scan of the window: the paths of QUOVIL_DRIVES when set, else the
// disk service on the system bus when there is one, else the platform's own
// scan of its whole disks.
std::unique_ptr<DriveEnumerator> DesktopDriveEnumerator();

}  // namespace quovil
