// The first pass of keep-quoted-names, split over threads. The sources are cut into pieces at
// semicolons, and each piece after the first is read on a thread of its own from a guessed state:
// between tokens, and in the modern grammar with the context a semicolon leaves and no bracket
// open. When the scan before a piece arrives at its start, the guess is checked against the state
// really reached there; a piece guessed right is taken over whole, any other is read again in
// order. So the names found are always those of one scan in order, whatever the guesses were.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "compiler/compile_options.h"
#include "compiler/modern_scanner.h"
#include "compiler/output_buffer.h"
#include "compiler/quoted_names.h"
#include "compiler/scanner.h"
#include "lists/source_file_list.h"
#include "platform/platform.h"
#include "tables/keyword_table.h"

namespace qvmin {

// A scan that only reads, handing the strings it meets to `sink`; identifiers are read as they
// are and nothing is written.
template <typename AnyScanner>
struct StringReader {
  StringReader(const Platform& platform, StringSink sink) : discard(platform, -1), scanner(discard, IdentifierRewriter{}) {
    if constexpr (std::is_same_v<AnyScanner, ModernScanner>) scanner.readsOnly = true;
    scanner.strings = sink;
  }

  OutputBuffer discard;
  AnyScanner scanner;
};

// Where a piece starts: a byte offset in a source file (0: the file's start), and the context a
// modern scan is guessed to have there.
struct SplitPoint {
  std::size_t file = 0;
  std::uint64_t offset = 0;
  std::uint8_t context = 0;
};

// Pieces are not cut smaller than this: a thread is not worth less.
inline constexpr std::uint64_t kLeastPieceBytes = 512 * 1024;

// From this many files on, pieces are cut between files, with about as many files each.
inline constexpr std::size_t kLeastFilesCutBetween = 64;

// Points that cut the sources into up to `pieces` pieces. Fewer than kLeastFilesCutBetween files
// are cut into pieces of about equal size, none smaller than kLeastPieceBytes, each just after a
// semicolon near the even cut (one that ends its line if there is one). Empty when the sources
// are too small, the platform cannot read at an offset, or a source cannot be opened.
std::vector<SplitPoint> planSplit(const Platform& platform, const SourceFileList& sources, unsigned pieces);

struct SplitOutcome {
  bool done = false;        // false: a source could not be opened or read; scan in order instead
  std::size_t takenOver = 0;  // pieces whose guessed start held
};

// Adds to `kept` the names the strings of the sources hold, as the reads-only scan of the grammar
// in order would, reading the pieces that `points` (in order) begin on threads of their own. Needs
// the platform's readAt and calls it from several threads at once.
SplitOutcome collectQuotedNamesSplit(const Platform& platform, const SourceFileList& sources, KeywordTable& kept,
                                     const std::vector<SplitPoint>& points, Syntax syntax);

}  // namespace qvmin
