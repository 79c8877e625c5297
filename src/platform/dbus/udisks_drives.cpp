#include "platform/dbus/udisks_drives.h"

#include <fcntl.h>

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusUnixFileDescriptor>

#include <algorithm>

#include "platform/utf8_file.h"

namespace quovil {
using InterfaceMap = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, InterfaceMap>;
}  // namespace quovil

Q_DECLARE_METATYPE(quovil::InterfaceMap)
Q_DECLARE_METATYPE(quovil::ManagedObjects)

namespace quovil {

namespace {

const QString kService = QStringLiteral("org.freedesktop.UDisks2");
const QString kRoot = QStringLiteral("/org/freedesktop/UDisks2");
const QString kBlock = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString kDrive = QStringLiteral("org.freedesktop.UDisks2.Drive");
// The password question may stay open a while: the call waits for it.
constexpr int kOpenTimeoutMs = 300000;

void RegisterTypes() {
  static const bool done = [] {
    qDBusRegisterMetaType<InterfaceMap>();
    qDBusRegisterMetaType<ManagedObjects>();
    return true;
  }();
  (void)done;
}

std::string DeviceNode(const QVariantMap& block) {
  QByteArray node = block.value(QStringLiteral("PreferredDevice")).toByteArray();
  if (node.isEmpty() || node == QByteArray(1, '\0')) node = block.value(QStringLiteral("Device")).toByteArray();
  while (node.endsWith('\0')) node.chop(1);
  return node.toStdString();
}

// A disk worth looking at: the whole disk (no partition, no loop device) of a
// drive with removable media that holds media and is no optical drive.
bool IsCandidate(const InterfaceMap& object, const ManagedObjects& all) {
  if (!object.contains(kBlock) || object.contains(QStringLiteral("org.freedesktop.UDisks2.Partition")) ||
      object.contains(QStringLiteral("org.freedesktop.UDisks2.Loop")))
    return false;
  const QVariantMap& block = object[kBlock];
  const QDBusObjectPath drivePath = qvariant_cast<QDBusObjectPath>(block.value(QStringLiteral("Drive")));
  const auto drive = all.find(drivePath);
  if (drive == all.end() || !drive->contains(kDrive)) return false;
  const QVariantMap& d = (*drive)[kDrive];
  const bool removable = d.value(QStringLiteral("MediaRemovable")).toBool() || d.value(QStringLiteral("Removable")).toBool();
  if (!removable || !d.value(QStringLiteral("MediaAvailable")).toBool() || d.value(QStringLiteral("Optical")).toBool())
    return false;
  // A system disk that calls itself removable is still no card reader.
  if (block.value(QStringLiteral("HintSystem")).toBool() && !d.value(QStringLiteral("Removable")).toBool()) return false;
  return block.value(QStringLiteral("Size")).toULongLong() > 0;
}

int OpenThroughService(const QDBusConnection& bus, const QString& object, const QString& mode, QString* error);

bool IsRefusal(const QString& error) {
  return error.startsWith(QStringLiteral("org.freedesktop.UDisks2.Error.NotAuthorized")) ||
         error == QStringLiteral("org.freedesktop.DBus.Error.AccessDenied");
}

}  // namespace

std::unique_ptr<UDisksDrives> UDisksDrives::Connect(const QDBusConnection& bus) {
  if (!bus.isConnected() || !bus.interface()) return nullptr;
  const QDBusReply<bool> there = bus.interface()->isServiceRegistered(kService);
  // A service that starts on demand is as good as a running one.
  const QDBusReply<QStringList> startable = bus.interface()->call(QStringLiteral("ListActivatableNames"));
  const bool activatable = startable.isValid() && startable.value().contains(kService);
  if (!(there.isValid() && there.value()) && !activatable) return nullptr;
  return std::make_unique<UDisksDrives>(bus);
}

UDisksDrives::UDisksDrives(const QDBusConnection& bus) : bus_(bus) {
  RegisterTypes();
  // A service started again (its owner changes) is listened to afresh.
  auto* watcher = new QDBusServiceWatcher(kService, bus_, QDBusServiceWatcher::WatchForOwnerChange, this);
  connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
          [this](const QString&, const QString&, const QString& owner) { Listen(owner); });
  const QDBusReply<QString> owner = bus_.interface()->serviceOwner(kService);
  Listen(owner.isValid() ? owner.value() : QString());
}

void UDisksDrives::Listen(const QString& owner) {
  // The signals are matched by the service's unique name: a match by its
  // well-known name misses what comes before the bus told us who owns it.
  const QString objectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
  const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
  if (!owner_.isEmpty()) {
    bus_.disconnect(owner_, kRoot, objectManager, QStringLiteral("InterfacesAdded"), this,
                    SLOT(InterfacesAdded(QDBusObjectPath)));
    bus_.disconnect(owner_, kRoot, objectManager, QStringLiteral("InterfacesRemoved"), this,
                    SLOT(InterfacesRemoved(QDBusObjectPath)));
    bus_.disconnect(owner_, QString(), properties, QStringLiteral("PropertiesChanged"), this,
                    SLOT(PropertiesChanged(QString, QVariantMap)));
  }
  owner_ = owner;
  stale_ = true;
  declined_.clear();
  if (owner_.isEmpty()) return;
  bus_.connect(owner_, kRoot, objectManager, QStringLiteral("InterfacesAdded"), this,
               SLOT(InterfacesAdded(QDBusObjectPath)));
  bus_.connect(owner_, kRoot, objectManager, QStringLiteral("InterfacesRemoved"), this,
               SLOT(InterfacesRemoved(QDBusObjectPath)));
  // A card put into a reader that stays plugged in changes its drive's media.
  bus_.connect(owner_, QString(), properties, QStringLiteral("PropertiesChanged"), this,
               SLOT(PropertiesChanged(QString, QVariantMap)));
}

void UDisksDrives::InterfacesAdded(const QDBusObjectPath&) { stale_ = true; }

void UDisksDrives::InterfacesRemoved(const QDBusObjectPath& path) {
  stale_ = true;
  // A card taken out and put in again is asked for again.
  declined_.erase(path.path());
}

void UDisksDrives::PropertiesChanged(const QString& interface, const QVariantMap& changed) {
  stale_ = true;
  if (interface == kDrive && changed.contains(QStringLiteral("MediaAvailable"))) declined_.clear();
}

void UDisksDrives::List() {
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kRoot, QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                                                     QStringLiteral("GetManagedObjects"));
  const QDBusReply<ManagedObjects> reply = bus_.call(call, QDBus::Block, 10000);
  ++listings_;
  candidates_.clear();
  if (!reply.isValid()) return;  // tried again at the next change
  const ManagedObjects all = reply.value();
  for (auto it = all.begin(); it != all.end(); ++it) {
    if (!IsCandidate(it.value(), all)) continue;
    const std::string device = DeviceNode(it.value()[kBlock]);
    if (!device.empty()) candidates_.push_back({it.key().path(), device});
  }
  std::sort(candidates_.begin(), candidates_.end(),
            [](const Candidate& a, const Candidate& b) { return a.device < b.device; });
  // A declined card that was taken out is asked for again when put back.
  for (auto it = declined_.begin(); it != declined_.end();) {
    const bool there = std::any_of(candidates_.begin(), candidates_.end(),
                                   [&](const Candidate& c) { return c.object == *it; });
    it = there ? std::next(it) : declined_.erase(it);
  }
  stale_ = false;
}

int UDisksDrives::Count() {
  // A scan runs only while no card is open (once a second): the list is
  // asked for every time, so no signal missed can hide a card put in.
  List();
  problem_.clear();
  return int(candidates_.size());
}

std::vector<std::string> UDisksDrives::Devices() const {
  std::vector<std::string> out;
  for (const Candidate& c : candidates_) out.push_back(c.device);
  return out;
}

int UDisksDrives::OpenThrough(const QString& object, const QString& mode, QString* error) const {
  return OpenThroughService(bus_, object, mode, error);
}

namespace {

int OpenThroughService(const QDBusConnection& bus, const QString& object, const QString& mode, QString* error) {
  QDBusMessage call = QDBusMessage::createMethodCall(kService, object, kBlock, QStringLiteral("OpenDevice"));
  call << mode << QVariantMap();
  call.setInteractiveAuthorizationAllowed(true);
  const QDBusMessage reply = QDBusConnection(bus).call(call, QDBus::Block, kOpenTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
    if (error) *error = reply.type() == QDBusMessage::ErrorMessage ? reply.errorName() : QStringLiteral("no reply");
    return -1;
  }
  const QDBusUnixFileDescriptor fd = qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().at(0));
  if (!fd.isValid()) return -1;
  // The message's descriptor closes with it: the device keeps a copy of its own.
  return fcntl(fd.fileDescriptor(), F_DUPFD_CLOEXEC, 0);
}

}  // namespace

std::unique_ptr<BlockDevice> UDisksDrives::Open(int n) {
  if (n < 0 || size_t(n) >= candidates_.size()) return nullptr;
  const Candidate c = candidates_[size_t(n)];
  // Declined once: not asked again every second, only once the card is put
  // in again or the user asks for the card.
  if (declined_.count(c.object)) {
    if (problem_.empty()) problem_ = DeclinedText(c.device);
    return nullptr;
  }
  QString error;
  const int fd = OpenThrough(c.object, QStringLiteral("r"), &error);
  if (fd < 0) {
    if (IsRefusal(error)) {
      declined_.insert(c.object);
      if (problem_.empty()) problem_ = DeclinedText(c.device);
    }
    return nullptr;
  }
  // Clearing asks the service again, for writing; the device may outlive this scan.
  auto reopen = [bus = bus_, object = c.object] { return OpenThroughService(bus, object, QStringLiteral("rw"), nullptr); };
  return LinuxDiskFromDescriptor(fd, c.device, true, reopen);
}

std::unique_ptr<DriveEnumerator> DesktopDriveEnumerator() {
  if (GetEnvUtf8("QUOVIL_DRIVES")) return SystemDriveEnumerator();
  if (auto service = UDisksDrives::Connect(QDBusConnection::systemBus())) return service;
  return SystemDriveEnumerator();
}

}  // namespace quovil
