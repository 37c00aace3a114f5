// Browser (and worker) entry point: the module fetches its .wasm from beside
// itself, so the package works from any static file server.
import createEvaloModule from '../dist/evalo_wasm.mjs';
import { install } from './api.js';

install(await createEvaloModule());

export * from './public.js';
export { default } from './public.js';
