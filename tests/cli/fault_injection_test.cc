// Fault injection across a whole run. A small but complete run (two excluded names, three
// sources, both outputs) is repeated once for every descriptor call it makes, with that call
// failing, and once for every write with that write accepting only part of its bytes. Each
// faulty run is checked against what the call that went wrong predicts on its own: the report
// and closing lines, the exit status, that every descriptor opened was closed once, and the
// bytes left in the output and translation files.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/run.h"
#include "support/fake_platform.h"

namespace qvmin {
namespace {

using testing::CallKind;
using testing::fakePlatform;
using testing::fakeSystem;
using testing::RecordedCall;

// The file a descriptor call was on, named as the messages name it.
enum class Role { kExclusionList, kSourceList, kSource, kOutput, kTranslation };

const char* roleName(Role role) {
  constexpr const char* kNames[] = {"keywordExclusionListFile", "sourceFilesListFile", "currentSourceFile",
                                    "outputFile", "outputKeywordTranslationFile"};
  return kNames[static_cast<int>(role)];
}

const char* kindName(CallKind kind) {
  constexpr const char* kNames[] = {"open", "create", "read", "write", "close"};
  return kNames[static_cast<int>(kind)];
}

// The report a failing call gets, by its file and kind; <path> is the file's path, <line> the
// number of the list line being read.
struct ReportRow {
  Role role;
  CallKind kind;
  const char* text;
};
constexpr ReportRow kReports[] = {
    {Role::kExclusionList, CallKind::kOpenForReading, "Error opening keywordExclusionListFile: <path>"},
    {Role::kExclusionList, CallKind::kRead,
     "An error occured on line <line>, while reading from the keywordExclusionListFile: <path>"},
    {Role::kExclusionList, CallKind::kClose, "Error closing the keywordExclusionListFile: <path>"},
    {Role::kSourceList, CallKind::kOpenForReading, "Error opening sourceFilesListFile: <path>"},
    {Role::kSourceList, CallKind::kRead,
     "An error occured on line <line>, while reading from the sourceFilesListFile: <path>"},
    {Role::kSourceList, CallKind::kClose, "Error closing the sourceFilesListFile: <path>"},
    {Role::kOutput, CallKind::kCreateForWriting, "Error opening outputFile: <path>"},
    {Role::kTranslation, CallKind::kCreateForWriting, "Error opening outputKeywordTranslationFile: <path>"},
    {Role::kSource, CallKind::kOpenForReading, "Error opening currentSourceFile: <path>"},
    {Role::kSource, CallKind::kRead, "An error occured while reading from the currentSourceFile: <path>"},
    {Role::kSource, CallKind::kClose, "Error closing the currentSourceFile: <path>"},
    {Role::kOutput, CallKind::kWrite, "An error occured while writing to the outputFile: <path>"},
    {Role::kTranslation, CallKind::kWrite,
     "An error occured while writing to the outputKeywordTranslationFile: <path>"},
    {Role::kOutput, CallKind::kClose, "Error closing the outputFile: <path>"},
    {Role::kTranslation, CallKind::kClose, "Error closing the outputKeywordTranslationFile: <path>"},
};

void replaceAll(std::string& text, const std::string& placeholder, const std::string& value) {
  for (std::size_t at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + value.size()))
    text.replace(at, placeholder.size(), value);
}

// A recorded call together with the file it was on.
struct FileCall {
  CallKind kind;
  Role role;
  int source = 0;          // the source being read (1-based) for sources and output writes
  std::size_t offset = 0;  // bytes moved through the same open file by the calls before
};

struct Fault {
  std::size_t failCall = 0;
  std::size_t shortWriteCall = 0;
  std::size_t shortWriteBytes = 0;
};

struct Outcome {
  int status = -1;
  std::string printed;
  std::vector<RecordedCall> calls;
  std::optional<std::string> output;       // nothing when the file was never created
  std::optional<std::string> translation;
};

struct Expected {
  std::string report;  // the phase's own messages
  bool aborted = true; // "Pseudo-Compilation Aborted!" follows the report
  std::optional<std::string> output;
  std::optional<std::string> translation;
};

class FaultInjectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvmin-faults-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    exclusionsPath_ = path("exclusions.txt");
    outputPath_ = path("out.js");
    translationPath_ = path("map.txt");
    write("exclusions.txt", kExclusions);
    // Every source ends with a line end, so no token is left open once all its bytes are read.
    sources_ = {{path("s1.js"), "// shared settings\nvar settings = { title: 'Main view', count: 3 };\n"},
                {path("s2.js"),
                 "/* one row */\nfunction render(row, index) {\n  return \"<li>\" + row.label + index;\n}\n"},
                {path("s3.js"), "render(settings, total); // done\n"}};
    for (const auto& [sourcePath, text] : sources_) std::ofstream(sourcePath, std::ios::binary) << text;

    // The text each prefix of the sources compiles to. The fake counter always reads 0, so
    // generic names are handed out in a fixed order and a longer list only appends text. The
    // last list, of all three sources, is the run under test.
    prefix_.push_back("");
    for (std::size_t k = 1; k <= sources_.size(); ++k) {
      std::string list;
      for (std::size_t i = 0; i < k; ++i) list += sources_[i].first + "\n";
      std::string name = "list" + std::to_string(k) + ".txt";
      write(name, list);
      Outcome clean = run({}, name);
      ASSERT_EQ(clean.status, 0) << clean.printed;
      ASSERT_TRUE(clean.output && clean.translation);
      ASSERT_TRUE(clean.output->starts_with(prefix_.back()));
      prefix_.push_back(*clean.output);
      listText_ = list;
      listPath_ = path(name);
      clean_ = clean;
    }
    ASSERT_FALSE(clean_.translation->empty());
    const std::string summary = "\n3 source files successfully pseudo-compiled!\n";
    ASSERT_TRUE(clean_.printed.ends_with(summary));
    head_ = clean_.printed.substr(0, clean_.printed.size() - summary.size());
    ASSERT_TRUE(head_.ends_with("sourceFilesListFilePath: " + listPath_ + "\nkeywordExclusionListFilePath: " +
                                exclusionsPath_ + "\noutputFilePath: " + outputPath_ +
                                "\noutputKeywordTranslationFilePath: " + translationPath_ + "\n"));
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary) << bytes;
  }
  static std::optional<std::string> readIfPresent(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  // One run from fresh outputs, with the fault armed.
  Outcome run(const Fault& fault, const std::string& list = "list3.txt") {
    testing::resetFakeSystem();
    fakeSystem().failCallNumber = fault.failCall;
    fakeSystem().shortWriteCallNumber = fault.shortWriteCall;
    fakeSystem().shortWriteBytes = fault.shortWriteBytes;
    std::filesystem::remove(outputPath_);
    std::filesystem::remove(translationPath_);
    std::vector<std::string> args = {"qvmin", "/sflfp", path(list),  "/kelfp", exclusionsPath_,
                                     "/ofp",  outputPath_,  "/oktfp", translationPath_};
    std::vector<const char*> argv;
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    Outcome outcome;
    outcome.status = runQvmin(fakePlatform(), static_cast<int>(argv.size()), argv.data());
    outcome.printed = fakeSystem().printed;
    outcome.calls = fakeSystem().calls;
    outcome.output = readIfPresent(outputPath_);
    outcome.translation = readIfPresent(translationPath_);
    return outcome;
  }

  Role roleOf(const std::string& opened, int* source) const {
    for (std::size_t i = 0; i < sources_.size(); ++i) {
      if (opened == sources_[i].first) {
        *source = static_cast<int>(i + 1);
        return Role::kSource;
      }
    }
    if (opened == exclusionsPath_) return Role::kExclusionList;
    if (opened == outputPath_) return Role::kOutput;
    if (opened == translationPath_) return Role::kTranslation;
    EXPECT_TRUE(opened.starts_with(path("list"))) << "unexpected file " << opened;
    return Role::kSourceList;
  }

  // Gives every call the file it was on, checking on the way that calls use only open
  // descriptors and that every descriptor opened is closed exactly once.
  std::vector<FileCall> follow(const std::vector<RecordedCall>& calls) const {
    struct OpenFile {
      Role role;
      int source;
      std::size_t moved = 0;
    };
    std::map<int, OpenFile> open;
    int currentSource = 0;
    std::vector<FileCall> files;
    for (std::size_t i = 0; i < calls.size(); ++i) {
      const RecordedCall& call = calls[i];
      FileCall file{call.kind, Role::kSource};
      if (call.kind == CallKind::kOpenForReading || call.kind == CallKind::kCreateForWriting) {
        file.role = roleOf(call.path, &file.source);
        if (file.role == Role::kSource) currentSource = file.source;
        if (call.fd >= 0) {
          EXPECT_TRUE(open.emplace(call.fd, OpenFile{file.role, file.source}).second);
        }
      } else {
        auto it = open.find(call.fd);
        if (it == open.end()) {
          ADD_FAILURE() << "call " << i + 1 << " (" << kindName(call.kind) << ") on descriptor " << call.fd
                        << ", which is not open";
          files.push_back(file);
          continue;
        }
        file.role = it->second.role;
        file.source = file.role == Role::kOutput ? currentSource : it->second.source;
        file.offset = it->second.moved;
        if (call.bytes > 0) it->second.moved += static_cast<std::size_t>(call.bytes);
        if (call.kind == CallKind::kClose) open.erase(it);
      }
      files.push_back(file);
    }
    for (const auto& [fd, file] : open) ADD_FAILURE() << "the " << roleName(file.role) << " was left open";
    return files;
  }

  const std::string& pathOf(const FileCall& call) const {
    static const std::string none;
    switch (call.role) {
      case Role::kExclusionList: return exclusionsPath_;
      case Role::kSourceList: return listPath_;
      case Role::kSource: return sources_[call.source - 1].first;
      case Role::kOutput: return outputPath_;
      case Role::kTranslation: return translationPath_;
    }
    return none;
  }

  // The text source k adds to the output.
  std::string textOf(int k) const { return prefix_[k].substr(prefix_[k - 1].size()); }

  // What a run must show when this call went wrong; accepted is how many bytes a write let
  // through (0 for a call that failed outright).
  Expected expectedAfter(const FileCall& call, std::size_t accepted) const {
    const std::string& fullOutput = prefix_.back();
    const std::string& fullTranslation = *clean_.translation;
    Expected expected;
    const ReportRow* row = std::find_if(std::begin(kReports), std::end(kReports),
                                        [&](const ReportRow& r) { return r.role == call.role && r.kind == call.kind; });
    if (row == std::end(kReports)) {
      ADD_FAILURE() << "no report known for a " << kindName(call.kind) << " on the " << roleName(call.role);
      return expected;
    }
    expected.report = std::string("\n") + row->text + "\n";
    replaceAll(expected.report, "<path>", pathOf(call));

    switch (call.role) {
      case Role::kExclusionList:
      case Role::kSourceList: {
        // A list read fails on the line after the line ends read so far.
        const std::string& text = call.role == Role::kSourceList ? listText_ : kExclusions;
        auto linesDone = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(call.offset), '\n');
        replaceAll(expected.report, "<line>", std::to_string(linesDone + 1));
        expected.aborted = call.role == Role::kSourceList;
        // A source files list that stops before its first path is also reported as empty.
        if (call.role == Role::kSourceList && call.kind == CallKind::kRead && linesDone == 0)
          expected.report += "\nError processing sourceFilesListFile: " + listPath_ + "\nNo filenames were listed!\n";
        break;
      }
      case Role::kSource: {
        // A source that fails before all its bytes were read adds nothing; the sources are
        // small enough to be read in one block.
        std::size_t size = sources_[call.source - 1].second.size();
        EXPECT_TRUE(call.offset == 0 || call.offset == size);
        bool allRead = call.kind == CallKind::kClose || (call.kind == CallKind::kRead && call.offset == size);
        expected.output = prefix_[allRead ? call.source : call.source - 1];
        expected.translation = "";
        break;
      }
      case Role::kOutput:
        if (call.kind == CallKind::kWrite) {
          // The text of a source goes out in one write when the source has been read.
          expected.output = prefix_[call.source - 1] + textOf(call.source).substr(0, accepted);
          expected.translation = "";
        } else if (call.kind == CallKind::kClose) {
          expected.output = fullOutput;
          expected.translation = fullTranslation;
        }
        break;
      case Role::kTranslation:
        if (call.kind == CallKind::kCreateForWriting) {
          expected.output = "";
        } else {
          expected.output = fullOutput;
          expected.translation =
              call.kind == CallKind::kWrite ? fullTranslation.substr(0, call.offset + accepted) : fullTranslation;
        }
        break;
    }
    return expected;
  }

  void expectOutcome(const Outcome& outcome, const Expected& expected) const {
    EXPECT_EQ(outcome.status, 1);
    std::string aborted = expected.aborted ? "\nPseudo-Compilation Aborted!\n" : "";
    EXPECT_EQ(outcome.printed, head_ + expected.report + aborted + "\nHELP: qvmin /?\n");
    EXPECT_EQ(outcome.output, expected.output);
    EXPECT_EQ(outcome.translation, expected.translation);
  }

  static std::string describe(std::size_t number, const FileCall& call) {
    return "call " + std::to_string(number) + ": " + kindName(call.kind) + " on the " + roleName(call.role) +
           (call.source ? " (source " + std::to_string(call.source) + ")" : "");
  }

  const std::string kExclusions = "settings\nrender\n";
  std::string dir_;
  std::vector<std::pair<std::string, std::string>> sources_;  // path and text
  std::vector<std::string> prefix_;                           // output of the first k sources
  std::string listText_, listPath_;
  std::string exclusionsPath_, outputPath_, translationPath_;
  std::string head_;  // banner and settings echo
  Outcome clean_;
};

TEST_F(FaultInjectionTest, EveryFailingCallIsReportedAndLeavesExactlyWhatCameBefore) {
  std::vector<FileCall> cleanCalls = follow(clean_.calls);
  std::set<std::pair<Role, CallKind>> met;
  for (std::size_t n = 1; n <= cleanCalls.size(); ++n) {
    Outcome outcome = run({.failCall = n});
    ASSERT_GE(outcome.calls.size(), n);
    FileCall failed = follow(outcome.calls)[n - 1];
    SCOPED_TRACE(describe(n, failed));
    expectOutcome(outcome, expectedAfter(failed, 0));
    met.emplace(failed.role, failed.kind);
  }
  // The run meets every kind of failure the reports are known for.
  EXPECT_EQ(met.size(), std::size(kReports));
}

TEST_F(FaultInjectionTest, AShortWriteLeavesExactlyTheBytesItAccepted) {
  std::vector<FileCall> cleanCalls = follow(clean_.calls);
  std::set<Role> written;
  for (std::size_t n = 1; n <= cleanCalls.size(); ++n) {
    const FileCall& write = cleanCalls[n - 1];
    if (write.kind != CallKind::kWrite) continue;
    std::size_t size = static_cast<std::size_t>(clean_.calls[n - 1].bytes);
    for (std::size_t accepted : {std::size_t{1}, size / 2}) {
      Outcome outcome = run({.shortWriteCall = n, .shortWriteBytes = accepted});
      ASSERT_GE(outcome.calls.size(), n);
      FileCall hit = follow(outcome.calls)[n - 1];
      SCOPED_TRACE(describe(n, hit) + ", " + std::to_string(accepted) + " of " + std::to_string(size) + " bytes");
      expectOutcome(outcome, expectedAfter(hit, accepted));
    }
    written.insert(write.role);
  }
  EXPECT_EQ(written, (std::set<Role>{Role::kOutput, Role::kTranslation}));
}

}  // namespace
}  // namespace qvmin
