// Pairs the tokens a run announced with the bytes of the sources and of the output, and writes
// the segments of a Source Map revision 3 `mappings` string straight into the map's buffer. It
// is told of everything in the order it happened: files begun, source bytes read, tokens noted
// (with their names) and output bytes written; only the part of the current source not yet
// passed is held.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/mappings_writer.h"
#include "compiler/output_buffer.h"
#include "compiler/text_position.h"
#include "compiler/token_observer.h"

namespace qvmin {

class MappingsBuilder {
 public:
  // `map` has been given the map's text up to the opening quote of `mappings`.
  explicit MappingsBuilder(OutputBuffer& map) : map_(map) {}
  MappingsBuilder(const MappingsBuilder&) = delete;
  MappingsBuilder& operator=(const MappingsBuilder&) = delete;

  // The file index of the tokens that follow counts the files begun.
  void beginFile();
  // The next bytes of the current file.
  void addSourceBytes(std::string_view bytes);
  // The next tokens, in order, and the index of each one's original name (-1: none).
  void addTokens(const TokenNote* notes, const std::int32_t* names, std::size_t count);
  // The index of the original name of the last token added, which came after it.
  void nameLastToken(std::int32_t name) {
    if (noted_ != 0) segments_[noted_ - 1].name = name;
  }
  // The next bytes of the output; every token that begins in them has been added.
  void addOutputBytes(std::string_view bytes);

 private:
  void placeInSource();
  std::size_t placeInOutput(std::string_view bytes);

  OutputBuffer& map_;
  // The current file from the last placed token on, and where that token was.
  std::uint32_t file_ = 0;
  std::uint32_t filesBegun_ = 0;
  std::string window_;
  std::uint64_t windowStart_ = 0;  // the file offset of window_[0]
  TextCursor source_;

  // The tokens added, in order, are notes_[0, noted_); the segments before them are written.
  // Notes and segments go side by side: the segment of notes_[i] is segments_[i].
  std::vector<TokenNote> notes_;
  std::vector<Segment> segments_;
  std::size_t noted_ = 0;
  std::size_t placed_ = 0;     // the first whose source position is not found
  std::uint64_t shown_ = 0;    // output bytes looked at so far
  TextCursor generated_;       // at the first output byte not looked at

  MappingsState mappings_;
};

}  // namespace qvmin
