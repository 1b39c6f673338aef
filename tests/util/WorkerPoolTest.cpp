#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "util/WorkerPool.h"

namespace hl {
namespace {

TEST(WorkerPool, RunsEveryTaskOnceAndNamesTheWorkerThatRunsIt) {
  for (int workers : {1, 3}) {
    WorkerPool pool(workers);
    EXPECT_EQ(pool.Size(), workers);
    // Batches after one another reuse the threads; each must see all its tasks done.
    for (int batch = 0; batch < 20; ++batch) {
      std::vector<std::atomic<int>> runs(97);
      std::vector<std::thread::id> byWorker(static_cast<std::size_t>(workers));
      std::atomic<bool> sameWorkerTwoThreads{false};
      std::mutex m;
      pool.Run(97, [&](int i, int w) {
        ASSERT_GE(w, 0);
        ASSERT_LT(w, workers);
        ++runs[static_cast<std::size_t>(i)];
        std::lock_guard lock(m);
        auto& id = byWorker[static_cast<std::size_t>(w)];
        if (id == std::thread::id()) id = std::this_thread::get_id();
        if (id != std::this_thread::get_id()) sameWorkerTwoThreads = true;
      });
      for (const auto& r : runs) ASSERT_EQ(r.load(), 1);
      // A worker's state (its libraries) must never be touched by two threads.
      EXPECT_FALSE(sameWorkerTwoThreads);
      // The caller works as worker 0.
      if (byWorker[0] != std::thread::id()) {
        EXPECT_EQ(byWorker[0], std::this_thread::get_id());
      }
    }
  }
}

TEST(WorkerPool, AFailingTaskFailsTheBatchAndThePoolGoesOn) {
  WorkerPool pool(2);
  std::atomic<int> ran{0};
  EXPECT_THROW(pool.Run(50,
                        [&](int i, int) {
                          ++ran;
                          if (i == 3) throw std::runtime_error("no");
                        }),
               std::runtime_error);
  EXPECT_LE(ran.load(), 50);
  ran = 0;
  pool.Run(10, [&](int, int) { ++ran; });
  EXPECT_EQ(ran.load(), 10);
  pool.Run(0, [&](int, int) { ++ran; });
  EXPECT_EQ(ran.load(), 10);
}

}  // namespace
}  // namespace hl
