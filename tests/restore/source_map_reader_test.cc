#include "restore/source_map_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qvmin {
namespace {

// Segments written as "column" or "column>source:line:column", one string per output line.
std::vector<std::string> describe(const std::vector<std::vector<MapSegment>>& lines) {
  std::vector<std::string> text;
  for (const auto& line : lines) {
    std::string out;
    for (const MapSegment& s : line) {
      if (!out.empty()) out += ' ';
      out += std::to_string(s.generatedColumn);
      if (s.source >= 0) {
        out += '>' + std::to_string(s.source) + ':' + std::to_string(s.line) + ':' + std::to_string(s.column);
      }
    }
    text.push_back(out);
  }
  return text;
}

struct MappingsCase {
  const char* mappings;
  std::vector<std::string> lines;  // empty: the problem below
  const char* problem;
};

const MappingsCase kMappings[] = {
    {"", {""}, nullptr},
    {"AAAA,EAAE;;ACCD", {"0>0:0:0 2>0:0:2", "", "0>1:1:1"}, nullptr},
    {"AAAAA,gBAAAC", {"0>0:0:0 16>0:0:0"}, nullptr},  // 5 fields; 16 takes two digits
    {"C,D,;", {"0 1", ""}, nullptr},                   // unsorted segments are sorted
    {"AA", {}, "a segment has 2 or 3 fields!  (line: 1, offset: 2)"},
    {"AAAA;AAA", {}, "a segment has 2 or 3 fields!  (line: 2, offset: 8)"},
    {"AAAAAA", {}, "more than 5 fields"},
    {"A*AA", {}, "a character is not base64!"},
    {"Ag", {}, "a number is cut short!"},
    {"ACAA", {"0>1:0:0"}, nullptr},  // two sources: index 1 is there, 2 is not
    {"AEAA", {}, "a source index is out of range!"},
    {"D", {}, "a field leaves its range!"},
    {"AAFA", {}, "a field leaves its range!"},
    {"ggggggggB", {}, "a number is too large!"},
};

TEST(RestoreDecodeMappings, Table) {
  for (const MappingsCase& c : kMappings) {
    std::vector<std::vector<MapSegment>> lines;
    const std::string problem = decodeMappings(c.mappings, 2, lines);
    if (c.problem == nullptr) {
      EXPECT_EQ(problem, "") << c.mappings;
      EXPECT_EQ(describe(lines), c.lines) << c.mappings;
    } else {
      EXPECT_NE(problem.find(c.problem), std::string::npos) << c.mappings << ": " << problem;
    }
  }
}

struct MapCase {
  std::string json;
  const char* problem;  // null: read, with the file and sources below
  const char* file;
  std::vector<std::string> sources;
};

const MapCase kMaps[] = {
    {R"({"version":3,"file":"app.min.js","sources":["a.js","b\/c.js"],"names":["x"],"mappings":"AAAA;ACAA",)"
     R"("sourcesContent":["q\"\\\u00e9",null]})",
     nullptr, "app.min.js", {"a.js", "b/c.js"}},
    {" \n{ \"x\" : {\"y\":[1,-2.5e3,true,false,null,{},[]]}, \"version\" : 3.0 , \"file\":\"\\u00e9\\ud83d\\ude00.js\","
     " \"sources\" : [ null, \"\\ud800x\" ] , \"mappings\" : \"\" } \r\n",
     nullptr, "\xc3\xa9\xf0\x9f\x98\x80.js", {"", "\xef\xbf\xbdx"}},
    {R"({"version":3,"file":"o.js","sourceRoot":"src","sources":["a.js"],"mappings":"AAAA"})", nullptr, "o.js",
     {"src/a.js"}},
    {"", "not valid JSON!  (offset: 0)", nullptr, {}},
    {R"({"version":3,)", "not valid JSON!", nullptr, {}},
    {R"({"version":3} x)", "not valid JSON!  (offset: 14)", nullptr, {}},
    {"[1]", "not valid JSON!", nullptr, {}},
    {R"({"version" 3,"file":"o.js","sources":[],"mappings":""})", "not valid JSON!  (offset: 11)", nullptr, {}},
    {R"({"version":3,"file":"o.js","sources":[],"mappings":"","sourcesContent":["never closed]})", "not valid JSON!",
     nullptr, {}},
    {R"({"version":3,"file":"o\x.js","sources":[],"mappings":""})", "not valid JSON!", nullptr, {}},
    {R"({"version":3,"file":"o.js","sources":[],"mappings":"","x":[1,]})", "not valid JSON!", nullptr, {}},
    {R"({"version":3,"file":"o.js","sources":[],"mappings":"","x":tru})", "not valid JSON!", nullptr, {}},
    {R"({"version":3,"file":"o.js","sources":[1],"mappings":""})", "not valid JSON!", nullptr, {}},
    {"{\"x\":" + std::string(100000, '['), "not valid JSON!", nullptr, {}},  // no stack overflow
    {R"({"version":2,"file":"o.js","sources":[],"mappings":""})", "not of version 3!", nullptr, {}},
    {R"({"file":"o.js","sources":[],"mappings":""})", "not of version 3!", nullptr, {}},
    {R"({"version":3,"sources":[],"mappings":""})", "names no file!", nullptr, {}},
    {R"({"version":3,"file":"o.js","mappings":""})", "lists no sources!", nullptr, {}},
    {R"({"version":3,"file":"o.js","sources":[]})", "has no mappings!", nullptr, {}},
    {R"({"version":3,"file":"o.js","sources":["a.js"],"mappings":"AAAA,AC"})", "mappings are malformed", nullptr,
     {}},
};

TEST(RestoreReadSourceMap, Table) {
  for (const MapCase& c : kMaps) {
    RestoreMap map;
    const std::string problem = readSourceMap(c.json, map);
    const std::string shown = c.json.substr(0, 80);
    if (c.problem == nullptr) {
      EXPECT_EQ(problem, "") << shown;
      EXPECT_EQ(map.file, c.file) << shown;
      EXPECT_EQ(map.sources, c.sources) << shown;
    } else {
      EXPECT_NE(problem.find(c.problem), std::string::npos) << shown << ": " << problem;
    }
  }
}

}  // namespace
}  // namespace qvmin
