// A Platform over files held in memory: nothing touches a disk, a run is the same every time for
// the same input, and descriptors left open can be seen afterwards. The fuzz targets run on it,
// and so does the WebAssembly library, which has no file system at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace qvmin {

struct MemoryDescriptor {
  std::string path;
  std::size_t offset = 0;
  bool open = false;
};

struct MemorySystem {
  std::map<std::string, std::string> files;     // path -> contents; "." is the only directory
  std::string printed;                          // everything said on standard output
  std::vector<MemoryDescriptor> descriptors;    // descriptor d is descriptors[d - kFirstDescriptor]
  std::map<std::string, std::uint64_t> inodes;  // file identities, given out when first asked

  // Each read hands out at most the next of these sizes, cycling (0: as many as asked), so that
  // blocks end where the real system would rarely end them.
  std::vector<std::size_t> readSizes;
  std::size_t readsDone = 0;

  std::uint64_t tickState = 0x9E3779B97F4A7C15u;  // the counter is a xorshift sequence

  // Every descriptor call (open, create, read, write, close) is counted; the one with the number
  // failCall fails (0: none). A failing write accepts half of its bytes when shortWrite is set,
  // none otherwise; a failing close still releases the descriptor.
  std::size_t descriptorCalls = 0;
  std::size_t failCall = 0;
  bool shortWrite = false;
  std::vector<std::size_t> failedCalls;  // numbers of the calls that failed, for any reason

  static constexpr int kFirstDescriptor = 3;

  std::size_t openDescriptorCount() const;
  // The contents of a file, or an empty text when there is none.
  const std::string& contents(const std::string& path) const;
};

MemorySystem& memorySystem();
// Forgets every file, descriptor and printed text; reads hand out whole blocks again.
void resetMemorySystem();
const Platform& memoryPlatform();

}  // namespace qvmin
