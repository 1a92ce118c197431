// Wires the page together once the document is ready.

// Products are looked up by the ids the page passes as strings ('apple', ...); qvmin keeps an
// identifier that is also a whole string, so the keys need no quotes to stay found.
const shopCatalog = {
  apple: { title: 'Apple', price: '0.35' },
  bread: { title: 'Sourdough bread', price: '$4.20' },
  coffee: { title: "Coffee beans (250 g)", price: '7.95' },
};
let shopCart = null;

function startShop() {
  const cart = new Cart(shopCatalog);
  shopCart = cart;
  const listElement = document.getElementById('cart-lines');
  const totalElement = document.getElementById('cart-total');

  cart.addItem('apple', 6);
  cart.addItem('coffee');
  cart.addItem('bread');
  cart.addItem('apple', 2);
  renderCart(cart, listElement, totalElement);
  console.log(totalElement.textContent);

  if (cart.applyDiscount('SPRING10')) {
    renderCart(cart, listElement, totalElement);
    console.log(`after discount: ${totalElement.textContent}`);
  }
  listElement.childNodes.forEach((node) => console.log(node.textContent));
  try {
    cart.addItem('caviar', 1);
  } catch (problem) {
    console.log(`refused: ${problem.message}`);
  }
}

// Called by name from the page's button, so the name is in page-names.txt.
function emptyCart() {
  shopCart = new Cart(shopCatalog);
  renderCart(shopCart, document.getElementById('cart-lines'), document.getElementById('cart-total'));
  console.log(`emptied: ${document.getElementById('cart-total').textContent}`);
}

window.addEventListener('load', startShop);
