#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/platform.h"

namespace qvmin {
namespace {

int openForReading(const char* path) {
  int fd;
  do {
    fd = ::open(path, O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

int createForWriting(const char* path) {
  int fd;
  do {
    fd = ::open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, S_IRUSR | S_IWUSR);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

std::ptrdiff_t readSome(int fd, void* buffer, std::size_t size) {
  ssize_t n;
  do {
    n = ::read(fd, buffer, size);
  } while (n < 0 && errno == EINTR);
  return n;
}

std::ptrdiff_t writeSome(int fd, const void* data, std::size_t size) {
  ssize_t n;
  do {
    n = ::write(fd, data, size);
  } while (n < 0 && errno == EINTR);
  return n;
}

std::ptrdiff_t readAt(int fd, void* buffer, std::size_t size, std::uint64_t offset) {
  ssize_t n;
  do {
    n = ::pread(fd, buffer, size, static_cast<off_t>(offset));
  } while (n < 0 && errno == EINTR);
  return n;
}

std::int64_t sizeOf(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

int closeFd(int fd) { return ::close(fd); }

std::uint64_t ticks() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000000000u + static_cast<std::uint64_t>(now.tv_nsec);
}

bool statFile(const char* path, FileId* id) {
  struct stat st {};
  if (::stat(path, &st) != 0) return false;
  id->device = st.st_dev;
  id->inode = st.st_ino;
  return true;
}

std::ptrdiff_t readLink(const char* path, char* buffer, std::size_t size) { return ::readlink(path, buffer, size); }

void print(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

std::string currentDirectory() {
  std::string path(4096, '\0');
  if (::getcwd(path.data(), path.size()) == nullptr) return {};
  path.resize(path.find('\0'));
  return path;
}

}  // namespace

const Platform& systemPlatform() {
  static const Platform real{openForReading, createForWriting, readSome, writeSome, closeFd,
                             ticks,          statFile,         readLink,  print, currentDirectory,
                             readAt,         sizeOf};
  return real;
}

}  // namespace qvmin
