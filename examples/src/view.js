// Renders the cart into the page's list and total elements.
function renderCart(cart, listElement, totalElement) {
  while (listElement.firstChild) {
    listElement.removeChild(listElement.firstChild);
  }
  cart.lines().forEach(function (row) {
    var item = document.createElement('li');
    item.textContent = row.quantity + ' x ' + row.title + ': ' + formatCents(row.totalCents, '$');
    listElement.appendChild(item);
  });
  totalElement.textContent = 'Total: ' + formatCents(cart.totalCents(), '$');
}
