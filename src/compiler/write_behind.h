// Writes an output's full buffers on a thread of its own, so that the scan does not wait for
// the kernel to copy them. The buffers are written in order, each whole; after a write that
// fails, nothing more is written, as when writing in step. The thread starts with the first
// full buffer: a small output is written by the caller alone.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/platform.h"

namespace qvmin {

// An output buffer's bytes. Held as char8_t, which unlike char aliases nothing else: a byte
// stored into the buffer cannot be taken for a store into the writer's or scanner's own state,
// which then stays in registers across the stores.
using OutputBytes = std::unique_ptr<char8_t[]>;

// Bytes allocated past an output buffer's capacity: a short token is copied 16 bytes at a time,
// and what lands past its end is overwritten by the next.
inline constexpr std::size_t kOutputSlack = 16;

class WriteBehind {
 public:
  // Writes to `fd` buffers of `capacity` bytes; the platform's write must be callable from a thread.
  WriteBehind(const Platform& platform, int fd, std::size_t capacity);
  // Writes what is queued first.
  ~WriteBehind();
  WriteBehind(const WriteBehind&) = delete;
  WriteBehind& operator=(const WriteBehind&) = delete;

  // Queues the `size` bytes of `data` and puts a free buffer in its place; false once a write
  // has failed, when the bytes are dropped.
  bool take(OutputBytes& data, std::size_t size);
  // Waits until every queued buffer is written; false if a write failed.
  bool settle();

 private:
  static constexpr std::size_t kSlots = 4;
  struct Queued {
    OutputBytes data;
    std::size_t size = 0;
  };
  bool write(const char8_t* bytes, std::size_t size);
  void run();

  const Platform& platform_;
  const int fd_;
  const std::size_t capacity_;
  bool startTried_ = false;
  // Shared with the thread: the buffers waiting, in order, as a ring; the free ones; how many
  // buffers were made; whether a write failed, and whether the thread is to end.
  Queued queue_[kSlots];
  std::size_t head_ = 0;
  std::size_t waiting_ = 0;
  bool writing_ = false;
  // While the caller waits for one, every buffer made may be free: kSlots and the caller's own.
  OutputBytes free_[kSlots + 1];
  std::size_t freeCount_ = 0;
  std::size_t made_ = 0;
  bool failed_ = false;
  bool ending_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::thread thread_;
};

}  // namespace qvmin
