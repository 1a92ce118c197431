// Zeilen mit CR LF: ein Zeilenende, nicht zwei.
var total = 0, labels = ["→", "←"];
function addAll(values) {
  for (var index = 0; index < values.length; index++) total = total + values[index];
  return total;
}
