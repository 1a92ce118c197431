// Collects output bytes and hands them to the platform in large writes. A write that accepts
// fewer bytes than asked is a failure; after it the buffer drops everything, so the file holds
// exactly the bytes that were accepted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "compiler/write_behind.h"
#include "platform/platform.h"

namespace qvmin {

// Shown every run of bytes just before it is written, in order: for the source map, which
// finds the line and column of each token there.
struct ByteWatcher {
  void* context = nullptr;
  void (*onBytes)(void* context, std::string_view bytes) = nullptr;
};

class OutputBuffer {
 public:
  static constexpr std::size_t kDefaultCapacity = 256 * 1024;

  // With a negative descriptor the bytes are dropped: for a pass that only reads the sources.
  OutputBuffer(const Platform& platform, int fd, std::size_t capacity = kDefaultCapacity);
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  void put(char byte) {
    if (cursor_ == limit_ && !flushFull()) return;
    *cursor_++ = byte;
  }
  [[gnu::always_inline]] void append(std::string_view bytes) {
    const std::size_t n = bytes.size();
    if (n > static_cast<std::size_t>(limit_ - cursor_)) {
      appendSlow(bytes);
      return;
    }
    char* to = cursor_;
    const char* from = bytes.data();
    // Most tokens are short: copy them with a few overlapping moves instead of a library call.
    if (n < 4) {
      // Punctuators and short names: first, middle and last byte cover all of 1 to 3.
      if (n != 0) {
        to[0] = from[0];
        to[n / 2] = from[n / 2];
        to[n - 1] = from[n - 1];
      }
    } else if (n < 8) {
      std::uint32_t head, tail;
      std::memcpy(&head, from, 4);
      std::memcpy(&tail, from + n - 4, 4);
      std::memcpy(to, &head, 4);
      std::memcpy(to + n - 4, &tail, 4);
    } else if (n <= 16) {
      std::uint64_t head, tail;
      std::memcpy(&head, from, 8);
      std::memcpy(&tail, from + n - 8, 8);
      std::memcpy(to, &head, 8);
      std::memcpy(to + n - 8, &tail, 8);
    } else {
      std::memcpy(to, from, n);
    }
    cursor_ += n;
  }

  // Room for `size` bytes (no more than the capacity), to be written straight into the buffer
  // and handed back with commit: for text made a few bytes at a time.
  char* reserve(std::size_t size) {
    if (size > static_cast<std::size_t>(limit_ - cursor_)) flushFull();  // empties the buffer, even when the write fails
    return cursor_;
  }
  void commit(char* end) { cursor_ = end; }

  // Writes out what is buffered, and waits for any write still under way; false once any write
  // has failed.
  bool flush();
  // Full buffers are written on a thread of their own from here on (the platform's write must be
  // callable from one). A write that fails there is known from the next buffer handed over, or
  // from flush().
  void writeBehind() { behind_ = std::make_unique<WriteBehind>(platform_, fd_, capacity_); }
  // Waits for the writes under way, without writing what is buffered: before the file is closed.
  void settle() {
    if (behind_ && !behind_->settle()) failed_ = true;
  }
  bool failed() const { return failed_; }
  // Bytes taken so far, buffered ones included.
  std::uint64_t taken() const { return handedOver_ + used(); }
  // The bytes taken since the last write.
  std::string_view buffered() const { return std::string_view(data_.get(), used()); }
  // The last byte handed to the platform; 0 before the first.
  char lastWritten() const { return lastWritten_; }
  void watch(ByteWatcher watcher) { watcher_ = watcher; }

 private:
  void appendSlow(std::string_view bytes);
  // The buffer is full: written at once, or handed to the writer thread.
  bool flushFull();
  bool writeAll(const char* bytes, std::size_t size);
  std::size_t used() const { return static_cast<std::size_t>(cursor_ - data_.get()); }

  const Platform& platform_;
  int fd_;
  std::size_t capacity_;
  std::unique_ptr<char[]> data_;
  // The next free byte and the end of the buffer: a byte written costs one compare.
  char* cursor_;
  char* limit_;
  bool failed_ = false;
  std::uint64_t handedOver_ = 0;
  char lastWritten_ = 0;
  ByteWatcher watcher_;
  std::unique_ptr<WriteBehind> behind_;  // declared last: it ends before the buffer goes
};

}  // namespace qvmin
