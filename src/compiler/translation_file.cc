#include "compiler/translation_file.h"

#include "compiler/output_buffer.h"
#include "platform/console.h"

namespace qvmin {

bool writeKeywordTranslationFile(const Platform& platform, int fd, const PathSetting& path,
                                 const std::vector<const TextMap::Entry*>& translations) {
  OutputBuffer out(platform, fd);
  for (const TextMap::Entry* translation : translations) {
    out.append(translation->value);
    out.put(',');
    out.append(translation->key);
    out.append("\r\n");
    if (out.failed()) break;
  }
  if (out.flush()) return false;
  say(platform, "\n");
  say(platform, "An error occured while writing to the outputKeywordTranslationFile: %*s\n", path.width(), path.c_str());
  return true;
}

}  // namespace qvmin
