#include "e2e/harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace qvmin::e2e {

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qvmin-e2e-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  // Restore permissions that a test may have taken away so that everything can be removed.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) ::chmod(it->path().c_str(), 0700);
  }
  std::filesystem::remove_all(path_, ignored);
}

void ScratchDir::write(const std::string& name, const std::string& bytes) const {
  std::ofstream out(at(name), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + at(name));
}

std::string ScratchDir::read(const std::string& name) const {
  std::ifstream in(at(name), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + at(name));
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool ScratchDir::exists(const std::string& name) const {
  struct stat st {};
  return ::lstat(at(name).c_str(), &st) == 0;
}

void ScratchDir::mkdir(const std::string& name) const { std::filesystem::create_directories(at(name)); }

namespace {

void drainInto(int fd, std::string& sink, bool& open) {
  char buffer[65536];
  ssize_t n = ::read(fd, buffer, sizeof buffer);
  if (n > 0) {
    sink.append(buffer, static_cast<std::size_t>(n));
  } else if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
    open = false;
  }
}

}  // namespace

RunResult runQvmin(const std::string& directory, const std::vector<std::string>& args, const RunOptions& options) {
  const std::string binary = options.plainBinary ? QVMIN_PLAIN_BINARY : QVMIN_BINARY;
  int outPipe[2];
  int errPipe[2];
  if (::pipe(outPipe) != 0 || ::pipe(errPipe) != 0) throw std::runtime_error("pipe failed");

  // Built before the fork: under an address-space limit the child may not be able to allocate,
  // least of all with the sanitizers' allocator, whose mappings count against the limit.
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(binary.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    ::dup2(outPipe[1], STDOUT_FILENO);
    ::dup2(errPipe[1], STDERR_FILENO);
    ::close(outPipe[0]);
    ::close(outPipe[1]);
    ::close(errPipe[0]);
    ::close(errPipe[1]);
    int devNull = ::open("/dev/null", O_RDONLY);
    if (devNull >= 0) ::dup2(devNull, STDIN_FILENO);
    if (::chdir(directory.c_str()) != 0) ::_exit(126);
    if (options.fileSizeLimit) {
      ::signal(SIGXFSZ, SIG_IGN);
      rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (options.addressSpaceLimit) {
      rlimit limit{*options.addressSpaceLimit, *options.addressSpaceLimit};
      ::setrlimit(RLIMIT_AS, &limit);
    }
    ::execv(binary.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(outPipe[1]);
  ::close(errPipe[1]);

  RunResult result;
  bool outOpen = true;
  bool errOpen = true;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSeconds);
  while (outOpen || errOpen) {
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int ready = ::poll(fds, 2, 1000);
    if (ready > 0) {
      if (outOpen && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) drainInto(outPipe[0], result.out, outOpen);
      if (errOpen && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) drainInto(errPipe[0], result.err, errOpen);
    }
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(child, SIGKILL);
      break;
    }
  }
  ::close(outPipe[0]);
  ::close(errPipe[0]);
  int wstatus = 0;
  while (::waitpid(child, &wstatus, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(wstatus)) {
    result.status = WEXITSTATUS(wstatus);
  } else if (WIFSIGNALED(wstatus)) {
    result.signal = WTERMSIG(wstatus);
  }
  return result;
}

std::string banner() {
  return "\nQuorvex: Concatenates multiple Javascript files together, removes all redundant whitespace, and randomly "
         "genericizes all identifiers (variable/function names).\nqvmin " QVMIN_VERSION
         " - Copyright (c) 2026 the qvmin authors - MIT licence\n\n";
}

std::string echo(const std::string& list, const std::string& exclusions, const std::string& output,
                 const std::string& translation) {
  return "sourceFilesListFilePath: " + list + "\nkeywordExclusionListFilePath: " +
         (exclusions.empty() ? std::string("Not Provided") : exclusions) + "\noutputFilePath: " + output +
         "\noutputKeywordTranslationFilePath: " + translation + "\n";
}

std::string compiledSummary(unsigned count) {
  return "\n" + std::to_string(count) + " source files successfully pseudo-compiled!\n";
}

std::string abortedAfter(const std::string& report) {
  return "\n" + report + "\n\nPseudo-Compilation Aborted!\n\nHELP: qvmin /?\n";
}

std::map<std::string, std::string> snapshot(const std::string& directory) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> entries;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(directory)) {
    std::string name = fs::relative(entry.path(), directory).string();
    if (entry.is_symlink()) {
      entries[name] = "link to " + fs::read_symlink(entry.path()).string();
    } else if (entry.is_directory()) {
      entries[name] = "directory";
    } else {
      std::ifstream in(entry.path(), std::ios::binary);
      std::ostringstream bytes;
      bytes << in.rdbuf();
      entries[name] = "file: " + bytes.str();
    }
  }
  return entries;
}

}  // namespace qvmin::e2e
