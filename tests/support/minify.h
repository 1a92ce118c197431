// Runs a scanner over files held in memory, feeding each in pieces of a given size so that
// tokens cross read-block boundaries, and returns what it wrote.
#pragma once

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <vector>

#include "compiler/output_buffer.h"
#include "platform/platform.h"

namespace qvmin::testing {

// AnyScanner is built from an OutputBuffer and `how` (a genericizer or an identifier rewriter).
template <typename AnyScanner, typename How>
std::string minifyWith(const std::vector<std::string>& files, std::size_t piece, How how) {
  int fd = ::memfd_create("scanner-test", 0);
  EXPECT_GE(fd, 0);
  {
    OutputBuffer out(systemPlatform(), fd, 16);
    AnyScanner scanner(out, how);
    for (const std::string& file : files) {
      for (std::size_t at = 0; at < file.size(); at += piece) {
        EXPECT_TRUE(scanner.scan(std::string_view(file).substr(at, piece)));
      }
      EXPECT_TRUE(scanner.endOfFile());
      scanner.crossFileBoundary();
    }
    EXPECT_TRUE(out.flush());
  }
  std::string result;
  char buffer[4096];
  ::lseek(fd, 0, SEEK_SET);
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) result.append(buffer, static_cast<std::size_t>(n));
  ::close(fd);
  return result;
}

}  // namespace qvmin::testing
