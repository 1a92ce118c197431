// The ES module entry: the same obfuscate() as the CommonJS one.
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);
export const { obfuscate } = require('./index.js');
