// Scans arbitrary bytes, split into one to four source files, with the modern grammar and checks:
// - the output does not depend on where read blocks end, nor on the scan width;
// - scanning the output again gives the same tokens: the same classes in the same order, and the
//   same identifiers once the names are mapped back;
// - nothing unterminated reaches across a file boundary: the output, read as one file, gives
//   the tokens that the files gave;
// - a reads-only scan started at a guessed point, when the scan up to that point says the guess
//   held, finds the names in strings that a scan in order finds from there, and ends in the same
//   state.
// Deep nesting needs no recursion, so the sanitizers' stack limit and libFuzzer's memory limit
// also hold for inputs made only of ${ or (.
//
// Input: byte 0 holds the number of files less one (bits 0-1) and the read block size (bits
// 2-7); bytes 1-6 are three 16-bit split offsets; the rest is the text of the files.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/byte_skips.h"
#include "compiler/modern_scanner.h"
#include "compiler/output_buffer.h"
#include "compiler/quoted_names_split.h"
#include "fuzz_support.h"
#include "tables/curated_lists.h"
#include "tables/keyword_table.h"

namespace qvmin::fuzzing {
namespace {

constexpr std::size_t kHeaderSize = 7;

struct Token {
  TokenClass cls;
  std::uint32_t file;
  bool operator==(const Token&) const = default;
};

// Maps identifiers to short names the way a run would: kept words stay, every other identifier
// gets a name of its own (Q and letters, which no kept word looks like).
struct Naming {
  const KeywordTable* kept = nullptr;
  std::map<std::string, std::string, std::less<>> names;
  std::map<std::string, std::string, std::less<>> identifiers;  // name -> identifier
  std::vector<std::string> seen;                                // identifiers in order
  bool mapBack = false;  // a second scan: names are turned back into identifiers
};

bool rename(void* context, std::string_view identifier, std::string_view* replacement) {
  auto& naming = *static_cast<Naming*>(context);
  if (naming.mapBack) {
    auto known = naming.identifiers.find(identifier);
    naming.seen.emplace_back(known == naming.identifiers.end() ? identifier : std::string_view(known->second));
    *replacement = identifier;
    return true;
  }
  naming.seen.emplace_back(identifier);
  if (naming.kept->contains(identifier)) {
    *replacement = identifier;
    return true;
  }
  auto it = naming.names.find(identifier);
  if (it == naming.names.end()) {
    std::string name = "Q";
    for (std::size_t n = naming.names.size(); ; n /= 26) {
      name.push_back(static_cast<char>('a' + n % 26));
      if (n < 26) break;
    }
    naming.identifiers.emplace(name, identifier);
    it = naming.names.emplace(std::string(identifier), std::move(name)).first;
  }
  *replacement = it->second;
  return true;
}

void recordToken(void* context, TokenClass cls, std::uint32_t file, std::uint64_t) {
  static_cast<std::vector<Token>*>(context)->push_back({cls, file});
}

// Control bytes made visible, for reports.
std::string visible(std::string_view text) {
  std::string shown;
  for (unsigned char c : text) {
    if (c < 0x20 && c != '\n') {
      shown += "\\x";
      shown.push_back("0123456789abcdef"[c >> 4]);
      shown.push_back("0123456789abcdef"[c & 15]);
    } else {
      shown.push_back(static_cast<char>(c));
    }
  }
  return shown;
}

struct Scanned {
  std::string output;
  std::vector<Token> tokens;
};

// Scans the files in blocks of at most blockSize bytes (0: whole).
Scanned scanFiles(const std::vector<std::string_view>& files, std::size_t blockSize, Naming& naming) {
  resetMemorySystem();
  const Platform& platform = memoryPlatform();
  const int fd = platform.createForWriting("out.js");
  Scanned scanned;
  {
    OutputBuffer out(platform, fd, 64);
    ModernScanner scanner(out, IdentifierRewriter{&naming, rename});
    scanner.observer = TokenObserver{&scanned.tokens, recordToken};
    for (std::string_view file : files) {
      for (std::size_t at = 0; at < file.size();) {
        const std::size_t size = blockSize == 0 ? file.size() : std::min(blockSize, file.size() - at);
        require(scanner.scan(file.substr(at, size)), "the scanner stopped although every identifier was renamed");
        at += size;
      }
      require(scanner.endOfFile(), "the scanner stopped at the end of a file");
      scanner.crossFileBoundary();
    }
    require(out.flush(), "a write to memory failed");
  }
  platform.close(fd);
  scanned.output = memorySystem().contents("out.js");
  return scanned;
}

// A scanner that only reads, collecting the names its strings hold.
struct NameReader {
  // Reads files[file] from `from` to `to` (npos: to its end, which is then ended), in blocks.
  void read(const std::vector<std::string_view>& files, std::size_t file, std::size_t from, std::size_t to,
            std::size_t blockSize) {
    const std::string_view text = files[file].substr(from, to == std::string_view::npos ? std::string_view::npos : to - from);
    for (std::size_t at = 0; at < text.size(); at += blockSize) scanner.scan(text.substr(at, blockSize));
    if (to != std::string_view::npos) return;
    scanner.endOfFile();
    scanner.crossFileBoundary();
  }
  std::set<std::string> names() const { return {found.names.begin(), found.names.end()}; }

  KeywordTable found;
  QuotedNameCollector collector{found};
  StringReader<ModernScanner> reader{memoryPlatform(), collector.sink()};
  ModernScanner& scanner = reader.scanner;
};

// Reads the names from a guessed start at files[file][offset] beside a scan in order.
void checkGuessedStart(const std::vector<std::string_view>& files, std::size_t file, std::size_t offset,
                       std::uint8_t guess, std::size_t blockSize) {
  NameReader whole, upTo, from;
  for (std::size_t k = 0; k < files.size(); ++k) whole.read(files, k, 0, std::string_view::npos, blockSize);
  for (std::size_t k = 0; k < file; ++k) upTo.read(files, k, 0, std::string_view::npos, blockSize);
  upTo.read(files, file, 0, offset, blockSize);
  from.scanner.startInside(static_cast<std::uint32_t>(file), offset, guess);
  for (std::size_t k = file; k < files.size(); ++k) from.read(files, k, k == file ? offset : 0, std::string_view::npos, blockSize);
  if (!upTo.scanner.leadsInto(from.scanner)) return;
  std::set<std::string> names = upTo.names();
  names.merge(from.names());
  require(names == whole.names(), "a scan taken over from a guessed start found other names");
  upTo.scanner.takeOver(from.scanner);
  const ModernScanner& a = upTo.scanner;
  const ModernScanner& b = whole.scanner;
  require(a.brackets == b.brackets && a.context == b.context && a.mode == b.mode && a.fileIndex == b.fileIndex &&
              a.fileOffset == b.fileOffset,
          "a scan taken over from a guessed start ends in another state");
}

const KeywordTable& keptWords() {
  static const KeywordTable table = [] {
    KeywordTable t;
    initReservedKeywords(t);
    addCuratedNames(t, CuratedList::kJavascript);
    return t;
  }();
  return table;
}

}  // namespace
}  // namespace qvmin::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvmin;
  using namespace qvmin::fuzzing;
  std::uint8_t header[kHeaderSize] = {};
  std::copy_n(data, std::min(size, kHeaderSize), header);
  const std::string_view body = size > kHeaderSize
                                    ? std::string_view(reinterpret_cast<const char*>(data) + kHeaderSize, size - kHeaderSize)
                                    : std::string_view();
  const std::size_t fileCount = (header[0] & 3u) + 1;
  const std::size_t blockSize = (header[0] >> 2) + 1;
  std::vector<std::size_t> cuts;
  for (std::size_t k = 0; k + 1 < fileCount; ++k) {
    cuts.push_back((header[1 + 2 * k] | (std::size_t{header[2 + 2 * k]} << 8)) % (body.size() + 1));
  }
  std::sort(cuts.begin(), cuts.end());
  std::vector<std::string_view> files;
  std::size_t from = 0;
  for (std::size_t cut : cuts) {
    files.push_back(body.substr(from, cut - from));
    from = cut;
  }
  files.push_back(body.substr(from));

  Naming naming;
  naming.kept = &keptWords();
  const Scanned whole = scanFiles(files, 0, naming);
  const std::vector<std::string> identifiers = naming.seen;

  // In blocks, and 16 bytes at a time where the whole scan took the widest path.
  naming.seen.clear();
  const ScanWidth widest = activeScanWidth;
  if (widest >= ScanWidth::kAvx2) activeScanWidth = ScanWidth::kSse2;
  const Scanned blocks = scanFiles(files, blockSize, naming);
  activeScanWidth = widest;
  require(blocks.output == whole.output, "the output depends on where read blocks end or on the scan width",
          visible(whole.output) + "\n=> " + visible(blocks.output));
  require(blocks.tokens == whole.tokens, "the tokens depend on where read blocks end or on the scan width");

  // The output read again: same token classes, same identifiers.
  naming.seen.clear();
  naming.mapBack = true;
  const Scanned again = scanFiles({whole.output}, blockSize, naming);
  require(again.output == whole.output, "scanning the output again changed it", visible(whole.output) + "\n=> " + visible(again.output));
  auto classes = [](const std::vector<Token>& tokens) {
    std::string letters;
    for (const Token& token : tokens) letters.push_back("-WNRSTOPX"[static_cast<int>(token.cls)]);
    return letters;
  };
  require(classes(again.tokens) == classes(whole.tokens), "the output reads as other tokens",
          visible(whole.output) + "\n" + classes(whole.tokens) + "\n" + classes(again.tokens));
  require(naming.seen == identifiers, "the output's identifiers map back to other identifiers");

  // A guessed start somewhere in the files, with one of the contexts a guess may hold.
  std::size_t start = (header[5] | (std::size_t{header[6]} << 8)) % (body.size() + 1);
  std::size_t file = 0;
  while (file + 1 < files.size() && start > files[file].size()) start -= files[file++].size();
  constexpr std::uint8_t kGuesses[] = {ModernScanner::kRegexAllowed | ModernScanner::kLineTerminatorSince,
                                       ModernScanner::kRegexAllowed, 0,
                                       ModernScanner::kRegexAllowed | ModernScanner::kBraceIsExpression};
  checkGuessedStart(files, file, std::min(start, files[file].size()), kGuesses[header[6] >> 6], blockSize);

  return 0;
}
