// Node entry point. The module's own loader fetches the .wasm by URL, which
// Node's fetch cannot do for files: read it here and hand it over.
import { readFile } from 'node:fs/promises';
import createEvaloModule from '../dist/evalo_wasm.mjs';
import { install } from './api.js';

const wasmBinary = await readFile(new URL('../dist/evalo_wasm.wasm', import.meta.url));
install(await createEvaloModule({ wasmBinary }));

export * from './public.js';
export { default } from './public.js';
