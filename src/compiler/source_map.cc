#include "compiler/source_map.h"

#include <algorithm>

#include "containers/text_map.h"

namespace qvmin {
namespace {

// Names are short: compared without a library call.
inline bool sameBytes(std::string_view a, std::string_view b) {
  return a.size() == b.size() && sameText(a.data(), b.data(), a.size());
}

}  // namespace

void SourceMapRecorder::onLogFull(void* self) {
  auto& recorder = *static_cast<SourceMapRecorder*>(self);
  recorder.placeInSource();
  recorder.catchUp();
  recorder.openLog();
}

// Gives the scanner room for a batch of notes after those still waiting for their segments.
void SourceMapRecorder::openLog() {
  const std::size_t noted = this->noted();
  if (noted + kBatch > notes_.size()) {
    notes_.resize(2 * (noted + kBatch));
    segments_.resize(notes_.size(), Segment{0, 0, 0, 0, 0, -1});
  }
  log_.next = notes_.data() + noted;
  log_.end = log_.next + kBatch;
}

void SourceMapRecorder::onName(void* self, std::string_view key, std::string_view text, const TextMap::Entry* entry) {
  auto& recorder = *static_cast<SourceMapRecorder*>(self);
  // A name kept as it is reads the same in the output: only a new name needs the old one.
  if (sameBytes(key, text) || recorder.noted() == 0) return;
  // The genericizer's entry, which the scanner has just read, keeps the index: no lookup of
  // our own, and no cache line of our own to miss, for each repeat.
  std::int32_t index = entry != nullptr ? entry->tag : -1;
  if (index < 0) {
    index = recorder.nameIndexOf(key);
    if (entry != nullptr) entry->tag = index;
  }
  recorder.segments_[recorder.noted() - 1].name = index;
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
  // The start of these bytes may have been looked at while they were buffered.
  if (recorder.shown_ < recorder.written_) {
    recorder.placeInSource();
    recorder.resolve(bytes.substr(static_cast<std::size_t>(recorder.shown_ - start)));
  }
}

// Looks at the bytes taken since the last look while they are still in the buffer (and in the
// cache).
void SourceMapRecorder::catchUp() {
  const std::string_view buffered = out_.buffered();
  const std::uint64_t bufferStart = out_.taken() - buffered.size();
  if (shown_ < bufferStart + buffered.size()) resolve(buffered.substr(static_cast<std::size_t>(shown_ - bufferStart)));
}

void SourceMapRecorder::beginFile() {
  placeInSource();  // the tokens of the file before
  file_ = filesBegun_++;
  window_.clear();
  windowStart_ = 0;
  source_ = TextCursor{};
}

void SourceMapRecorder::addSourceBytes(std::string_view bytes) {
  // What lies before the last token is passed for good.
  placeInSource();
  window_.erase(0, static_cast<std::size_t>(source_.at - windowStart_));
  windowStart_ = source_.at;
  window_.append(bytes);
}

// Finds the source position of every token noted since the last call, while the window still
// holds their bytes.
void SourceMapRecorder::placeInSource() {
  const std::string_view window = window_;
  const std::uint64_t windowStart = windowStart_;
  const std::uint64_t windowEnd = windowStart + window.size();
  const std::uint32_t file = file_;
  TextCursor cursor = source_;
  const std::size_t noted = this->noted();
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

// Writes the segments of the placed tokens whose first bytes are among the next bytes of the
// output.
void SourceMapRecorder::resolve(std::string_view bytes) {
  const std::size_t found = placeInOutput(bytes);
  if (found == 0) return;
  // The segments go out in a loop of their own, which keeps its fields in registers.
  mappings_ = writeSegments(map_, mappings_, segments_.data(), found);
  // The tokens still waiting move to the front; the slots they leave have no name.
  const std::size_t noted = this->noted();
  std::copy(notes_.begin() + static_cast<std::ptrdiff_t>(found), notes_.begin() + static_cast<std::ptrdiff_t>(noted),
            notes_.begin());
  std::copy(segments_.begin() + static_cast<std::ptrdiff_t>(found),
            segments_.begin() + static_cast<std::ptrdiff_t>(noted), segments_.begin());
  for (std::size_t i = noted - found; i < noted; ++i) segments_[i].name = -1;
  log_.next -= found;
  log_.end -= found;
  placed_ -= found;
}

// Finds the first byte of each placed token among the next bytes of the output: the first one
// at or after the offset taken when the token was announced that is not the space or LF written
// to separate it from the token before. Returns how many tokens were found.
std::size_t SourceMapRecorder::placeInOutput(std::string_view bytes) {
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
