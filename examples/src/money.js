// Money is kept in whole cents so that sums stay exact.
const CENTS_PER_UNIT = 100;

// A price as the catalog writes it: '4.20', '$4.2' or '4'.
const PRICE_PATTERN = /^\$?(\d+)(?:\.(\d{1,2}))?$/;

// Returns the price in cents, or null when the text is not a price.
function parsePrice(text) {
  const match = PRICE_PATTERN.exec(text.trim());
  if (!match) return null;
  const [, units, fraction = '0'] = match;
  return Number(units) * CENTS_PER_UNIT + Number(fraction.padEnd(2, '0'));
}

const formatCents = (cents, currencySymbol = '$') => {
  const sign = cents < 0 ? '-' : '';
  const absolute = Math.abs(cents);
  const units = Math.floor(absolute / CENTS_PER_UNIT);
  const rest = String(absolute % CENTS_PER_UNIT).padStart(2, '0');
  return `${sign}${currencySymbol}${units}.${rest}`;
};
