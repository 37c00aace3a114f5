// The packed package installs into an empty folder and works there, from
// Node's import by name, with nothing else installed.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';

const packageDir = fileURLToPath(new URL('..', import.meta.url));

test('npm pack, npm install into an empty folder, node -e there', () => {
  const folder = mkdtempSync(join(tmpdir(), 'evalo-install-'));
  try {
    // The module is built already; packing must not rebuild it.
    const packed = execFileSync('npm', ['pack', '--ignore-scripts', '--json', '--pack-destination', folder],
      { cwd: packageDir, encoding: 'utf8' });
    const [{ filename, files }] = JSON.parse(packed);
    const paths = files.map((f) => f.path).sort();
    assert.ok(paths.includes('dist/evalo_wasm.wasm') && paths.includes('index.d.ts'), paths.join(' '));
    assert.ok(!paths.some((p) => p.startsWith('test')), 'no tests in the package');

    execFileSync('npm', ['install', '--offline', '--no-audit', '--no-fund', join(folder, filename)],
      { cwd: folder, encoding: 'utf8' });
    const script = `import * as evalo from 'evalo';
      process.stdout.write(evalo.evaluateText('（１＋２）＊ＳＩＮ３０', { format: '5.2' }));`;
    const output = execFileSync('node', ['--input-type=module', '-e', script], { cwd: folder, encoding: 'utf8' });
    assert.equal(output, '-2.96');
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
});
