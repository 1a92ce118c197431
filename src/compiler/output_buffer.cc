#include "compiler/output_buffer.h"

namespace qvmin {

OutputBuffer::OutputBuffer(const Platform& platform, int fd, std::size_t capacity)
    : platform_(platform), fd_(fd), capacity_(capacity), data_(std::make_unique_for_overwrite<char8_t[]>(capacity + kOutputSlack)),
      cursor_(data_.get()),
      limit_(data_.get() + capacity) {}

bool OutputBuffer::writeAll(const char* bytes, std::size_t size) {
  if (failed_) return false;
  if (size == 0) return true;
  handedOver_ += size;
  lastWritten_ = bytes[size - 1];
  if (watcher_.onBytes != nullptr) watcher_.onBytes(watcher_.context, std::string_view(bytes, size));
  if (fd_ < 0) return true;  // no descriptor: a pass that only reads
  std::ptrdiff_t accepted = platform_.write(fd_, bytes, size);
  if (accepted < 0 || static_cast<std::size_t>(accepted) < size) failed_ = true;
  return !failed_;
}

bool OutputBuffer::flush() {
  settle();
  if (failed_) {
    cursor_ = data_.get();
    return false;
  }
  bool ok = writeAll(reinterpret_cast<const char*>(data_.get()), used());
  cursor_ = data_.get();
  return ok;
}

bool OutputBuffer::flushFull() {
  if (!behind_ || failed_) return flush();
  const std::size_t size = used();
  if (size == 0) return true;
  handedOver_ += size;
  lastWritten_ = static_cast<char>(data_[size - 1]);
  if (watcher_.onBytes != nullptr) watcher_.onBytes(watcher_.context, buffered());
  if (!behind_->take(data_, size)) failed_ = true;
  cursor_ = data_.get();
  limit_ = cursor_ + capacity_;
  return !failed_;
}

void OutputBuffer::appendSlow(std::string_view bytes) {
  if (!flushFull()) return;
  if (bytes.size() >= capacity_) {
    // A token larger than the buffer goes out in one write of its own, after those under way.
    settle();
    writeAll(bytes.data(), bytes.size());
    return;
  }
  std::memcpy(data_.get(), bytes.data(), bytes.size());
  cursor_ = data_.get() + bytes.size();
}

}  // namespace qvmin
