// The choices of a run that change how sources are read and written; a run without any of the
// newer options has the defaults, which are the classic behaviour.
#pragma once

#include <cstdint>

namespace qvmin {

enum class Syntax : std::uint8_t {
  kClassic,  // comments, quoted strings, decimal and hexadecimal numbers, identifiers, operators
  kModern,   // the whole lexical grammar of current JavaScript
};

struct CompileOptions {
  Syntax syntax = Syntax::kClassic;
};

}  // namespace qvmin
