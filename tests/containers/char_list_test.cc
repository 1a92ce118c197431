#include "containers/char_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace qvmin {
namespace {

TEST(CharList, Base52Spelling) {
  struct Case {
    std::uint32_t number;
    const char* name;  // most significant digit first
  };
  const Case cases[] = {
      {0, "a"},      {1, "b"},     {25, "z"},      {26, "A"},      {51, "Z"},           {52, "ba"},
      {53, "bb"},    {104, "ca"},  {2703, "ZZ"},   {2704, "baa"},  {140607, "ZZZ"},     {140608, "baaa"},
      {4294967295u, "lpvJyV"},
  };
  CharList list;
  initCharList(list);
  addCharListChar(list, 'x');  // earlier contents are replaced
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    numberToCharListDigits(list, c.number);
    CharListText digits = charListDigitsToString(list);
    EXPECT_EQ(digits.view(), c.name);
    EXPECT_EQ(digits.text[digits.length], '\0');
    std::string leastFirst(c.name);
    std::reverse(leastFirst.begin(), leastFirst.end());
    EXPECT_EQ(charListToString(list).view(), leastFirst);
    EXPECT_EQ(genericNameOf(c.number), c.name);
  }
  freeCharList(list);
}

TEST(CharList, EmptyListCopiesHaveNoText) {
  CharList list;
  initCharList(list);
  for (int round = 0; round < 2; ++round) {
    CharListText forward = charListToString(list);
    CharListText backward = charListDigitsToString(list);
    EXPECT_EQ(forward.length, 0u);
    EXPECT_EQ(forward.text, nullptr);
    EXPECT_EQ(backward.length, 0u);
    EXPECT_EQ(backward.text, nullptr);
    addCharListChar(list, 'q');
    clearCharList(list);  // a cleared list is empty again and stays usable
  }
  addCharListChar(list, 'q');
  EXPECT_EQ(charListToString(list).view(), "q");
  freeCharList(list);
}

TEST(CharList, NulAndHighBytesAreCopiedAndCounted) {
  CharList list;
  initCharList(list);
  for (char byte : std::string("a\0b\xFF", 4)) addCharListChar(list, static_cast<unsigned char>(byte));
  CharListText forward = charListToString(list);
  ASSERT_EQ(forward.length, 4u);
  EXPECT_EQ(forward.view(), std::string("a\0b\xFF", 4));
  EXPECT_EQ(forward.text[4], '\0');
  EXPECT_EQ(charListDigitsToString(list).view(), std::string("\xFF" "b\0a", 4));
  EXPECT_EQ(charListCount(list), 4u);
  freeCharList(list);
}

}  // namespace
}  // namespace qvmin
