// The thin layer between qvmin and the operating system. Every file descriptor call, the
// tick counter and the console go through one Platform value, so tests can replace any of
// them (fail the N-th call, accept only part of a write, script the counter).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qvmin {

// Whether this build may start threads at all: not the WebAssembly build, nor the one-thread
// build the tests compare with.
#if defined(__EMSCRIPTEN__) || defined(QVMIN_ONE_THREAD)
inline constexpr bool kBuildHasThreads = false;
#else
inline constexpr bool kBuildHasThreads = true;
#endif

// Identity of an existing file system entry, links followed.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  friend bool operator==(const FileId&, const FileId&) = default;
};

struct Platform {
  // Opens an existing file read-only, in binary mode. Negative on failure.
  int (*openForReading)(const char* path);
  // Opens for reading and writing; creates with owner read/write permission or truncates.
  int (*createForWriting)(const char* path);
  // Reads up to size bytes. Negative on failure, 0 at end of file.
  std::ptrdiff_t (*read)(int fd, void* buffer, std::size_t size);
  // Writes up to size bytes with one call; returns how many were accepted, negative on failure.
  std::ptrdiff_t (*write)(int fd, const void* data, std::size_t size);
  // Negative on failure.
  int (*close)(int fd);
  // A high-resolution tick count whose low bits change between reads.
  std::uint64_t (*ticks)();
  // Fills id and returns true when the path names an existing entry.
  bool (*statFile)(const char* path, FileId* id);
  // Copies the target of a symbolic link into buffer (no terminator) and returns its length;
  // negative when the path is not a link. A result equal to size may have been cut short.
  std::ptrdiff_t (*readLink)(const char* path, char* buffer, std::size_t size);
  // Appends bytes to standard output.
  void (*print)(std::string_view text);
  // The current working directory; empty when it cannot be found.
  std::string (*currentDirectory)();
  // Reads up to size bytes at offset, leaving the file position alone. Negative on failure. Null
  // where files are only read in order; so is sizeOf.
  std::ptrdiff_t (*readAt)(int fd, void* buffer, std::size_t size, std::uint64_t offset) = nullptr;
  // The size of an open file; negative on failure.
  std::int64_t (*sizeOf)(int fd) = nullptr;
};

// The real operating system.
const Platform& systemPlatform();

}  // namespace qvmin
