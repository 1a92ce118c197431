#include "compiler/genericizer.h"

#include <gtest/gtest.h>

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

std::vector<std::pair<std::string_view, std::string_view>> pairsOf(const std::vector<const TextMap::Entry*>& entries) {
  std::vector<std::pair<std::string_view, std::string_view>> pairs;
  for (const TextMap::Entry* entry : entries) pairs.emplace_back(entry->value, entry->key);
  return pairs;
}

std::uint32_t numberOf(std::string_view name) {
  std::uint32_t number = 0;
  for (char c : name) number = number * 52 + static_cast<std::uint32_t>(c >= 'a' ? c - 'a' : c - 'A' + 26);
  return number;
}

// Without scripted ticks the counter reads 0, so every draw takes the head of the pool.
class GenericizerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::resetFakeSystem();
    initReservedKeywords(keywords);
    setUpGenericizer(genericizer);
  }
  void TearDown() override { releaseGenericizer(genericizer); }

  void scriptRandomTicks(std::size_t reads) {
    std::mt19937_64 random(42);
    for (std::size_t i = 0; i < reads; ++i) fakeSystem().ticks.push_back(random());
  }
  std::string_view genericize(std::string_view identifier) {
    const TextMap::Entry* entry = genericizeIdentifier(genericizer, identifier);
    EXPECT_NE(entry, nullptr) << identifier;
    return entry != nullptr ? entry->value : "";
  }
  void stockByHand(std::initializer_list<std::string_view> names) {
    clearDualLinkedList(genericizer.genericNamePool);
    for (std::string_view name : names) addDLLNumberRange(genericizer.genericNamePool, numberOf(name), numberOf(name));
  }

  KeywordTable keywords;
  Genericizer genericizer{keywords, fakePlatform()};
};

TEST_F(GenericizerTest, OneLetterNamesComeFirstAndRepeatsDrawNothing) {
  scriptRandomTicks(200);
  std::set<std::string> names;
  for (int i = 0; i < 52; ++i) names.emplace(genericize("id" + std::to_string(i)));
  EXPECT_EQ(names.size(), 52u);
  for (const std::string& name : names) EXPECT_EQ(name.size(), 1u);

  const std::size_t reads = fakeSystem().tickReads;
  std::string_view first = genericize("id0");
  EXPECT_EQ(genericize(std::string("id0")).data(), first.data());
  EXPECT_EQ(fakeSystem().tickReads, reads);

  std::string_view next = genericize("id52");
  ASSERT_EQ(next.size(), 2u);
  EXPECT_NE(next[0], 'a');
  EXPECT_EQ(genericizer.genericNamePool.count, 2652u - 1);
  releaseGenericizer(genericizer);  // the names outlive the pool: the translation file comes after
  EXPECT_EQ(genericize("id0"), first);
}

TEST_F(GenericizerTest, KeywordsComeBackUnchangedAndTakeNoName) {
  for (std::string_view keyword : {"function", "this", "window", "$", "this"}) {
    EXPECT_EQ(genericize(keyword), keyword);
  }
  EXPECT_EQ(fakeSystem().tickReads, 0u);
  EXPECT_EQ(genericizer.genericNamePool.count, 52u);
  EXPECT_TRUE(translationsInOrder(genericizer).empty());
  EXPECT_NE(genericize("let"), "let");  // refused as names, not kept as keywords
  EXPECT_NE(genericize("yield"), "yield");
}

TEST_F(GenericizerTest, AnExcludedNameIsConsumedButNeverHandedOut) {
  keywords.insert("x");
  fakeSystem().ticks = {0xFFFFFC05u, 0b111};  // position 23 of the full stock: number 23, x
  EXPECT_EQ(genericize("first"), "a");
  EXPECT_EQ(genericizer.genericNamePool.count, 50u);
  for (int i = 0; i < 50; ++i) EXPECT_NE(genericize("id" + std::to_string(i)), "x");
  EXPECT_EQ(genericize("twoLetters").size(), 2u);
}

// Head-first draws hand out names in number order, so refused numbers show up as gaps.
TEST_F(GenericizerTest, ShortKeywordsAndLetAreSkipped) {
  std::vector<std::uint32_t> gaps;
  std::uint32_t expected = 0;
  for (int i = 0; i < 30000; ++i) {
    const std::uint32_t number = numberOf(genericize("v" + std::to_string(i)));
    ASSERT_GE(number, expected);
    for (; expected < number; ++expected) gaps.push_back(expected);
    ++expected;
  }
  std::vector<std::uint32_t> refused;
  for (std::string_view name : {"do", "if", "in", "for", "int", "let"}) refused.push_back(numberOf(name));
  EXPECT_EQ(gaps, refused);

  stockByHand({"yield", "yielf"});  // five-letter stocks are too big for a test
  EXPECT_EQ(genericize("late"), "yielf");
}

TEST_F(GenericizerTest, ExhaustionFailsTheDrawInsteadOfWrappingAround) {
  genericizer.largestUsableNumber = 2703;
  std::size_t named = 0;
  while (genericizeIdentifier(genericizer, "v" + std::to_string(named))) ++named;
  EXPECT_EQ(named, 2704u - 3);  // all one- and two-letter names but do, if and in
  EXPECT_FALSE(genericizeIdentifier(genericizer, "another"));
  EXPECT_EQ(genericize("v0"), genericizer.identifierTranslationMap.find("v0")->value);
  EXPECT_EQ(genericize("this"), "this");

  // With the default bound, the five-letter stock is drawn from at once (it costs memory by
  // the names drawn, not by its 372,893,024 numbers); the stock after it would pass 32 bits.
  genericizer.largestUsableNumber = 0xFFFFFFFFu;
  genericizer.poolUpperBound = 7311615;
  scriptRandomTicks(1000);
  EXPECT_EQ(genericize("fiveLetters").size(), 5u);
  EXPECT_EQ(genericizer.genericNamePool.count, 372892416u - 1);
  EXPECT_EQ(genericizer.poolUpperBound, 380204031u);
  stockByHand({"ZZZZZ"});  // as if the rest were spent
  EXPECT_EQ(genericize("last"), "ZZZZZ");
  EXPECT_FALSE(genericizeIdentifier(genericizer, "beyond"));
  EXPECT_EQ(genericizer.poolUpperBound, 380204031u);
}

TEST(GenericNameLess, OrdersByLengthThenLowercaseFirstAndAgreesWithNumbers) {
  EXPECT_TRUE(genericNameLess("Z", "ba"));
  EXPECT_TRUE(genericNameLess("z", "A"));
  EXPECT_FALSE(genericNameLess("A", "z"));
  EXPECT_FALSE(genericNameLess("ab", "ab"));
  EXPECT_TRUE(genericNameLess("$", "a"));  // not a letter pair: signed bytes
  EXPECT_TRUE(genericNameLess("Z", "_"));
  EXPECT_TRUE(genericNameLess("\x80", "a"));

  const std::uint32_t numbers[] = {0, 1, 25, 26, 51, 52, 77, 2703, 2704, 140608, 7311615, 380204032, 0xFFFFFFFFu};
  for (std::uint32_t x : numbers) {
    for (std::uint32_t y : numbers) {
      ASSERT_EQ(genericNameLess(genericNameOf(x), genericNameOf(y)), x < y) << x << ' ' << y;
    }
  }
}

TEST_F(GenericizerTest, TranslationPairsComeInGenericNameOrder) {
  stockByHand({"a", "Z", "ba", "b"});
  for (std::string_view identifier : {"first", "second", "third", "fourth"}) genericize(identifier);
  using Pairs = std::vector<std::pair<std::string_view, std::string_view>>;
  EXPECT_EQ(pairsOf(translationsInOrder(genericizer)),
            (Pairs{{"a", "first"}, {"b", "fourth"}, {"Z", "second"}, {"ba", "third"}}));
}

// Reaching the four-letter stock (7171008 numbers) must not cost a walk per draw, nor change
// any name drawn: the digest of the numbers in the order handed out is that of the pool when it
// still made a node for every number.
TEST_F(GenericizerTest, ManyDistinctIdentifiersGetUniqueNamesQuickly) {
  const std::size_t identifiers = 150000;
  scriptRandomTicks(10 * identifiers);  // every draw random, to the four-letter stock's last
  std::uint64_t digest = 1469598103934665603u;  // FNV-1a over the numbers' little-endian bytes
  for (std::size_t i = 0; i < identifiers; ++i) {
    const TextMap::Entry* entry = genericizeIdentifier(genericizer, "id" + std::to_string(i));
    ASSERT_TRUE(entry != nullptr && !isRefusedGenericName(keywords, entry->value));
    for (int byte = 0; byte < 4; ++byte) {
      digest = (digest ^ (genericizer.keywordTranslations.back().number >> (8 * byte) & 255)) * 1099511628211u;
    }
  }
  EXPECT_EQ(digest, 0xbb8c85b092b13261u);
  EXPECT_FALSE(fakeSystem().ticks.empty());
  auto pairs = pairsOf(translationsInOrder(genericizer));
  ASSERT_EQ(pairs.size(), identifiers);
  for (std::size_t i = 1; i < pairs.size(); ++i) ASSERT_NE(pairs[i - 1].first, pairs[i].first);
  EXPECT_EQ(pairs.back().first.size(), 4u);
}

}  // namespace
}  // namespace qvmin
