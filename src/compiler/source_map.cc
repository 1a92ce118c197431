#include "compiler/source_map.h"

#include <algorithm>
#include <system_error>

#include "containers/text_map.h"
#include "platform/platform.h"

namespace qvmin {
namespace {

// Names are short: compared without a library call.
inline bool sameBytes(std::string_view a, std::string_view b) {
  return a.size() == b.size() && sameText(a.data(), b.data(), a.size());
}

}  // namespace

SourceMapRecorder::SourceMapRecorder(const OutputBuffer& out, OutputBuffer& map, bool concurrently)
    : out_(out), builder_(map) {
  if (kBuildHasThreads && concurrently) {
    try {
      worker_ = std::thread([this] { work(); });
    } catch (const std::system_error&) {
      // No thread to be had: the builder works in step with the run instead.
    }
  }
}

SourceMapRecorder::~SourceMapRecorder() { finish(); }

void SourceMapRecorder::finish() {
  if (!worker_.joinable()) return;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    finishing_ = true;
  }
  handedOver_.notify_one();
  worker_.join();
}

void SourceMapRecorder::beginFile() { handOver(Batch::Then::kBeginFile); }

void SourceMapRecorder::addSourceBytes(std::string_view bytes) { handOver(Batch::Then::kSourceBytes, bytes); }

void SourceMapRecorder::onLogFull(void* self) {
  auto& recorder = *static_cast<SourceMapRecorder*>(self);
  // The bytes taken since the last hand-over, while they are still in the buffer.
  const std::string_view buffered = recorder.out_.buffered();
  const std::uint64_t bufferStart = recorder.out_.taken() - buffered.size();
  const std::uint64_t from = std::max(recorder.handed_, bufferStart);
  recorder.handOver(from < recorder.out_.taken() ? Batch::Then::kOutputBytes : Batch::Then::kNothing,
                    buffered.substr(static_cast<std::size_t>(from - bufferStart)));
}

void SourceMapRecorder::onName(void* self, std::string_view key, std::string_view text, const TextMap::Entry* entry) {
  auto& recorder = *static_cast<SourceMapRecorder*>(self);
  // A name kept as it is reads the same in the output: only a new name needs the old one.
  if (sameBytes(key, text)) return;
  // The genericizer's entry, which the scanner has just read, keeps the index: no lookup of
  // our own, and no cache line of our own to miss, for each repeat.
  std::int32_t index = entry != nullptr ? entry->tag : -1;
  if (index < 0) {
    index = recorder.nameIndexOf(key);
    if (entry != nullptr) entry->tag = index;
  }
  // The token may have been handed over already, with the bytes written since it was noted.
  const std::size_t noted = recorder.noted();
  (noted != 0 ? recorder.current_->names[noted - 1] : recorder.current_->lateName) = index;
}

std::int32_t SourceMapRecorder::nameIndexOf(std::string_view key) {
  auto found = nameIndex_.find(key);
  if (found == nameIndex_.end()) {
    found = nameIndex_.emplace(std::string(key), static_cast<std::int32_t>(nameOrder_.size())).first;
    nameOrder_.push_back(found->first);
  }
  return found->second;
}

void SourceMapRecorder::onBytes(void* self, std::string_view bytes) {
  auto& recorder = *static_cast<SourceMapRecorder*>(self);
  const std::uint64_t start = recorder.written_;
  recorder.written_ += bytes.size();
  // The start of these bytes may have been handed over while they were buffered.
  if (recorder.handed_ < recorder.written_) {
    recorder.handOver(Batch::Then::kOutputBytes, bytes.substr(static_cast<std::size_t>(recorder.handed_ - start)));
  }
}

// Hands the tokens noted so far and one more event to the builder, and opens a new batch.
void SourceMapRecorder::handOver(Batch::Then then, std::string_view bytes) {
  std::unique_ptr<Batch> batch = std::move(current_);
  batch->count = static_cast<std::size_t>(log_.next - batch->notes.data());
  batch->then = then;
  batch->bytes.assign(bytes);
  if (then == Batch::Then::kOutputBytes) handed_ += bytes.size();
  if (!worker_.joinable()) {
    build(*batch);
    current_ = std::move(batch);
  } else {
    current_ = spareBatch();
    {
      std::unique_lock<std::mutex> lock(mutex_);
      doneWith_.wait(lock, [this] { return inFlight_ < kMostInFlight; });
      waiting_.push_back(std::move(batch));
      ++inFlight_;
    }
    handedOver_.notify_one();
  }
  log_.next = current_->notes.data();
  log_.end = log_.next + kBatch;
}

// What the builder does with a batch, on whichever thread; the batch is then ready for reuse.
void SourceMapRecorder::build(Batch& batch) {
  if (batch.lateName >= 0) builder_.nameLastToken(batch.lateName);
  builder_.addTokens(batch.notes.data(), batch.names.data(), batch.count);
  switch (batch.then) {
    case Batch::Then::kNothing:
      break;
    case Batch::Then::kBeginFile:
      builder_.beginFile();
      break;
    case Batch::Then::kSourceBytes:
      builder_.addSourceBytes(batch.bytes);
      break;
    case Batch::Then::kOutputBytes:
      builder_.addOutputBytes(batch.bytes);
      break;
  }
  std::fill(batch.names.begin(), batch.names.begin() + static_cast<std::ptrdiff_t>(batch.count), -1);
  batch.lateName = -1;
}

std::unique_ptr<SourceMapRecorder::Batch> SourceMapRecorder::spareBatch() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!spare_.empty()) {
      std::unique_ptr<Batch> batch = std::move(spare_.back());
      spare_.pop_back();
      return batch;
    }
  }
  return std::make_unique<Batch>();
}

// The recorder's thread: builds the batches in the order they were handed over, until the
// recorder finishes and none is left.
void SourceMapRecorder::work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    handedOver_.wait(lock, [this] { return !waiting_.empty() || finishing_; });
    if (waiting_.empty()) return;
    std::unique_ptr<Batch> batch = std::move(waiting_.front());
    waiting_.pop_front();
    lock.unlock();
    build(*batch);
    lock.lock();
    spare_.push_back(std::move(batch));
    --inFlight_;
    doneWith_.notify_one();
  }
}

}  // namespace qvmin
