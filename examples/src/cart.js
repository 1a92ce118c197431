/*
 * A shopping cart: lines of (product, quantity), with a discount code.
 */
function createCart(catalog) {
  var cartLines = [];
  var discountPercent = 0;

  function findLine(productId) {
    for (var index = 0; index < cartLines.length; index++) {
      if (cartLines[index].productId === productId) {
        return cartLines[index];
      }
    }
    return null;
  }

  return {
    addItem: function (productId, quantity) {
      if (!catalog[productId]) {
        throw new Error('unknown product ' + productId);
      }
      var line = findLine(productId);
      if (line === null) {
        line = { productId: productId, quantity: 0 };
        cartLines.push(line);
      }
      line.quantity += quantity;
    },
    applyDiscount: function (code) {
      discountPercent = code === 'SPRING10' ? 10 : 0;
      return discountPercent > 0;
    },
    lines: function () {
      return cartLines.map(function (entry) {
        var product = catalog[entry.productId];
        return {
          title: product.title,
          quantity: entry.quantity,
          totalCents: toCents(product.price) * entry.quantity
        };
      });
    },
    totalCents: function () {
      var sum = 0;
      this.lines().forEach(function (row) { sum += row.totalCents; });
      return sum - Math.round(sum * discountPercent / 100);
    }
  };
}
