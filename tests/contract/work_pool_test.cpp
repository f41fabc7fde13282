// The run's worker threads: every part of every job runs exactly once, the
// parts of a job run at the same time on a pool of several threads, and a
// pool of one thread runs them all on the caller. On both backends.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "imaging/work_pool.h"

namespace {

using varnel::WorkPool;

TEST(WorkPoolTest, RunsEveryPartOnceInEveryJob) {
  for (int threads : {1, 3}) {
    WorkPool pool(threads);
    EXPECT_EQ(pool.Threads(), threads);
    for (int n : {1, 2, 3, 7, 40, 0, 5}) {
      std::vector<std::atomic<int>> runs(static_cast<std::size_t>(n));
      auto part = [&](int i) { ++runs[static_cast<std::size_t>(i)]; };
      pool.Run(n, part);
      for (int i = 0; i < n; ++i)
        EXPECT_EQ(runs[static_cast<std::size_t>(i)], 1) << threads << " threads, part " << i << " of " << n;
    }
  }
}

TEST(WorkPoolTest, PartsRunAtTheSameTimeOnSeveralThreads) {
  WorkPool pool(2);
  // Each part waits until the other has started: only two threads at
  // once get both through.
  std::atomic<int> started{0};
  std::atomic<int> through{0};
  auto part = [&](int) {
    ++started;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (started < 2 && std::chrono::steady_clock::now() < until) std::this_thread::yield();
    if (started == 2) ++through;
  };
  pool.Run(2, part);
  EXPECT_EQ(through, 2);

  WorkPool single(1);
  const auto caller = std::this_thread::get_id();
  int elsewhere = 0;
  auto where = [&](int) { elsewhere += std::this_thread::get_id() != caller; };
  single.Run(4, where);
  EXPECT_EQ(elsewhere, 0);
}

}  // namespace
