#include "platform/console.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace qvmin {

void say(const Platform& platform, const char* format, ...) {
  char small[512];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (length < 0) {
    va_end(again);
    return;
  }
  if (static_cast<std::size_t>(length) < sizeof small) {
    va_end(again);
    platform.print(std::string_view(small, static_cast<std::size_t>(length)));
    return;
  }
  // Long paths and keywords are printed whole.
  std::string large(static_cast<std::size_t>(length) + 1, '\0');
  std::vsnprintf(large.data(), large.size(), format, again);
  va_end(again);
  large.pop_back();
  platform.print(large);
}

}  // namespace qvmin
