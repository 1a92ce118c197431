// The choices of a run that change how sources are read and written; a run without any of the
// newer options has the defaults, which are the classic behaviour.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qvmin {

struct KeptNames;

enum class Syntax : std::uint8_t {
  kClassic,  // comments, quoted strings, decimal and hexadecimal numbers, identifiers, operators
  kModern,   // the whole lexical grammar of current JavaScript
};

// The names of an environment that are kept as they are.
enum class Environment : std::uint8_t { kNone, kBrowser, kNode, kUniversal };

struct CompileOptions {
  Syntax syntax = Syntax::kClassic;
  Environment environment = Environment::kNone;
  // An identifier that is also the whole text of a string literal somewhere in the sources is
  // kept, so that obj['total'] and obj.total stay one property.
  bool keepQuotedNames = false;
  std::optional<std::uint64_t> seed;  // /seed: names drawn from a seeded generator, not the tick counter
  KeptNames* keptNames = nullptr;     // /iktfp, once read: handed over to the genericizer
  // Written as `//# sourceMappingURL=` on a line of its own after the output; empty: none.
  std::string sourceMapUrl;
};

}  // namespace qvmin
