// The scanner alone, for the benchmark: reads one source file in the blocks qvmin reads (ahead of
// the scan, on a second thread, as qvmin does) and writes its minified text through the same
// output buffer (written on a thread of its own once a buffer fills, as qvmin's is without a
// map), with identifiers left as they are (no keyword table, no names drawn). Set beside a plain
// copy of the same file, it shows what the byte scanner itself costs.
//
//   qvmin_scan_only input.js output.js
#include <cstdio>
#include <memory>

#include "compiler/output_buffer.h"
#include "compiler/read_ahead.h"
#include "compiler/scanner.h"
#include "platform/file_handle.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qvmin_scan_only input.js output.js\n");
    return 2;
  }
  const qvmin::Platform& platform = qvmin::systemPlatform();
  qvmin::FileHandle input(platform, platform.openForReading(argv[1]));
  qvmin::FileHandle output(platform, platform.createForWriting(argv[2]));
  if (!input.isOpen() || !output.isOpen()) {
    std::fprintf(stderr, "qvmin_scan_only: cannot open %s or %s\n", argv[1], argv[2]);
    return 1;
  }
  constexpr std::size_t kBlock = 256 * 1024;
  auto block = std::make_unique_for_overwrite<char[]>(kBlock);
  qvmin::OutputBuffer out(platform, output.fd());
  out.writeBehind();
  qvmin::Scanner scanner(out, nullptr);
  qvmin::ReadAhead reader(platform, block.get(), kBlock, true);
  reader.beginFile(input.fd());
  for (;;) {
    std::string_view bytes;
    std::ptrdiff_t got = reader.next(bytes);
    if (got < 0) return 1;
    if (got == 0) break;
    scanner.scan(bytes);
  }
  reader.endFile();
  scanner.endOfFile();
  return out.flush() && input.close() && output.close() ? 0 : 1;
}
