// Money is kept in whole cents so that sums stay exact.
export const CENTS_PER_UNIT = 100;
export const toCents = (amount) => Math.round(amount * CENTS_PER_UNIT);

export function format(cents) {
  return `$${(cents / CENTS_PER_UNIT).toFixed(2)}`;
}
