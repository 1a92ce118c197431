// Runs the built qvmin binary in a scratch directory and reads back what it left.
#pragma once

#include <sys/resource.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qvmin::e2e {

struct RunResult {
  std::string out;  // standard output
  std::string err;  // standard error (qvmin never writes to it)
  int status = -1;  // exit status, or -1 when killed by a signal
  int signal = 0;
};

struct RunOptions {
  std::optional<rlim_t> fileSizeLimit;     // RLIMIT_FSIZE, with SIGXFSZ ignored
  std::optional<rlim_t> addressSpaceLimit; // RLIMIT_AS
  int timeoutSeconds = 60;
  bool plainBinary = false;                // the binary built without sanitizers
};

// A fresh directory under the system's temporary directory, removed with everything in it
// when the value goes away.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string at(const std::string& name) const { return path_ + "/" + name; }
  void write(const std::string& name, const std::string& bytes) const;
  std::string read(const std::string& name) const;
  bool exists(const std::string& name) const;
  void mkdir(const std::string& name) const;

 private:
  std::string path_;
};

// Runs qvmin with the arguments (argument 0 is added) in the directory.
RunResult runQvmin(const std::string& directory, const std::vector<std::string>& args,
                   const RunOptions& options = {});

// The banner every run starts with.
std::string banner();
// The settings echo of a run with these paths (exclusions empty: "Not Provided").
std::string echo(const std::string& list, const std::string& exclusions, const std::string& output,
                 const std::string& translation);
// The closing lines after a successful pseudo-compilation of count files.
std::string compiledSummary(unsigned count);
// The closing lines after a pseudo-compilation that failed with this one-line report.
std::string abortedAfter(const std::string& report);

// Every entry under the directory by relative path: a file's bytes, a link's target, or a mark
// for a directory. Two equal snapshots mean nothing was created, removed or rewritten.
std::map<std::string, std::string> snapshot(const std::string& directory);

}  // namespace qvmin::e2e
