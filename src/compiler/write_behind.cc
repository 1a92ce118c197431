#include "compiler/write_behind.h"

#include <system_error>

namespace qvmin {

WriteBehind::WriteBehind(const Platform& platform, int fd, std::size_t capacity)
    : platform_(platform), fd_(fd), capacity_(capacity) {}

WriteBehind::~WriteBehind() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ending_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

bool WriteBehind::write(const char8_t* bytes, std::size_t size) {
  const std::ptrdiff_t accepted = platform_.write(fd_, reinterpret_cast<const char*>(bytes), size);
  return accepted >= 0 && static_cast<std::size_t>(accepted) == size;
}

bool WriteBehind::take(OutputBytes& data, std::size_t size) {
  if (!startTried_) {
    startTried_ = true;
    try {
      thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
      // No thread to be had: every buffer is written in step.
    }
  }
  if (!thread_.joinable()) {
    if (!failed_ && !write(data.get(), size)) failed_ = true;
    return !failed_;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  if (failed_) return false;
  // The queue is full only while every other buffer waits in it.
  changed_.wait(lock, [this] { return waiting_ < kSlots; });
  queue_[(head_ + waiting_) % kSlots] = Queued{std::move(data), size};
  ++waiting_;
  changed_.notify_all();
  if (freeCount_ == 0 && made_ < kSlots) {
    ++made_;
    lock.unlock();
    data = std::make_unique_for_overwrite<char8_t[]>(capacity_ + kOutputSlack);
    return true;
  }
  changed_.wait(lock, [this] { return freeCount_ != 0; });
  data = std::move(free_[--freeCount_]);
  return !failed_;
}

bool WriteBehind::settle() {
  if (!thread_.joinable()) return !failed_;
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return waiting_ == 0 && !writing_; });
  return !failed_;
}

void WriteBehind::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return waiting_ != 0 || ending_; });
    if (waiting_ == 0) return;
    Queued job = std::move(queue_[head_]);
    head_ = (head_ + 1) % kSlots;
    --waiting_;
    writing_ = true;
    const bool skip = failed_;
    lock.unlock();
    const bool ok = skip || write(job.data.get(), job.size);
    lock.lock();
    writing_ = false;
    if (!ok) failed_ = true;
    free_[freeCount_++] = std::move(job.data);
    changed_.notify_all();
  }
}

}  // namespace qvmin
