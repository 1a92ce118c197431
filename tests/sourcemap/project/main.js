/* Ein Projekt aus mehreren Dateien — « main » kommt zuletzt. */
var summary = shout(greeting, 2) + " " + farewell;   // ½ ¾ 𝄞
var line = "a\u2028b", sum = addAll([1, 2, 3]) + emojiWidth;
if (typeof console != "undefined") console.log(summary, labels[0], sum, line.length);
