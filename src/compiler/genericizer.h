// Replaces identifiers by generic names: short random names drawn without repetition from a pool
// of numbers, each spelled in base 52 with a-z then A-Z. One Genericizer lasts for one run.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "compiler/random_below.h"
#include "containers/dual_linked_list.h"
#include "containers/text_map.h"
#include "platform/platform.h"
#include "tables/keyword_table.h"

namespace qvmin {

// Shorter first; at the first difference a lowercase letter precedes an uppercase one, and
// anything else compares as signed bytes. For generic names this is the order of their numbers.
bool genericNameLess(std::string_view x, std::string_view y);

// A generic name handed out and the identifier it replaces. 16 bytes, not two views: a large
// application has a million of them.
struct Translation {
  std::uint32_t number;          // the name spelled in base 52: number order is genericNameLess order
  const TextMap::Entry* entry;   // in identifierTranslationMap: key the identifier, value the name
};

struct GenericName {
  std::uint32_t number;
  std::string text;
};

struct Genericizer {
  Genericizer(const KeywordTable& keywords, const Platform& host)
      : keywordTable(keywords), platform(host), ticks{host, std::nullopt} {}

  const KeywordTable& keywordTable;  // fixed while the run lasts
  const Platform& platform;
  TickSource ticks;                  // feeds the draw; seed it before the first draw
  DualLinkedList genericNamePool;    // numbers not yet turned into names
  std::uint32_t poolUpperBound = 51; // the largest number ever put into the pool
  // A restock that would put a number above this fails the draw instead of wrapping around.
  std::uint32_t largestUsableNumber = std::numeric_limits<std::uint32_t>::max();
  bool isSetUp = false;

  // Identifier -> the text written in its place: its generic name, or for a keyword the keyword
  // itself, kept so that any repeat costs one lookup; keywords translate nothing.
  TextMap identifierTranslationMap;
  // Generic name -> identifier, in the order handed out; translationsInOrder sorts them.
  // Not an ordered map: inserting into one cost more than all the rest of a new identifier.
  std::vector<Translation> keywordTranslations;
  // The first keptNumberedCount translations are the names kept from an earlier run, sorted
  // by number; a draw refuses them like keywords.
  std::size_t keptNumberedCount = 0;
};

// Stocks the pool with the one-letter numbers 0..51. Call once before the first identifier.
void setUpGenericizer(Genericizer& genericizer);
// Releases the numbers left in the pool; the translations stay. Harmless without set-up.
void releaseGenericizer(Genericizer& genericizer);

// The first sight of an identifier: a keyword stays itself, anything else gets a new name.
const TextMap::Entry* genericizeNewIdentifier(Genericizer& genericizer, std::string_view identifier,
                                              std::uint64_t hash);

// The identifier's entry in identifierTranslationMap, whose value is the text to write in its
// place, valid while the Genericizer lives; null when a new name is needed and every usable
// number is spent. Inline: it runs once per identifier of the input, and nearly every call is
// a repeat.
[[gnu::always_inline]] inline const TextMap::Entry* genericizeIdentifier(Genericizer& genericizer,
                                                                        std::string_view identifier) {
  const std::uint64_t hash = hashText(identifier);
  if (const TextMap::Entry* seen = genericizer.identifierTranslationMap.find(identifier, hash)) return seen;
  return genericizeNewIdentifier(genericizer, identifier, hash);
}
// The same for an identifier from whose start 16 bytes may be read: one that short is hashed
// and compared with no branch on its length.
[[gnu::always_inline]] inline const TextMap::Entry* genericizeIdentifierReadingAhead(Genericizer& genericizer,
                                                                                    std::string_view identifier) {
  const std::size_t size = identifier.size();
  if (size > 16) return genericizeIdentifier(genericizer, identifier);
  const ShortWords words = shortWordsReadingAhead(identifier.data(), size);
  const std::uint64_t hash = hashShortWords(words, size);
  if (const TextMap::Entry* seen = genericizer.identifierTranslationMap.findShort(words, size, hash)) return seen;
  return genericizeNewIdentifier(genericizer, identifier, hash);
}

// Takes numbers out of the pool at random positions, restocking it with names one letter longer
// when it runs empty, until one spells a name that is not refused; nullopt once spent.
std::optional<GenericName> drawGenericName(Genericizer& genericizer);

// Keywords, and the words that newer JavaScript reserves in some contexts, are never handed out.
bool isRefusedGenericName(const KeywordTable& keywords, std::string_view name);

// The entries of the names handed out (value the generic name, key the identifier) in
// genericNameLess order of their names, for the translation file.
std::vector<const TextMap::Entry*> translationsInOrder(const Genericizer& genericizer);

}  // namespace qvmin
