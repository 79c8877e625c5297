// The single-instance endpoint: the first copy of the viewer owns it, a later
// copy hands its command-line argument over through it and ends. On Linux it
// is an abstract local socket named after the user; on Windows a mailslot and
// an auto-reset event.
//
// Messages keep their boundaries and their order: each one travels as a frame
// (u32 little-endian length, then the bytes) and waits in a queue on the
// receiving side until the window takes it.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/types.h>
class QLocalServer;
class QLocalSocket;
class QThread;
#endif

namespace quovil {

// The longest message taken (a file name); longer frames end the connection.
inline constexpr uint32_t kMaxHandOverMessage = 32 * 1024;

// The endpoint's name for this user. QUOVIL_INSTANCE, when set, is appended so
// that separate viewers (tests, demonstrations) do not meet each other.
std::string HandOverName();

// What a later copy sends: " " without an argument; "e" and an empty argument
// as they are; anything else is a file name, made absolute here because the
// running copy resolves names against its own working folder.
std::string HandOverText(int argc, const char* const* argv);

// The frame that carries one message.
std::string EncodeHandOverFrame(const std::string& message);

// Splits the bytes of one connection into messages, in order. A trailing
// incomplete frame is dropped; false when a frame claims more than
// kMaxHandOverMessage bytes (the frames before it are kept).
bool DecodeHandOverFrames(const std::string& bytes, std::vector<std::string>& messages);

#ifndef _WIN32
// Whether the process at the other end of the connected local socket fd runs
// as uid. Anyone on the machine can reach an abstract socket, so messages are
// acted on only when this holds.
bool PeerIsUser(int fd, uid_t uid);
#endif

class HandOverEndpoint {
 public:
  explicit HandOverEndpoint(std::string name);
  ~HandOverEndpoint();
  HandOverEndpoint(const HandOverEndpoint&) = delete;
  HandOverEndpoint& operator=(const HandOverEndpoint&) = delete;

  enum class Role { First, Later, Failed };
  // First: this copy now owns the endpoint. Later: another copy owns it.
  // Failed: neither could be established.
  Role Claim();

  // A later copy's one message; false when it could not be delivered (the
  // caller ends anyway).
  static bool Send(const std::string& name, const std::string& message);

  // ---- the waiting thread ----
  // Called on the owning thread before the waiting thread starts: the
  // endpoint's objects are used from that thread from then on.
#ifndef _WIN32
  void MoveToWaitingThread(QThread* thread);
#endif
  // Blocks until a sender has delivered at least one message (queued for
  // ReadHandOverMessage; empty messages are not queued, but still count as a
  // delivery), or until Stop. False when stopped or broken: the thread ends.
  bool WaitForMessages();
  // Called by the waiting thread as it ends.
  void LeaveWaitingThread();
  // From any thread: makes WaitForMessages return false.
  void Stop();

  // The next message waiting, or the empty text when none waits.
  std::string ReadHandOverMessage();

  const std::string& Name() const { return name_; }

 private:
  void Enqueue(std::string message);
#ifndef _WIN32
  bool AcceptAll();
  bool TakeConnection(QLocalSocket* socket);
  QLocalServer* server_ = nullptr;
  int wake_[2] = {-1, -1};
#else
  bool DrainMailslot();
  void* mailslot_ = nullptr;
  void* event_ = nullptr;
  void* stop_ = nullptr;
#endif
  std::string name_;
  std::mutex queueLock_;
  std::deque<std::string> queue_;
};

}  // namespace quovil
