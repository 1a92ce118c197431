#include "compiler/output_guard.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console.h"

namespace qvmin {
namespace {

// Where a path leads: an existing file, or, for a file that does not exist yet, the entry it
// would be created as (its directory and its name).
struct Destination {
  enum class Kind { kUnknown, kExisting, kNewEntry } kind = Kind::kUnknown;
  FileId id;
  std::string name;  // for a new entry

  bool sameAs(const Destination& other) const {
    if (kind == Kind::kUnknown || kind != other.kind || !(id == other.id)) return false;
    return kind == Kind::kExisting || name == other.name;
  }
};

// Symbolic links followed before a path is given up as unresolvable, as the kernel does.
constexpr int kMaxLinkHops = 40;

// Where the symbolic link at path points, as a path usable from the current directory; nothing
// when path is not a link.
std::optional<std::string> linkTarget(const Platform& platform, const std::string& path) {
  std::string target(256, '\0');
  for (;;) {
    std::ptrdiff_t length = platform.readLink(path.c_str(), target.data(), target.size());
    if (length < 0) return std::nullopt;
    if (static_cast<std::size_t>(length) < target.size()) {
      target.resize(static_cast<std::size_t>(length));
      break;
    }
    target.resize(target.size() * 2);
  }
  std::size_t slash = path.rfind('/');
  if (target.starts_with('/') || slash == std::string::npos) return target;
  return path.substr(0, slash + 1) + target;
}

Destination destinationOf(const Platform& platform, std::string path) {
  Destination where;
  for (int hops = 0;; ++hops) {
    if (platform.statFile(path.c_str(), &where.id)) {
      where.kind = Destination::Kind::kExisting;
      return where;
    }
    // A link to a file that does not exist yet: creating the path creates the link's target.
    std::optional<std::string> target = linkTarget(platform, path);
    if (!target) break;
    if (hops == kMaxLinkHops) return where;
    path = std::move(*target);
  }
  std::string_view trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.remove_suffix(1);
  std::size_t slash = trimmed.rfind('/');
  std::string directory = slash == std::string_view::npos ? "." : std::string(trimmed.substr(0, slash == 0 ? 1 : slash));
  std::string name(slash == std::string_view::npos ? trimmed : trimmed.substr(slash + 1));
  if (name.empty() || name == "." || name == ".." || !platform.statFile(directory.c_str(), &where.id)) return where;
  where.kind = Destination::Kind::kNewEntry;
  where.name = std::move(name);
  return where;
}

struct Input {
  const char* role;
  const std::string* path;
  Destination where;
};

}  // namespace

bool reportOutputClash(const Platform& platform, const RunFiles& files) {
  std::vector<Input> inputs;
  inputs.reserve(files.sourceFiles.size() + 4);
  auto addInput = [&](const char* role, const std::string& path) {
    inputs.push_back(Input{role, &path, destinationOf(platform, path)});
  };
  addInput("sourceFilesListFile", files.sourceFilesListFilePath.text);
  if (files.keywordExclusionListFilePath.supplied) addInput("keywordExclusionListFile", files.keywordExclusionListFilePath.text);
  const PathSetting* earlierTranslation = files.inputKeywordTranslationFilePath;
  if (earlierTranslation != nullptr && earlierTranslation->supplied) {
    addInput("inputKeywordTranslationFile", earlierTranslation->text);
  }
  for (const SourceFileEntry& entry : files.sourceFiles.entries) addInput("currentSourceFile", entry.path);

  struct Output {
    const char* role;
    const std::string& path;
  };
  std::vector<Output> outputs{{"outputFile", files.outputFilePath.text},
                              {"outputKeywordTranslationFile", files.outputKeywordTranslationFilePath.text}};
  if (files.sourceMapFilePath != nullptr) outputs.push_back({"sourceMapFile", files.sourceMapFilePath->text});
  for (const Output& output : outputs) {
    Destination where = destinationOf(platform, output.path);
    for (const Input& input : inputs) {
      if (!where.sameAs(input.where)) continue;
      say(platform, "\n");
      say(platform, "The %s (%*s) would overwrite the %s (%*s)!\n", output.role, static_cast<int>(output.path.size()),
          output.path.c_str(), input.role, static_cast<int>(input.path->size()), input.path->c_str());
      return true;
    }
    // Each later output is also checked against the ones before it.
    addInput(output.role, output.path);
  }
  return false;
}

}  // namespace qvmin
