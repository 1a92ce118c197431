// Records a source map while a run writes its output: the scanner announces each token (file,
// byte offset, name), the output buffer shows each run of bytes it writes, and a MappingsBuilder
// pairs them into the segments of the map's `mappings`. The recorder only notes what happens,
// in batches; where the platform allows, the builder works through the batches on a thread of
// its own, so that finding places and spelling segments adds little to the run's time. Both
// ways write the same bytes.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "compiler/mappings_builder.h"
#include "compiler/output_buffer.h"
#include "compiler/token_observer.h"

namespace qvmin {

class SourceMapRecorder {
 public:
  // `map` has been given the map's text up to the opening quote of `mappings`; from now until
  // finish() only the recorder writes to it. With `concurrently`, a thread of the recorder's
  // writes it, through the same platform as the other outputs.
  SourceMapRecorder(const OutputBuffer& out, OutputBuffer& map, bool concurrently);
  ~SourceMapRecorder();
  SourceMapRecorder(const SourceMapRecorder&) = delete;
  SourceMapRecorder& operator=(const SourceMapRecorder&) = delete;

  // The scanner's file index counts the files in the order they are begun here.
  void beginFile();
  // The next bytes of the current file, before the scanner sees them.
  void addSourceBytes(std::string_view bytes);

  TokenObserver observer() { return TokenObserver{this, nullptr, onName, &log_}; }
  ByteWatcher watcher() { return ByteWatcher{this, onBytes}; }

  // Waits until every segment found is in the map's buffer, which is then the caller's again.
  void finish();
  // The original names the segments refer to, by index.
  const std::vector<std::string_view>& names() const { return nameOrder_; }

 private:
  // Tokens noted between two other events: enough for few hand-overs, few enough to stay in
  // the cache.
  static constexpr std::size_t kBatch = 8192;
  // Batches handed over and not yet done with, at most: what the recorder holds stays bounded.
  static constexpr std::size_t kMostInFlight = 8;

  // The tokens noted since the last batch, and then one other event.
  struct Batch {
    enum class Then : std::uint8_t { kNothing, kBeginFile, kSourceBytes, kOutputBytes };
    std::vector<TokenNote> notes = std::vector<TokenNote>(kBatch);
    std::vector<std::int32_t> names = std::vector<std::int32_t>(kBatch, -1);
    std::size_t count = 0;
    std::int32_t lateName = -1;  // for the last token of the batch before, named after it went
    Then then = Then::kNothing;
    std::string bytes;
  };

  static void onName(void* self, std::string_view key, std::string_view text, const TextMap::Entry* entry);
  static void onBytes(void* self, std::string_view bytes);
  static void onLogFull(void* self);
  std::int32_t nameIndexOf(std::string_view key);
  std::size_t noted() const { return static_cast<std::size_t>(log_.next - current_->notes.data()); }
  void handOver(Batch::Then then, std::string_view bytes = {});
  void build(Batch& batch);
  std::unique_ptr<Batch> spareBatch();
  void work();

  const OutputBuffer& out_;
  MappingsBuilder builder_;
  std::unique_ptr<Batch> current_ = std::make_unique<Batch>();  // the scanner notes tokens here
  TokenLog log_{current_->notes.data(), current_->notes.data() + kBatch, onLogFull};
  std::uint64_t written_ = 0;  // output bytes the buffer has written
  std::uint64_t handed_ = 0;   // output bytes handed to the builder

  // Looked up by string_view: no string is made for a name already known.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
  };
  std::unordered_map<std::string, std::int32_t, NameHash, std::equal_to<>> nameIndex_;
  std::vector<std::string_view> nameOrder_;

  // Between the recorder and its thread.
  std::mutex mutex_;
  std::condition_variable handedOver_;  // a batch is waiting, or the recorder is finishing
  std::condition_variable doneWith_;    // a batch is done with
  std::deque<std::unique_ptr<Batch>> waiting_;
  std::vector<std::unique_ptr<Batch>> spare_;
  std::size_t inFlight_ = 0;
  bool finishing_ = false;
  std::thread worker_;
};

}  // namespace qvmin
