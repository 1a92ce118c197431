/** A source file of the run: its path as the source files list would name it, and its text. */
export interface Source {
  path: string;
  /** A string is encoded as UTF-8; bytes are read as they are. */
  text: string | Uint8Array;
}

export interface ObfuscateOptions {
  /** The files, in the order they are concatenated. */
  sources: Source[];
  /** Names written unchanged: one per entry, or the text of an exclusion list file (`/kelfp`). */
  keep?: string[] | string | Uint8Array;
  /** The lexical grammar (`/syntax`): `classic` (the default) or `modern`. */
  syntax?: 'classic' | 'modern' | string;
  /** The environment whose names are kept (`/env`). */
  env?: 'none' | 'browser' | 'node' | 'universal' | string;
  /** Keep an identifier whose text is a whole string literal (`/kqn`). */
  kqn?: boolean | 'on' | 'off';
  /** Names drawn from a seeded generator, 0 to 2^64-1 (`/seed`): the same call gives the same bytes. */
  seed?: number | bigint | string;
  /** Write a source map of the output (`/smfp`); it comes back as `map`. */
  sourceMap?: boolean;
  /** Append `//# sourceMappingURL=` and this URL to the output (`/smurl`). */
  sourceMapUrl?: string;
  /** The translation file of an earlier run, whose names are kept (`/iktfp`). */
  previousTranslation?: string | Uint8Array;
  /** The output's file name (default `out.js`): the map's `file`, and what its `sources` are relative to. */
  outputPath?: string;
  /** Return code, translation and map as bytes instead of strings. */
  bytes?: boolean;
}

export interface ObfuscateResult<Text = string> {
  /** The run succeeded (the native tool's exit status 0). */
  ok: boolean;
  /** The output file as the native tool writes it; null when it was never created. */
  code: Text | null;
  /** The translation file; null when it was never created. */
  translation: Text | null;
  /** The source map, when asked for and written; null otherwise. */
  map: Text | null;
  /** What the native tool prints on standard output, reports included. */
  messages: string;
}

/**
 * Runs qvmin on texts held in memory. Every failure of the run, a wrong option type included,
 * comes back as `ok: false` with the tool's report in `messages`; only a call without an options
 * object or without a `sources` array throws (a TypeError).
 */
export function obfuscate(options: ObfuscateOptions & { bytes: true }): ObfuscateResult<Uint8Array>;
export function obfuscate(options: ObfuscateOptions): ObfuscateResult<string>;
