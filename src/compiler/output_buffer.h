// Collects output bytes and hands them to the platform in large writes. A write that accepts
// fewer bytes than asked is a failure; after it the buffer drops everything, so the file holds
// exactly the bytes that were accepted.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace qvmin {

class OutputBuffer {
 public:
  static constexpr std::size_t kDefaultCapacity = 256 * 1024;

  OutputBuffer(const Platform& platform, int fd, std::size_t capacity = kDefaultCapacity);
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  void put(char byte) {
    if (used_ == capacity_ && !flush()) return;
    data_[used_++] = byte;
  }
  void append(std::string_view bytes) {
    if (bytes.size() <= capacity_ - used_) {
      std::char_traits<char>::copy(data_.get() + used_, bytes.data(), bytes.size());
      used_ += bytes.size();
      return;
    }
    appendSlow(bytes);
  }

  // Writes out what is buffered; false once any write has failed.
  bool flush();
  bool failed() const { return failed_; }

 private:
  void appendSlow(std::string_view bytes);
  bool writeAll(const char* bytes, std::size_t size);

  const Platform& platform_;
  int fd_;
  std::size_t capacity_;
  std::unique_ptr<char[]> data_;
  std::size_t used_ = 0;
  bool failed_ = false;
};

}  // namespace qvmin
