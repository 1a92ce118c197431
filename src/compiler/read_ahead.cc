#include "compiler/read_ahead.h"

#include <system_error>

namespace qvmin {

ReadAhead::ReadAhead(const Platform& platform, char* block, std::size_t blockSize, bool ahead)
    : platform_(platform), blockSize_(blockSize), ahead_(ahead) {
  slots_[0].data = block;
}

void ReadAhead::beginFile(int fd) {
  endFile();
  fd_ = fd;
  filled_ = 0;
  consumed_ = 0;
  stop_ = false;
}

void ReadAhead::endFile() {
  if (!reader_.joinable()) return;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  reader_.join();
}

void ReadAhead::readAhead() {
  for (;;) {
    std::size_t slot;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      // The blocks from the one handed (or asked for) last on are in use; the next may be read
      // into the slot of one the scan is done with.
      changed_.wait(lock, [this] { return stop_ || filled_ + 1 < consumed_ + kSlots; });
      if (stop_) return;
      slot = filled_ % kSlots;
    }
    const std::ptrdiff_t got = platform_.read(fd_, slots_[slot].data, blockSize_);
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      slots_[slot].got = got;
      ++filled_;
    }
    changed_.notify_all();
    if (got <= 0) return;
  }
}

std::ptrdiff_t ReadAhead::next(std::string_view& bytes) {
  Slot* slot = nullptr;
  if (reader_.joinable()) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      ++consumed_;
      changed_.wait(lock, [this] { return filled_ >= consumed_; });
      slot = &slots_[(consumed_ - 1) % kSlots];
    }
    changed_.notify_all();
  } else {
    // In step: the first block, or every block where no thread reads ahead.
    const bool first = consumed_ == 0;
    slot = &slots_[0];
    slot->got = platform_.read(fd_, slot->data, blockSize_);
    filled_ = consumed_ = 1;
    // A full first block: the file may be long, and the rest is read ahead.
    if (kBuildHasThreads && ahead_ && first && slot->got == static_cast<std::ptrdiff_t>(blockSize_)) {
      if (!ownBlocks_) {
        ownBlocks_ = std::make_unique_for_overwrite<char[]>(blockSize_ * (kSlots - 1));
        for (std::size_t k = 1; k < kSlots; ++k) slots_[k].data = ownBlocks_.get() + blockSize_ * (k - 1);
      }
      try {
        reader_ = std::thread([this] { readAhead(); });
      } catch (const std::system_error&) {
        // No thread to be had: the file is read in step.
      }
    }
  }
  bytes = slot->got > 0 ? std::string_view(slot->data, static_cast<std::size_t>(slot->got)) : std::string_view();
  return slot->got;
}

}  // namespace qvmin
