#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace hl {

// A fixed set of threads that share out the tasks of one batch at a time. The calling thread
// works too, as worker 0, so a pool of one is plain sequential code. Each task learns which
// worker runs it, for work that needs state of its own per thread (a set of image libraries,
// which are not thread-safe).
class WorkerPool {
 public:
  // One worker per core, at least one.
  static int DefaultSize();

  explicit WorkerPool(int workers = DefaultSize());
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;
  ~WorkerPool();

  int Size() const { return static_cast<int>(threads_.size()) + 1; }

  // Runs task(index, worker) for every index 0 .. count - 1 and returns once all are done.
  // The first exception a task throws is thrown here after the others have finished.
  void Run(int count, const std::function<void(int index, int worker)>& task);

 private:
  void Work(int worker);
  // Takes tasks of the current batch until none is left.
  void Drain(int worker, std::unique_lock<std::mutex>& lock);

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  const std::function<void(int, int)>* task_ = nullptr;
  int count_ = 0;
  int next_ = 0;
  int running_ = 0;
  unsigned batch_ = 0;
  bool stopping_ = false;
  std::exception_ptr failure_;
  std::vector<std::thread> threads_;
};

}  // namespace hl
