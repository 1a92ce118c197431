#include "compiler/genericizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "containers/char_list.h"
#include "support/fake_platform.h"

namespace qvmin {
namespace {

using testing::fakePlatform;
using testing::fakeSystem;

std::uint32_t numberOf(std::string_view name) {
  std::uint32_t number = 0;
  for (char c : name) number = number * 52 + static_cast<std::uint32_t>(c >= 'a' ? c - 'a' : c - 'A' + 26);
  return number;
}

class GenericizerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::resetFakeSystem();
    initReservedKeywords(keywords);
    setUpGenericizer(genericizer);
  }
  void TearDown() override { releaseGenericizer(genericizer); }

  void scriptRandomTicks(std::size_t reads) {
    for (std::size_t i = 0; i < reads; ++i) fakeSystem().ticks.push_back(random());
  }
  std::string_view genericize(std::string_view identifier) {
    std::optional<std::string_view> text = genericizeIdentifier(genericizer, identifier);
    EXPECT_TRUE(text.has_value()) << identifier;
    return text.value_or("");
  }

  std::mt19937_64 random{42};
  KeywordTable keywords;
  Genericizer genericizer{keywords, fakePlatform()};
};

TEST_F(GenericizerTest, OneLetterNamesComeFirstThenTwoLetterNames) {
  scriptRandomTicks(200);
  std::set<std::string> names;
  for (int i = 0; i < 52; ++i) names.emplace(genericize("id" + std::to_string(i)));
  EXPECT_EQ(names.size(), 52u);
  for (const std::string& name : names) EXPECT_EQ(name.size(), 1u);
  EXPECT_EQ(genericizer.genericNamePool.count, 0u);

  std::string_view next = genericize("id52");
  ASSERT_EQ(next.size(), 2u);
  EXPECT_NE(next[0], 'a');
  EXPECT_EQ(genericizer.poolUpperBound, 2703u);
  EXPECT_EQ(genericizer.genericNamePool.count, 2652u - 1);
}

TEST_F(GenericizerTest, RepeatsReuseTheirNameWithoutADraw) {
  scriptRandomTicks(20);
  std::string_view foo = genericize("foo");
  std::string_view otherFoo = genericize("Foo");
  EXPECT_NE(foo, otherFoo);
  const std::size_t reads = fakeSystem().tickReads;
  EXPECT_EQ(genericize(std::string("foo")).data(), foo.data());
  EXPECT_EQ(fakeSystem().tickReads, reads);
  EXPECT_EQ(translationPairsInOrder(genericizer).size(), 2u);

  // Names outlive the pool: the translation file is written after it is released.
  releaseGenericizer(genericizer);
  EXPECT_EQ(genericizer.genericNamePool.count, 0u);
  EXPECT_EQ(genericize("foo"), foo);
}

TEST_F(GenericizerTest, KeywordsComeBackUnchangedAndTakeNoName) {
  for (std::string_view keyword : {"function", "this", "window", "$", "this"}) {
    EXPECT_EQ(genericize(keyword), keyword);
  }
  EXPECT_EQ(fakeSystem().tickReads, 0u);
  EXPECT_EQ(genericizer.genericNamePool.count, 52u);
  EXPECT_TRUE(translationPairsInOrder(genericizer).empty());

  // Near misses are ordinary identifiers.
  for (std::string_view identifier : {"$el", "WINDOW", "instanceof", "let", "yield"}) {
    EXPECT_NE(genericize(identifier), identifier);
  }
  EXPECT_EQ(translationPairsInOrder(genericizer).size(), 5u);
}

TEST_F(GenericizerTest, AnExcludedNameIsConsumedButNeverHandedOut) {
  keywords.insert("x");
  // Position 23 of the full first stock is number 23, x; then the counter gives zeros.
  fakeSystem().ticks = {0xFFFFFC05u, 0b111};
  EXPECT_EQ(genericize("first"), "a");
  EXPECT_EQ(genericizer.genericNamePool.count, 50u);

  std::set<std::string> names{"a"};
  for (int i = 0; i < 50; ++i) names.emplace(genericize("id" + std::to_string(i)));
  EXPECT_EQ(names.size(), 51u);
  EXPECT_FALSE(names.contains("x"));
  EXPECT_EQ(genericize("twoLetters").size(), 2u);
}

// With a counter that reads zero, every draw takes the pool's head, so names come in number
// order and any refused number shows up as a gap.
TEST_F(GenericizerTest, KeywordsAndLetAreSkippedInNumberOrder) {
  std::vector<std::uint32_t> handedOut;
  for (int i = 0; i < 30000; ++i) handedOut.push_back(numberOf(genericize("v" + std::to_string(i))));

  std::vector<std::uint32_t> gaps;
  for (std::size_t i = 1; i < handedOut.size(); ++i) {
    ASSERT_LT(handedOut[i - 1], handedOut[i]);
    for (std::uint32_t n = handedOut[i - 1] + 1; n < handedOut[i]; ++n) gaps.push_back(n);
  }
  EXPECT_EQ(handedOut.front(), 0u);
  for (std::string_view refused : {"do", "if", "in", "for", "int", "let"}) {
    EXPECT_TRUE(std::find(gaps.begin(), gaps.end(), numberOf(refused)) != gaps.end()) << refused;
  }
  for (std::uint32_t gap : gaps) {
    std::string name = genericNameOf(gap);
    EXPECT_TRUE(keywords.contains(name) || name == "let") << name;
  }
}

TEST_F(GenericizerTest, YieldIsRefusedLikeAKeyword) {
  // Five-letter names are out of reach of a real stock in a test, so stock the pool by hand.
  // (await begins with the zero digit a, so no number is spelled that way.)
  clearDualLinkedList(genericizer.genericNamePool);
  for (std::string_view name : {"yield", "yielf"}) {
    addDLLNumberRange(genericizer.genericNamePool, numberOf(name), numberOf(name));
  }
  std::optional<GenericName> drawn = drawGenericName(genericizer);
  ASSERT_TRUE(drawn.has_value());
  EXPECT_EQ(drawn->text, "yielf");
  EXPECT_EQ(drawn->number, numberOf("yielf"));
  EXPECT_EQ(genericizer.genericNamePool.count, 0u);
}

TEST_F(GenericizerTest, ExhaustionFailsTheDrawInsteadOfWrappingAround) {
  genericizer.largestUsableNumber = 2703;
  std::size_t named = 0;
  while (genericizeIdentifier(genericizer, "v" + std::to_string(named))) ++named;
  EXPECT_EQ(named, 2704u - 3);  // do, if and in are never handed out
  EXPECT_FALSE(genericizeIdentifier(genericizer, "another"));
  EXPECT_EQ(genericizer.poolUpperBound, 2703u);
  EXPECT_EQ(genericize("v0"), genericizer.identifierTranslationMap.at("v0"));
  EXPECT_EQ(genericize("this"), "this");

  // With the default bound the step after the five-letter stock would pass 32 bits.
  genericizer.largestUsableNumber = 0xFFFFFFFFu;
  genericizer.poolUpperBound = 380204031;
  EXPECT_FALSE(genericizeIdentifier(genericizer, "beyond"));
  EXPECT_EQ(genericizer.poolUpperBound, 380204031u);
}

TEST(GenericNameLess, ShorterFirstThenLowercaseBeforeUppercase) {
  EXPECT_TRUE(genericNameLess("Z", "ba"));
  EXPECT_TRUE(genericNameLess("z", "A"));
  EXPECT_FALSE(genericNameLess("A", "z"));
  EXPECT_TRUE(genericNameLess("bZ", "ca"));
  EXPECT_FALSE(genericNameLess("ab", "ab"));
  // Anything but a lowercase/uppercase pair compares as signed bytes.
  EXPECT_TRUE(genericNameLess("$", "a"));
  EXPECT_TRUE(genericNameLess("Z", "_"));
  EXPECT_TRUE(genericNameLess("\x80", "a"));
  EXPECT_FALSE(genericNameLess("a", "\x80"));
}

TEST(GenericNameLess, AgreesWithTheOrderOfTheNumbers) {
  std::vector<std::uint32_t> numbers{0, 1, 25, 26, 51, 52, 53, 2703, 2704, 140607, 140608, 7311615, 7311616,
                                     380204031, 380204032, 0xFFFFFFFFu};
  std::mt19937 random(3);
  for (int i = 0; i < 200; ++i) numbers.push_back(static_cast<std::uint32_t>(random() >> (random() % 32)));
  for (std::uint32_t x : numbers) {
    for (std::uint32_t y : numbers) {
      ASSERT_EQ(genericNameLess(genericNameOf(x), genericNameOf(y)), x < y) << x << " " << y;
    }
  }
}

TEST_F(GenericizerTest, TranslationPairsComeInGenericNameOrder) {
  // Hand out a, Z, ba and b, in that order, from a pool stocked by hand.
  clearDualLinkedList(genericizer.genericNamePool);
  for (std::uint32_t number : {0u, 51u, 52u, 1u}) addDLLNumberRange(genericizer.genericNamePool, number, number);
  for (std::string_view identifier : {"first", "second", "third", "fourth"}) genericize(identifier);
  using Pairs = std::vector<std::pair<std::string_view, std::string_view>>;
  EXPECT_EQ(translationPairsInOrder(genericizer),
            (Pairs{{"a", "first"}, {"b", "fourth"}, {"Z", "second"}, {"ba", "third"}}));
}

TEST_F(GenericizerTest, TranslationPairsMatchTheIdentifierMap) {
  scriptRandomTicks(400);
  for (int i = 0; i < 100; ++i) genericize("id" + std::to_string(i));
  genericize("return");
  auto pairs = translationPairsInOrder(genericizer);
  ASSERT_EQ(pairs.size(), 100u);
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    EXPECT_EQ(genericizer.identifierTranslationMap.at(std::string(pairs[i].second)), pairs[i].first);
    if (i > 0) {
      EXPECT_LT(numberOf(pairs[i - 1].first), numberOf(pairs[i].first));
    }
  }
}

// Reaching the four-letter stock (7171008 numbers) must not cost a walk per draw.
TEST_F(GenericizerTest, ManyDistinctIdentifiersGetUniqueNamesQuickly) {
  const int identifiers = 150000;
  scriptRandomTicks(3 * identifiers);
  std::string identifier;
  for (int i = 0; i < identifiers; ++i) {
    identifier = "id" + std::to_string(i);
    std::optional<std::string_view> name = genericizeIdentifier(genericizer, identifier);
    ASSERT_TRUE(name.has_value());
    ASSERT_FALSE(isRefusedGenericName(keywords, *name)) << *name;
  }
  auto pairs = translationPairsInOrder(genericizer);
  ASSERT_EQ(pairs.size(), static_cast<std::size_t>(identifiers));
  for (std::size_t i = 1; i < pairs.size(); ++i) ASSERT_NE(pairs[i - 1].first, pairs[i].first);
  EXPECT_EQ(genericizer.identifierTranslationMap.size(), static_cast<std::size_t>(identifiers));
  EXPECT_EQ(genericizer.poolUpperBound, 7311615u);
  EXPECT_EQ(pairs.back().first.size(), 4u);
}

}  // namespace
}  // namespace qvmin
