// A seam through which a tool watches the tokens a scanner writes (the source map, the fuzzer).
#pragma once

#include <cstdint>
#include <string_view>

#include "compiler/token_writer.h"

namespace qvmin {

struct TokenObserver {
  void* context = nullptr;
  // A token begins: what it is, the file it is in (counted from 0) and the byte offset in that
  // file. Called before any of the token's bytes, or of the space before it, is written.
  void (*onToken)(void* context, TokenClass cls, std::uint32_t file, std::uint64_t offset) = nullptr;
  // The token just announced is an identifier: its key (escapes decoded) and the text written
  // in its place.
  void (*onName)(void* context, std::string_view key, std::string_view text) = nullptr;
};

}  // namespace qvmin
