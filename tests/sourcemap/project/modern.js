// Grammaire moderne : noms non ASCII, gabarits, expressions régulières, noms privés.
const café = 'crème', π = 3.14159, 名前 = `ünïcödé ${café} — ${π * 2}`;
class Compteur { #wert = 0; erhöhen(schritt = 1) { this.#wert += schritt; return this.#wert; } }
const muster = /[äöü]+\/ß/giu, zähler = new Compteur();
let ergebnis = 名前.replace(muster, "😀") + zähler.erhöhen(2);
export { ergebnis };
