// Small helpers shared by the page.
function formatPrice(amount, currency) {
  return currency + ' ' + amount.toFixed(2);
}
