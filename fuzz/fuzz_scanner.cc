// Pseudo-compiles arbitrary bytes, split into one to four source files, through the whole run
// over files held in memory, and checks what every run must give:
// - no CR or LF outside string literals in the output, and no <!-- that the sources lack;
// - the translation file undoes the genericization exactly: putting each identifier back in
//   place of its generic name gives the output of a second run whose exclusion list also holds
//   every translated identifier (and that leaves its translation file empty);
// - generic names are letters only, unique, never a keyword of the table nor let, yield or
//   await, handed out shortest first, and listed in generic-name order; identifiers are
//   distinct, not keywords, and exactly the genericized ones.
// Where each identifier stands in the output is learned from a third scan of the same sources
// whose rewriter writes a marker byte instead of a name. That scan feeds each file whole, while
// the runs read it in blocks of the sizes the input chooses, and it takes the byte loop alone
// (no 64-byte stretches, runs 16 bytes at a time) where the runs take the widest path, so a
// result that depends on where blocks end or on the width shows up as a difference too.
//
// Input: byte 0 holds the number of files less one (bits 0-1) and the read block size (bits
// 2-7); byte 1 chooses keywords to exclude; bytes 2-7 are three 16-bit split offsets; the rest
// is the text of the files.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cli/run.h"
#include "compiler/byte_skips.h"
#include "compiler/genericizer.h"
#include "compiler/output_buffer.h"
#include "compiler/scanner.h"
#include "containers/char_list.h"
#include "fuzz_support.h"
#include "tables/keyword_table.h"

namespace qvmin::fuzzing {
namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr char kMarker = '\x01';  // dropped outside strings, so only the rewriter writes it there
const char* const kSourceNames[] = {"a.js", "b.js", "c.js", "d.js"};

struct Input {
  std::vector<std::string_view> sources;
  std::vector<std::size_t> readSizes;
  std::vector<std::string> exclusions;  // keywords for the exclusion list of the first run
  std::size_t markedBufferSize = 1;     // output buffer of the marked scan
};

bool isWordByte(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
}
bool isLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The first word of the text that could be an identifier, so that excluded keywords also occur.
std::string firstWord(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (!isWordByte(c) || (c >= '0' && c <= '9') || (i > 0 && isWordByte(static_cast<unsigned char>(text[i - 1]))))
      continue;
    std::size_t end = i;
    while (end < text.size() && isWordByte(static_cast<unsigned char>(text[end]))) ++end;
    return std::string(text.substr(i, std::min<std::size_t>(end - i, 32)));
  }
  return {};
}

Input parseInput(const std::uint8_t* data, std::size_t size) {
  std::uint8_t header[kHeaderSize] = {};
  std::copy_n(data, std::min(size, kHeaderSize), header);
  std::string_view body;
  if (size > kHeaderSize)
    body = std::string_view(reinterpret_cast<const char*>(data) + kHeaderSize, size - kHeaderSize);

  Input input;
  const std::size_t fileCount = (header[0] & 3u) + 1;
  std::vector<std::size_t> cuts;
  for (std::size_t k = 0; k + 1 < fileCount; ++k) {
    cuts.push_back((header[2 + 2 * k] | (std::size_t{header[3 + 2 * k]} << 8)) % (body.size() + 1));
  }
  std::sort(cuts.begin(), cuts.end());
  std::size_t from = 0;
  for (std::size_t cut : cuts) {
    input.sources.push_back(body.substr(from, cut - from));
    from = cut;
  }
  input.sources.push_back(body.substr(from));

  const std::size_t blockChoice = header[0] >> 2;
  if (blockChoice != 0) input.readSizes = {blockChoice, blockChoice * 97 + 1};
  input.markedBufferSize = 1 + (blockChoice * 29 + header[1]) % 256;

  const std::uint8_t excluded = header[1];
  if (excluded != 0) {
    KeywordTable reserved;
    initReservedKeywords(reserved);
    std::vector<std::string> candidates{genericNameOf(excluded % 52)};
    if (excluded & 0x40) candidates.push_back(genericNameOf(52 + excluded * 41u % 2652));
    if (excluded & 0x80) candidates.push_back(firstWord(body));
    for (std::string& word : candidates) {
      if (word.empty() || reserved.contains(word)) continue;
      if (std::find(input.exclusions.begin(), input.exclusions.end(), word) != input.exclusions.end()) continue;
      input.exclusions.push_back(std::move(word));
    }
  }
  return input;
}

std::string joinedLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

// One run over the sources in memory; the output and translation file's texts.
struct RunOutput {
  std::string output;
  std::string translation;
};

RunOutput runOver(const Input& input, const std::vector<std::string>& exclusions, const char* output,
                  const char* translation) {
  MemorySystem& system = memorySystem();
  system.printed.clear();
  system.files["exclusions.txt"] = joinedLines(exclusions);
  const char* argv[] = {"qvmin", "/sflfp", "list.txt", "/kelfp",   "exclusions.txt",
                        "/ofp",  output,   "/oktfp",   translation};
  const int status = runQvmin(memoryPlatform(), 9, argv);
  require(status == 0, "a run over readable sources failed", system.printed);
  const std::string summary =
      "\n" + std::to_string(input.sources.size()) + " source files successfully pseudo-compiled!\n";
  require(system.printed.ends_with(summary), "the run did not report every source file", system.printed);
  require(system.openDescriptorCount() == 0, "the run left a file open");
  return RunOutput{system.contents(output), system.contents(translation)};
}

struct TranslationLine {
  std::string name;
  std::string identifier;
};

std::vector<TranslationLine> parseTranslation(const std::string& text) {
  std::vector<TranslationLine> lines;
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t end = text.find("\r\n", from);
    require(end != std::string::npos, "a translation line does not end with CR LF", text.substr(from));
    std::string_view line = std::string_view(text).substr(from, end - from);
    std::size_t comma = line.find(',');
    require(comma != std::string_view::npos, "a translation line has no comma", std::string(line));
    lines.push_back(TranslationLine{std::string(line.substr(0, comma)), std::string(line.substr(comma + 1))});
    from = end + 2;
  }
  return lines;
}

// The numbers whose names have the given length: 0..51 for one letter, and each longer stock
// runs from the end of the previous one to end * 52 + 51 (a leading "a" is a zero digit).
struct NumberRange {
  std::uint32_t first = 0;
  std::uint32_t last = 51;
};

NumberRange numbersOfLength(std::size_t length) {
  NumberRange range;
  for (std::size_t l = 1; l < length; ++l) range = NumberRange{range.last + 1, range.last * 52 + 51};
  return range;
}

// How many usable names the given length has: the refused ones are skipped when drawn.
std::size_t usableNamesOfLength(const KeywordTable& table, std::size_t length) {
  const NumberRange range = numbersOfLength(length);
  std::size_t usable = 0;
  for (std::uint32_t number = range.first; number <= range.last; ++number) {
    usable += !isRefusedGenericName(table, genericNameOf(number));
  }
  return usable;
}

void checkTranslation(const std::vector<TranslationLine>& lines, const KeywordTable& table) {
  std::set<std::string> names;
  std::set<std::string> identifiers;
  std::map<std::size_t, std::size_t> namesOfLength;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const TranslationLine& line = lines[i];
    require(!line.name.empty() && std::all_of(line.name.begin(), line.name.end(),
                                              [](char c) { return isLetter(static_cast<unsigned char>(c)); }),
            "a generic name is not made of letters only", line.name);
    require(names.insert(line.name).second, "a generic name was handed out twice", line.name);
    require(!isKeyword(table, line.name), "a keyword was handed out as a generic name", line.name);
    require(line.name != "let" && line.name != "yield" && line.name != "await",
            "a contextually reserved word was handed out as a generic name", line.name);
    if (i > 0 && !genericNameLess(lines[i - 1].name, line.name)) {
      violated("translation lines are out of order", lines[i - 1].name + " before " + line.name);
    }
    require(!line.identifier.empty() && identifiers.insert(line.identifier).second, "an identifier is translated twice",
            line.identifier);
    require(!isKeyword(table, line.identifier), "a keyword was genericized", line.identifier);
    ++namesOfLength[line.name.size()];
  }
  // Every usable name of one length is handed out before any longer one.
  if (namesOfLength.empty()) return;
  const std::size_t longest = namesOfLength.rbegin()->first;
  for (std::size_t length = 1; length < longest; ++length) {
    require(namesOfLength[length] == usableNamesOfLength(table, length),
            "a longer generic name was handed out before every shorter one", std::to_string(length));
  }
}

bool recordIdentifier(void* identifiers, std::string_view identifier, std::string_view* replacement) {
  static_cast<std::vector<std::string>*>(identifiers)->emplace_back(identifier);
  static constexpr char kMarkerText[] = {kMarker};
  *replacement = std::string_view(kMarkerText, 1);
  return true;
}

// The sources scanned with a marker for every identifier, the identifiers in output order, and
// where each file's output ends.
struct MarkedOutput {
  std::string text;
  std::vector<std::string> identifiers;
  std::vector<std::size_t> fileEnds;
};

MarkedOutput markedOutput(const Input& input) {
  MarkedOutput marked;
  const Platform& platform = memoryPlatform();
  const int fd = platform.createForWriting("marked.js");
  // The byte loop, while the runs take the widest path: a result that depends on the width shows
  // up as a difference too.
  const ScanWidth runWidth = activeScanWidth;
  activeScanWidth = ScanWidth::kScalar;
  {
    // A small buffer puts the ends of its blocks in the middle of tokens.
    OutputBuffer out(platform, fd, input.markedBufferSize);
    Scanner scanner(out, IdentifierRewriter{&marked.identifiers, recordIdentifier});
    for (std::string_view source : input.sources) {
      require(scanner.scan(source) && scanner.endOfFile(),
              "the scanner stopped although every identifier was rewritten");
      require(out.flush(), "a write to memory failed");
      marked.fileEnds.push_back(memorySystem().contents("marked.js").size());
      scanner.crossFileBoundary();
    }
  }
  activeScanWidth = runWidth;
  platform.close(fd);
  marked.text = memorySystem().contents("marked.js");
  return marked;
}

// Walks each file's part of an output with the string state the scanner keeps: a quote opens a
// string, a backslash escapes the next byte, the same quote closes it, and the file's end ends it.
// visit(byte, inString) sees every byte; fileEnd() follows each file's part.
template <typename Visit, typename FileEnd>
void walkStrings(std::string_view text, const std::vector<std::size_t>& fileEnds, Visit visit, FileEnd fileEnd) {
  std::size_t from = 0;
  for (std::size_t end : fileEnds) {
    char quote = 0;
    bool escaped = false;
    for (std::size_t p = from; p < end; ++p) {
      char c = text[p];
      if (quote != 0) {
        visit(c, true);
        if (escaped) {
          escaped = false;
        } else if (c == '\\') {
          escaped = true;
        } else if (c == quote) {
          quote = 0;
        }
        continue;
      }
      if (c == '\'' || c == '"') quote = c;
      visit(c, quote != 0);
    }
    fileEnd();
    from = end;
  }
}

void checkRun(const std::uint8_t* data, std::size_t size) {
  const Input input = parseInput(data, size);
  resetMemorySystem();
  MemorySystem& system = memorySystem();
  std::vector<std::string> listed;
  for (std::size_t i = 0; i < input.sources.size(); ++i) {
    system.files[kSourceNames[i]] = std::string(input.sources[i]);
    listed.emplace_back(kSourceNames[i]);
  }
  system.files["list.txt"] = joinedLines(listed);
  system.readSizes = input.readSizes;

  const RunOutput first = runOver(input, input.exclusions, "out.js", "map.txt");
  KeywordTable table;
  initReservedKeywords(table);
  table.insert(input.exclusions.begin(), input.exclusions.end());
  const std::vector<TranslationLine> lines = parseTranslation(first.translation);
  checkTranslation(lines, table);
  std::map<std::string, std::string, std::less<>> nameOf;
  for (const TranslationLine& line : lines) nameOf.emplace(line.identifier, line.name);

  // Put names, or the identifiers themselves, where the markers stand.
  const MarkedOutput marked = markedOutput(input);
  std::string withNames;
  std::string withIdentifiers;
  std::vector<std::size_t> fileEndsWithNames;
  std::set<std::string, std::less<>> genericized;
  std::size_t next = 0;
  auto putBack = [&](char c, bool inString) {
    if (inString || c != kMarker) {
      withNames += c;
      withIdentifiers += c;
      return;
    }
    require(next < marked.identifiers.size(), "more markers than identifiers");
    const std::string& identifier = marked.identifiers[next++];
    withIdentifiers += identifier;
    if (isKeyword(table, identifier)) {
      withNames += identifier;
      return;
    }
    auto name = nameOf.find(identifier);
    require(name != nameOf.end(), "a genericized identifier has no translation line", identifier);
    withNames += name->second;
    genericized.insert(identifier);
  };
  walkStrings(marked.text, marked.fileEnds, putBack, [&] { fileEndsWithNames.push_back(withNames.size()); });
  require(next == marked.identifiers.size(), "an identifier left no marker in the output");
  require(genericized.size() == lines.size(), "the translation file lists an identifier that does not occur");
  if (first.output != withNames) {
    violated("the output differs from its sources with the generic names put in",
             "output:\n" + first.output + "\nexpected:\n" + withNames);
  }

  // Browsers read <!-- as the start of a comment to the end of the line, and the output is one
  // line: it may hold one only where a source file holds one.
  const bool sourcesOpenHtmlComment =
      std::any_of(input.sources.begin(), input.sources.end(),
                  [](std::string_view source) { return source.find("<!--") != std::string_view::npos; });
  std::string lastBytes;  // outside strings
  walkStrings(
      first.output, fileEndsWithNames,
      [&](char c, bool inString) {
        require(inString || (c != '\r' && c != '\n'), "a line break outside a string literal in the output");
        if (inString) {
          lastBytes.clear();
          return;
        }
        lastBytes += c;
        if (lastBytes.size() > 4) lastBytes.erase(0, 1);
        require(lastBytes != "<!--" || sourcesOpenHtmlComment, "the output opens an HTML comment its sources do not");
      },
      [] {});

  // The same sources with every translated identifier excluded keep every identifier as it is.
  std::vector<std::string> everyIdentifier = input.exclusions;
  for (const TranslationLine& line : lines) everyIdentifier.push_back(line.identifier);
  const RunOutput second = runOver(input, everyIdentifier, "out2.js", "map2.txt");
  require(second.translation.empty(), "a run with every identifier excluded genericized one", second.translation);
  if (second.output != withIdentifiers) {
    violated("putting the identifiers back in place of their generic names does not give the unchanged output",
             "unchanged:\n" + second.output + "\nexpected:\n" + withIdentifiers);
  }
}

}  // namespace
}  // namespace qvmin::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qvmin::fuzzing::checkRun(data, size);
  return 0;
}
