#include "imaging/work_pool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace varnel {

struct WorkPool::State {
  std::mutex runs;  // one job at a time

  std::mutex m;
  std::condition_variable wake, finished;
  bool stop = false;
  std::uint64_t job = 0;  // counts the jobs; a change wakes the workers
  void (*call)(void*, int) = nullptr;
  void* context = nullptr;
  int parts = 0;
  std::atomic<int> next{0};  // the next part to take
  int unfinished = 0;        // parts not finished yet
  int inside = 0;            // workers taking parts of the current job

  std::vector<std::thread> threads;

  // Takes parts of the current job until none is left. The job's fields
  // were set under the lock the caller took before calling this.
  void TakeParts(void (*fn)(void*, int), void* ctx, int n) {
    for (int i = next.fetch_add(1); i < n; i = next.fetch_add(1)) {
      fn(ctx, i);
      std::lock_guard<std::mutex> lock(m);
      if (--unfinished == 0) finished.notify_all();
    }
  }

  void Worker() {
    std::uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(m);
    for (;;) {
      wake.wait(lock, [&] { return stop || job != seen; });
      if (stop) return;
      seen = job;
      const auto fn = call;
      void* const ctx = context;
      const int n = parts;
      ++inside;
      lock.unlock();
      TakeParts(fn, ctx, n);
      lock.lock();
      if (--inside == 0) finished.notify_all();
    }
  }
};

WorkPool::WorkPool(int threads) : state_(std::make_unique<State>()) {
  for (int i = 1; i < threads; ++i) {
    try {
      state_->threads.emplace_back([s = state_.get()] { s->Worker(); });
    } catch (const std::system_error&) {
      break;  // fewer threads, the same results
    }
  }
}

WorkPool::~WorkPool() {
  {
    std::lock_guard<std::mutex> lock(state_->m);
    state_->stop = true;
  }
  state_->wake.notify_all();
  for (std::thread& t : state_->threads) t.join();
}

WorkPool& WorkPool::Shared() {
  static WorkPool pool(static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u)));
  return pool;
}

int WorkPool::Threads() const { return static_cast<int>(state_->threads.size()) + 1; }

void WorkPool::RunParts(int n, void (*call)(void*, int), void* context) {
  if (n <= 0) return;
  State& s = *state_;
  std::lock_guard<std::mutex> run(s.runs);
  if (s.threads.empty() || n == 1) {
    for (int i = 0; i < n; ++i) call(context, i);
    return;
  }
  {
    // A worker that woke late for the last job may still hold its fields.
    std::unique_lock<std::mutex> lock(s.m);
    s.finished.wait(lock, [&] { return s.inside == 0; });
    s.call = call;
    s.context = context;
    s.parts = n;
    s.next = 0;
    s.unfinished = n;
    ++s.job;
  }
  s.wake.notify_all();
  s.TakeParts(call, context, n);
  // Every part finished, and no worker is still looking at this job's
  // fields when the next job sets them.
  std::unique_lock<std::mutex> lock(s.m);
  s.finished.wait(lock, [&] { return s.unfinished == 0 && s.inside == 0; });
}

}  // namespace varnel
