// validator: string checks and sanitizers, with locales and options.
// isDate() stores date parts under a letter cut out of the format (dateObj[formatWord.charAt(0)])
// and reads them back as dateObj.y, dateObj.m and dateObj.d, so keep/validator.txt keeps y, m, d.
(function () {
  var v = validator;
  console.log(v.isEmail('foo@bar.com'), v.isEmail('foo@bar'), v.isEmail('"a b"@x.org', { allow_display_name: false }));
  console.log(v.isURL('https://example.com/a?b=1'), v.isURL('example.com', { require_protocol: true }), v.isURL('ftp://x.y', { protocols: ['http'] }));
  console.log(v.isIP('192.168.0.1'), v.isIP('::1', 6), v.isIP('999.1.1.1'), v.isFQDN('sub.example.co.uk'));
  console.log(v.isUUID('a3bb189e-8bf9-3888-9912-ace4e6543002', 3), v.isUUID('not-a-uuid'), v.isMACAddress('01:02:03:04:05:ab'));
  console.log(v.isCreditCard('4111111111111111'), v.isLuhnNumber('79927398713'), v.isISBN('978-3-16-148410-0'), v.isIBAN('GB82WEST12345698765432'));
  console.log(v.isISO8601('2024-02-29T12:00:00Z'), v.isISO8601('2023-02-29', { strict: true }), v.isDate('2024/02/29'));
  console.log(v.isAlpha('Straße', 'de-DE'), v.isAlphanumeric('abc123'), v.isNumeric('-12.5'), v.isInt('12', { min: 1, max: 10 }));
  console.log(v.isMobilePhone('+14155552671', 'en-US'), v.isPostalCode('10115', 'DE'), v.isHexColor('#ff00aa'), v.isRgbColor('rgb(1,2,3)'));
  console.log(v.isJSON('{"a":[1]}'), v.isJWT('a.b.c'), v.isBase64('aGVsbG8='), v.isStrongPassword('Abcdef1!'), v.isStrongPassword('weak', { returnScore: true }));
  console.log(v.normalizeEmail('Foo.Bar+tag@GoogleMail.com'), v.escape('<a href="x">&</a>'), v.unescape('&lt;p&gt;'));
  console.log(JSON.stringify(v.trim('  pad  ')), JSON.stringify(v.ltrim('xxhixx', 'x')), v.blacklist('a-b_c', '\\-_'), v.whitelist('a1b2', '0-9'));
  console.log(v.toInt('42abc'), v.toFloat('3.5e2'), v.toBoolean('0'), v.toBoolean('yes', true), v.stripLow('a\x00b\nc', true));
  console.log(v.contains('haystack', 'st'), v.equals('a', 'a'), v.isLength('héllo', { min: 2, max: 5 }), v.isIn('b', ['a', 'b']));
  console.log(v.isSlug('my-slug-1'), v.isSemVer('1.2.3-beta.1'), v.isCurrency('$1,000.50'), v.isLatLong('48.85,2.35'), v.version);
}());
