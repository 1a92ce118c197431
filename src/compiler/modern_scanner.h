// The scanner of the modern grammar: the whole lexical grammar of current JavaScript (regular
// expression and template literals, every number and identifier form, private names, comments
// of every kind) for scripts and modules alike. Like the classic scanner it knows no grammar
// beyond what telling tokens apart needs: a stack of open brackets, to know where a template
// substitution ends and whether a slash after `)` or `}` divides or begins a regular expression.
// All of its state is in one struct, moved by one switch over its mode.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/genericizer.h"
#include "compiler/output_buffer.h"
#include "compiler/quoted_names.h"
#include "compiler/scanner.h"
#include "compiler/token_observer.h"
#include "compiler/token_writer.h"

namespace qvmin {

enum class ModernMode : std::uint8_t {
  kCode,
  kString,        // inside a quoted string; `quote` says which
  kTemplate,      // the text of a template, between ` or } and ` or ${
  kRegex,         // the body of a regular expression
  kRegexClass,    // inside [...] of a regular expression, where / does not end it
  kRegexFlags,
  kLineComment,   // also the hashbang line of a later file and HTML-like comments
  kBlockComment,
  kHashbangLine,  // the hashbang line of the first file, which is kept
};

// What an open bracket was, for the one that closes it.
enum class OpenBracket : std::uint8_t {
  kParenthesis,
  kControlParenthesis,  // after if, while, for or with: a slash after its ) begins a regex
  kBlockBrace,          // a slash after its } begins a regex
  kExpressionBrace,     // an object literal: a slash after its } divides
  kSubstitution,        // ${ of a template: its } returns to the template text
};

struct ModernScanner {
  ModernScanner(OutputBuffer& out, Genericizer* genericizer) : writer(out), genericizer(genericizer) {}
  ModernScanner(OutputBuffer& out, IdentifierRewriter rewriter) : writer(out), genericizer(nullptr), rewriter(rewriter) {}

  // Feeds the next bytes of the current file; false when scanning had to stop (no generic name
  // was left for an identifier).
  bool scan(std::string_view bytes);
  // Ends the current file: a string, regular expression or template still open is written as
  // far as it goes and ended, so that nothing unterminated reaches into the next file.
  bool endOfFile();
  // The next file follows as if after a line break.
  void crossFileBoundary();

  // The identifier that got no name, when scanning stopped.
  std::string_view stoppedAt() const { return stoppedIdentifier; }

  // A scan may start at a guessed point inside a file (to read the rest of it on another thread):
  // in code, with the given context and no bracket open. The brackets it then closes that were
  // opened before that point are noted, as what it took them to be.
  void startInside(std::uint32_t file, std::uint64_t offset, std::uint8_t guessedContext);
  // This scanner, having read up to the point where `later` started, is in the state `later`
  // guessed there: reading on would have done what `later` did.
  bool leadsInto(const ModernScanner& later) const;
  // Goes on from where `later` stopped, its state now this scanner's; leadsInto(later) held.
  void takeOver(ModernScanner& later);

  // Told of every token as it is written: what it is and where it began (the file, counted
  // from 0, and the byte offset in it).
  TokenObserver observer;
  // Given the content of every string literal and whole template, when set.
  StringSink strings;
  // A pass that only reads the sources (for `strings`): nothing is written, no name is drawn.
  bool readsOnly = false;

  ModernTokenWriter writer;
  Genericizer* genericizer;
  IdentifierRewriter rewriter;

  ModernMode mode = ModernMode::kCode;
  char quote = 0;                   // the quote of the string being copied
  bool stringEndsInCrContinuation = false;  // what was copied of it ends in a backslash and a CR
  // What the last token says of the next, as bits.
  static constexpr std::uint8_t kAfterDot = 1;            // . or ?.: a word now is a property name
  static constexpr std::uint8_t kOpensControl = 2;        // if, while, for, with, or await after for
  static constexpr std::uint8_t kBraceIsExpression = 4;   // a { now would open an object literal
  static constexpr std::uint8_t kLineSensitive = 8;       // return, yield and the like: a line break may end it
  static constexpr std::uint8_t kAfterFor = 16;
  static constexpr std::uint8_t kRegexAllowed = 32;         // a slash now begins a regular expression
  // A line break since the last token; also at the start of a file: --> there is a comment.
  static constexpr std::uint8_t kLineTerminatorSince = 64;
  std::uint8_t context = kRegexAllowed | kLineTerminatorSince;
  bool firstFile = true;
  std::uint32_t fileIndex = 0;
  std::uint64_t fileOffset = 0;     // bytes of the current file consumed before `carry`
  std::vector<OpenBracket> brackets;
  std::string literalText;          // a string or template read so far, for `strings`, once it spans runs
  bool templateIsWhole = false;     // the template being read has no substitution so far
  bool literalMayName = true;       // what literalText holds may still name an identifier
  std::string carry;                // the unfinished end of the last bytes, scanned again with the next
  std::string decoded;              // an identifier's text with its escapes decoded
  std::string stoppedIdentifier;
  // Of a scan started inside a file: where, and the brackets closed that opened before it. Past
  // kMostClosedBefore of them the scan cannot be taken over.
  static constexpr std::size_t kMostClosedBefore = 4096;
  struct GuessedStart {
    std::uint32_t fileIndex = 0;
    std::uint64_t fileOffset = 0;
    std::uint8_t context = 0;
    std::vector<OpenBracket> closedBefore;
    bool tooManyClosed = false;
  };
  std::unique_ptr<GuessedStart> guessedStart;

 private:
  // Scans [begin, end); returns how much was consumed. Unless `last`, a token that may go on
  // past `end` is left unconsumed. Sets `stopped` when no generic name was left.
  std::size_t scanChunk(const unsigned char* begin, const unsigned char* end, bool last, bool& stopped);
  template <typename Writer, typename Output, bool kObserved>
  std::size_t scanChunkWith(Writer& writer, Output& out, const unsigned char* begin, const unsigned char* end,
                            bool last, bool& stopped);
  // The text to write for an identifier, or a null view when no name was left; `entry` is set to
  // its entry when the genericizer named it.
  std::string_view genericNameOf(std::string_view raw, const TextMap::Entry*& entry, bool readableAhead);
  std::string_view textFor(std::string_view raw, bool escaped, const TextMap::Entry*& entry);
  bool closeSubstitutions();
  // A closing bracket met no open one: it may close one opened before a guessed start.
  void closedBeforeStart(OpenBracket taken);
  void collectLiteral(std::string_view bytes);
  // Keeps a run of a literal that goes on past it.
  void holdLiteral(std::string_view run) {
    if (strings.onString != nullptr) collectLiteral(run);
  }
  // Hands on the literal of which `run` is the last part.
  void endLiteral(std::string_view run);
  void endUnterminatedString();
};

}  // namespace qvmin
