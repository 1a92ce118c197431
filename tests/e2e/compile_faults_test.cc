// Runs that fail while creating, reading or writing files, and runs refused because an output
// would overwrite an input: the report, and what is left on disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "e2e/harness.h"

namespace qvmin::e2e {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kArgs = {"/sflfp", "list.txt", "/ofp", "out.js", "/oktfp", "map.txt"};

std::string failureOutput(const std::string& output, const std::string& translation, const std::string& report) {
  return banner() + echo("list.txt", "", output, translation) + abortedAfter(report);
}

TEST(CompileFaults, OutputInAMissingDirectoryCreatesNothing) {
  ScratchDir dir;
  dir.write("a.js", "var a = 1;\n");
  dir.write("list.txt", "a.js\n");
  auto before = snapshot(dir.path());
  RunResult run = runQvmin(dir.path(), {"/sflfp", "list.txt", "/ofp", "missing/out.js", "/oktfp", "map.txt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, failureOutput("missing/out.js", "map.txt", "Error opening outputFile: missing/out.js"));
  EXPECT_EQ(snapshot(dir.path()), before);
}

// The output file is created, or emptied, before the translation file is tried.
TEST(CompileFaults, TranslationFileNotCreatableLeavesAnEmptyOutput) {
  for (bool outputExisted : {false, true}) {
    SCOPED_TRACE(outputExisted ? "output existed" : "no output before");
    ScratchDir dir;
    dir.write("a.js", "var a = 1;\n");
    dir.write("list.txt", "a.js\n");
    if (outputExisted) dir.write("out.js", "earlier output");
    RunResult run = runQvmin(dir.path(), {"/sflfp", "list.txt", "/ofp", "out.js", "/oktfp", "missing/map.txt"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, failureOutput("out.js", "missing/map.txt",
                                     "Error opening outputKeywordTranslationFile: missing/map.txt"));
    EXPECT_EQ(dir.read("out.js"), "");
  }
}

// A source that cannot be read stops the run there: the output keeps the earlier files' text,
// later files are not read, and the translation file stays empty.
TEST(CompileFaults, UnreadableSourceKeepsTheEarlierText) {
  struct Case {
    const char* name;
    std::function<void(const ScratchDir&)> makeSecond;  // prepares "second.js"
    std::string report;
  };
  const Case cases[] = {
      {"missing", [](const ScratchDir&) {}, "Error opening currentSourceFile: second.js"},
      {"a directory", [](const ScratchDir& dir) { dir.mkdir("second.js"); },
       "An error occured while reading from the currentSourceFile: second.js"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    dir.write("first.js", "var $ = 1;\n");
    c.makeSecond(dir);
    dir.write("third.js", "var c = 3;\n");
    dir.write("list.txt", "first.js\nsecond.js\nthird.js\n");
    dir.write("map.txt", "x,stale\r\n");
    RunResult run = runQvmin(dir.path(), kArgs);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, failureOutput("out.js", "map.txt", c.report));
    EXPECT_EQ(dir.read("out.js"), "var $=1;");
    EXPECT_EQ(dir.read("map.txt"), "");
  }
}

TEST(CompileFaults, WritingToAFullDeviceIsReported) {
  ScratchDir dir;
  dir.write("a.js", "var a = 1;\n");
  dir.write("list.txt", "a.js\n");
  RunResult run = runQvmin(dir.path(), {"/sflfp", "list.txt", "/ofp", "/dev/full", "/oktfp", "map.txt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            failureOutput("/dev/full", "map.txt", "An error occured while writing to the outputFile: /dev/full"));
  EXPECT_EQ(dir.read("map.txt"), "");
}

// Under a file size limit the output holds exactly the bytes that fitted, wherever the limit
// falls: inside a file's text, on the boundary between two files, or before the last byte.
TEST(CompileFaults, FileSizeLimitCutsTheOutputAtTheLimit) {
  std::vector<std::string> sources;
  std::string list;
  for (int i = 0; i < 3; ++i) {
    std::string text;
    for (int line = 0; line < 100; ++line) text += "  v" + std::to_string(i) + " = " + std::to_string(line) + ";\n";
    sources.push_back(text);
  }
  std::string big;
  for (int line = 0; line < 40000; ++line) big += "x" + std::to_string(line) + " = 'some text';  // a comment\n";
  sources.push_back(big);

  // Every identifier is kept, so that two runs write the same bytes.
  std::string keep = "v0\nv1\nv2\n";
  for (int line = 0; line < 40000; ++line) keep += "x" + std::to_string(line) + "\n";
  std::vector<std::string> args = kArgs;
  args.insert(args.end(), {"/kelfp", "keep.txt"});

  ScratchDir reference;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    reference.write("s" + std::to_string(i) + ".js", sources[i]);
    list += "s" + std::to_string(i) + ".js\n";
  }
  reference.write("list.txt", list);
  reference.write("keep.txt", keep);
  ASSERT_EQ(runQvmin(reference.path(), args).status, 0);
  const std::string full = reference.read("out.js");
  const std::size_t firstFile = full.find(" v1");
  ASSERT_NE(firstFile, std::string::npos);
  ASSERT_GT(full.size(), 400'000u);

  for (std::size_t limit : {std::size_t{1000}, firstFile, std::size_t{300'000}, full.size() - 1}) {
    SCOPED_TRACE("limit " + std::to_string(limit));
    ScratchDir dir;
    for (std::size_t i = 0; i < sources.size(); ++i) dir.write("s" + std::to_string(i) + ".js", sources[i]);
    dir.write("list.txt", list);
    dir.write("keep.txt", keep);
    RunOptions options;
    options.fileSizeLimit = limit;
    RunResult run = runQvmin(dir.path(), args, options);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.ends_with("\nAn error occured while writing to the outputFile: out.js\n"
                                  "\nPseudo-Compilation Aborted!\n\nHELP: qvmin /?\n"))
        << run.out;
    std::string output = dir.read("out.js");
    EXPECT_EQ(output.size(), limit);
    EXPECT_TRUE(output == full.substr(0, limit)) << "the output is not the start of the full output";
  }
}

// An output that names an input, or the other output, is refused before anything is created
// or truncated, whatever spelling or link leads to it.
TEST(CompileFaults, OutputsThatWouldOverwriteAnInputAreRefused) {
  struct Case {
    const char* name;
    std::string list;                                  // the list file's text
    std::string exclusions;                            // /kelfp, when not empty
    std::string output;
    std::string translation;
    std::function<void(const ScratchDir&)> setUp;      // extra files and links
    std::string report;
  };
  const auto none = [](const ScratchDir&) {};
  const Case cases[] = {
      {"output is the list file", "a.js\nb.js\n", "", "list.txt", "map.txt", none,
       "The outputFile (list.txt) would overwrite the sourceFilesListFile (list.txt)!"},
      {"translation is a source", "a.js\nb.js\n", "", "out.js", "b.js", none,
       "The outputKeywordTranslationFile (b.js) would overwrite the currentSourceFile (b.js)!"},
      {"output spelled another way", "a.js\nb.js\n", "", "./d/../a.js", "map.txt", none,
       "The outputFile (./d/../a.js) would overwrite the currentSourceFile (a.js)!"},
      {"output is a link to a source", "a.js\nb.js\n", "", "link.js", "map.txt",
       [](const ScratchDir& dir) { fs::create_symlink("b.js", dir.at("link.js")); },
       "The outputFile (link.js) would overwrite the currentSourceFile (b.js)!"},
      {"sources are searched in list order", "b.js\nh.js\na.js\n", "", "a.js", "map.txt",
       [](const ScratchDir& dir) { fs::create_hard_link(dir.at("a.js"), dir.at("h.js")); },
       "The outputFile (a.js) would overwrite the currentSourceFile (h.js)!"},
      {"output is the exclusion list", "a.js\nb.js\n", "kel.txt", "kel.txt", "map.txt", none,
       "The outputFile (kel.txt) would overwrite the keywordExclusionListFile (kel.txt)!"},
      {"list files before sources", "a.js\nkel.txt\n", "kel.txt", "out.js", "./kel.txt", none,
       "The outputKeywordTranslationFile (./kel.txt) would overwrite the keywordExclusionListFile (kel.txt)!"},
      {"output checked before translation", "a.js\nb.js\n", "", "b.js", "list.txt", none,
       "The outputFile (b.js) would overwrite the currentSourceFile (b.js)!"},
      {"both outputs the same existing file", "a.js\nb.js\n", "", "out.js", "d/../out.js", none,
       "The outputKeywordTranslationFile (d/../out.js) would overwrite the outputFile (out.js)!"},
      {"both outputs the same new file", "a.js\nb.js\n", "", "new.out", "./new.out", none,
       "The outputKeywordTranslationFile (./new.out) would overwrite the outputFile (new.out)!"},
      {"output is a listed file not there yet", "a.js\nnew.js\n", "", "new.js", "map.txt", none,
       "The outputFile (new.js) would overwrite the currentSourceFile (new.js)!"},
      {"output is a link to a listed file not there yet", "a.js\nnew.js\n", "", "link.js", "map.txt",
       [](const ScratchDir& dir) { fs::create_symlink("d/../new.js", dir.at("link.js")); },
       "The outputFile (link.js) would overwrite the currentSourceFile (new.js)!"},
      {"a listed link leads to where the output goes", "a.js\nlink.js\n", "", "new.js", "map.txt",
       [](const ScratchDir& dir) { fs::create_symlink("new.js", dir.at("link.js")); },
       "The outputFile (new.js) would overwrite the currentSourceFile (link.js)!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    dir.mkdir("d");
    dir.write("a.js", "var a = 1;\n");
    dir.write("b.js", "var b = 2;\n");
    dir.write("kel.txt", "myName\n");
    dir.write("out.js", "earlier output");
    dir.write("map.txt", "x,earlier\r\n");
    dir.write("list.txt", c.list);
    c.setUp(dir);
    auto before = snapshot(dir.path());

    std::vector<std::string> args = {"/sflfp", "list.txt", "/ofp", c.output, "/oktfp", c.translation};
    if (!c.exclusions.empty()) args.insert(args.end(), {"/kelfp", c.exclusions});
    RunResult run = runQvmin(dir.path(), args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, banner() + echo("list.txt", c.exclusions, c.output, c.translation) + abortedAfter(c.report));
    EXPECT_EQ(snapshot(dir.path()), before);
  }
}

}  // namespace
}  // namespace qvmin::e2e
