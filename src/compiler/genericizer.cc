#include "compiler/genericizer.h"

#include <algorithm>

#include "compiler/random_below.h"
#include "containers/char_list.h"

namespace qvmin {
namespace {

bool isLower(char c) { return c >= 'a' && c <= 'z'; }
bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }

std::uint32_t numberOf(std::uint32_t number) { return number; }
std::uint32_t numberOf(const Translation& translation) { return translation.number; }

bool isKeptNumber(const Genericizer& genericizer, std::uint32_t number) {
  const auto kept = genericizer.keywordTranslations.begin();
  return std::binary_search(kept, kept + static_cast<std::ptrdiff_t>(genericizer.keptNumberedCount), number,
                            [](const auto& x, const auto& y) { return numberOf(x) < numberOf(y); });
}

}  // namespace

bool genericNameLess(std::string_view x, std::string_view y) {
  if (x.size() != y.size()) return x.size() < y.size();
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (x[i] == y[i]) continue;
    if (isLower(x[i]) && isUpper(y[i])) return true;
    if (isUpper(x[i]) && isLower(y[i])) return false;
    return static_cast<signed char>(x[i]) < static_cast<signed char>(y[i]);
  }
  return false;
}

void setUpGenericizer(Genericizer& genericizer) {
  initDualLinkedList(genericizer.genericNamePool, genericizer.platform, freeDLLPayload);
  genericizer.poolUpperBound = 51;
  addDLLNumberRange(genericizer.genericNamePool, 0, 51);
  genericizer.isSetUp = true;
}

void releaseGenericizer(Genericizer& genericizer) {
  if (!genericizer.isSetUp) return;
  clearDualLinkedList(genericizer.genericNamePool);
  genericizer.isSetUp = false;
}

bool isRefusedGenericName(const KeywordTable& keywords, std::string_view name) {
  // Not in the keyword table, so still genericized where they occur, but as a generic name
  // they would change the meaning of the output.
  return isKeyword(keywords, name) || name == "let" || name == "yield" || name == "await";
}

std::optional<GenericName> drawGenericName(Genericizer& genericizer) {
  DualLinkedList& pool = genericizer.genericNamePool;
  for (;;) {
    if (pool.count == 0) {
      const std::uint64_t nextBound = std::uint64_t{genericizer.poolUpperBound} * 52 + 51;
      if (nextBound > genericizer.largestUsableNumber) return std::nullopt;
      addDLLNumberRange(pool, genericizer.poolUpperBound + 1, static_cast<std::uint32_t>(nextBound));
      genericizer.poolUpperBound = static_cast<std::uint32_t>(nextBound);
    }
    DLLNode* node = nullptr;
    getDLLNodeByIndex(pool, randomBelow(genericizer.ticks, pool.count - 1), node);
    removeDLLNode(pool, node);
    const std::uint32_t number = *static_cast<const std::uint32_t*>(node->payload);
    releaseDLLNode(pool, node);
    // A refused number stays consumed, like every number drawn.
    std::string name = genericNameOf(number);
    if (!isRefusedGenericName(genericizer.keywordTable, name) && !isKeptNumber(genericizer, number)) {
      return GenericName{number, std::move(name)};
    }
  }
}

const TextMap::Entry* genericizeNewIdentifier(Genericizer& genericizer, std::string_view identifier,
                                              std::uint64_t hash) {
  TextMap& translations = genericizer.identifierTranslationMap;
  if (isKeyword(genericizer.keywordTable, identifier)) return &translations.insertSelf(identifier, hash);

  std::optional<GenericName> name = drawGenericName(genericizer);
  if (!name) return nullptr;
  const TextMap::Entry& entry = translations.insert(identifier, name->text, hash);
  genericizer.keywordTranslations.push_back(Translation{name->number, &entry});
  return &entry;
}

std::vector<const TextMap::Entry*> translationsInOrder(const Genericizer& genericizer) {
  // Sorting number:position keys, and handing out the entries rather than copies of their
  // views, keeps the peak memory of a run with a million names down.
  const std::vector<Translation>& translations = genericizer.keywordTranslations;
  std::vector<std::uint64_t> order;
  order.reserve(translations.size());
  for (std::size_t i = 0; i < translations.size(); ++i) order.push_back(std::uint64_t{translations[i].number} << 32 | i);
  std::sort(order.begin(), order.end());
  std::vector<const TextMap::Entry*> entries;
  entries.reserve(order.size());
  for (std::uint64_t key : order) entries.push_back(translations[static_cast<std::uint32_t>(key)].entry);
  return entries;
}

}  // namespace qvmin
