// The entry points of the WebAssembly library: the JavaScript side puts the run's files into
// the in-memory platform, runs the command line on them, and reads back what was written and
// printed. One run at a time; each starts from an empty file system.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>

#include "cli/messages.h"
#include "cli/run.h"
#include "platform/console.h"
#include "platform/memory_platform.h"

namespace {

// Out of memory in WebAssembly: the module is stopped and the JavaScript side, which catches
// the trap, reports it as the native tool does and starts a fresh module for the next run.
[[noreturn]] void outOfMemory() { std::abort(); }

}  // namespace

extern "C" {

// Forgets every file and message. The tick counter, which draws the names of runs without
// /seed, starts from the caller's random bits (never all zero, which xorshift cannot leave).
void qvmin_reset(std::uint32_t randomLow, std::uint32_t randomHigh) {
  std::set_new_handler(outOfMemory);
  qvmin::resetMemorySystem();
  const std::uint64_t bits = (std::uint64_t{randomHigh} << 32) | randomLow;
  if (bits != 0) qvmin::memorySystem().tickState = bits;
}

// Creates the file at path with size bytes and returns where the caller writes them.
char* qvmin_file_create(const char* path, std::size_t size) {
  std::string& bytes = qvmin::memorySystem().files[path];
  bytes.assign(size, '\0');
  return bytes.data();
}

bool qvmin_file_exists(const char* path) { return qvmin::memorySystem().files.contains(path); }
const char* qvmin_file_data(const char* path) { return qvmin::memorySystem().contents(path).data(); }
std::size_t qvmin_file_size(const char* path) { return qvmin::memorySystem().contents(path).size(); }

const char* qvmin_printed_data() { return qvmin::memorySystem().printed.data(); }
std::size_t qvmin_printed_size() { return qvmin::memorySystem().printed.size(); }

// argv[0] is the program name, as in main. Returns the exit status.
int qvmin_run(int argc, const char* const* argv) {
  return qvmin::runQvmin(qvmin::memoryPlatform(), argc, argv);
}

// A value the library's caller gave with a type that no command line can carry, reported as
// the command line reports a value an option does not take.
void qvmin_report_bad_value(const char* option, const char* value) {
  const qvmin::Platform& platform = qvmin::memoryPlatform();
  qvmin::printBanner(platform);
  qvmin::say(platform, "Invalid value for parameter %s: %s", option, value);
  qvmin::say(platform, "\n");
  qvmin::say(platform, "HELP: qvmin /?\n");
}

}  // extern "C"
