// The byte scanner that minifies JavaScript text. It knows the lexical shapes of the language
// (comments, quoted strings, decimal and hexadecimal numbers, identifiers, operator characters)
// and nothing of its grammar. All of its state is in one struct, moved by one switch per byte.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "compiler/block_masks.h"
#include "compiler/genericizer.h"
#include "compiler/output_buffer.h"
#include "compiler/quoted_names.h"
#include "compiler/token_observer.h"

namespace qvmin {

// Another way to map a finished identifier to the text written in its place, for tools that
// watch the scanner (the fuzzer marks where identifiers land). Returns false to stop scanning.
struct IdentifierRewriter {
  void* context = nullptr;
  bool (*rewrite)(void* context, std::string_view identifier, std::string_view* replacement) = nullptr;
};

enum class ScanMode : std::uint8_t {
  kBetweenTokens,
  kNumber,                 // decimal digits
  kNumberExponentMark,     // just after the e or E of an exponent
  kNumberExponentSign,     // just after the sign of an exponent
  kNumberExponentDigits,   // digits of an exponent
  kHexNumber,              // after 0x or 0X
  kPendingSlash,           // a slash that may open a comment
  kLineComment,
  kBlockComment,
  kBlockCommentStar,       // in a block comment, just after an asterisk
  kSingleQuotedString,
  kSingleQuotedEscape,     // the previous byte was an escaping backslash
  kDoubleQuotedString,
  kDoubleQuotedEscape,
  kIdentifier,
};

// What the writing remembers of the tokens already written, to space the next one.
struct ClassicSpacing {
  bool pendingWhitespace = false;  // whitespace, a comment or a file boundary since the last token
  bool lastTokenWasWord = false;   // the last token written was an identifier or a number
  char lastOperator = 0;           // the operator character written last, if the last write was one
  char operatorBeforeLast = 0;     // the one written just before it, if that was one too
  bool droppedSinceOperator = false;  // a byte was dropped after that operator character
};

// A scan's writing side: the spacing and the output's write position, held by the scan loop
// itself so that both stay in registers.
struct ClassicWriter;

struct Scanner {
  // Identifiers are genericized when a genericizer is given, else written as they are.
  Scanner(OutputBuffer& out, Genericizer* genericizer) : out(out), genericizer(genericizer) {}
  Scanner(OutputBuffer& out, IdentifierRewriter rewriter) : out(out), genericizer(nullptr), rewriter(rewriter) {}

  // Feeds the next bytes of the current file. Returns false when the scanner had to stop
  // (no generic name was left for an identifier); the bytes after it are not scanned.
  bool scan(std::string_view bytes);
  // The pass without a byte at the end of a file: ends whatever is in progress.
  bool endOfFile();
  // Between two files only the spacing state carries over, and the boundary separates.
  void crossFileBoundary() {
    spacing.lastTokenWasWord = true;
    spacing.pendingWhitespace = true;
    ++fileIndex;
    fileOffset = 0;
  }

  // The identifier that got no name, when scanning stopped.
  std::string_view stoppedAt() const { return token; }

  // A scan may start at a guessed point inside a file (to read the rest of it on another thread),
  // between tokens.
  void startInside(std::uint32_t file, std::uint64_t offset) {
    fileIndex = guessedStartFile = file;
    fileOffset = guessedStartOffset = offset;
  }
  // This scanner, having read up to the point where `later` started, reads the tokens `later` read
  // from there: it is between tokens too. (The spacing of what it writes may differ.)
  bool leadsInto(const Scanner& later) const {
    return mode == ScanMode::kBetweenTokens && token.empty() && fileIndex == later.guessedStartFile &&
           fileOffset == later.guessedStartOffset;
  }
  // Goes on from where `later` stopped, its state now this scanner's; leadsInto(later) held.
  void takeOver(Scanner& later) {
    fileIndex = later.fileIndex;
    fileOffset = later.fileOffset;
    mode = later.mode;
    spacing = later.spacing;
    token.swap(later.token);
  }

  OutputBuffer& out;
  Genericizer* genericizer;
  IdentifierRewriter rewriter;
  StringSink strings;  // given the content of every string literal, when set
  // Told of every token as it begins (an operator character is a token of its own). Without
  // one the scanner runs as if the seam were not there.
  TokenObserver observer;
  std::uint32_t fileIndex = 0;
  std::uint64_t fileOffset = 0;    // bytes of the current file before the block being scanned
  ScanMode mode = ScanMode::kBetweenTokens;
  ClassicSpacing spacing;
  std::string token;               // the number, identifier or string being collected
  std::uint32_t guessedStartFile = 0;    // where a scan started inside a file began
  std::uint64_t guessedStartOffset = 0;

 private:
  template <bool kObserved>
  bool scanWith(std::string_view bytes);
  template <bool kObserved>
  void mark(ClassicWriter& w, TokenClass cls, std::uint64_t offset);
  template <bool kObserved>
  void normalRules(ClassicWriter& w, unsigned char byte, std::uint64_t offset);
  const unsigned char* skipPast(const unsigned char* p, const unsigned char* end, char target, ScanMode then);
  // Past the end of a block comment, into the mode after it; the end of the bytes if it goes on.
  const unsigned char* skipBlockComment(const unsigned char* p, const unsigned char* end);
  void endNumber(ClassicWriter& w);
  template <bool kObserved>
  bool writeIdentifier(ClassicWriter& w, std::string_view identifier, bool readableAhead);
  template <bool kObserved>
  bool endIdentifier(ClassicWriter& w);
  void endString(ClassicWriter& w, char closingQuote);
  const unsigned char* takeStretch(ClassicWriter& w, const unsigned char* p, const unsigned char* end,
                                   BlockMasksCache& cache);
};

}  // namespace qvmin
