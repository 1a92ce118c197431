#include "compiler/source_map.h"

namespace qvmin {

void SourceMapRecorder::onToken(void* self, TokenClass, std::uint32_t file, std::uint64_t offset) {
  static_cast<SourceMapRecorder*>(self)->record(file, offset);
}

void SourceMapRecorder::onName(void* self, std::string_view key, std::string_view text) {
  auto& recorder = *static_cast<SourceMapRecorder*>(self);
  // A name kept as it is reads the same in the output: only a new name needs the old one.
  if (key == text || recorder.pending_.size() == recorder.nextPending_) return;
  const auto where = reinterpret_cast<std::uintptr_t>(text.data());
  NameSlot& slot = recorder.nameSlots_[((where >> 3) ^ (where >> 15)) & (kNameSlots - 1)];
  if (slot.text != text.data() || recorder.nameOrder_[static_cast<std::size_t>(slot.index)] != key) {
    auto found = recorder.nameIndex_.find(key);
    if (found == recorder.nameIndex_.end()) {
      found = recorder.nameIndex_.emplace(std::string(key), static_cast<std::int32_t>(recorder.nameOrder_.size())).first;
      recorder.nameOrder_.push_back(found->first);
    }
    slot = NameSlot{text.data(), found->second};
  }
  recorder.pending_.back().name = slot.index;
}

void SourceMapRecorder::onBytes(void* self, std::string_view bytes) {
  auto& recorder = *static_cast<SourceMapRecorder*>(self);
  const std::uint64_t start = recorder.written_;
  recorder.written_ += bytes.size();
  // The start of these bytes may have been looked at while they were buffered.
  if (recorder.shown_ < recorder.written_) recorder.resolve(bytes.substr(static_cast<std::size_t>(recorder.shown_ - start)));
}

// Looks at the bytes taken since the last token while they are still in the buffer (and in the
// cache), so that at most a token or two waits for its first byte.
void SourceMapRecorder::catchUp() {
  const std::string_view buffered = out_.buffered();
  const std::uint64_t bufferStart = out_.taken() - buffered.size();
  if (shown_ < bufferStart + buffered.size()) resolve(buffered.substr(static_cast<std::size_t>(shown_ - bufferStart)));
}

void SourceMapRecorder::beginFile() {
  file_ = filesBegun_++;
  window_.clear();
  windowStart_ = cursorOffset_ = 0;
  cursor_ = TextPosition{};
}

void SourceMapRecorder::addSourceBytes(std::string_view bytes) {
  // What lies before the last token is passed for good.
  window_.erase(0, static_cast<std::size_t>(cursorOffset_ - windowStart_));
  windowStart_ = cursorOffset_;
  window_.append(bytes);
}

void SourceMapRecorder::record(std::uint32_t file, std::uint64_t offset) {
  // Tokens come in file order and, within a file, in byte order.
  if (file != file_) return;
  catchUp();
  const std::uint64_t windowEnd = windowStart_ + window_.size();
  if (offset > windowEnd) offset = windowEnd;
  if (offset > cursorOffset_) {
    cursor_.advance(std::string_view(window_).substr(static_cast<std::size_t>(cursorOffset_ - windowStart_),
                                                     static_cast<std::size_t>(offset - cursorOffset_)));
    cursorOffset_ = offset;
  }
  pending_.push_back(Pending{out_.taken(), file, cursor_, -1});
}

// Finds the first byte of each pending token among the next bytes of the output: the first one
// at or after the offset taken when the token was announced that is not the space or LF written
// to separate it from the token before.
void SourceMapRecorder::resolve(std::string_view bytes) {
  const std::uint64_t start = shown_;
  const std::uint64_t end = start + bytes.size();
  std::size_t at = 0;
  while (nextPending_ < pending_.size()) {
    Pending& token = pending_[nextPending_];
    if (token.outputOffset >= end) break;
    const std::size_t from = token.outputOffset > start ? static_cast<std::size_t>(token.outputOffset - start) : 0;
    if (from > at) {
      generated_.advance(bytes.substr(at, from - at));
      at = from;
    }
    while (at < bytes.size() && (bytes[at] == ' ' || bytes[at] == '\n')) {
      generated_.advance(bytes.substr(at, 1));
      ++at;
    }
    if (at == bytes.size()) {
      token.outputOffset = end;  // its first byte comes with the next bytes
      break;
    }
    emit(token);
    ++nextPending_;
  }
  generated_.advance(bytes.substr(at));
  shown_ = end;
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(nextPending_));
  nextPending_ = 0;
}

namespace {

// Base64 variable-length quantity: the sign in the lowest bit, five bits per digit, low first.
[[gnu::always_inline]] inline char* putVlq(char* to, std::int64_t value) {
  static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::uint64_t rest = value < 0 ? (static_cast<std::uint64_t>(-value) << 1) | 1 : static_cast<std::uint64_t>(value) << 1;
  if (rest < 32) {  // most differences are small: one digit
    *to++ = kDigits[rest];
    return to;
  }
  do {
    unsigned digit = rest & 31;
    rest >>= 5;
    if (rest != 0) digit |= 32;
    *to++ = kDigits[digit];
  } while (rest != 0);
  return to;
}

}  // namespace

void SourceMapRecorder::emit(const Pending& token) {
  while (mappedLine_ < generated_.line) {
    map_.put(';');
    ++mappedLine_;
    lineHasSegment_ = false;
    lastGeneratedColumn_ = 0;
  }
  char segment[64];  // five fields of at most 8 digits, and a comma
  char* to = segment;
  if (lineHasSegment_) *to++ = ',';
  lineHasSegment_ = true;
  to = putVlq(to, static_cast<std::int64_t>(generated_.column) - lastGeneratedColumn_);
  to = putVlq(to, static_cast<std::int64_t>(token.file) - lastFile_);
  to = putVlq(to, static_cast<std::int64_t>(token.source.line) - lastSourceLine_);
  to = putVlq(to, static_cast<std::int64_t>(token.source.column) - lastSourceColumn_);
  lastGeneratedColumn_ = generated_.column;
  lastFile_ = token.file;
  lastSourceLine_ = token.source.line;
  lastSourceColumn_ = token.source.column;
  if (token.name >= 0) {
    to = putVlq(to, static_cast<std::int64_t>(token.name) - lastName_);
    lastName_ = token.name;
  }
  map_.append(std::string_view(segment, static_cast<std::size_t>(to - segment)));
}

}  // namespace qvmin
