#include "viewer/session_workers.h"

#include <atomic>

namespace quovil {

void SessionWorkers::Start(Work work) {
  std::lock_guard<std::mutex> guard(lock_);
  JoinEnded();
  Worker& w = workers_.emplace_back();
  w.thread = std::jthread([work = std::move(work), done = w.done](std::stop_token stop) {
    // A worker's failure must not end the program: it simply ends its work.
    try {
      work(stop);
    } catch (...) {
    }
    done->store(true);
  });
}

void SessionWorkers::StopAll() {
  std::list<Worker> stopping;
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopping.swap(workers_);
  }
  for (Worker& w : stopping) w.thread.request_stop();
  for (Worker& w : stopping)
    if (w.thread.joinable()) w.thread.join();
}

int SessionWorkers::Running() const {
  std::lock_guard<std::mutex> guard(lock_);
  int n = 0;
  for (const Worker& w : workers_) n += w.done->load() ? 0 : 1;
  return n;
}

void SessionWorkers::JoinEnded() {
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (it->done->load()) {
      it->thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace quovil
