#include "compiler/modern_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/minify.h"

namespace qvmin {
namespace {

bool keepName(void*, std::string_view identifier, std::string_view* replacement) {
  *replacement = identifier;
  return true;
}

// Minifies the files with every identifier kept, feeding each in pieces of the given size.
std::string minify(const std::vector<std::string>& files, std::size_t piece) {
  return testing::minifyWith<ModernScanner>(files, piece, IdentifierRewriter{nullptr, keepName});
}

struct Case {
  std::vector<std::string> files;
  std::string expected;
};

void expectMinified(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{5}, std::size_t{1} << 20}) {
      EXPECT_EQ(minify(c.files, piece), c.expected) << "input: " << ::testing::PrintToString(c.files) << " piece " << piece;
    }
  }
}

// What a slash means depends on the token before it; a regular expression is copied whole.
TEST(ModernScanner, SlashDividesOrBeginsARegularExpression) {
  expectMinified({
      {{"a = b / c / d"}, "a=b/c/d"},
      {{"x = /a b/g.test(s)"}, "x=/a b/g.test(s)"},
      {{"if (x) /a b/.test(s)"}, "if(x)/a b/.test(s)"},
      {{"f(x) / 2 / y"}, "f(x)/2/y"},
      {{"return /a b/"}, "return/a b/"},
      {{"x.return / 2 / y"}, "x.return/2/y"},
      {{"a++ / 2 / b"}, "a++/2/b"},
      {{"{} /a b/"}, "{}/a b/"},
      {{"x = {} / 2 / y"}, "x={}/2/y"},
      {{"a[0] / 2 / b"}, "a[0]/2/b"},
      {{"this / 2 / x"}, "this/2/x"},
      {{"x = /[/ ]\\/ /"}, "x=/[/ ]\\/ /"},
      {{"a\n++b"}, "a\n++b"},
      {{"return\n{}\n/a b/"}, "return\n{}\n/a b/"},
      {{"for await (x of y) /a b/"}, "for await(x of y)/a b/"},
  });
}

// A named word's meaning to the grammar is kept with its name after its first time; a property
// name after a dot still means nothing, whatever the word.
TEST(ModernScanner, KeywordsReadTheSameEveryTime) {
  KeywordTable keywords;
  for (const char* word : {"return", "typeof", "x", "y"}) keywords.emplace(word);
  Genericizer genericizer(keywords, systemPlatform());
  setUpGenericizer(genericizer);
  const std::string source = "return /a  b/; x.return / 2 / y; return /c  d/; x.typeof / 2; typeof /e  f/";
  for (std::size_t piece : {std::size_t{1}, std::size_t{5}, std::size_t{1} << 20}) {
    EXPECT_EQ(testing::minifyWith<ModernScanner>({source}, piece, &genericizer),
              "return/a  b/;x.return/2/y;return/c  d/;x.typeof/2;typeof/e  f/")
        << "piece " << piece;
  }
}

TEST(ModernScanner, TemplatesNestAndCopyTheirText) {
  expectMinified({
      {{"`a  b`"}, "`a  b`"},
      {{"`x ${ a + `y ${ b }` } z`"}, "`x ${a+`y ${b}`} z`"},
      {{"`${ {a: 1}.a } ${ /}/.source }`"}, "`${{a:1}.a} ${/}/.source}`"},
      {{"`line\nbreak` + `\\${not}`"}, "`line\nbreak`+`\\${not}`"},
      {{"tag`t` / 2"}, "tag`t`/2"},
  });
}

// Nothing between two tokens unless they would read differently side by side.
TEST(ModernScanner, SpacesOnlyWhereTokensWouldFuse) {
  expectMinified({
      {{"var  a = b"}, "var a=b"},
      {{"a + +b - -c"}, "a+ +b- -c"},
      {{"a + ++b"}, "a+ ++b"},
      {{"1 .toString() + 1.5.x + 1e3 .x + 1n .x"}, "1 .toString()+1.5.x+1e3.x+1n.x"},
      {{"x = a < ! --b"}, "x=a< !--b"},
      {{"a = b ? .5 : c"}, "a=b?.5:c"},
      {{"#x in o && o.#x"}, "#x in o&&o.#x"},
      {{"x = / a/g in y"}, "x=/ a/g in y"},
      {{"3px + 0x1F + 1_000n"}, "3px+0x1F+1_000n"},
      {{"x = a = = b"}, "x=a= =b"},
  });
}

// A line break is kept where a statement may end on it, and dropped where it cannot matter.
TEST(ModernScanner, LineBreaksWhereStatementsMayEnd) {
  expectMinified({
      {{"a = b\nc = d"}, "a=b\nc=d"},
      {{"a = b;\nc = d"}, "a=b;c=d"},
      {{"a = b\n(c)"}, "a=b\n(c)"},
      {{"a\n.b\n.c"}, "a.b.c"},
      {{"f(\n  a,\n  b\n)"}, "f(a,b)"},
      {{"return\nx"}, "return\nx"},
      {{"x = {\n a: 1\n}"}, "x={a:1}"},
      {{"let\n[a] = b"}, "let\n[a]=b"},
      {{"a /* one\ntwo */ b"}, "a\nb"},
      {{"a // note\n++b"}, "a\n++b"},
      {{"x = `a`\n`b`"}, "x=`a`\n`b`"},
  });
}

TEST(ModernScanner, CommentsOfEveryKind) {
  expectMinified({
      {{"#!/usr/bin/env node\nrun()"}, "#!/usr/bin/env node\nrun()"},
      {{"a()", "#!/usr/bin/env node\nb()"}, "a()\nb()"},
      {{"a = 1 <!-- gone\nb()"}, "a=1\nb()"},
      {{"a = 1\n--> gone\nb()"}, "a=1\nb()"},
      {{"a-->b"}, "a-->b"},
      {{"x = a\u2028y = b"}, "x=a\ny=b"},
      {{"\xEF\xBB\xBFvar\xC2\xA0" "a\xE3\x80\x80= 1"}, "var a=1"},
  });
}

// Whatever a file leaves open ends with it, and the next file is read as code.
TEST(ModernScanner, UnterminatedLiteralsEndWithTheirFile) {
  expectMinified({
      {{"x = 'abc", "y"}, "x='abc\ny"},
      {{"x = `abc", "y"}, "x=`abc`\ny"},
      {{"x = `a${ (b", "y"}, "x=`a${(b)}`\ny"},
      {{"x = /abc", ")"}, "x=/abc\n)"},
      {{"x = 'a\\", "y"}, "x='a\\\\\ny"},
      {{"x /* open", "y"}, "x\ny"},
      {{"`", "y"}, "``\ny"},
      {{"/", "y"}, "/\ny"},
      {{"} ) ] a"}, "})]a"},
      {{"(function () {", "})()"}, "(function(){})()"},
  });
}

// Identifiers with escapes are looked up by their decoded text but, when kept, keep their
// spelling; non-ASCII letters belong to identifiers.
TEST(ModernScanner, UnicodeIdentifiersAndEscapes) {
  expectMinified({
      {{"var \\u0061bc = \\u{62}"}, "var \\u0061bc=\\u{62}"},
      {{"var π = ünï + 1"}, "var π=ünï+1"},
      {{"x = \xFF\xFE + 1"}, "x=\xFF\xFE+1"},
      // Flags are copied as they are: one ending in a \u that is no escape is kept apart from
      // a {, which could make one (the next file may hold the rest).
      {{"/p/\\u {0}"}, "/p/\\u {0}"},
      {{"/p/\\u{zz}"}, "/p/\\u {zz}"},
      {{"/p/u\\u{", "83}"}, "/p/u\\u {83}"},
  });
}

// A million open brackets or substitutions are held in a flat stack, not by recursion.
TEST(ModernScanner, DeepNestingNeedsNoRecursion) {
  std::string deep;
  for (int i = 0; i < 1'000'000; ++i) deep += "`${(";
  const std::string out = minify({deep}, 1 << 16);
  EXPECT_EQ(out.size(), deep.size() + 3'000'000);  // each level closed: ) } `
}

}  // namespace
}  // namespace qvmin
