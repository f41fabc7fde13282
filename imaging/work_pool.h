// The run's worker threads, for work that splits into independent parts.
// A job of n parts runs part(0) ... part(n - 1), each once, on the pool's
// threads and on the calling thread, which takes parts too; Run returns
// when every part has finished. The threads are started once and kept for
// the run, so no thread is created per job; a pool of one thread starts
// none and runs every part on the caller.
#pragma once

#include <memory>

namespace varnel {

class WorkPool {
 public:
  // `threads` counting the caller; at least 1. Threads that cannot be
  // started leave a smaller pool.
  explicit WorkPool(int threads);
  // Stops and joins the threads; a job must not be running.
  ~WorkPool();
  WorkPool(const WorkPool&) = delete;
  WorkPool& operator=(const WorkPool&) = delete;

  // The pool of the run: as many threads as the machine has logical
  // processors, at most 8. Started at its first use, joined at exit.
  static WorkPool& Shared();

  // Threads in all, counting the caller.
  int Threads() const;

  // Runs part(i) for every i below n and returns when all have finished.
  // One job at a time (a second caller waits); part must not throw.
  template <class Part>
  void Run(int n, Part& part) {
    RunParts(
        n, [](void* p, int i) { (*static_cast<Part*>(p))(i); }, &part);
  }

 private:
  struct State;
  void RunParts(int n, void (*call)(void*, int), void* context);
  std::unique_ptr<State> state_;
};

}  // namespace varnel
