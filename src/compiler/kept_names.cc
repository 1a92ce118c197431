#include "compiler/kept_names.h"

#include <algorithm>

#include "lists/translation_file_reader.h"

namespace qvmin {
namespace {

// The pool stops at five letters: a sixth would take numbers past 2^32.
constexpr std::size_t kLongestPoolName = 5;
constexpr std::size_t kPoolNumbers = 52ull * 52 * 52 * 52 * 52;

// The reading of one file: the kept pairs plus what it takes to find repeats among all pairs,
// dropped ones included.
struct KeptNameReader {
  const ListFile& file;
  const KeywordTable& keywords;
  KeptNames& kept;
  TextMap dropped;                                  // identifier -> name, of the dropped pairs
  std::vector<bool> numbersSeen;                    // grows to the largest pool number read

  // True when the name's number was not seen before; records it.
  bool firstSightOf(std::uint32_t number) {
    if (number >= numbersSeen.size()) {
      numbersSeen.resize(std::min(kPoolNumbers, std::max<std::size_t>(number + 1, numbersSeen.size() * 2)));
    }
    if (numbersSeen[number]) return false;
    numbersSeen[number] = true;
    return true;
  }

  bool accept(std::string_view name, std::string_view identifier, int line) {
    // qvmin writes no other names: one longer than the pool's, or of two letters or more that
    // begin with a, is not from one of its translation files.
    const std::optional<std::uint32_t> number = poolNumberOf(name);
    if (!number) return rejectTranslationLine(file, "A generic name that is never handed out was found!", line);
    const std::uint64_t hash = hashText(identifier);
    if (kept.identifiers.find(identifier, hash) || dropped.find(identifier, hash)) {
      return rejectTranslationLine(file, "A duplicate identifier was found!", line);
    }
    const bool drop = isRefusedGenericName(keywords, name) || isKeyword(keywords, identifier);
    const TextMap::Entry& entry = (drop ? dropped : kept.identifiers).insert(identifier, name, hash);
    if (!firstSightOf(*number)) return rejectTranslationLine(file, "A duplicate generic name was found!", line);
    if (!drop) kept.numbered.push_back(Translation{*number, &entry});
    return true;
  }
};

}  // namespace

std::optional<std::uint32_t> poolNumberOf(std::string_view name) {
  if (name.empty() || name.size() > kLongestPoolName || (name.size() > 1 && name[0] == 'a')) return std::nullopt;
  std::uint32_t number = 0;
  for (char c : name) number = number * 52 + static_cast<std::uint32_t>(c >= 'a' ? c - 'a' : c - 'A' + 26);
  return number;
}

bool readKeptNames(const Platform& platform, const PathSetting& path, const KeywordTable& keywords, KeptNames& kept) {
  ListFile file{platform, "inputKeywordTranslationFile", path};
  KeptNameReader reader{file, keywords, kept, {}, {}};
  return readTranslationFile(file, reader);
}

void keepNames(Genericizer& genericizer, KeptNames& kept) {
  genericizer.identifierTranslationMap = std::move(kept.identifiers);
  genericizer.keywordTranslations = std::move(kept.numbered);
  std::sort(genericizer.keywordTranslations.begin(), genericizer.keywordTranslations.end(),
            [](const Translation& x, const Translation& y) { return x.number < y.number; });
  genericizer.keptNumberedCount = genericizer.keywordTranslations.size();
  kept = KeptNames{};
}

}  // namespace qvmin
