#include "tables/keyword_table.h"

namespace qvmin {
namespace {

// In insertion order.
constexpr std::string_view kReservedKeywords[] = {
    "$", "abstract", "alert", "Anchor", "Area", "arguments", "Array", "assign", "blur", "boolean",
    "Boolean", "break", "Button", "byte", "callee", "caller", "captureEvents", "case", "catch",
    "char", "Checkbox", "class", "clearInterval", "clearTimeout", "close", "closed", "comment",
    "confirm", "const", "constructor", "continue", "Date", "debugger", "default", "defaultStatus",
    "delete", "do", "document", "Document", "double", "Element", "else", "enum", "escape", "eval",
    "export", "extends", "false", "FileUpload", "final", "finally", "find", "float", "focus", "for",
    "Form", "Frame", "frames", "function", "Function", "getClass", "goto", "Hidden", "history",
    "History", "home", "if", "Image", "implements", "import", "in", "Infinity", "innerHeight",
    "innerWidth", "instanceOf", "int", "interface", "isFinite", "isNan", "isNaN", "java", "jQuery",
    "JavaArray", "JavaClass", "JavaObject", "JavaPackage", "label", "length", "Link", "location",
    "Location", "locationbar", "long", "Math", "menubar", "MimeType", "moveBy", "moveTo", "name",
    "NaN", "native", "navigate", "navigator", "Navigator", "netscape", "new", "null", "Number",
    "Object", "onBlur", "onError", "onFocus", "onLoad", "onUnload", "open", "opener", "Option",
    "outerHeight", "outerWidth", "package", "Packages", "pageXoffset", "pageYoffset", "parent",
    "parseFloat", "parseInt", "Password", "personalbar", "Plugin", "print", "private", "prompt",
    "protected", "prototype", "public", "Radio", "ref", "RegExp", "releaseEvents", "Reset",
    "resizeBy", "resizeTo", "return", "routeEvent", "scroll", "scrollbars", "scrollBy", "scrollTo",
    "Select", "self", "setInterval", "setTimeout", "short", "static", "status", "statusbar", "stop",
    "String", "Submit", "sun", "super", "switch", "synchronized", "taint", "Text", "Textarea",
    "this", "throw", "throws", "toolbar", "top", "toString", "transient", "true", "try", "typeof",
    "unescape", "untaint", "unwatch", "valueOf", "var", "void", "watch", "while", "window",
    "Window", "with",
};

static_assert(std::size(kReservedKeywords) == kReservedKeywordCount);

}  // namespace

void initReservedKeywords(KeywordTable& table) {
  for (std::string_view name : kReservedKeywords) table.emplace(name);
}

}  // namespace qvmin
