#include "platform/memory_platform.h"

#include <algorithm>
#include <cstring>

namespace qvmin {
namespace {

constexpr std::uint64_t kDirectoryInode = 1;

MemoryDescriptor* descriptorOf(int fd) {
  MemorySystem& system = memorySystem();
  if (fd < MemorySystem::kFirstDescriptor) return nullptr;
  std::size_t index = static_cast<std::size_t>(fd - MemorySystem::kFirstDescriptor);
  if (index >= system.descriptors.size() || !system.descriptors[index].open) return nullptr;
  return &system.descriptors[index];
}

// Counts a descriptor call; true when it is the one that must fail.
bool failsNow() {
  MemorySystem& system = memorySystem();
  return ++system.descriptorCalls == system.failCall;
}

// The result of the current call, remembered when it is a failure.
template <typename Result>
Result failure(Result result) {
  MemorySystem& system = memorySystem();
  system.failedCalls.push_back(system.descriptorCalls);
  return result;
}

int openDescriptor(const std::string& path) {
  MemorySystem& system = memorySystem();
  system.descriptors.push_back(MemoryDescriptor{path, 0, true});
  return static_cast<int>(system.descriptors.size() - 1) + MemorySystem::kFirstDescriptor;
}

int openForReading(const char* path) {
  if (failsNow() || !memorySystem().files.contains(path)) return failure(-1);
  return openDescriptor(path);
}

int createForWriting(const char* path) {
  std::string name(path);
  if (failsNow() || name.empty() || name == "." || name.back() == '/') return failure(-1);
  memorySystem().files[name].clear();
  return openDescriptor(name);
}

std::ptrdiff_t readSome(int fd, void* buffer, std::size_t size) {
  MemoryDescriptor* descriptor = descriptorOf(fd);
  if (failsNow() || descriptor == nullptr) return failure(std::ptrdiff_t{-1});
  MemorySystem& system = memorySystem();
  if (!system.readSizes.empty()) {
    std::size_t limit = system.readSizes[system.readsDone++ % system.readSizes.size()];
    if (limit != 0) size = std::min(size, limit);
  }
  const std::string& bytes = system.files[descriptor->path];
  std::size_t available = descriptor->offset < bytes.size() ? bytes.size() - descriptor->offset : 0;
  std::size_t count = std::min(size, available);
  if (count != 0) std::memcpy(buffer, bytes.data() + descriptor->offset, count);
  descriptor->offset += count;
  return static_cast<std::ptrdiff_t>(count);
}

std::ptrdiff_t writeSome(int fd, const void* data, std::size_t size) {
  const bool fail = failsNow();
  MemoryDescriptor* descriptor = descriptorOf(fd);
  if (descriptor == nullptr || (fail && !memorySystem().shortWrite)) return failure(std::ptrdiff_t{-1});
  const std::size_t accepted = fail ? size / 2 : size;
  std::string& bytes = memorySystem().files[descriptor->path];
  if (bytes.size() < descriptor->offset + accepted) bytes.resize(descriptor->offset + accepted);
  bytes.replace(descriptor->offset, accepted, static_cast<const char*>(data), accepted);
  descriptor->offset += accepted;
  return fail ? failure(static_cast<std::ptrdiff_t>(accepted)) : static_cast<std::ptrdiff_t>(accepted);
}

int closeFd(int fd) {
  const bool fail = failsNow();
  MemoryDescriptor* descriptor = descriptorOf(fd);
  if (descriptor == nullptr) return failure(-1);
  descriptor->open = false;
  return fail ? failure(-1) : 0;
}

std::uint64_t ticks() {
  std::uint64_t& x = memorySystem().tickState;
  x ^= x << 13;
  x ^= x >> 7;
  x ^= x << 17;
  return x;
}

// Every path gets its own identity the first time it is looked at.
bool statFile(const char* path, FileId* id) {
  std::string name(path);
  if (name == "." || name == "/") {
    *id = FileId{1, kDirectoryInode};
    return true;
  }
  MemorySystem& system = memorySystem();
  if (!system.files.contains(name)) return false;
  auto identity = system.inodes.try_emplace(name, kDirectoryInode + 1 + system.inodes.size()).first;
  *id = FileId{1, identity->second};
  return true;
}

std::ptrdiff_t readLink(const char*, char*, std::size_t) { return -1; }

void print(std::string_view text) { memorySystem().printed.append(text); }

}  // namespace

std::size_t MemorySystem::openDescriptorCount() const {
  return static_cast<std::size_t>(
      std::count_if(descriptors.begin(), descriptors.end(), [](const MemoryDescriptor& d) { return d.open; }));
}

const std::string& MemorySystem::contents(const std::string& path) const {
  static const std::string kNone;
  auto found = files.find(path);
  return found == files.end() ? kNone : found->second;
}

MemorySystem& memorySystem() {
  static MemorySystem system;
  return system;
}

void resetMemorySystem() { memorySystem() = MemorySystem{}; }

const Platform& memoryPlatform() {
  static const Platform memory{openForReading, createForWriting, readSome, writeSome, closeFd,
                               ticks,          statFile,         readLink, print,
                               // Memory files have no folders: paths are read from the root.
                               []() { return std::string("/"); }};
  return memory;
}

}  // namespace qvmin
