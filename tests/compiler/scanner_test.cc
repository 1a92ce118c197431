#include "compiler/scanner.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/minify.h"

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

}  // namespace
}  // namespace qvmin
