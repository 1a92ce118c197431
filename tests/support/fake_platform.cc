#include "support/fake_platform.h"

#include <algorithm>

namespace qvmin::testing {
namespace {

FakeSystem& state() {
  static FakeSystem system;
  return system;
}

// Records a call; true when this call is the one that must fail.
bool record(CallKind kind, int fd, const char* path = nullptr) {
  FakeSystem& s = state();
  s.calls.push_back(RecordedCall{kind, fd, path ? path : ""});
  return s.failCallNumber != 0 && s.calls.size() == s.failCallNumber;
}

int openForReading(const char* path) {
  if (record(CallKind::kOpenForReading, -1, path)) return -1;
  int fd = systemPlatform().openForReading(path);
  state().calls.back().fd = fd;
  return fd;
}

int createForWriting(const char* path) {
  if (record(CallKind::kCreateForWriting, -1, path)) return -1;
  int fd = systemPlatform().createForWriting(path);
  state().calls.back().fd = fd;
  return fd;
}

// Keeps what a read or write returned with its recorded call.
std::ptrdiff_t noted(std::ptrdiff_t result) { return state().calls.back().bytes = result; }

std::ptrdiff_t readSome(int fd, void* buffer, std::size_t size) {
  if (record(CallKind::kRead, fd)) return noted(-1);
  return noted(systemPlatform().read(fd, buffer, size));
}

std::ptrdiff_t writeAccepted(int fd, const void* data, std::size_t size) {
  FakeSystem& s = state();
  if (s.shortWriteCallNumber == s.calls.size()) size = std::min(size, s.shortWriteBytes);
  if (s.limitWrites) {
    std::size_t accepted = std::min(size, s.writeBudget);
    s.writeBudget -= accepted;
    if (accepted == 0) return -1;
    size = accepted;
  }
  return systemPlatform().write(fd, data, size);
}

std::ptrdiff_t writeSome(int fd, const void* data, std::size_t size) {
  if (record(CallKind::kWrite, fd)) return noted(-1);
  return noted(writeAccepted(fd, data, size));
}

int closeFd(int fd) {
  bool fail = record(CallKind::kClose, fd);
  int result = systemPlatform().close(fd);  // never leak the descriptor, even when failing
  return fail ? -1 : result;
}

std::uint64_t ticks() {
  FakeSystem& s = state();
  ++s.tickReads;
  if (s.ticks.empty()) return 0;
  std::uint64_t value = s.ticks.front();
  s.ticks.pop_front();
  return value;
}

bool statFile(const char* path, FileId* id) { return systemPlatform().statFile(path, id); }

std::ptrdiff_t readLink(const char* path, char* buffer, std::size_t size) {
  return systemPlatform().readLink(path, buffer, size);
}

void print(std::string_view text) { state().printed.append(text); }

std::string currentDirectory() { return systemPlatform().currentDirectory(); }

}  // namespace

FakeSystem& fakeSystem() { return state(); }

void resetFakeSystem() { state() = FakeSystem{}; }

const Platform& fakePlatform() {
  static const Platform fake{openForReading, createForWriting, readSome, writeSome, closeFd, ticks, statFile, readLink, print, currentDirectory};
  return fake;
}

}  // namespace qvmin::testing
