// Owns one file descriptor. Phases close explicitly to report a failed close; the destructor
// only guards against leaks on paths that never reach that close.
#pragma once

#include "platform/platform.h"

namespace qvmin {

class FileHandle {
 public:
  FileHandle() = default;
  FileHandle(const Platform& platform, int fd) : platform_(&platform), fd_(fd) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  FileHandle(FileHandle&& other) noexcept : platform_(other.platform_), fd_(other.fd_) { other.fd_ = -1; }
  FileHandle& operator=(FileHandle&& other) noexcept {
    if (this != &other) {
      abandon();
      platform_ = other.platform_;
      fd_ = other.fd_;
      other.fd_ = -1;
    }
    return *this;
  }
  ~FileHandle() { abandon(); }

  bool isOpen() const { return fd_ >= 0; }
  int fd() const { return fd_; }

  // Closes the descriptor; false when the close failed. Either way the handle is empty after.
  bool close() {
    if (fd_ < 0) return true;
    int fd = fd_;
    fd_ = -1;
    return platform_->close(fd) >= 0;
  }

  // Gives up the descriptor without closing it (a failed close may leave a file unclosed on
  // purpose, as the failure path of a run does).
  void release() { fd_ = -1; }

 private:
  void abandon() {
    if (fd_ >= 0) platform_->close(fd_);
    fd_ = -1;
  }

  const Platform* platform_ = nullptr;
  int fd_ = -1;
};

}  // namespace qvmin
