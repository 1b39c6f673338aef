#include "util/WorkerPool.h"

#include <algorithm>
#include <utility>

namespace hl {

int WorkerPool::DefaultSize() {
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

WorkerPool::WorkerPool(int workers) {
  for (int w = 1; w < std::max(1, workers); ++w) threads_.emplace_back([this, w] { Work(w); });
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void WorkerPool::Drain(int worker, std::unique_lock<std::mutex>& lock) {
  while (task_ && next_ < count_) {
    const int index = next_++;
    ++running_;
    const auto* task = task_;
    lock.unlock();
    try {
      (*task)(index, worker);
    } catch (...) {
      lock.lock();
      if (!failure_) failure_ = std::current_exception();
      // The batch is lost: the tasks not yet begun are dropped.
      next_ = count_;
      lock.unlock();
    }
    lock.lock();
    if (--running_ == 0 && next_ >= count_) done_.notify_all();
  }
}

void WorkerPool::Work(int worker) {
  std::unique_lock lock(mutex_);
  unsigned seen = batch_;
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || batch_ != seen; });
    if (stopping_) return;
    seen = batch_;
    Drain(worker, lock);
  }
}

void WorkerPool::Run(int count, const std::function<void(int index, int worker)>& task) {
  if (count <= 0) return;
  std::unique_lock lock(mutex_);
  task_ = &task;
  count_ = count;
  next_ = 0;
  failure_ = nullptr;
  ++batch_;
  wake_.notify_all();
  Drain(0, lock);
  done_.wait(lock, [&] { return next_ >= count_ && running_ == 0; });
  task_ = nullptr;
  if (std::exception_ptr failure = std::exchange(failure_, nullptr))
    std::rethrow_exception(failure);
}

}  // namespace hl
