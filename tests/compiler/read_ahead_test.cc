#include "compiler/read_ahead.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace qvmin {
namespace {

// A file read in order from memory, whose read call number `failingCall` (from 1) fails. Only one
// thread reads at a time.
struct StubFile {
  std::string text;
  std::size_t at = 0;
  int calls = 0;
  int failingCall = 0;
};
StubFile stub;

std::ptrdiff_t stubRead(int, void* buffer, std::size_t size) {
  if (++stub.calls == stub.failingCall) return -1;
  const std::size_t n = std::min(size, stub.text.size() - stub.at);
  std::memcpy(buffer, stub.text.data() + stub.at, n);
  stub.at += n;
  return static_cast<std::ptrdiff_t>(n);
}

Platform stubPlatform() {
  Platform platform = systemPlatform();
  platform.read = stubRead;
  return platform;
}

// Read ahead or in step, a file gives the same blocks, up to the same end or failure, and a file
// left early stops the reading.
TEST(ReadAhead, GivesTheBlocksOfReadingInStep) {
  constexpr std::size_t kBlock = 16;
  const Platform platform = stubPlatform();
  char block[kBlock];
  for (const std::size_t size : {std::size_t{0}, std::size_t{1}, kBlock - 1, kBlock, kBlock + 1, 40 * kBlock + 7}) {
    for (const int failingCall : {0, 1, 2, 3, 9, 40}) {
      std::string results[2];
      for (const bool ahead : {false, true}) {
        stub = StubFile{std::string(size, 'x'), 0, 0, failingCall};
        for (std::size_t k = 0; k < size; ++k) stub.text[k] = static_cast<char>('a' + k % 26);
        ReadAhead reader(platform, block, kBlock, ahead);
        reader.beginFile(3);
        std::string& read = results[ahead];
        for (;;) {
          std::string_view bytes;
          const std::ptrdiff_t got = reader.next(bytes);
          read += "[" + std::to_string(got) + "]";
          if (got <= 0) break;
          read += bytes;
        }
        reader.endFile();
      }
      EXPECT_EQ(results[0], results[1]) << size << " bytes, read " << failingCall << " failing";
    }
  }
  stub = StubFile{std::string(100 * kBlock, 'y'), 0, 0, 0};
  ReadAhead reader(platform, block, kBlock, true);
  reader.beginFile(3);
  std::string_view bytes;
  EXPECT_EQ(reader.next(bytes), static_cast<std::ptrdiff_t>(kBlock));
  EXPECT_EQ(reader.next(bytes), static_cast<std::ptrdiff_t>(kBlock));
  reader.endFile();
  stub = StubFile{"z", 0, 0, 0};
  reader.beginFile(3);
  EXPECT_EQ(reader.next(bytes), 1);
  EXPECT_EQ(bytes, "z");
}

}  // namespace
}  // namespace qvmin
