// Texte accentué, idéogrammes et émojis : les colonnes se comptent en unités UTF-16.
var greeting = "Grüße aus Köln 😀😀", farewell = 'さようなら';
function shout(message, times) { var result = message; for (var count = 1; count < times; count++) result = result + "‼" + message; return result; }
/* 😀 before code on the same line */ var emojiWidth = "😀".length;
