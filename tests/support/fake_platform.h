// A platform for tests: real files underneath, with every call counted, the console captured,
// and any single call made to fail or to accept only part of a write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace qvmin::testing {

enum class CallKind { kOpenForReading, kCreateForWriting, kRead, kWrite, kClose };

struct RecordedCall {
  CallKind kind;
  int fd;           // the descriptor used or returned (-1 for a failed open)
  std::string path; // for opens
  std::ptrdiff_t bytes = 0;  // what a read or write returned
};

struct FakeSystem {
  std::string printed;               // everything said on standard output
  std::vector<RecordedCall> calls;   // every descriptor call, in order

  // Fault injection: the call with this 1-based number (counting every descriptor call) fails.
  std::size_t failCallNumber = 0;
  // When set, every write call accepts at most this many bytes in total over the run; the write
  // that crosses the limit accepts what still fits.
  bool limitWrites = false;
  std::size_t writeBudget = 0;
  // When this 1-based call number is a write, it accepts at most shortWriteBytes of its bytes.
  std::size_t shortWriteCallNumber = 0;
  std::size_t shortWriteBytes = 0;

  // Ticks handed out by the counter, front first; when empty the counter returns 0.
  std::deque<std::uint64_t> ticks;
  std::size_t tickReads = 0;
};

FakeSystem& fakeSystem();
// Clears the recorded calls, captured text, faults and ticks.
void resetFakeSystem();
// The platform whose calls go through fakeSystem().
const Platform& fakePlatform();

}  // namespace qvmin::testing
