#include "compiler/mappings_builder.h"

#include <algorithm>

namespace qvmin {

void MappingsBuilder::beginFile() {
  placeInSource();  // the tokens of the file before
  file_ = filesBegun_++;
  window_.clear();
  windowStart_ = 0;
  source_ = TextCursor{};
}

void MappingsBuilder::addSourceBytes(std::string_view bytes) {
  // What lies before the last token is passed for good.
  placeInSource();
  window_.erase(0, static_cast<std::size_t>(source_.at - windowStart_));
  windowStart_ = source_.at;
  window_.append(bytes);
}

void MappingsBuilder::addTokens(const TokenNote* notes, const std::int32_t* names, std::size_t count) {
  if (noted_ + count > notes_.size()) {
    notes_.resize(2 * (noted_ + count));
    segments_.resize(notes_.size());
  }
  std::copy(notes, notes + count, notes_.begin() + static_cast<std::ptrdiff_t>(noted_));
  for (std::size_t i = 0; i < count; ++i) segments_[noted_ + i].name = names[i];
  noted_ += count;
}

// Finds the source position of every token added since the last call, while the window still
// holds their bytes.
void MappingsBuilder::placeInSource() {
  const std::string_view window = window_;
  const std::uint64_t windowStart = windowStart_;
  const std::uint64_t windowEnd = windowStart + window.size();
  const std::uint32_t file = file_;
  TextCursor cursor = source_;
  const std::size_t noted = noted_;
  const TokenNote* const notes = notes_.data();
  Segment* const segments = segments_.data();
  for (std::size_t i = placed_; i < noted; ++i) {
    const std::uint64_t offset = std::min(notes[i].sourceOffset, windowEnd);
    if (offset > cursor.at) cursor.moveTo(window, windowStart, offset);
    segments[i].file = file;
    segments[i].sourceLine = cursor.position.line;
    segments[i].sourceColumn = cursor.position.column;
  }
  source_ = cursor;
  placed_ = noted;
}

// Writes the segments of the tokens whose first bytes are among these bytes.
void MappingsBuilder::addOutputBytes(std::string_view bytes) {
  placeInSource();
  const std::size_t found = placeInOutput(bytes);
  if (found == 0) return;
  // The segments go out in a loop of their own, which keeps its fields in registers.
  mappings_ = writeSegments(map_, mappings_, segments_.data(), found);
  // The tokens still waiting move to the front.
  const auto from = static_cast<std::ptrdiff_t>(found);
  const auto to = static_cast<std::ptrdiff_t>(noted_);
  std::copy(notes_.begin() + from, notes_.begin() + to, notes_.begin());
  std::copy(segments_.begin() + from, segments_.begin() + to, segments_.begin());
  noted_ -= found;
  placed_ -= found;
}

// Finds the first byte of each placed token among the next bytes of the output: the first one
// at or after the offset taken when the token was announced that is not the space or LF written
// to separate it from the token before. Returns how many tokens were found.
std::size_t MappingsBuilder::placeInOutput(std::string_view bytes) {
  const std::uint64_t start = shown_;
  const std::uint64_t end = start + bytes.size();
  TextCursor generated = generated_;
  const TokenNote* const notes = notes_.data();
  Segment* const segments = segments_.data();
  const std::size_t placed = placed_;
  std::size_t i = 0;
  for (; i < placed; ++i) {
    const std::uint64_t outputOffset = notes[i].outputOffset;
    if (outputOffset >= end) break;
    if (outputOffset > generated.at) generated.moveTo(bytes, start, outputOffset);
    while (generated.at < end) {
      const char byte = bytes[static_cast<std::size_t>(generated.at - start)];
      if (byte != ' ' && byte != '\n') break;
      generated.moveTo(bytes, start, generated.at + 1);
    }
    if (generated.at == end) break;  // its first byte comes with the next bytes
    segments[i].generatedLine = generated.position.line;
    segments[i].generatedColumn = generated.position.column;
  }
  generated.moveTo(bytes, start, end);
  generated_ = generated;
  shown_ = end;
  return i;
}

}  // namespace qvmin
