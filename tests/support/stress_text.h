// Source text that puts every kind of run across 16-, 32- and 64-byte steps and read-block
// ends, for the tests that compare the scan widths and the ways of building a source map.
#pragma once

#include <string>

namespace qvmin::testing {

// A 1 MB identifier, long comments (with CR LF), strings, templates, regular expressions and
// indentation of every length up to 300, most of a million short tokens (many batches for the
// source map's thread), and every byte value.
inline std::string runsOfEveryLength() {
  std::string text = "var " + std::string(1 << 20, 'q') + " = 1;\n";
  for (int i = 0; i < 300; ++i) {
    const auto n = static_cast<std::size_t>(i);
    text += "/* " + std::string(n, '*') + "\r\n */ function f" + std::to_string(i) + "(a, b) {\n" + std::string(n % 70, ' ') +
            "return '" + std::string(n, 'z') + "\\'' + \"" + std::string(n % 40, 'y') + "\" + `t${a}" + std::string(n % 65, '$') +
            "` + /r[/]" + std::string(n % 33, 'x') + "/g.source; // " + std::string(n, '-') + "\n}\n";
  }
  for (int i = 0; i < 200000; ++i) text += "v" + std::to_string(i % 977) + (i % 13 == 0 ? "=w;\n" : "=w;");
  for (int value = 0; value < 256; ++value) text += static_cast<char>(value);
  return text;
}

}  // namespace qvmin::testing
