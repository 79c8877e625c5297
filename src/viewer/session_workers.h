// Work that reads the open source on threads of its own (an export, an index
// of the records): each worker gets a stop token, and whoever closes or
// changes the source stops and joins every worker first, so that no read ever
// meets a device or a catalogue that has gone.
#pragma once

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

namespace quovil {

class SessionWorkers {
 public:
  using Work = std::function<void(std::stop_token)>;

  SessionWorkers() = default;
  SessionWorkers(const SessionWorkers&) = delete;
  SessionWorkers& operator=(const SessionWorkers&) = delete;
  ~SessionWorkers() { StopAll(); }

  // Starts work on a thread of its own. Workers that have ended are joined
  // here, so finished threads never pile up.
  void Start(Work work);
  // Asks every worker to stop and waits until each has returned. Called on
  // the thread that owns the source, never from a worker.
  void StopAll();
  // Workers started and not yet joined that are still running.
  int Running() const;

 private:
  struct Worker {
    std::shared_ptr<std::atomic<bool>> done = std::make_shared<std::atomic<bool>>(false);
    std::jthread thread;
  };
  void JoinEnded();  // under lock_

  mutable std::mutex lock_;
  std::list<Worker> workers_;
};

}  // namespace quovil
