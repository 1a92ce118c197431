// qvmin-restore: standard input to standard output with the generic names of a translation file
// replaced by their identifiers and, given a source map, the positions of the generated file
// replaced by the original ones. Standard output carries only the restored text, so every
// message goes to standard error.
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "lists/translation_file_reader.h"
#include "platform/console.h"
#include "restore/position_restorer.h"
#include "restore/source_map_reader.h"
#include "restore/word_restorer.h"

namespace qvmin {
namespace {

constexpr std::size_t kBlock = 64 * 1024;

[[noreturn]] void outOfMemory() {
  static const char kMessage[] = "Out of memory: qvmin-restore could not allocate the memory it needs!\n";
  ssize_t ignored = ::write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
  (void)ignored;
  ::_exit(1);
}

void printUsage() {
  std::fputs(
      "USAGE:\n\nqvmin-restore [/?] /oktfp outputKeywordTranslationFilePath [/smfp sourceMapFilePath]\n\n"
      "Copies standard input to standard output with every generic name that the keyword translation file lists "
      "replaced by its identifier.  Whole words only; words within a path or URL are left alone.\n\n"
      "With /smfp, every position file:line:column of the file the source map describes is replaced by the "
      "original source:line:column.\n\n"
      "EXAMPLE:\n\nnode app.min.js 2>&1 | qvmin-restore /oktfp keywordTranslation.txt /smfp app.min.js.map\n",
      stdout);
}

// Generic name -> identifier; a name listed twice would make the restoring ambiguous.
struct NameTable {
  const ListFile& file;
  TextMap identifierOfName;

  bool accept(std::string_view name, std::string_view identifier, int line) {
    if (identifierOfName.find(name) != nullptr) {
      return rejectTranslationLine(file, "A duplicate generic name was found!", line);
    }
    identifierOfName.insert(name, identifier);
    return true;
  }
};

// False after reporting a failed read or write.
bool restoreStream(const TextMap& identifierOfName, const PositionRestorer* positions) {
  WordRestorer restorer(identifierOfName, positions);
  std::string block(kBlock, '\0');
  std::string out;
  for (;;) {
    const std::size_t got = std::fread(block.data(), 1, block.size(), stdin);
    out.clear();
    if (got == 0) {
      restorer.finish(out);
    } else {
      restorer.feed(std::string_view(block.data(), got), out);
    }
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size()) {
      std::fputs("An error occured while writing to the standard output!\n", stderr);
      return false;
    }
    if (got == 0) break;
  }
  if (std::ferror(stdin)) {
    std::fputs("An error occured while reading from the standard input!\n", stderr);
    return false;
  }
  if (std::fflush(stdout) != 0) {
    std::fputs("An error occured while writing to the standard output!\n", stderr);
    return false;
  }
  return true;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// False after reporting; the whole file is read, as the mappings of one line may sit anywhere.
bool readSourceMapFile(const Platform& platform, const PathSetting& path, RestoreMap& map) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    say(platform, "Error opening sourceMapFile: %*s\n", path.width(), path.c_str());
    return false;
  }
  std::string text;
  std::string block(kBlock, '\0');
  for (std::size_t got; (got = std::fread(block.data(), 1, block.size(), file.get())) != 0;) text.append(block, 0, got);
  if (std::ferror(file.get())) {
    say(platform, "An error occured while reading the sourceMapFile: %*s\n", path.width(), path.c_str());
    return false;
  }
  const std::string problem = readSourceMap(text, map);
  if (!problem.empty()) {
    say(platform, "Error processing sourceMapFile: %*s\n%s\n", path.width(), path.c_str(), problem.c_str());
    return false;
  }
  return true;
}

std::string lowercased(std::string_view text) {
  std::string copy(text);
  for (char& c : copy) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return copy;
}

int run(int argc, char** argv) {
  Platform platform = systemPlatform();
  platform.print = [](std::string_view text) { std::fwrite(text.data(), 1, text.size(), stderr); };

  PathSetting translation;
  PathSetting sourceMap;
  bool help = argc == 2 && std::string_view(argv[1]) == "/?";
  for (int i = 1; i + 1 < argc && !help; i += 2) {
    const std::string name = lowercased(argv[i]);
    if (name == "/?") {
      help = true;
    } else if (name == "/oktfp") {
      translation = PathSetting{true, argv[i + 1]};
    } else if (name == "/smfp") {
      sourceMap = PathSetting{true, argv[i + 1]};
    } else {
      say(platform, "Invalid parameter: %*s\n\nHELP: qvmin-restore /?\n", static_cast<int>(name.size()), name.c_str());
      return 1;
    }
  }
  if (help) {
    printUsage();
    return 0;
  }
  if (!translation.supplied) {
    say(platform, "The \"/oktfp outputKeywordTranslationFilePath\" option & parameter must be supplied!\n"
                  "\nHELP: qvmin-restore /?\n");
    return 1;
  }

  ListFile file{platform, "outputKeywordTranslationFile", translation};
  NameTable names{file, {}};
  if (readTranslationFile(file, names)) return 1;
  RestoreMap map;
  if (sourceMap.supplied && !readSourceMapFile(platform, sourceMap, map)) return 1;
  const PositionRestorer positions(map);
  return restoreStream(names.identifierOfName, sourceMap.supplied ? &positions : nullptr) ? 0 : 1;
}

}  // namespace
}  // namespace qvmin

int main(int argc, char** argv) {
  std::set_new_handler(qvmin::outOfMemory);
  return qvmin::run(argc, argv);
}
