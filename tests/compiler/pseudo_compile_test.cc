#include "compiler/pseudo_compile.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/fake_platform.h"

namespace qvmin {
namespace {

using testing::CallKind;
using testing::fakePlatform;
using testing::fakeSystem;

PathSetting setting(const std::string& text) { return PathSetting{true, text}; }

// A scratch directory with three small sources and the settings of a run over them.
class PseudoCompileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::resetFakeSystem();
    std::string pattern = (std::filesystem::temp_directory_path() / "qvmin-compile-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    write("a.js", "var a = 1;\n");
    write("b.js", "// b\nreturn  b;");
    write("c.js", "x ( 'c' )");
    for (const char* name : {"a.js", "b.js", "c.js"}) sources_.add(path(name));
    list_ = setting(path("list.txt"));
    output_ = setting(path("out.js"));
    translation_ = setting(path("map.txt"));
    // Identifiers are kept, so that the output is known byte for byte.
    initReservedKeywords(keywords_);
    for (const char* kept : {"a", "b", "x"}) keywords_.emplace(kept);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary) << bytes;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  bool compile() {
    RunFiles files{list_, exclusions_, output_, translation_, sources_};
    return pseudoCompile(fakePlatform(), files, keywords_);
  }

  // Counts of each kind of call so far.
  std::size_t count(CallKind kind) const {
    std::size_t n = 0;
    for (const auto& call : fakeSystem().calls) n += call.kind == kind;
    return n;
  }
  // The number of the nth call of a kind in a clean run, which is left reset.
  std::size_t callNumberAfterRun(CallKind kind, std::size_t nth) {
    testing::resetFakeSystem();
    compile();
    std::size_t number = callNumber(kind, nth);
    testing::resetFakeSystem();
    return number;
  }
  std::size_t callNumber(CallKind kind, std::size_t nth) const {
    std::size_t seen = 0;
    const auto& calls = fakeSystem().calls;
    for (std::size_t i = 0; i < calls.size(); ++i) {
      if (calls[i].kind == kind && ++seen == nth) return i + 1;
    }
    return 0;
  }

  std::string dir_;
  SourceFileList sources_;
  PathSetting list_, exclusions_, output_, translation_;
  KeywordTable keywords_;
  const std::string kAll = "var a=1; return b; x('c')";
};

TEST_F(PseudoCompileTest, WritesTheConcatenationAndClosesEverything) {
  EXPECT_FALSE(compile());
  EXPECT_EQ(read("out.js"), kAll);
  EXPECT_EQ(read("map.txt"), "");
  EXPECT_EQ(fakeSystem().printed, "");
  std::size_t opens = count(CallKind::kOpenForReading) + count(CallKind::kCreateForWriting);
  EXPECT_EQ(count(CallKind::kClose), opens);
}

TEST_F(PseudoCompileTest, OpenFailuresAreReportedAndStopTheRun) {
  // The output file cannot be created: nothing else is opened.
  fakeSystem().failCallNumber = 1;
  EXPECT_TRUE(compile());
  EXPECT_EQ(fakeSystem().printed, "\nError opening outputFile: " + output_.text + "\n");
  EXPECT_EQ(fakeSystem().calls.size(), 1u);

  // The translation file cannot be created: the output stays, empty, and is closed.
  testing::resetFakeSystem();
  write("out.js", "old contents");
  fakeSystem().failCallNumber = 2;
  EXPECT_TRUE(compile());
  EXPECT_EQ(fakeSystem().printed, "\nError opening outputKeywordTranslationFile: " + translation_.text + "\n");
  EXPECT_EQ(read("out.js"), "");
  EXPECT_EQ(count(CallKind::kClose), 1u);
}

TEST_F(PseudoCompileTest, AMissingSourceKeepsTheEarlierText) {
  write("map.txt", "stale");
  std::filesystem::remove(path("b.js"));
  EXPECT_TRUE(compile());
  EXPECT_EQ(fakeSystem().printed, "\nError opening currentSourceFile: " + path("b.js") + "\n");
  EXPECT_EQ(read("out.js"), "var a=1;");
  EXPECT_EQ(read("map.txt"), "");
}

TEST_F(PseudoCompileTest, ReadAndCloseFailuresOfASource) {
  // The first read of b.js fails.
  fakeSystem().failCallNumber = callNumberAfterRun(CallKind::kRead, 3);
  EXPECT_TRUE(compile());
  EXPECT_EQ(fakeSystem().printed, "\nAn error occured while reading from the currentSourceFile: " + path("b.js") + "\n");
  EXPECT_EQ(read("out.js"), "var a=1;");

  // Closing c.js fails: reported, and the translation file is not written.
  std::size_t closeOfC = callNumberAfterRun(CallKind::kClose, 3);
  testing::resetFakeSystem();
  fakeSystem().failCallNumber = closeOfC;
  EXPECT_TRUE(compile());
  EXPECT_EQ(fakeSystem().printed, "\nError closing the currentSourceFile: " + path("c.js") + "\n");
  EXPECT_EQ(read("out.js"), kAll);
}

TEST_F(PseudoCompileTest, WriteFailures) {
  // Every write fails.
  fakeSystem().limitWrites = true;
  EXPECT_TRUE(compile());
  EXPECT_EQ(fakeSystem().printed, "\nAn error occured while writing to the outputFile: " + output_.text + "\n");
  EXPECT_EQ(read("out.js"), "");

  // A write that accepts only part of its bytes leaves exactly those bytes, and the rest of
  // the run is not attempted.
  for (std::size_t budget : {1u, 8u, 12u, 20u}) {
    testing::resetFakeSystem();
    fakeSystem().limitWrites = true;
    fakeSystem().writeBudget = budget;
    EXPECT_TRUE(compile());
    EXPECT_EQ(fakeSystem().printed, "\nAn error occured while writing to the outputFile: " + output_.text + "\n");
    EXPECT_EQ(read("out.js"), kAll.substr(0, budget));
  }
}

TEST_F(PseudoCompileTest, FailedClosesOfTheOutputs) {
  std::size_t closes = callNumberAfterRun(CallKind::kClose, 4);  // out.js after the three sources
  testing::resetFakeSystem();
  fakeSystem().failCallNumber = closes;
  EXPECT_TRUE(compile());
  EXPECT_EQ(fakeSystem().printed, "\nError closing the outputFile: " + output_.text + "\n");
  EXPECT_EQ(count(CallKind::kClose), 5u);  // the translation file is still closed

  testing::resetFakeSystem();
  fakeSystem().failCallNumber = closes + 1;
  EXPECT_TRUE(compile());
  EXPECT_EQ(fakeSystem().printed, "\nError closing the outputKeywordTranslationFile: " + translation_.text + "\n");
}

}  // namespace
}  // namespace qvmin
