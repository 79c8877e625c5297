#include "support/dbus/standin_bus.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnectionInterface>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

extern char** environ;

namespace quovil::test {

namespace {

pid_t Spawn(const std::vector<std::string>& args, int* out) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  int pipeFds[2] = {-1, -1};
  if (pipe(pipeFds) == 0) {
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  }
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  *out = pipeFds[0];
  return pid;
}

void Stop(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

// One line of a child's output, without its end.
std::string ReadLine(int fd) {
  std::string line;
  char c = 0;
  while (read(fd, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

QString ConnectionName() {
  static std::atomic<int> count{0};
  return QStringLiteral("quovil-standin-%1").arg(++count);
}

}  // namespace

bool WaitForEvents(const std::function<bool()>& done) {
  for (int i = 0; i < 1000 && !done(); ++i) {
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return done();
}

StandInDiskService::StandInDiskService(const std::string& folder) {
  const std::string config = folder + "/bus.conf";
  // A socket of its own in /tmp: socket paths are short.
  std::ofstream(config) << "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
                           "<auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\""
                           " eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>";
  int busOut = -1;
  bus_ = Spawn({"/usr/bin/dbus-daemon", "--config-file=" + config, "--nofork", "--nopidfile", "--print-address"},
               &busOut);
  if (bus_ <= 0) {
    error_ = "dbus-daemon did not start";
    return;
  }
  address_ = ReadLine(busOut);
  close(busOut);
  if (address_.empty()) {
    error_ = "no private bus";
    return;
  }
  int out = -1;
  service_ = Spawn({"/usr/bin/python3", std::string(QUOVIL_SOURCE_DIR) + "/tests/udisks/udisks_standin.py", address_},
                   &out);
  const std::string ready = service_ > 0 ? ReadLine(out) : std::string();
  if (out >= 0) close(out);
  if (ready != "ready") {
    error_ = "the stand-in service did not start";
    return;
  }
  const QString name = ConnectionName();
  auto connection = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(QString::fromStdString(address_), name));
  if (!connection->isConnected() || !WaitForEvents([&] {
        return connection->interface()->isServiceRegistered(QStringLiteral("org.freedesktop.UDisks2")).value();
      })) {
    QDBusConnection::disconnectFromBus(name);
    error_ = "the stand-in service is not on the bus";
    return;
  }
  connection_ = std::move(connection);
}

StandInDiskService::~StandInDiskService() {
  if (connection_) {
    const QString name = connection_->name();
    connection_.reset();
    QDBusConnection::disconnectFromBus(name);
  }
  Stop(service_);
  Stop(bus_);
}

QDBusMessage StandInDiskService::Control(const QString& method, const QVariantList& args) {
  QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.UDisks2"),
                                                     QStringLiteral("/org/freedesktop/UDisks2"),
                                                     QStringLiteral("org.quovil.Test"), method);
  call.setArguments(args);
  return connection_->call(call);
}

void StandInDiskService::AddDrive(const std::string& name, const std::string& image, const char* kind, bool media,
                                  bool partition) {
  Control(QStringLiteral("AddDrive"), {QString::fromStdString(name), QString::fromStdString(image),
                                       QString::fromLatin1(kind), media, partition});
  QCoreApplication::processEvents();
}

void StandInDiskService::RemoveDrive(const std::string& name) {
  Control(QStringLiteral("RemoveDrive"), {QString::fromStdString(name)});
  QCoreApplication::processEvents();
}

void StandInDiskService::Refuse(const QString& reads, const QString& writes) {
  Control(QStringLiteral("Refuse"), {reads, writes});
}

QStringList StandInDiskService::Opens() { return Control(QStringLiteral("Opens")).arguments().value(0).toStringList(); }

}  // namespace quovil::test
