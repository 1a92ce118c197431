#include "compiler/quoted_names_split.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <string_view>
#include <system_error>
#include <thread>

#include "platform/file_handle.h"

namespace qvmin {
namespace {

constexpr std::size_t kReadBlock = 256 * 1024;
// How far past an even cut a semicolon is looked for.
constexpr std::size_t kSearchWindow = 64 * 1024;

// The first good start in `window`, which begins at `base` of its file: after a semicolon that
// ends its line, else after any semicolon. Offset 0 when there is none.
SplitPoint startIn(std::string_view window, std::size_t file, std::uint64_t base) {
  std::size_t anySemicolon = std::string_view::npos;
  for (std::size_t at = window.find(';'); at != std::string_view::npos; at = window.find(';', at + 1)) {
    if (anySemicolon == std::string_view::npos) anySemicolon = at;
    std::size_t next = at + 1;
    while (next < window.size() && (window[next] == ' ' || window[next] == '\t' || window[next] == '\r')) ++next;
    if (next < window.size() && window[next] == '\n') {
      return SplitPoint{file, base + next + 1, ModernScanner::kRegexAllowed | ModernScanner::kLineTerminatorSince};
    }
  }
  if (anySemicolon == std::string_view::npos) return SplitPoint{};
  return SplitPoint{file, base + anySemicolon + 1, ModernScanner::kRegexAllowed};
}

// Cuts between files, the one state a scan has there guessed as that after a file whose last
// token was a semicolon or the brace of a block. No file need be opened to plan them.
std::vector<SplitPoint> cutsBetweenFiles(std::size_t files, unsigned pieces) {
  std::vector<SplitPoint> points;
  for (unsigned k = 1; k < pieces; ++k) {
    points.push_back(SplitPoint{files * k / pieces, 0,
                                ModernScanner::kRegexAllowed | ModernScanner::kLineTerminatorSince});
  }
  return points;
}

// A piece of the sources: from one point up to the next (or to the end of the last file).
struct Piece {
  SplitPoint from;
  const SplitPoint* to = nullptr;  // null for the last piece
};

// Feeds the piece to the scanner, ending the files that end inside it; false when a source could
// not be opened or read, or `stop` was set.
template <typename AnyScanner>
bool readPiece(const Platform& platform, const SourceFileList& sources, const Piece& piece, AnyScanner& scanner,
               char* block, const std::atomic<bool>& stop) {
  const std::size_t endFile =
      piece.to == nullptr ? sources.size() : piece.to->file + (piece.to->offset > 0 ? 1 : 0);
  for (std::size_t file = piece.from.file; file < endFile; ++file) {
    const bool toEnd = piece.to == nullptr || file < piece.to->file;
    std::uint64_t at = file == piece.from.file ? piece.from.offset : 0;
    FileHandle source(platform, platform.openForReading(sources.entries[file].path.c_str()));
    if (!source.isOpen()) return false;
    for (;;) {
      if (stop.load(std::memory_order_relaxed)) return false;
      std::size_t want = kReadBlock;
      if (!toEnd) want = static_cast<std::size_t>(std::min<std::uint64_t>(want, piece.to->offset - at));
      if (want == 0) break;
      const std::ptrdiff_t got = platform.readAt(source.fd(), block, want, at);
      if (got < 0 || (got == 0 && !toEnd)) return false;  // a file that shrank since the plan is read in order
      if (got == 0) break;
      scanner.scan(std::string_view(block, static_cast<std::size_t>(got)));
      at += static_cast<std::uint64_t>(got);
    }
    if (!source.close()) return false;
    if (toEnd) {
      scanner.endOfFile();
      scanner.crossFileBoundary();
    }
  }
  return true;
}

void startAt(ModernScanner& scanner, const SplitPoint& point) {
  scanner.startInside(static_cast<std::uint32_t>(point.file), point.offset, point.context);
}
void startAt(Scanner& scanner, const SplitPoint& point) {
  scanner.startInside(static_cast<std::uint32_t>(point.file), point.offset);  // the classic grammar has no context
}

// A piece read from its guessed start, with a table of the names it found.
template <typename AnyScanner>
struct PieceScan {
  explicit PieceScan(const Platform& platform) : reader(platform, collector.sink()) {}

  KeywordTable found;
  QuotedNameCollector collector{found};
  StringReader<AnyScanner> reader;
  bool read = false;
};

// What collectQuotedNamesSplit does, with one grammar's scanner.
template <typename AnyScanner>
SplitOutcome collectSplit(const Platform& platform, const SourceFileList& sources, KeywordTable& kept,
                          const std::vector<SplitPoint>& points) {
  SplitOutcome outcome;
  if (sources.size() == 0) return outcome;
  std::vector<Piece> pieces;
  pieces.push_back(Piece{SplitPoint{}, points.empty() ? nullptr : &points[0]});
  for (std::size_t k = 0; k < points.size(); ++k) {
    pieces.push_back(Piece{points[k], k + 1 < points.size() ? &points[k + 1] : nullptr});
  }

  std::atomic<bool> stop{false};
  std::vector<std::unique_ptr<PieceScan<AnyScanner>>> scans;
  std::vector<std::thread> threads;
  // Every thread is stopped and joined on the way out, however it is left.
  struct Joiner {
    std::atomic<bool>& stop;
    std::vector<std::thread>& threads;
    ~Joiner() {
      stop = true;
      for (std::thread& thread : threads) {
        if (thread.joinable()) thread.join();
      }
    }
  } joiner{stop, threads};

  for (std::size_t k = 1; k < pieces.size(); ++k) {
    scans.push_back(std::make_unique<PieceScan<AnyScanner>>(platform));
    PieceScan<AnyScanner>& scan = *scans.back();
    startAt(scan.reader.scanner, pieces[k].from);
    try {
      threads.emplace_back([&platform, &sources, &stop, &scan, piece = pieces[k]] {
        auto block = std::make_unique_for_overwrite<char[]>(kReadBlock);
        scan.read = readPiece(platform, sources, piece, scan.reader.scanner, block.get(), stop);
      });
    } catch (const std::system_error&) {
      threads.emplace_back();  // no thread to be had: the piece is read in order below
    }
  }

  QuotedNameCollector collector(kept);
  StringReader<AnyScanner> reader(platform, collector.sink());
  AnyScanner& scanner = reader.scanner;
  auto block = std::make_unique_for_overwrite<char[]>(kReadBlock);
  if (!readPiece(platform, sources, pieces[0], scanner, block.get(), stop)) return outcome;
  for (std::size_t k = 1; k < pieces.size(); ++k) {
    std::thread& thread = threads[k - 1];
    if (thread.joinable()) thread.join();
    PieceScan<AnyScanner>& scan = *scans[k - 1];
    if (scan.read && scanner.leadsInto(scan.reader.scanner)) {
      // The piece's names move over as they are, not copied: a name also on a compiled-in list
      // is then held twice, which changes no answer of the table.
      kept.names.merge(scan.found.names);
      scanner.takeOver(scan.reader.scanner);
      ++outcome.takenOver;
    } else if (!readPiece(platform, sources, pieces[k], scanner, block.get(), stop)) {
      return outcome;
    }
  }
  outcome.done = true;
  return outcome;
}

}  // namespace

std::vector<SplitPoint> planSplit(const Platform& platform, const SourceFileList& sources, unsigned pieces) {
  if (!kBuildHasThreads) pieces = 1;
  if (platform.readAt == nullptr || platform.sizeOf == nullptr || pieces < 2) return {};
  // Many files are cut between files, where opening each to learn its size would cost as much
  // as the thread saves.
  if (sources.size() >= kLeastFilesCutBetween) return cutsBetweenFiles(sources.size(), pieces);
  std::vector<std::uint64_t> sizes;
  sizes.reserve(sources.size());
  std::uint64_t total = 0;
  for (const SourceFileEntry& entry : sources.entries) {
    FileHandle source(platform, platform.openForReading(entry.path.c_str()));
    const std::int64_t size = source.isOpen() ? platform.sizeOf(source.fd()) : -1;
    if (size < 0 || !source.close()) return {};
    sizes.push_back(static_cast<std::uint64_t>(size));
    total += static_cast<std::uint64_t>(size);
  }
  pieces = static_cast<unsigned>(std::min<std::uint64_t>(pieces, total / kLeastPieceBytes));
  std::vector<SplitPoint> points;
  auto window = std::make_unique_for_overwrite<char[]>(kSearchWindow);
  std::size_t file = 0;
  std::uint64_t fileStart = 0;  // of `file`, in the sources taken as one text
  for (unsigned k = 1; k < pieces; ++k) {
    const std::uint64_t cut = total / pieces * k;
    while (fileStart + sizes[file] <= cut) fileStart += sizes[file++];
    std::uint64_t offset = cut - fileStart;
    if (!points.empty() && points.back().file == file) offset = std::max(offset, points.back().offset);
    FileHandle source(platform, platform.openForReading(sources.entries[file].path.c_str()));
    if (!source.isOpen()) return {};
    const std::ptrdiff_t got = platform.readAt(source.fd(), window.get(), kSearchWindow, offset);
    if (got < 0 || !source.close()) return {};
    const SplitPoint point = startIn(std::string_view(window.get(), static_cast<std::size_t>(got)), file, offset);
    // Strictly inside the file, so that every file ends in exactly one piece.
    if (point.offset > offset && point.offset < sizes[file]) points.push_back(point);
  }
  return points;
}

SplitOutcome collectQuotedNamesSplit(const Platform& platform, const SourceFileList& sources, KeywordTable& kept,
                                     const std::vector<SplitPoint>& points, Syntax syntax) {
  return syntax == Syntax::kModern ? collectSplit<ModernScanner>(platform, sources, kept, points)
                                   : collectSplit<Scanner>(platform, sources, kept, points);
}

}  // namespace qvmin
