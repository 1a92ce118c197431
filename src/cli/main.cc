#include <unistd.h>

#include <cstdio>
#include <new>

#include "cli/run.h"
#include "platform/platform.h"

namespace {

// Running out of memory ends the run with one clear line instead of a crash.
[[noreturn]] void outOfMemory() {
  static const char kMessage[] = "\nOut of memory: qvmin could not allocate the memory it needs!\n";
  std::fflush(stdout);
  ssize_t ignored = ::write(STDOUT_FILENO, kMessage, sizeof kMessage - 1);
  (void)ignored;
  ::_exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  std::set_new_handler(outOfMemory);
  int status = qvmin::runQvmin(qvmin::systemPlatform(), argc, argv);
  std::fflush(stdout);
  return status;
}
