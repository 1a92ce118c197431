#include "lists/line_reader.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "lists/keyword_exclusion_list_reader.h"
#include "lists/source_files_list_reader.h"
#include "support/fake_platform.h"

namespace qvmin {
namespace {

using testing::CallKind;
using testing::fakePlatform;
using testing::fakeSystem;

// A list file in a fresh temporary directory, named "list" so that messages read "...: list".
class ListFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::resetFakeSystem();
    std::string pattern = ::testing::TempDir() + "qvmin-lists-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    path_.supplied = true;
    path_.text = dir_ + "/list";
  }
  void TearDown() override {
    std::remove(path_.c_str());
    ::rmdir(dir_.c_str());
  }

  void write(const std::string& bytes) {
    std::ofstream out(path_.text, std::ios::binary | std::ios::trunc);
    out << bytes;
  }

  // The 1-based number of the count-th call of this kind in the last run.
  static std::size_t callNumber(CallKind kind, int count) {
    const auto& calls = fakeSystem().calls;
    for (std::size_t i = 0; i < calls.size(); ++i) {
      if (calls[i].kind == kind && --count == 0) return i + 1;
    }
    return 0;
  }

  // Reads the source list once to find the call, then again with that call failing.
  bool readSourcesFailing(CallKind kind, int count, SourceFileList& list) {
    testing::resetFakeSystem();
    SourceFileList dryRun;
    readSourceFilesListFile(fakePlatform(), path_, dryRun);
    std::size_t number = callNumber(kind, count);
    EXPECT_NE(number, 0u);
    testing::resetFakeSystem();
    fakeSystem().failCallNumber = number;
    return readSourceFilesListFile(fakePlatform(), path_, list);
  }

  std::string processing() const { return "\nError processing sourceFilesListFile: " + path_.text + "\n"; }
  std::string noFilenames() const { return processing() + "No filenames were listed!\n"; }

  static std::vector<std::string> paths(const SourceFileList& list) {
    std::vector<std::string> result;
    for (const SourceFileEntry& entry : list.entries) result.push_back(entry.path);
    return result;
  }

  std::string dir_;
  PathSetting path_;
};

TEST_F(ListFileTest, FirstReadFailsOnLine1ThenNoFilenames) {
  write("a.js\nb.js\n");
  SourceFileList list;
  EXPECT_TRUE(readSourcesFailing(CallKind::kRead, 1, list));
  EXPECT_EQ(fakeSystem().printed,
            "\nAn error occured on line 1, while reading from the sourceFilesListFile: " + path_.text + "\n" +
                noFilenames());
}

TEST_F(ListFileTest, LaterReadFailureNamesTheLineBeingReadAndKeepsEarlierEntries) {
  // Numbered lines of ten bytes; the second read starts inside one of them.
  std::string bytes;
  int lines = 0;
  while (bytes.size() < detail::kListReadBlock + 1000) {
    char line[16];
    std::snprintf(line, sizeof line, "f%05d.js\n", lines++);
    bytes += line;
  }
  write(bytes);
  SourceFileList list;
  EXPECT_TRUE(readSourcesFailing(CallKind::kRead, 2, list));
  const int complete = static_cast<int>(detail::kListReadBlock / 10);
  EXPECT_EQ(fakeSystem().printed, "\nAn error occured on line " + std::to_string(complete + 1) +
                                      ", while reading from the sourceFilesListFile: " + path_.text + "\n");
  ASSERT_EQ(list.size(), static_cast<std::size_t>(complete));
  EXPECT_EQ(list.entries.back().path, std::string(bytes, (complete - 1) * 10, 9));
}

TEST_F(ListFileTest, CloseFailureIsReportedWithoutTheEmptyListReport) {
  for (const std::string bytes : {"", "a.js\n"}) {
    SCOPED_TRACE(bytes);
    write(bytes);
    SourceFileList list;
    EXPECT_TRUE(readSourcesFailing(CallKind::kClose, 1, list));
    EXPECT_EQ(fakeSystem().printed, "\nError closing the sourceFilesListFile: " + path_.text + "\n");
  }
}

TEST_F(ListFileTest, EntriesBeforeAnErrorStayInOrder) {
  write("c.js\na.js\nb.js\nd?.js\n");
  SourceFileList list;
  EXPECT_TRUE(readSourceFilesListFile(fakePlatform(), path_, list));
  EXPECT_EQ(paths(list), (std::vector<std::string>{"c.js", "a.js", "b.js"}));
  EXPECT_EQ(fakeSystem().printed,
            processing() + "The filename on line 4 contains an invalid character!  (ASCII character: 63)\n");
}

TEST_F(ListFileTest, LinesAndLineEndsSplitAcrossReadBlocks) {
  const std::size_t block = detail::kListReadBlock;
  struct Case {
    const char* name;
    std::string first;  // the line whose end meets the block boundary
    const char* end;
  };
  const Case cases[] = {
      {"path crosses", std::string(block - 4, 'a'), "\n"},       // "bcdef.js" spans the boundary
      {"CR | LF", std::string(block - 1, 'a'), "\r\n"},          // the CR ends the first block
      {"LF starts block", std::string(block, 'a'), "\r\n"},      // the CR LF starts the second
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write(c.first + c.end + "bcdef.js\r\n");
    SourceFileList list;
    EXPECT_FALSE(readSourceFilesListFile(fakePlatform(), path_, list));
    EXPECT_EQ(paths(list), (std::vector<std::string>{c.first, "bcdef.js"}));
    EXPECT_EQ(fakeSystem().printed, "");
    testing::resetFakeSystem();
  }
}

TEST_F(ListFileTest, LoneCrAtBlockEndIsStillAnError) {
  write(std::string(detail::kListReadBlock - 1, 'a') + "\rb\n");
  SourceFileList list;
  EXPECT_TRUE(readSourceFilesListFile(fakePlatform(), path_, list));
  EXPECT_EQ(fakeSystem().printed,
            processing() +
                "A carriage return (character 13) was not followed by a line feed (character 10)!  (line: 1)\n" +
                noFilenames());
}

TEST_F(ListFileTest, SlashIsRejectedOnlyWhereNotAllowed) {
  write("src/a.js\n");
  SourceFileList allowed;
  EXPECT_FALSE(readSourceFilesListFile(fakePlatform(), path_, allowed, true));
  EXPECT_EQ(paths(allowed), std::vector<std::string>{"src/a.js"});

  testing::resetFakeSystem();
  SourceFileList refused;
  EXPECT_TRUE(readSourceFilesListFile(fakePlatform(), path_, refused, false));
  EXPECT_EQ(fakeSystem().printed,
            processing() + "The filename on line 1 contains an invalid character!  (ASCII character: 47)\n" +
                noFilenames());
}

TEST_F(ListFileTest, ReaderClosesWhatItOpens) {
  for (const std::string bytes : {"", "a.js\n", "a.js\n\n", "\x01"}) {
    SCOPED_TRACE(bytes);
    write(bytes);
    testing::resetFakeSystem();
    SourceFileList list;
    readSourceFilesListFile(fakePlatform(), path_, list);
    const auto& calls = fakeSystem().calls;
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().kind, CallKind::kOpenForReading);
    EXPECT_EQ(calls.back().kind, CallKind::kClose);
    EXPECT_EQ(calls.back().fd, calls.front().fd);
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const auto& c) { return c.kind == CallKind::kClose; }),
              1);
  }
}

TEST_F(ListFileTest, ExclusionReaderKeepsKeywordsBeforeAnErrorAndCutsAtNul) {
  write(std::string("first\nab\0cd\nsec\rond\n", 20));
  KeywordTable table;
  initReservedKeywords(table);
  EXPECT_TRUE(readKeywordExclusionListFile(fakePlatform(), path_, table));
  EXPECT_EQ(table.names.size(), kReservedKeywordCount + 2);
  EXPECT_TRUE(isKeyword(table, "first"));
  EXPECT_TRUE(isKeyword(table, "ab"));
  EXPECT_FALSE(isKeyword(table, std::string("ab\0cd", 5)));
  EXPECT_EQ(fakeSystem().printed,
            "\nError processing keywordExclusionListFile: " + path_.text +
                "\nA carriage return (character 13) was not followed by a line feed (character 10)!  (line: 3)\n");
}

}  // namespace
}  // namespace qvmin
