#include "tables/character_classes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qvmin {
namespace {

int members(const CharacterClass& cls) { return static_cast<int>(std::count(cls.begin(), cls.end(), true)); }

TEST(CharacterClasses, MemberCounts) {
  EXPECT_EQ(members(whitespaceChars), 4);
  EXPECT_EQ(members(identifierStartChars), 54);
  EXPECT_EQ(members(operatorChars), 26);
  EXPECT_EQ(members(hexDigitChars), 22);
  EXPECT_EQ(members(digitChars), 10);
  EXPECT_EQ(members(invalidFilenameChars), 38);
}

TEST(CharacterClasses, BytesOutsideEveryTextClass) {
  // Quotes, @, `, DEL, VT, FF and every byte from 0x80 up belong to no text class.
  for (int b = 0; b < 256; ++b) {
    bool inText = whitespaceChars[b] || identifierStartChars[b] || operatorChars[b] || hexDigitChars[b] ||
                  digitChars[b];
    bool expectedOutside = b == '"' || b == '\'' || b == '@' || b == '`' || b == 0x7F || b >= 0x80 ||
                           (b < 0x20 && b != '\t' && b != '\n' && b != '\r');
    EXPECT_EQ(inText, !expectedOutside) << "byte " << b;
  }
  EXPECT_FALSE(invalidFilenameChars['"']);
  EXPECT_FALSE(invalidFilenameChars[':']);
  EXPECT_FALSE(invalidFilenameChars['\\']);
  EXPECT_FALSE(invalidFilenameChars[0x7F]);
  EXPECT_TRUE(invalidFilenameChars[0x0B]);
  EXPECT_TRUE(invalidFilenameChars[0x0C]);
  EXPECT_TRUE(invalidFilenameChars['/']);
}

}  // namespace
}  // namespace qvmin
