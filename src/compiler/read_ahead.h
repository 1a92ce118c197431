// Reads a source file ahead of the scan on a thread of its own, so that the scan does not wait
// for the kernel to copy each block. A file of one block is read in step, with no thread.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

#include "platform/platform.h"

namespace qvmin {

class ReadAhead {
 public:
  // Reads into `block` (blockSize bytes), and into blocks of its own once it reads ahead, which
  // it does only when `ahead` allows: the platform's read must then be callable from a thread.
  ReadAhead(const Platform& platform, char* block, std::size_t blockSize, bool ahead);
  ~ReadAhead() { endFile(); }
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // Begins reading the file open on `fd`.
  void beginFile(int fd);
  // The next block of the file: what the read gave (0 at the end of the file, negative on
  // failure; neither is followed by another call). `bytes` stays valid until the next call.
  std::ptrdiff_t next(std::string_view& bytes);
  // Stops reading the file, before it is closed.
  void endFile();

 private:
  static constexpr std::size_t kSlots = 4;
  struct Slot {
    char* data = nullptr;
    std::ptrdiff_t got = 0;
  };
  void readAhead();

  const Platform& platform_;
  const std::size_t blockSize_;
  const bool ahead_;
  std::unique_ptr<char[]> ownBlocks_;  // slots 1 on, once needed
  Slot slots_[kSlots];
  int fd_ = -1;
  // Counted from the start of the file: blocks read, and blocks handed to the scan. The one
  // handed last is still in use.
  std::size_t filled_ = 0;
  std::size_t consumed_ = 0;
  bool stop_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::thread reader_;
};

}  // namespace qvmin
