// A seam through which a tool watches the tokens a scanner writes (the source map, the fuzzer).
#pragma once

#include <cstdint>
#include <string_view>

#include "compiler/token_writer.h"
#include "containers/text_map.h"

namespace qvmin {

// A token as a scanner notes it in a TokenLog.
struct TokenNote {
  std::uint64_t outputOffset;  // bytes the output had taken when the token began
  std::uint64_t sourceOffset;  // the token's first byte in its file
};

// Where a watcher that takes tokens a batch at a time has the scanner note them: a store per
// token instead of a call. After writing the note that reaches `end` the scanner calls
// full(context), which makes room.
struct TokenLog {
  TokenNote* next = nullptr;
  TokenNote* end = nullptr;
  void (*full)(void* context) = nullptr;
};

struct TokenObserver {
  void* context = nullptr;
  // A token begins: what it is, the file it is in (counted from 0) and the byte offset in that
  // file. Called before any of the token's bytes, or of the space before it, is written.
  void (*onToken)(void* context, TokenClass cls, std::uint32_t file, std::uint64_t offset) = nullptr;
  // The token just announced is an identifier: its key (escapes decoded), the text written in
  // its place, and its entry in the genericizer's map when a genericizer named it (else null),
  // whose tag the watcher may use.
  void (*onName)(void* context, std::string_view key, std::string_view text, const TextMap::Entry* entry) = nullptr;
  // When set, tokens are noted here instead of told to onToken; the watcher keeps the file
  // index itself.
  TokenLog* log = nullptr;

  bool watches() const { return onToken != nullptr || log != nullptr; }
  // A token begins, at `offset` in `file`, when the output has taken `outputTaken` bytes.
  [[gnu::always_inline]] void tell(TokenClass cls, std::uint32_t file, std::uint64_t offset,
                                   std::uint64_t outputTaken) const {
    if (log != nullptr) {
      *log->next = TokenNote{outputTaken, offset};
      if (++log->next == log->end) [[unlikely]] log->full(context);
    } else {
      onToken(context, cls, file, offset);
    }
  }
};

}  // namespace qvmin
