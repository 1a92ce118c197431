// Money is kept in whole cents so that sums stay exact.
var CENTS_PER_UNIT = 100;

function toCents(amount) {
  return Math.round(amount * CENTS_PER_UNIT);
}

function formatCents(cents, currencySymbol) {
  var sign = cents < 0 ? '-' : '';
  var absolute = Math.abs(cents);
  var units = Math.floor(absolute / CENTS_PER_UNIT);
  var rest = absolute % CENTS_PER_UNIT;
  var restText = rest < 10 ? '0' + rest : String(rest);
  return sign + currencySymbol + units + '.' + restText;
}
