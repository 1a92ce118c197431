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

  TokenObserver observer() { return TokenObserver{this, onToken, onName}; }
  ByteWatcher watcher() { return ByteWatcher{this, onBytes}; }

  // The original names the segments refer to, by index.
  const std::vector<std::string_view>& names() const { return nameOrder_; }

 private:
  // A token announced whose first output byte has not been shown yet.
  struct Pending {
    std::uint64_t outputOffset;  // bytes taken before the token (a space or LF may come first)
    std::uint32_t file;
    TextPosition source;
    std::int32_t name;  // -1: none
  };

  static void onToken(void* self, TokenClass cls, std::uint32_t file, std::uint64_t offset);
  static void onName(void* self, std::string_view key, std::string_view text);
  static void onBytes(void* self, std::string_view bytes);
  void record(std::uint32_t file, std::uint64_t offset);
  void catchUp();
  void resolve(std::string_view bytes);
  void emit(const Pending& token);

  const OutputBuffer& out_;
  OutputBuffer& map_;
  // The current file from the last token on, and where that token was.
  std::uint32_t file_ = 0;
  std::uint32_t filesBegun_ = 0;
  std::string window_;
  std::uint64_t windowStart_ = 0;  // the file offset of window_[0]
  std::uint64_t cursorOffset_ = 0;
  TextPosition cursor_;

  std::vector<Pending> pending_;
  std::size_t nextPending_ = 0;
  std::uint64_t shown_ = 0;    // output bytes looked at so far
  std::uint64_t written_ = 0;  // output bytes the buffer has written
  TextPosition generated_;   // where the next byte shown goes

  // Looked up by string_view: no string is made for a name already known.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
  };
  std::unordered_map<std::string, std::int32_t, NameHash, std::equal_to<>> nameIndex_;
  // The index last found for a written text, by where the text is: the genericizer hands out
  // the same bytes for each use of a name. A hit is checked against the key.
  struct NameSlot {
    const char* text = nullptr;
    std::int32_t index = 0;
  };
  static constexpr std::size_t kNameSlots = 4096;
  std::vector<NameSlot> nameSlots_ = std::vector<NameSlot>(kNameSlots);
  std::vector<std::string_view> nameOrder_;

  // The fields of the last segment: each field of the next is written as a difference.
  std::uint32_t mappedLine_ = 0;
  bool lineHasSegment_ = false;
  std::uint32_t lastGeneratedColumn_ = 0;
  std::uint32_t lastFile_ = 0;
  std::uint32_t lastSourceLine_ = 0;
  std::uint32_t lastSourceColumn_ = 0;
  std::int32_t lastName_ = 0;
};

}  // namespace qvmin
