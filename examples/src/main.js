// Wires the page together once the document is ready.

// Products are looked up by the ids the page uses, so the keys are strings: an identifier
// here would be renamed, and catalog['apple'] would find nothing.
var shopCatalog = {
  'apple': { title: 'Apple', price: 0.35 },
  'bread': { title: 'Sourdough bread', price: 4.2 },
  'coffee': { title: "Coffee beans (250 g)", price: 7.95 }
};
var shopCart = null;

function startShop() {
  var cart = createCart(shopCatalog);
  shopCart = cart;
  var listElement = document.getElementById('cart-lines');
  var totalElement = document.getElementById('cart-total');

  cart.addItem('apple', 6);
  cart.addItem('coffee', 1);
  cart.addItem('apple', 2);
  renderCart(cart, listElement, totalElement);
  console.log(totalElement.textContent);

  if (cart.applyDiscount('SPRING10')) {
    renderCart(cart, listElement, totalElement);
    console.log('after discount: ' + totalElement.textContent);
  }
  listElement.childNodes.forEach(function (node) { console.log(node.textContent); });
  try {
    cart.addItem('caviar', 1);
  } catch (problem) {
    console.log('refused: ' + problem.message);
  }
}

// Called by name from the page's button, so the name is on the page's exclusion list.
function emptyCart() {
  shopCart = createCart(shopCatalog);
  renderCart(shopCart, document.getElementById('cart-lines'), document.getElementById('cart-total'));
  console.log('emptied: ' + document.getElementById('cart-total').textContent);
}

window.addEventListener('load', startShop);
