/*
 * A shopping cart: a quantity per product, and a discount code.
 */
const DISCOUNT_CODE = /^SPRING(\d{2})$/;

class Cart {
  #quantities = new Map();
  #discountPercent = 0;

  constructor(catalog) {
    this.catalog = catalog;
  }

  addItem(productId, quantity = 1) {
    if (!this.catalog[productId]) {
      throw new Error(`unknown product ${productId}`);
    }
    this.#quantities.set(productId, (this.#quantities.get(productId) ?? 0) + quantity);
  }

  applyDiscount(code) {
    const match = DISCOUNT_CODE.exec(code);
    this.#discountPercent = match ? Number(match[1]) : 0;
    return this.#discountPercent > 0;
  }

  get lines() {
    return [...this.#quantities].map(([productId, quantity]) => {
      const { title, price } = this.catalog[productId];
      return { title, quantity, totalCents: parsePrice(price) * quantity };
    });
  }

  get totalCents() {
    const sum = this.lines.reduce((total, line) => total + line.totalCents, 0);
    return sum - Math.round(sum * this.#discountPercent / 100);
  }
}
