/* Entry point: prints a price. */
var price = 12.5;
console.log(formatPrice(price, 'EUR'));
