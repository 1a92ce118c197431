// One path given on the command line.
#pragma once

#include <string>

namespace qvmin {

struct PathSetting {
  bool supplied = false;  // the option was given; an empty value still counts
  std::string text;

  int width() const { return static_cast<int>(text.size()); }
  const char* c_str() const { return text.c_str(); }
};

}  // namespace qvmin
