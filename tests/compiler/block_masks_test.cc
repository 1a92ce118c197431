// Every width sorts every byte value at every position of a 64-byte block as the byte tables
// do.
#include "compiler/block_masks.h"

#include <gtest/gtest.h>

#include <string>

#include "support/scan_widths.h"
#include "tables/character_classes.h"

namespace qvmin {
namespace {

ClassicBlockMasks referenceMasks(const unsigned char* p) {
  ClassicBlockMasks m;
  for (int at = 0; at < 64; ++at) {
    const unsigned char c = p[at];
    const std::uint64_t bit = std::uint64_t{1} << at;
    const bool identifier = identifierStartChars[c] || digitChars[c];
    const bool whitespace = whitespaceChars[c];
    if (identifier) m.identifier |= bit;
    if (digitChars[c]) m.digit |= bit;
    if (whitespace) m.whitespace |= bit;
    if (c == ' ') m.space |= bit;
    if (!identifier && !whitespace && (c == '/' || !operatorChars[c])) m.other |= bit;
    if (c == '+' || c == '-' || c == '!' || c == '<') m.fusingLead |= bit;
    if (c == '+' || c == '-' || c == '!') m.fusingNext |= bit;
  }
  return m;
}

TEST(BlockMasks, EveryWidthSortsEveryByteAtEveryPosition) {
  // A block with every class in it, and 16 bytes after it that must not count.
  const std::string filler = "ab1 +(\n<!\"/'@-\t_$\r=`x9";
  std::string block;
  while (block.size() < 80) block += filler;
  block.resize(80);
  for (ScanWidth width : testing::availableWidths()) {
    if (width == ScanWidth::kScalar) continue;
    testing::WidthGuard guard(width);
    for (int at = 0; at < 64; ++at) {
      const char saved = block[at];
      for (int value = 0; value < 256; ++value) {
        block[at] = static_cast<char>(value);
        const auto* p = reinterpret_cast<const unsigned char*>(block.data());
        const ClassicBlockMasks got = classicBlockMasks(p);
        const ClassicBlockMasks want = referenceMasks(p);
        const auto where = [&] { return "width " + std::to_string(static_cast<int>(width)) + ", byte " +
                                        std::to_string(value) + " at " + std::to_string(at); };
        ASSERT_EQ(got.identifier, want.identifier) << where();
        ASSERT_EQ(got.digit, want.digit) << where();
        ASSERT_EQ(got.whitespace, want.whitespace) << where();
        ASSERT_EQ(got.space, want.space) << where();
        ASSERT_EQ(got.other, want.other) << where();
        ASSERT_EQ(got.fusingLead, want.fusingLead) << where();
        ASSERT_EQ(got.fusingNext, want.fusingNext) << where();
      }
      block[at] = saved;
    }
  }
}

}  // namespace
}  // namespace qvmin
