#include "compiler/pseudo_compile.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "compiler/genericizer.h"
#include "compiler/kept_names.h"
#include "compiler/modern_scanner.h"
#include "compiler/output_buffer.h"
#include "compiler/quoted_names.h"
#include "compiler/quoted_names_split.h"
#include "compiler/read_ahead.h"
#include "compiler/relative_path.h"
#include "compiler/scanner.h"
#include "compiler/source_map.h"
#include "compiler/source_map_file.h"
#include "compiler/translation_file.h"
#include "platform/console.h"
#include "platform/file_handle.h"

namespace qvmin {
namespace {

constexpr std::size_t kSourceReadBlock = 256 * 1024;

void report(const Platform& platform, const char* what, const std::string& path) {
  say(platform, "\n");
  say(platform, "%s: %*s\n", what, static_cast<int>(path.size()), path.c_str());
}

// One call of pseudoCompile.
class Compilation {
 public:
  Compilation(const Platform& platform, const RunFiles& files, KeywordTable& keywordTable,
              const CompileOptions& options)
      : platform_(platform), files_(files), keywordTable_(keywordTable), options_(options) {}

  bool run() {
    if (reportOutputClash(platform_, files_)) return true;
    const std::string& outputPath = files_.outputFilePath.text;
    const std::string& translationPath = files_.outputKeywordTranslationFilePath.text;

    FileHandle output(platform_, platform_.createForWriting(outputPath.c_str()));
    if (!output.isOpen()) {
      report(platform_, "Error opening outputFile", outputPath);
      return true;
    }
    FileHandle translation(platform_, platform_.createForWriting(translationPath.c_str()));
    if (!translation.isOpen()) {
      report(platform_, "Error opening outputKeywordTranslationFile", translationPath);
      if (!output.close()) report(platform_, "Error closing the outputFile", outputPath);
      return true;
    }
    const PathSetting* mapPath = files_.sourceMapFilePath;
    if (mapPath != nullptr) {
      map_ = FileHandle(platform_, platform_.createForWriting(mapPath->c_str()));
      if (!map_.isOpen()) {
        report(platform_, "Error opening sourceMapFile", mapPath->text);
        return failureExit(output, translation);
      }
      mapOut_ = std::make_unique<OutputBuffer>(platform_, map_.fd());
      writeSourceMapHeadFor(*mapPath);
    }

    auto block = std::make_unique_for_overwrite<char[]>(kSourceReadBlock);
    Genericizer genericizer(keywordTable_, platform_);
    genericizer.ticks.seededState = options_.seed;
    setUpGenericizer(genericizer);
    if (options_.keptNames != nullptr) keepNames(genericizer, *options_.keptNames);
    OutputBuffer out(platform_, output.fd());
    // Written on a thread of its own; not with a map, whose run keeps two cores busy already
    // (measured: a writing thread made it slower).
    if (writesBehind_ && mapPath == nullptr) out.writeBehind();
    out_ = &out;
    std::unique_ptr<SourceMapRecorder> recorder;
    if (mapPath != nullptr) {
      recorder = std::make_unique<SourceMapRecorder>(out, *mapOut_, threadsMayCall_);
      out.watch(recorder->watcher());
    }
    if (options_.syntax == Syntax::kModern) {
      ModernScanner scanner(out, &genericizer);
      if (recorder) scanner.observer = recorder->observer();
      if (!compileFiles(scanner, out, block.get(), recorder.get())) return failureExit(output, translation, recorder.get());
    } else {
      Scanner scanner(out, &genericizer);
      if (recorder) scanner.observer = recorder->observer();
      if (!compileFiles(scanner, out, block.get(), recorder.get())) return failureExit(output, translation, recorder.get());
    }
    if (!options_.sourceMapUrl.empty() && !appendSourceMapUrl(out)) {
      reportWriteFailure();
      return failureExit(output, translation, recorder.get());
    }

    bool failed = writeKeywordTranslationFile(platform_, translation.fd(), files_.outputKeywordTranslationFilePath,
                                              translationsInOrder(genericizer));
    if (recorder) recorder->finish();
    if (recorder && !failed) failed = finishSourceMap(*recorder, block.get());
    settleOutputs();
    if (!output.close()) {
      report(platform_, "Error closing the outputFile", outputPath);
      failed = true;
    }
    if (!translation.close()) {
      report(platform_, "Error closing the outputKeywordTranslationFile", translationPath);
      failed = true;
    }
    if (!map_.close()) {
      report(platform_, "Error closing the sourceMapFile", mapPath->text);
      failed = true;
    }
    return failed;
  }

 private:
  // The URL line after the output: a line of its own, the output's last line.
  bool appendSourceMapUrl(OutputBuffer& out) {
    if (!out.flush()) return false;
    if (out.taken() != 0 && out.lastWritten() != '\n') out.put('\n');
    out.append("//# sourceMappingURL=");
    out.append(options_.sourceMapUrl);
    return out.flush();
  }

  // The map's text before the mappings, which the run adds as it writes the output.
  void writeSourceMapHeadFor(const PathSetting& mapPath) {
    const std::string currentDirectory = platform_.currentDirectory != nullptr ? platform_.currentDirectory() : "";
    std::vector<std::string> sources;
    sources.reserve(files_.sourceFiles.entries.size());
    for (const SourceFileEntry& entry : files_.sourceFiles.entries) {
      sources.push_back(pathFromFolderOf(mapPath.text, entry.path, currentDirectory));
    }
    writeSourceMapHead(*mapOut_, pathFromFolderOf(mapPath.text, files_.outputFilePath.text, currentDirectory), sources);
  }

  // Ends the map once the output is complete: the names, and the text of every source, read
  // again; true on failure, after reporting it.
  bool finishSourceMap(const SourceMapRecorder& recorder, char* block) {
    OutputBuffer& map = *mapOut_;
    writeSourceMapNames(map, recorder.names());
    bool first = true;
    for (const SourceFileEntry& entry : files_.sourceFiles.entries) {
      if (!first) map.put(',');
      first = false;
      if (map.failed()) break;
      if (!copySourceText(entry, map, block)) return true;
    }
    writeSourceMapEnd(map);
    if (map.flush()) return false;
    report(platform_, "An error occured while writing to the sourceMapFile", files_.sourceMapFilePath->text);
    return true;
  }

  // One source's text as a JSON string; false after reporting a failure.
  bool copySourceText(const SourceFileEntry& entry, OutputBuffer& map, char* block) {
    FileHandle source(platform_, platform_.openForReading(entry.path.c_str()));
    if (!source.isOpen()) {
      report(platform_, "Error opening currentSourceFile", entry.path);
      return false;
    }
    JsonStringWriter text(map);
    ReadAhead reader(platform_, block, kSourceReadBlock, threadsMayCall_);
    reader.beginFile(source.fd());
    bool ok = true;
    for (;;) {
      std::string_view bytes;
      const std::ptrdiff_t got = reader.next(bytes);
      if (got < 0) {
        report(platform_, "An error occured while reading from the currentSourceFile", entry.path);
        ok = false;
        break;
      }
      if (got == 0) break;
      text.add(bytes);
    }
    reader.endFile();
    text.finish();
    if (!source.close()) {
      report(platform_, "Error closing the currentSourceFile", entry.path);
      ok = false;
    }
    return ok;
  }

 public:
  // A first pass over the sources that only reads their string literals: every name a string
  // holds is kept before the first generic name is drawn. True on failure, after reporting it.
  bool collectQuotedNames() {
    auto block = std::make_unique_for_overwrite<char[]>(kSourceReadBlock);
    return !collectQuotedNamesInto(block.get());
  }

 private:
  bool collectQuotedNamesInto(char* block) {
    // Where the processor runs threads side by side, large sources are read in pieces at once.
    const unsigned threads = threadsMayCall_ ? std::min(std::thread::hardware_concurrency(), 8u) : 1;
    const std::vector<SplitPoint> points = planSplit(platform_, files_.sourceFiles, threads);
    if (!points.empty() &&
        collectQuotedNamesSplit(platform_, files_.sourceFiles, keywordTable_, points, options_.syntax).done) {
      return true;
    }
    // In one piece, where a failure is reported as it is met.
    QuotedNameCollector collector(keywordTable_);
    if (options_.syntax == Syntax::kModern) {
      StringReader<ModernScanner> reader(platform_, collector.sink());
      return compileFiles(reader.scanner, reader.discard, block, nullptr);
    }
    StringReader<Scanner> reader(platform_, collector.sink());
    return compileFiles(reader.scanner, reader.discard, block, nullptr);
  }

  // Scans every source file in list order, showing each to the recorder when there is one;
  // false after reporting a failure.
  template <typename AnyScanner>
  bool compileFiles(AnyScanner& scanner, OutputBuffer& out, char* block, SourceMapRecorder* recorder) {
    ReadAhead reader(platform_, block, kSourceReadBlock, threadsMayCall_);
    for (const SourceFileEntry& entry : files_.sourceFiles.entries) {
      if (recorder != nullptr) recorder->beginFile();
      if (!compileFile(entry, scanner, out, reader, recorder)) return false;
      scanner.crossFileBoundary();
    }
    return true;
  }

  // Scans one source file into the output; false after reporting a failure.
  template <typename AnyScanner>
  bool compileFile(const SourceFileEntry& entry, AnyScanner& scanner, OutputBuffer& out, ReadAhead& reader,
                   SourceMapRecorder* recorder) {
    FileHandle source(platform_, platform_.openForReading(entry.path.c_str()));
    if (!source.isOpen()) {
      report(platform_, "Error opening currentSourceFile", entry.path);
      return false;
    }
    reader.beginFile(source.fd());
    bool ok = true;
    for (;;) {
      std::string_view bytes;
      std::ptrdiff_t got = reader.next(bytes);
      if (got < 0) {
        // A write that failed earlier is what an unbuffered run would have met first.
        if (out.flush()) {
          report(platform_, "An error occured while reading from the currentSourceFile", entry.path);
        } else {
          reportWriteFailure();
        }
        ok = false;
        break;
      }
      if (recorder != nullptr) recorder->addSourceBytes(bytes);
      bool scanned = got == 0 ? scanner.endOfFile() : scanner.scan(bytes);
      if (out.failed() || (got == 0 && !out.flush())) {
        reportWriteFailure();
        ok = false;
        break;
      }
      if (!scanned) {
        // The text before the identifier is in the file; the identifier itself is not.
        if (out.flush()) {
          std::string_view identifier = scanner.stoppedAt();
          say(platform_, "\n");
          say(platform_, "No generic name is left for the identifier %.*s in the currentSourceFile: %*s\n",
              static_cast<int>(identifier.size()), identifier.data(), entry.width(), entry.path.c_str());
        } else {
          reportWriteFailure();
        }
        ok = false;
        break;
      }
      if (got == 0) break;
    }
    reader.endFile();
    if (!source.close()) {
      report(platform_, "Error closing the currentSourceFile", entry.path);
      ok = false;
    }
    return ok;
  }

  // No write to the output may be under way when it is closed.
  void settleOutputs() {
    if (out_ != nullptr) out_->settle();
  }

  void reportWriteFailure() { report(platform_, "An error occured while writing to the outputFile", files_.outputFilePath.text); }

  bool failureExit(FileHandle& output, FileHandle& translation, SourceMapRecorder* recorder = nullptr) {
    if (recorder != nullptr) recorder->finish();  // nothing writes to the map from here on
    settleOutputs();
    if (!output.close()) {
      report(platform_, "Error closing the outputFile", files_.outputFilePath.text);
      return true;
    }
    if (!translation.close()) {
      report(platform_, "Error closing the outputKeywordTranslationFile", files_.outputKeywordTranslationFilePath.text);
      return true;
    }
    if (!map_.close()) report(platform_, "Error closing the sourceMapFile", files_.sourceMapFilePath->text);
    return true;
  }

  const Platform& platform_;
  // The real system's calls may come from several threads at once; a stand-in's need not.
  const bool threadsMayCall_ = &platform_ == &systemPlatform();
  const bool writesBehind_ = threadsMayCall_ && kBuildHasThreads;
  OutputBuffer* out_ = nullptr;  // the output, while the run writes it
  const RunFiles& files_;
  KeywordTable& keywordTable_;
  const CompileOptions& options_;
  FileHandle map_;  // open while a source map is written
  std::unique_ptr<OutputBuffer> mapOut_;
};

}  // namespace

bool pseudoCompile(const Platform& platform, const RunFiles& files, KeywordTable& keywordTable,
                   const CompileOptions& options) {
  return Compilation(platform, files, keywordTable, options).run();
}

bool collectQuotedNames(const Platform& platform, const RunFiles& files, KeywordTable& keywordTable,
                        const CompileOptions& options) {
  return Compilation(platform, files, keywordTable, options).collectQuotedNames();
}

}  // namespace qvmin
