#include "app/single_instance.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

#include "card/korax.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace quovil {

namespace {

// A sender that connects and then stalls must not hold up later senders long.
constexpr int kConnectionMs = 2000;
constexpr int kSendMs = 2000;
// One connection carries one message; a little slack for a few more.
constexpr size_t kMaxConnectionBytes = 2 * (size_t(kMaxHandOverMessage) + 4);
// Messages nobody has taken yet; more are dropped rather than held without end.
constexpr size_t kMaxQueued = 256;

}  // namespace

std::string HandOverName() {
  std::string name = "KORAX_CARD_VIEWER";
#ifndef _WIN32
  name += "-" + std::to_string(unsigned(geteuid()));
#endif
  if (const char* suffix = std::getenv("QUOVIL_INSTANCE"); suffix && *suffix) {
    name += "-";
    name += suffix;
  }
  return name;
}

std::string HandOverText(int argc, const char* const* argv) {
  if (argc < 2 || argv[1] == nullptr) return " ";
  const std::string arg = argv[1];
  if (arg.empty() || arg == "e" || arg == " ") return arg;
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(arg, ec);
  return ec ? arg : absolute.string();
}

std::string EncodeHandOverFrame(const std::string& message) {
  std::string frame(4, '\0');
  PutU32(reinterpret_cast<uint8_t*>(frame.data()), uint32_t(message.size()));
  frame += message;
  return frame;
}

bool DecodeHandOverFrames(const std::string& bytes, std::vector<std::string>& messages) {
  size_t at = 0;
  while (bytes.size() - at >= 4) {
    const uint32_t length = GetU32(reinterpret_cast<const uint8_t*>(bytes.data() + at));
    if (length > kMaxHandOverMessage) return false;
    if (bytes.size() - at - 4 < length) break;
    messages.emplace_back(bytes, at + 4, length);
    at += 4 + size_t(length);
  }
  return true;
}

HandOverEndpoint::HandOverEndpoint(std::string name) : name_(std::move(name)) {}

std::string HandOverEndpoint::ReadHandOverMessage() {
  std::lock_guard<std::mutex> lock(queueLock_);
  if (queue_.empty()) return {};
  std::string message = std::move(queue_.front());
  queue_.pop_front();
  return message;
}

void HandOverEndpoint::Enqueue(std::string message) {
  std::lock_guard<std::mutex> lock(queueLock_);
  if (queue_.size() < kMaxQueued) queue_.push_back(std::move(message));
}

#ifndef _WIN32

bool PeerIsUser(int fd, uid_t uid) {
  ucred cred{};
  socklen_t length = sizeof cred;
  if (fd < 0 || getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0 || length != sizeof cred) {
    return false;
  }
  return cred.uid == uid;
}

HandOverEndpoint::~HandOverEndpoint() {
  delete server_;
  for (int fd : wake_) {
    if (fd >= 0) close(fd);
  }
}

HandOverEndpoint::Role HandOverEndpoint::Claim() {
  auto server = std::make_unique<QLocalServer>();
  // An abstract name vanishes with its owner, so a crashed viewer leaves
  // nothing behind, and a second listen fails instead of taking the name over.
  server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
  if (!server->listen(QString::fromStdString(name_))) {
    return server->serverError() == QAbstractSocket::AddressInUseError ? Role::Later : Role::Failed;
  }
  if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
    wake_[0] = wake_[1] = -1;
    return Role::Failed;
  }
  server_ = server.release();
  return Role::First;
}

bool HandOverEndpoint::Send(const std::string& name, const std::string& message) {
  if (message.size() > kMaxHandOverMessage) return false;
  QLocalSocket socket;
  socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
  socket.connectToServer(QString::fromStdString(name), QIODevice::WriteOnly);
  if (!socket.waitForConnected(kSendMs)) return false;
  const std::string frame = EncodeHandOverFrame(message);
  if (socket.write(frame.data(), qint64(frame.size())) != qint64(frame.size())) return false;
  while (socket.bytesToWrite() > 0) {
    if (!socket.waitForBytesWritten(kSendMs)) return false;
  }
  socket.disconnectFromServer();
  return true;
}

void HandOverEndpoint::MoveToWaitingThread(QThread* thread) {
  if (server_) server_->moveToThread(thread);
}

void HandOverEndpoint::LeaveWaitingThread() {
  // Back to the main thread, which deletes it.
  QCoreApplication* app = QCoreApplication::instance();
  if (server_) server_->moveToThread(app ? app->thread() : nullptr);
}

void HandOverEndpoint::Stop() {
  if (wake_[1] < 0) return;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = write(wake_[1], &byte, 1);
}

bool HandOverEndpoint::WaitForMessages() {
  if (!server_) return false;
  for (;;) {
    pollfd fds[2] = {{int(server_->socketDescriptor()), POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (fds[1].revents != 0) return false;
    if (fds[0].revents & (POLLERR | POLLNVAL)) return false;
    if ((fds[0].revents & POLLIN) && AcceptAll()) return true;
  }
}

bool HandOverEndpoint::AcceptAll() {
  server_->waitForNewConnection(0);
  bool delivered = false;
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    delivered = TakeConnection(socket) || delivered;
  }
  return delivered;
}

bool HandOverEndpoint::TakeConnection(QLocalSocket* raw) {
  const std::unique_ptr<QLocalSocket> socket(raw);
  if (!PeerIsUser(int(socket->socketDescriptor()), geteuid())) {
    socket->abort();
    return false;
  }
  std::string bytes;
  const auto take = [&] {
    const QByteArray chunk = socket->readAll();
    bytes.append(chunk.constData(), size_t(chunk.size()));
  };
  const QDeadlineTimer deadline(kConnectionMs);
  // A sender writes its frame and closes: read to the end, within bounds.
  for (;;) {
    take();
    if (bytes.size() > kMaxConnectionBytes || socket->state() != QLocalSocket::ConnectedState) break;
    if (deadline.hasExpired() || !socket->waitForReadyRead(int(deadline.remainingTime()))) {
      take();
      break;
    }
  }
  socket->abort();
  std::vector<std::string> messages;
  DecodeHandOverFrames(bytes, messages);
  // An empty message would read as "nothing waits" and hide the ones after it.
  for (std::string& m : messages) {
    if (!m.empty()) Enqueue(std::move(m));
  }
  return !messages.empty();
}

#else  // _WIN32

namespace {

std::string MailslotName(const std::string& name) { return "\\\\.\\mailslot\\" + name + "_MAIL_SLOT1"; }
std::string EventName(const std::string& name) { return name + "_EVENT1"; }

}  // namespace

HandOverEndpoint::~HandOverEndpoint() {
  for (void* h : {mailslot_, event_, stop_}) {
    if (h) CloseHandle(h);
  }
}

HandOverEndpoint::Role HandOverEndpoint::Claim() {
  HANDLE slot = CreateMailslotA(MailslotName(name_).c_str(), kMaxHandOverMessage, MAILSLOT_WAIT_FOREVER, nullptr);
  if (slot == INVALID_HANDLE_VALUE) {
    return GetLastError() == ERROR_ALREADY_EXISTS ? Role::Later : Role::Failed;
  }
  mailslot_ = slot;
  event_ = CreateEventA(nullptr, FALSE, FALSE, EventName(name_).c_str());
  stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  return (event_ && stop_) ? Role::First : Role::Failed;
}

bool HandOverEndpoint::Send(const std::string& name, const std::string& message) {
  if (message.size() > kMaxHandOverMessage) return false;
  HANDLE slot = CreateFileA(MailslotName(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (slot == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(slot, message.data(), DWORD(message.size()), &written, nullptr) != 0;
  if (HANDLE ev = OpenEventA(EVENT_MODIFY_STATE, FALSE, EventName(name).c_str())) {
    SetEvent(ev);
    CloseHandle(ev);
  }
  CloseHandle(slot);
  return ok && written == message.size();
}

void HandOverEndpoint::LeaveWaitingThread() {}

void HandOverEndpoint::Stop() {
  if (stop_) SetEvent(stop_);
}

bool HandOverEndpoint::WaitForMessages() {
  if (!event_ || !stop_) return false;
  const HANDLE handles[2] = {event_, stop_};
  if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0) return false;
  DrainMailslot();
  return true;
}

bool HandOverEndpoint::DrainMailslot() {
  bool any = false;
  for (;;) {
    DWORD next = 0;
    DWORD count = 0;
    if (!GetMailslotInfo(mailslot_, nullptr, &next, &count, nullptr) || next == MAILSLOT_NO_MESSAGE) break;
    std::string message(next, '\0');
    DWORD read = 0;
    if (!ReadFile(mailslot_, message.data(), next, &read, nullptr)) break;
    message.resize(read);
    any = true;
    if (!message.empty()) Enqueue(std::move(message));
  }
  return any;
}

#endif

}  // namespace quovil
