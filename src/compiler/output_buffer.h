// Collects output bytes and hands them to the platform in large writes. A write that accepts
// fewer bytes than asked is a failure; after it the buffer drops everything, so the file holds
// exactly the bytes that were accepted.
#pragma once

#include <bit>
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
    *cursor_++ = static_cast<char8_t>(byte);
  }
  [[gnu::always_inline]] void append(std::string_view bytes) {
    if (bytes.size() > static_cast<std::size_t>(limit_ - cursor_)) {
      appendSlow(bytes);
      return;
    }
    cursor_ = copyToken(cursor_, bytes);
  }
  // The same, where `readableAhead` says that 16 bytes may be read from the bytes' start (a
  // generic name, kept by its map; a token in the middle of a read block): a short run is then
  // copied whole, with no branch on its length, and what lands past its end is overwritten later.
  // (Each case has its own fallback: joined, the compiler stops telling them apart.)
  [[gnu::always_inline]] void append(std::string_view bytes, bool readableAhead) {
    if (!readableAhead) {
      append(bytes);
    } else if (!copyShortReadingAhead(cursor_, limit_, bytes)) {
      append(bytes);
    }
  }

  // Room for `size` bytes (no more than the capacity), to be written straight into the buffer
  // and handed back with commit: for text made a few bytes at a time.
  char* reserve(std::size_t size) {
    if (size > static_cast<std::size_t>(limit_ - cursor_)) flushFull();  // empties the buffer, even when the write fails
    return reinterpret_cast<char*>(cursor_);
  }
  void commit(char* end) { cursor_ = reinterpret_cast<char8_t*>(end); }

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
  std::string_view buffered() const { return std::string_view(reinterpret_cast<const char*>(data_.get()), used()); }
  // The last byte handed to the platform; 0 before the first.
  char lastWritten() const { return lastWritten_; }
  void watch(ByteWatcher watcher) { watcher_ = watcher; }

 private:
  friend class OutputCursor;

  // Copies bytes that fit to `to`; returns the end of the copy. Most tokens are short: they are
  // copied with a few overlapping moves instead of a library call.
  [[gnu::always_inline]] static char8_t* copyToken(char8_t* to, std::string_view bytes) {
    const std::size_t n = bytes.size();
    const char* from = bytes.data();
    if (n < 4) {
      // Punctuators and short names: first, middle and last byte cover all of 1 to 3.
      if (n != 0) {
        const char first = from[0], middle = from[n / 2], last = from[n - 1];
        to[0] = static_cast<char8_t>(first);
        to[n / 2] = static_cast<char8_t>(middle);
        to[n - 1] = static_cast<char8_t>(last);
      }
    } else if (n < 8) {
      std::uint32_t head, tail;
      std::memcpy(&head, from, 4);
      std::memcpy(&tail, from + n - 4, 4);
      storeBytes(to, head);
      storeBytes(to + n - 4, tail);
    } else if (n <= 16) {
      std::uint64_t head, tail;
      std::memcpy(&head, from, 8);
      std::memcpy(&tail, from + n - 8, 8);
      storeBytes(to, head);
      storeBytes(to + n - 8, tail);
    } else {
      std::memcpy(to, from, n);
    }
    return to + n;
  }
  // Copies bytes of at most kOutputSlack that fit, 16 at once, and moves `cursor` past them.
  [[gnu::always_inline]] static bool copyShortReadingAhead(char8_t*& cursor, char8_t* limit, std::string_view bytes) {
    const std::size_t n = bytes.size();
    if (n > kOutputSlack || n > static_cast<std::size_t>(limit - cursor)) [[unlikely]] return false;
    std::memcpy(cursor, bytes.data(), kOutputSlack);
    cursor += n;
    return true;
  }
  // Stores `word`, as read from memory, at `to`, a byte of the buffer's type at a time (the
  // compiler joins them into one store).
  template <typename Word>
  [[gnu::always_inline]] static void storeBytes(char8_t* to, Word word) {
#pragma GCC unroll 8
    for (std::size_t i = 0; i < sizeof word; ++i) {
      const std::size_t shift = 8 * (std::endian::native == std::endian::little ? i : sizeof word - 1 - i);
      to[i] = static_cast<char8_t>(word >> shift);
    }
  }
  void appendSlow(std::string_view bytes);
  // The buffer is full: written at once, or handed to the writer thread.
  bool flushFull();
  bool writeAll(const char* bytes, std::size_t size);
  std::size_t used() const { return static_cast<std::size_t>(cursor_ - data_.get()); }

  const Platform& platform_;
  int fd_;
  std::size_t capacity_;
  OutputBytes data_;
  // The next free byte and the end of the buffer: a byte written costs one compare.
  char8_t* cursor_;
  char8_t* limit_;
  bool failed_ = false;
  std::uint64_t handedOver_ = 0;
  char lastWritten_ = 0;
  ByteWatcher watcher_;
  std::unique_ptr<WriteBehind> behind_;  // declared last: it ends before the buffer goes
};

// Copies the bytes of the 64 at p whose bits are set in `keep`, in order, to `to`; returns the end
// of the copy. Kept runs are moved 16 bytes at a time, so 16 bytes past the 64 are read, and up to
// 16 past the end of the copy are written (to be overwritten): `to` must have room for 64 + 16.
inline char8_t* copyKeptBytes(char8_t* to, const unsigned char* p, std::uint64_t keep) {
  while (keep != 0) {
    const int start = __builtin_ctzll(keep);
    const std::uint64_t past = ~keep >> start;
    const int size = past == 0 ? 64 - start : __builtin_ctzll(past);
    for (int at = 0; at < size; at += 16) std::memcpy(to + at, p + start + at, 16);
    to += size;
    keep = start + size >= 64 ? 0 : keep & (~std::uint64_t{0} << (start + size));
  }
  return to;
}

// An output buffer's write position, taken out by a scan loop to keep in registers: the buffer's
// own position lives in memory, and every call the loop makes could change it. While it is out,
// only the cursor writes to the buffer; it is handed back before the buffer is used otherwise (a
// token observer reads the count of bytes taken).
class OutputCursor {
 public:
  explicit OutputCursor(OutputBuffer& buffer)
      : buffer_(&buffer), cursor_(buffer.cursor_), limit_(buffer.limit_) {}

  void put(char byte) {
    if (cursor_ == limit_) [[unlikely]] {
      handBack();
      buffer_->put(byte);
      takeAgain();
      return;
    }
    *cursor_++ = static_cast<char8_t>(byte);
  }
  [[gnu::always_inline]] void append(std::string_view bytes) {
    if (bytes.size() > static_cast<std::size_t>(limit_ - cursor_)) [[unlikely]] {
      handBack();
      buffer_->appendSlow(bytes);
      takeAgain();
      return;
    }
    cursor_ = OutputBuffer::copyToken(cursor_, bytes);
  }
  [[gnu::always_inline]] void append(std::string_view bytes, bool readableAhead) {
    if (!readableAhead) {
      append(bytes);
    } else if (!OutputBuffer::copyShortReadingAhead(cursor_, limit_, bytes)) {
      append(bytes);
    }
  }
  // Copies the bytes of the 64 at p that `keep` keeps, a bit per byte (see copyKeptBytes; 16 bytes
  // past the 64 are read).
  void appendKept(const unsigned char* p, std::uint64_t keep) {
    if (limit_ - cursor_ < 64) [[unlikely]] {
      handBack();
      buffer_->reserve(64);
      takeAgain();
      if (limit_ - cursor_ < 64) {  // a buffer smaller than that takes the bytes one by one
        for (; keep != 0; keep &= keep - 1) put(static_cast<char>(p[__builtin_ctzll(keep)]));
        return;
      }
    }
    cursor_ = copyKeptBytes(cursor_, p, keep);
  }
  void handBack() const { buffer_->cursor_ = cursor_; }
  void takeAgain() {
    cursor_ = buffer_->cursor_;
    limit_ = buffer_->limit_;
  }

 private:
  OutputBuffer* buffer_;
  char8_t* cursor_;
  char8_t* limit_;
};

}  // namespace qvmin
