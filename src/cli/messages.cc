#include "cli/messages.h"

#include "platform/console.h"

#ifndef QVMIN_VERSION
#define QVMIN_VERSION "unknown"
#endif

namespace qvmin {

void printBanner(const Platform& platform) {
  say(platform, "\n");
  say(platform,
      "Quorvex: Concatenates multiple Javascript files together, removes all redundant whitespace, and randomly "
      "genericizes all identifiers (variable/function names).\n");
  say(platform, "qvmin " QVMIN_VERSION " - Copyright (c) 2026 the qvmin authors - MIT licence\n");
  say(platform, "\n");
}

void printUsage(const Platform& platform) {
  static constexpr const char* kPieces[] = {
      "USAGE:\n",
      "\n",
      "qvmin [/?] /sflfp sourceFilesListFilePath [/kelfp keywordExclusionListFilePath] /ofp outputFilePath /oktfp "
      "outputKeywordTranslationFilePath\n",
      "\n",
      "/?: Shows the help text you are now reading.\n",
      "\n",
      "sourceFilesListFilePath: A valid file path to a text file containing a list of sourcecode filepaths (one per "
      "line).  \n",
      "\n",
      "keywordExclusionListFilePath: A valid file path to a text file containing a list of keywords which are not to "
      "be genericized (one per line).\n",
      "\n",
      "outputFilePath: A valid file path to create the pseudo-compiled Javascript output file.  A pre-existing file "
      "with the same name will be overwritten!\n",
      "\n",
      "outputKeywordTranslationFilePath: A valid file path to create the keyword translation file.  The text file "
      "will list one keyword translation pair per line; with the two keywords of each pair separated by a comma (CSV "
      "compliant format).  A pre-existing file with the same name will be overwritten!\n",
      "\n",
      "\n",
      "EXAMPLES:\n",
      "\n",
      "qvmin /sflfp javascriptFileList.txt /ofp pseudoCompiledJavascript.js /oktfp keywordTranslation.txt\n",
      "\n",
      "qvmin /sflfp C:\\javascriptFileList.txt /kelfp C:\\keywordExclusionList.txt /ofp "
      "C:\\pseudoCompiledJavascript.js /oktfp C:\\keywordTranslation.txt\n",
  };
  static_assert(std::size(kPieces) == 20);
  // The newer options, in the same style, after the classic text.
  static constexpr const char* kNewerPieces[] = {
      "\n",
      "\n",
      "NEWER OPTIONS:\n",
      "\n",
      "/syntax classic|modern: The lexical grammar the source files are read with.  classic (the default) knows "
      "comments, quoted strings, decimal and hexadecimal numbers, identifiers and operator characters.  modern reads "
      "all of current JavaScript (regular expression and template literals, every number and identifier form, private "
      "names), keeps the line breaks that a statement may end on, and never genericizes the reserved words and "
      "built-in names of the language.\n",
      "\n",
      "/env none|browser|node|universal: The names of the environment the output runs in, which are never "
      "genericized: browser keeps the names of web browsers, node those of Node.js, universal both, none neither.  "
      "The default is none with /syntax classic and universal with /syntax modern.\n",
      "\n",
      "/kqn on|off: Keep quoted names.  With on, an identifier whose text is the whole content of a string literal (or "
      "of a template without substitutions) anywhere in the source files is never genericized, so that obj['total'] "
      "and obj.total stay the same property.  The default is off with /syntax classic and on with /syntax modern.\n",
      "\n",
      "/smfp sourceMapFilePath: A valid file path to create a source map (revision 3) of the output file.  It maps "
      "every token of the output back to its source file, line and column, and every genericized identifier to its "
      "original name; the source files are named relative to the source map's folder, and their text is included.  A "
      "pre-existing file with the same name will be overwritten!\n",
      "\n",
      "/smurl sourceMapUrl: Ends the output file with the line //# sourceMappingURL=sourceMapUrl, which tells "
      "debuggers where the source map is.\n",
      "\n",
      "/iktfp inputKeywordTranslationFilePath: A valid file path to the keyword translation file of an earlier run.  "
      "Every identifier listed there keeps its generic name, unless the name or the identifier is now a keyword or "
      "excluded; new identifiers get names that are not in use, and the new translation file lists the kept pairs "
      "too.\n",
      "\n",
      "/seed number: Draws the generic names from a generator seeded with this number (0 to 18446744073709551615) "
      "instead of the clock, so that identical runs write identical files.\n",
      "\n",
      ("qvmin /sflfp javascriptFileList.txt /ofp pseudoCompiledJavascript.js /oktfp keywordTranslation.txt /syntax "
       "modern\n"),
  };
  for (const char* piece : kPieces) say(platform, "%s", piece);
  for (const char* piece : kNewerPieces) say(platform, "%s", piece);
}

}  // namespace qvmin
