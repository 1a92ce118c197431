// Records a source map while a run writes its output: the scanner announces each token (file,
// byte offset, name), the output buffer shows each run of bytes it writes, and the recorder
// pairs them into the segments of a Source Map revision 3 `mappings` string.
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
  explicit SourceMapRecorder(const OutputBuffer& out) : out_(out) {}
  SourceMapRecorder(const SourceMapRecorder&) = delete;
  SourceMapRecorder& operator=(const SourceMapRecorder&) = delete;

  // The scanner's file index counts the files in the order they are begun here.
  void beginFile(std::string path) { sources_.push_back(Source{std::move(path), {}}); }
  // The next bytes of the current file, before the scanner sees them.
  void addSourceBytes(std::string_view bytes) { sources_.back().content.append(bytes); }

  TokenObserver observer() { return TokenObserver{this, onToken, onName}; }
  ByteWatcher watcher() { return ByteWatcher{this, onBytes}; }

  struct Source {
    std::string path;
    std::string content;
  };
  const std::vector<Source>& sources() const { return sources_; }
  const std::vector<std::string_view>& names() const { return nameOrder_; }
  // Complete once every byte of the output has been shown.
  const std::string& mappings() const { return mappings_; }

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
  void resolve(std::string_view bytes);
  void emit(const Pending& token);

  const OutputBuffer& out_;
  std::vector<Source> sources_;
  // Where the last token of a file was, so that finding the next one reads on from there.
  std::uint32_t cursorFile_ = 0;
  std::uint64_t cursorOffset_ = 0;
  TextPosition cursor_;

  std::vector<Pending> pending_;
  std::size_t nextPending_ = 0;
  std::uint64_t shown_ = 0;  // output bytes shown so far
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

  std::string mappings_;
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
