import { toCents, format as formatMoney } from './money.js';

export class Cart {
  #lines = new Map();

  add(name, price, quantity = 1) {
    const line = this.#lines.get(name) ?? { name, unitCents: toCents(price), quantity: 0 };
    line.quantity += quantity;
    this.#lines.set(name, line);
    return this;
  }

  get totalCents() {
    let total = 0;
    for (const { unitCents, quantity } of this.#lines.values()) total += unitCents * quantity;
    return total;
  }

  describeLines() {
    return [...this.#lines.values()].map(({ name, unitCents, quantity }) =>
      `${quantity} x ${name} at ${formatMoney(unitCents)}`)
  }
}
