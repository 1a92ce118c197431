// decimal.js: arbitrary-precision arithmetic, rounding, conversions and configuration.
(function () {
  var D = Decimal;
  console.log(new D('0.1').plus('0.2').toString(), 0.1 + 0.2, new D(1).div(3).toString());
  console.log(new D(2).sqrt().toFixed(30), new D(10).pow(-3).toString(), new D('123.456').toExponential(2));
  console.log(new D(2).ln().toSignificantDigits(15).toString(), new D(1).exp().toDecimalPlaces(20).toString());
  console.log(new D('1.005').toFixed(2), new D('-1.005').toFixed(2, D.ROUND_HALF_EVEN), new D('2.5').round().toString());
  console.log(new D(3).cmp(4), new D('1e-7').isZero(), new D('12.0').isInteger(), new D(-0).isNegative(), new D(NaN).isNaN());
  console.log(new D('0.75').toFraction().join('/'), new D(255).toHexadecimal(), new D('0b1011').toNumber(), new D(8).toBinary());
  console.log(D.max(1, '3', new D(2)).toString(), D.min(-1, 0).toString(), D.sum(1, 2, 3.5).toString());
  var Hi = D.clone({ precision: 50, rounding: D.ROUND_DOWN });
  console.log(new Hi(1).div(7).toString(), Hi.precision, D.precision);
  console.log(new D(1).div(7).mul(7).eq(1), new D('9.99').ceil().toString(), new D('-9.99').floor().toString(), new D(-5).abs().toString());
  console.log(new D(Math.PI).sin().toFixed(10), new D(1).atan().times(4).toFixed(25), new D(100).log(10).toString());
  console.log(new D('1e500').times('1e500').toString(), new D('123456789.123456789').toPrecision(12), new D(7).mod(3).toString());
  D.set({ precision: 5, rounding: D.ROUND_HALF_UP });
  console.log(new D(2).div(3).toString(), new D('12345678').plus(1).toString(), D.precision, D.rounding);
  console.log(JSON.stringify(new D('1.50')), new D('1.50').valueOf(), new D(0.1).toString(), new D(1e21).toFixed());
}());
