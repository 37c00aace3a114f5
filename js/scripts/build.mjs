// Builds the WebAssembly module into dist/ with the project's emscripten
// toolchain (which also carries what its C++ library lacks), then copies the package's browser files into the calculator page's folder.
import { spawnSync } from 'node:child_process';
import { cpSync, mkdirSync, rmSync } from 'node:fs';
import { fileURLToPath } from 'node:url';

const here = (path) => fileURLToPath(new URL(path, import.meta.url));
const packageDir = here('..');
const buildDir = process.env.EVALO_JS_BUILD_DIR ?? here('../build/wasm');

// Debian's emscripten runs its JavaScript tools with the first node on the
// PATH, which may not look in Debian's module folder for acorn.
const env = { ...process.env, NODE_PATH: [process.env.NODE_PATH, '/usr/share/nodejs'].filter(Boolean).join(':') };

function run(command, args) {
  console.log(`$ ${command} ${args.join(' ')}`);
  const { status, error } = spawnSync(command, args, { stdio: 'inherit', env });
  if (error) throw new Error(`${command}: ${error.message} (is emscripten installed?)`);
  if (status !== 0) process.exit(status ?? 1);
}

run('cmake', ['-S', packageDir, '-B', buildDir, '-DCMAKE_BUILD_TYPE=Release',
  `-DCMAKE_TOOLCHAIN_FILE=${here('../../cmake/wasm32-emscripten.cmake')}`]);
run('cmake', ['--build', buildDir, '-j2']);

const webCopy = here('../../web/evalo');
rmSync(webCopy, { recursive: true, force: true });
for (const folder of ['src', 'dist']) {
  mkdirSync(`${webCopy}/${folder}`, { recursive: true });
  cpSync(here(`../${folder}`), `${webCopy}/${folder}`, { recursive: true });
}
