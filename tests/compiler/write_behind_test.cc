#include "compiler/write_behind.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <string>

#include "compiler/output_buffer.h"

namespace qvmin {
namespace {

// A file in memory whose write call number `failingCall` (from 1) accepts only half its bytes;
// the writing thread and the test take turns through the mutex.
struct StubFile {
  std::string text;
  int calls = 0;
  int failingCall = 0;
};
StubFile stub;
std::mutex stubMutex;

std::ptrdiff_t stubWrite(int, const void* bytes, std::size_t size) {
  const std::lock_guard<std::mutex> lock(stubMutex);
  const std::size_t accepted = ++stub.calls == stub.failingCall ? size / 2 : size;
  stub.text.append(static_cast<const char*>(bytes), accepted);
  return static_cast<std::ptrdiff_t>(accepted);
}

// Written behind or in step, the same bytes in the same writes reach the file, up to the same
// failure, which flush() then reports; small and large tokens, and tokens larger than the buffer.
TEST(WriteBehind, WritesWhatWritingInStepWrites) {
  constexpr std::size_t kCapacity = 64;
  Platform platform = systemPlatform();
  platform.write = stubWrite;
  for (const std::size_t tokens : {std::size_t{0}, std::size_t{5}, std::size_t{300}}) {
    for (const int failingCall : {0, 1, 2, 7, 30}) {
      std::string files[2];
      bool flushed[2];
      for (const bool behind : {false, true}) {
        stub = StubFile{{}, 0, failingCall};
        {
          OutputBuffer out(platform, 3, kCapacity);
          if (behind) out.writeBehind();
          for (std::size_t k = 0; k < tokens; ++k) {
            const std::size_t size = k % 17 == 16 ? 3 * kCapacity + k % 5 : 1 + k % 9;
            if (size == 1) {
              out.put(static_cast<char>('a' + k % 26));
            } else {
              out.append(std::string(size, static_cast<char>('A' + k % 26)));
            }
          }
          flushed[behind] = out.flush();
          out.settle();
        }
        const std::lock_guard<std::mutex> lock(stubMutex);
        files[behind] = stub.text + "|" + std::to_string(stub.calls);
      }
      EXPECT_EQ(files[0], files[1]) << tokens << " tokens, write " << failingCall << " failing";
      EXPECT_EQ(flushed[0], flushed[1]) << tokens << " tokens, write " << failingCall << " failing";
    }
  }
}

}  // namespace
}  // namespace qvmin
