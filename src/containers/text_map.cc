#include "containers/text_map.h"

namespace qvmin {
namespace {
constexpr std::size_t kInitialSlots = 1024;
constexpr std::size_t kTextChunk = 256 * 1024;
constexpr std::size_t kEntryChunk = 4096;
}  // namespace

TextMap::TextMap() : slots_(kInitialSlots), mask_(kInitialSlots - 1) {}

std::string_view TextMap::store(std::string_view text) {
  // An empty text too may be read 16 bytes from its start.
  static constexpr char kNothing[kReadableAhead] = {};
  if (text.empty()) return {kNothing, 0};
  if (text.size() > textChunkLeft_) {
    // A text longer than a chunk gets a chunk of its own.
    std::size_t size = std::max(kTextChunk, text.size());
    // Zeroed, and 16 bytes longer, so that 16 bytes may be read from every text's start.
    textChunks_.push_back(std::make_unique<char[]>(size + kReadableAhead));
    textCursor_ = textChunks_.back().get();
    textChunkLeft_ = size;
  }
  char* copy = textCursor_;
  std::memcpy(copy, text.data(), text.size());
  textCursor_ += text.size();
  textChunkLeft_ -= text.size();
  return {copy, text.size()};
}

TextMap::Entry* TextMap::newEntry() {
  if (entryChunks_.empty() || entryChunkUsed_ == kEntryChunk) {
    entryChunks_.push_back(std::make_unique<Entry[]>(kEntryChunk));
    entryChunkUsed_ = 0;
  }
  return &entryChunks_.back()[entryChunkUsed_++];
}

void TextMap::place(Entry* entry, std::uint64_t hash) {
  std::size_t at = hash & mask_;
  while (slots_[at].entry != nullptr) at = (at + 1) & mask_;
  slots_[at] = Slot{hash, entry};
}

void TextMap::grow() {
  std::vector<Slot> old(slots_.size() * 2);
  old.swap(slots_);
  mask_ = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.entry != nullptr) place(slot.entry, slot.hash);
  }
}

const TextMap::Entry& TextMap::insert(std::string_view key, std::string_view value, std::uint64_t hash) {
  if ((size_ + 1) * 2 > slots_.size()) grow();
  Entry* entry = newEntry();
  entry->key = store(key);
  entry->value = store(value);
  place(entry, hash);
  ++size_;
  return *entry;
}

const TextMap::Entry& TextMap::insertSelf(std::string_view key, std::uint64_t hash) {
  if ((size_ + 1) * 2 > slots_.size()) grow();
  Entry* entry = newEntry();
  entry->key = store(key);
  entry->value = entry->key;
  place(entry, hash);
  ++size_;
  return *entry;
}

}  // namespace qvmin
