#include "compiler/scanner.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/minify.h"
#include "support/scan_widths.h"

namespace qvmin {
namespace {

// Minifies the files, feeding each in pieces of the given size to exercise block boundaries.
std::string minify(const std::vector<std::string>& files, std::size_t piece, Genericizer* genericizer = nullptr) {
  return testing::minifyWith<Scanner>(files, piece, genericizer);
}

struct Case {
  std::vector<std::string> files;
  std::string expected;
};

void expectMinified(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}, std::size_t{1} << 20}) {
      EXPECT_EQ(minify(c.files, piece), c.expected) << "input: " << ::testing::PrintToString(c.files) << " piece " << piece;
    }
  }
}

TEST(Scanner, WhitespaceAndComments) {
  expectMinified({
      {{"return  this ;"}, "return this;"},
      {{"if (true) {\n  return null;\n}\n"}, "if(true){return null;}"},
      {{"return/*x*/this"}, "return this"},
      {{"return//x\nthis"}, "return this"},
      {{"null\nnull"}, "null null"},
      {{"1;\n2;"}, "1;2;"},
      {{"a\t\r\n b"}, "a b"},
      {{"/***/x"}, "x"},
      {{"a/*/ x */b"}, "a b"},
      {{"a/**/b"}, "a b"},
      {{"a/*/*/b"}, "a b"},
      {{"a/* 1/2 ** 3 **/b"}, "a b"},
      {{"a/*x*//b"}, "a/b"},
      {{"a/*x*/ /b"}, "a/b"},
      {{"a/* never closed"}, "a"},
      {{"a// to the end"}, "a"},
      {{"a// cr only\rb\rc"}, "a"},
      {{"a// crlf\r\nb"}, "a b"},
      {{"new\x0Cwindow"}, "newwindow"},
      {{"\xEF\xBB\xBFvar x"}, "var x"},
      {{std::string("a\x80\xFF\x00" "b", 5)}, "ab"},
      {{"a`b`"}, "ab"},
  });
}

TEST(Scanner, StringsPassUnchanged) {
  expectMinified({
      {{"typeof 'x'"}, "typeof'x'"},
      {{"'x' in window"}, "'x'in window"},
      {{"'it\\'s'"}, "'it\\'s'"},
      {{"'\\\\' x"}, "'\\\\'x"},
      {{"'a//b'"}, "'a//b'"},
      {{"\"it's\" + \"a\\\"b\""}, "\"it's\"+\"a\\\"b\""},
      {{"'a  /* b */  c'"}, "'a  /* b */  c'"},
      {{std::string("'\x00\x80\n'", 5)}, std::string("'\x00\x80\n'", 5)},
      {{"x='a\"b'+\"''\"+''"}, "x='a\"b'+\"''\"+''"},
      {{"'open", "x"}, "'open x"},
      {{"\"open\\", "'b'"}, "\"open\\'b'"},
  });
}

TEST(Scanner, SlashesAndOperators) {
  expectMinified({
      {{"4/2"}, "4/2"},
      {{"4 / 2"}, "4/2"},
      {{"4//2"}, "4"},
      {{"1/"}, "1/"},
      {{"a = b ? c : d;"}, "a=b?c:d;"},
      {{"x.y [ 0 ]"}, "x.y[0]"},
  });
}

TEST(Scanner, OperatorsThatWouldFuseKeepOneSpace) {
  expectMinified({
      {{"1 + +2"}, "1+ +2"},
      {{"a - -b"}, "a- -b"},
      {{"a+ /* c */ +b"}, "a+ +b"},
      {{"x / /re/"}, "x/ /re/"},
      {{"s.split(/ */)"}, "s.split(/ */)"},
      {{"a+", "+b"}, "a+ +b"},
      {{"a-", "-b"}, "a- -b"},
      {{"a /", "/b/"}, "a/ /b/"},
      {{"a++b"}, "a++b"},
      {{"a + b"}, "a+b"},
      {{"a + -b"}, "a+-b"},
      {{"a - +b"}, "a-+b"},
      {{"a ++ ;"}, "a++;"},
      {{"1 +\x0C+2"}, "1+ +2"},
      {{"x = a/\x0C/re/; y"}, "x=a/ /re/;y"},
      {{"a/\x80*b"}, "a/ *b"},
      {{"a+@-b"}, "a+-b"},
  });
}

// Browsers take <!-- for a comment to the end of the line, which in the output is everything
// after it; written without the space that separated them, these operators would form one.
TEST(Scanner, OperatorsNeverFormAnHtmlCommentOpener) {
  expectMinified({
      {{"if (a < ! --b) c();"}, "if(a< !--b)c();"},
      {{"a <! --b"}, "a<! --b"},
      {{"a <!- -b"}, "a<!- -b"},
      {{"a</**/!--b"}, "a< !--b"},
      {{"a<!--b"}, "a< !--b"},
      {{"a<", "!--b"}, "a< !--b"},
      {{"a<!", "--b"}, "a<! --b"},
      {{"a < !b"}, "a< !b"},
      {{"a<!--b"}, "a<!--b"},
      {{"a < 'x' ! --b"}, "a<'x'!--b"},
      {{"a << ! --b"}, "a<< !--b"},
  });
}

TEST(Scanner, Numbers) {
  expectMinified({
      {{"0xFF 0X1f 1.5"}, "0xFF 0X1f 1.5"},
      {{"0x;"}, "0x;"},
      {{"00x1"}, "00x1"},
      {{"12X"}, "12X"},
      {{"3px"}, "3px"},
      {{"1e5 2E-3 1.5e+10"}, "1e5 2E-3 1.5e+10"},
      {{"0x1e+5"}, "0x1e+5"},
      {{"x = 1e5 + 1"}, "x=1e5+1"},
      {{"1e5e5"}, "1e5e5"},
      {{"1e+-2"}, "1e+-2"},
      {{"a1 $a_1"}, "a1 $a_1"},
  });
}

TEST(Scanner, FileBoundaries) {
  expectMinified({
      {{"return;", "this;"}, "return; this;"},
      {{"return", "this"}, "return this"},
      {{"null", "("}, "null("},
      {{"", "null"}, " null"},
      {{"a/*", "*/b"}, "a*/b"},
      {{"a//", "b"}, "a b"},
      {{"'x'", "y"}, "'x' y"},
  });
}

// The exponent belongs to the number: only real identifiers get names, the same name at every
// occurrence, whichever block boundary they straddle.
TEST(Scanner, ExponentIsNotAnIdentifier) {
  for (std::size_t piece : {std::size_t{1}, std::size_t{4}, std::size_t{1} << 20}) {
    KeywordTable keywords;
    Genericizer genericizer(keywords, systemPlatform());
    setUpGenericizer(genericizer);
    std::string out = minify({"a = 1e5 * b2 + 3px + a"}, piece, &genericizer);
    auto translations = translationsInOrder(genericizer);
    ASSERT_EQ(translations.size(), 3u);
    std::map<std::string, std::string> names;
    for (const TextMap::Entry* translation : translations) names[std::string(translation->key)] = translation->value;
    EXPECT_EQ(out, names["a"] + "=1e5*" + names["b2"] + "+3" + names["px"] + "+" + names["a"]);
  }
}

TEST(Scanner, StopsWhenNoNameIsLeft) {
  int fd = ::memfd_create("scanner-stop", 0);
  OutputBuffer out(systemPlatform(), fd);
  KeywordTable keywords;
  keywords.emplace("go");
  Genericizer genericizer(keywords, systemPlatform());
  genericizer.largestUsableNumber = 51;  // the one-letter names only
  setUpGenericizer(genericizer);
  std::string source = "go;";
  for (int i = 0; i < 52; ++i) source += "v" + std::to_string(i) + ";";
  source += "stop;never";
  Scanner scanner(out, &genericizer);
  EXPECT_FALSE(scanner.scan(source));
  EXPECT_EQ(scanner.stoppedAt(), "stop");  // the 53rd identifier
  ::close(fd);
}

// What a scan wrote, and the identifier it stopped at, if it stopped.
struct WidthRun {
  std::string output;
  std::string stoppedAt;
  bool operator==(const WidthRun&) const = default;
};

// How a scan names identifiers: not at all, by a rewriter (names of several lengths, one longer
// than 16 bytes, and a stop at "stop"), or by a genericizer with some or all of its numbers.
enum class Naming { kNone, kRewriter, kGenericizer };

bool rewriteByLength(void*, std::string_view identifier, std::string_view* replacement) {
  static constexpr std::string_view kNames[] = {"Q", "QUITE_A_LONG_REPLACEMENT", "ab", "xyz"};
  *replacement = kNames[identifier.size() % 4];
  return identifier != "stop";
}

WidthRun scanAtWidth(ScanWidth width, const std::vector<std::string>& files, std::size_t piece, Naming naming,
                     std::size_t capacity, std::uint32_t usableNumbers) {
  testing::WidthGuard guard(width);
  WidthRun run;
  const int fd = ::memfd_create("scanner-width", 0);
  {
    OutputBuffer out(systemPlatform(), fd, capacity);
    KeywordTable keywords;
    for (const char* keyword : {"if", "else", "return", "var"}) keywords.emplace(keyword);
    Genericizer genericizer(keywords, systemPlatform());
    genericizer.ticks.seededState = 7;
    genericizer.largestUsableNumber = usableNumbers;
    if (naming == Naming::kGenericizer) setUpGenericizer(genericizer);
    Scanner scanner = naming == Naming::kRewriter ? Scanner(out, IdentifierRewriter{nullptr, rewriteByLength})
                                                  : Scanner(out, naming == Naming::kGenericizer ? &genericizer : nullptr);
    bool going = true;
    for (const std::string& file : files) {
      for (std::size_t at = 0; going && at < file.size(); at += piece) going = scanner.scan(std::string_view(file).substr(at, piece));
      if (!going || !scanner.endOfFile()) {
        run.stoppedAt = scanner.stoppedAt();
        break;
      }
      scanner.crossFileBoundary();
    }
    EXPECT_TRUE(out.flush());
    releaseGenericizer(genericizer);
  }
  char buffer[4096];
  ::lseek(fd, 0, SEEK_SET);
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) run.output.append(buffer, static_cast<std::size_t>(n));
  ::close(fd);
  return run;
}

// The 64-byte stretches write what the byte loop writes: every case at offsets all over a block,
// runs of random cases and random bytes, named in each way, in pieces, through a buffer smaller
// than a stretch and a larger one, and when the names run out.
TEST(Scanner, StretchesWriteWhatTheByteLoopWrites) {
  const std::vector<std::string> cases = {
      "a + +b", "a - -b", "a+ +b", "a + + b", "a < !--b", "a <! --b", "a < ! - -b", "c ! -d", "x = y", "x\n\ty",
      "f(a, b) {\n  return a\n}", "1 a", "a 1", "a1 b2", "if (a) b; else c", "a.b.c(d)", "x=@y", "x+@+y", "x+@ +y",
      "'s' a", "a 's'", "a/*c*/b", "a/**/ +b", "a//c\nb", "a/b", "a /b/ c", "x\r\ny", "\xC3\xA9t\xC3\xA9 a",
      "a\x0C b", "$_ $1 _$", std::string(70, 'n') + " m", "p" + std::string(70, ' ') + "q", std::string(70, '='), "0x1F a", "1e5 b",
      "a\\u0041 b", "a#b", "a\"b\" c", "a -\n-b", "a <\t!b", "- -", "+\n+", "stop; go",
  };
  const std::string filler = "v1 = w2(x3, y4) + z5;\n  if (q) { r.s = t }\n";
  std::string context;
  while (context.size() < 200) context += filler;
  std::vector<std::vector<std::string>> inputs;
  for (const std::string& c : cases) {
    for (std::size_t offset = 0; offset <= 64; offset += offset < 60 ? 3 : 1) {
      inputs.push_back({context.substr(0, offset) + c + " " + context});
    }
  }
  std::mt19937_64 random(7);
  for (int i = 0; i < 300; ++i) {
    std::string joined;
    for (int j = 0; j < 20; ++j) joined += cases[random() % cases.size()] + std::string(" \n+-"  ).substr(random() % 4, 1);
    std::string bytes;
    const std::string alphabet = "ab_$1 \n\t+-<!=;(){}.'\"/*@\x80";
    for (int j = 0; j < 300; ++j) bytes += alphabet[random() % alphabet.size()];
    inputs.push_back({joined, bytes});
  }
  struct Config {
    std::size_t piece;
    Naming naming;
    std::size_t capacity;
    std::uint32_t usableNumbers;
  };
  constexpr std::size_t kWhole = std::size_t{1} << 20;
  constexpr std::uint32_t kAll = ~std::uint32_t{0};
  const Config configs[] = {{kWhole, Naming::kNone, 4096, kAll},
                            {97, Naming::kRewriter, 16, kAll},
                            {kWhole, Naming::kGenericizer, 4096, kAll},
                            {kWhole, Naming::kGenericizer, 4096, 51}};
  for (const std::vector<std::string>& files : inputs) {
    for (const Config& c : configs) {
      const WidthRun byteLoop = scanAtWidth(ScanWidth::kScalar, files, c.piece, c.naming, c.capacity, c.usableNumbers);
      for (ScanWidth width : testing::availableWidths()) {
        if (width == ScanWidth::kScalar) continue;
        ASSERT_TRUE(scanAtWidth(width, files, c.piece, c.naming, c.capacity, c.usableNumbers) == byteLoop)
            << "width " << static_cast<int>(width) << " piece " << c.piece << " naming " << static_cast<int>(c.naming) << " capacity "
            << c.capacity << " usable " << c.usableNumbers << "\n" << ::testing::PrintToString(files);
      }
    }
  }
}

}  // namespace
}  // namespace qvmin
