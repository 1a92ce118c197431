// Records a source map while a run writes its output: the scanner announces each token (file,
// byte offset, name), the output buffer shows each run of bytes it writes, and the recorder
// pairs them into the segments of a Source Map revision 3 `mappings` string, written straight
// into the map's buffer. Only the part of the current source not yet passed is held.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "compiler/mappings_writer.h"
#include "compiler/output_buffer.h"
#include "compiler/text_position.h"
#include "compiler/token_observer.h"

namespace qvmin {

class SourceMapRecorder {
 public:
  // `map` has been given the map's text up to the opening quote of `mappings`.
  SourceMapRecorder(const OutputBuffer& out, OutputBuffer& map) : out_(out), map_(map) {}
  SourceMapRecorder(const SourceMapRecorder&) = delete;
  SourceMapRecorder& operator=(const SourceMapRecorder&) = delete;

  // The scanner's file index counts the files in the order they are begun here.
  void beginFile();
  // The next bytes of the current file, before the scanner sees them.
  void addSourceBytes(std::string_view bytes);

  TokenObserver observer() { return TokenObserver{this, nullptr, onName, &log_}; }
  ByteWatcher watcher() { return ByteWatcher{this, onBytes}; }

  // The original names the segments refer to, by index.
  const std::vector<std::string_view>& names() const { return nameOrder_; }

 private:
  // Tokens are only noted as they come, by the scanner in log_; their places are found a batch
  // at a time, in tight loops over the source and the output. Notes and segments go side by
  // side: the segment of notes_[i] is segments_[i].
  // Tokens noted before their places are looked for: few enough to stay in the cache.
  static constexpr std::size_t kBatch = 1024;

  static void onName(void* self, std::string_view key, std::string_view text, const TextMap::Entry* entry);
  std::int32_t nameIndexOf(std::string_view key);
  static void onBytes(void* self, std::string_view bytes);
  static void onLogFull(void* self);
  std::size_t noted() const { return static_cast<std::size_t>(log_.next - notes_.data()); }
  void openLog();
  void placeInSource();
  void catchUp();
  void resolve(std::string_view bytes);
  std::size_t placeInOutput(std::string_view bytes);

  const OutputBuffer& out_;
  OutputBuffer& map_;
  // The current file from the last placed token on, and where that token was.
  std::uint32_t file_ = 0;
  std::uint32_t filesBegun_ = 0;
  std::string window_;
  std::uint64_t windowStart_ = 0;  // the file offset of window_[0]
  TextCursor source_;

  // The tokens noted, in order, are notes_[0, noted()); the segments before them are written.
  // The segment of a slot not noted yet has no name.
  std::vector<TokenNote> notes_ = std::vector<TokenNote>(2 * kBatch);
  std::vector<Segment> segments_ = std::vector<Segment>(2 * kBatch, Segment{0, 0, 0, 0, 0, -1});
  TokenLog log_{notes_.data(), notes_.data() + kBatch, onLogFull};
  std::size_t placed_ = 0;     // the first whose source position is not found
  std::uint64_t shown_ = 0;    // output bytes looked at so far
  std::uint64_t written_ = 0;  // output bytes the buffer has written
  TextCursor generated_;       // at the first output byte not looked at

  // Looked up by string_view: no string is made for a name already known.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
  };
  std::unordered_map<std::string, std::int32_t, NameHash, std::equal_to<>> nameIndex_;
  std::vector<std::string_view> nameOrder_;

  MappingsState mappings_;
};

}  // namespace qvmin
