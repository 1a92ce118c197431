import { Cart } from './cart.js';
import { format } from './format.js';
import { format as formatMoney } from './money.js';

const basket = new Cart().add('apple', 0.35, 3).add('bread', 2.5).add('apple', 0.35);
const receipt = { 'lineCount': basket.describeLines().length };
console.log(format(basket.describeLines(), formatMoney(basket.totalCents)));
console.log(`${receipt.lineCount} lines`);
try {
  JSON.parse('{');
} catch (failure) {
  console.log(failure instanceof SyntaxError ? 'bad JSON caught' : 'unexpected');
}
