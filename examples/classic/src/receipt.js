// Prints a receipt for a fixed basket once the page has loaded. Written for the classic grammar:
// no regular-expression or template literals, and every statement ends in a semicolon.
var basket = [
  { title: 'Apple', price: 0.35, quantity: 8 },
  { title: 'Sourdough bread', price: 4.2, quantity: 1 }
];

function printReceipt() {
  var totalCents = 0;
  for (var index = 0; index < basket.length; index++) {
    var line = basket[index];
    var lineCents = toCents(line.price) * line.quantity;
    totalCents += lineCents;
    console.log(line.quantity + ' x ' + line.title + ': ' + formatCents(lineCents, '$'));
  }
  var totalElement = document.getElementById('cart-total');
  totalElement.textContent = 'Total: ' + formatCents(totalCents, '$');
  console.log(totalElement.textContent);
}

window.addEventListener('load', printReceipt);
