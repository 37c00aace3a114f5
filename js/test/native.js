// The native library's answers for a table of cases, from the small C++
// program in native/ (built here with CMake unless EVALO_REFERENCE names it).
import { spawnSync } from 'node:child_process';
import { existsSync } from 'node:fs';
import { fileURLToPath } from 'node:url';

const here = (path) => fileURLToPath(new URL(path, import.meta.url));

function run(command, args, options = {}) {
  const result = spawnSync(command, args, { encoding: 'utf8', maxBuffer: 1 << 28, ...options });
  if (result.error) throw new Error(`${command}: ${result.error.message}`);
  if (result.status !== 0) throw new Error(`${command} ${args.join(' ')} failed:\n${result.stderr}`);
  return result.stdout;
}

function referenceProgram() {
  if (process.env.EVALO_REFERENCE) return process.env.EVALO_REFERENCE;
  const buildDir = here('../build/native');
  run('cmake', ['-S', here('native'), '-B', buildDir, '-DCMAKE_BUILD_TYPE=Release']);
  run('cmake', ['--build', buildDir, '-j2', '--target', 'evalo_js_reference']);
  const program = `${buildDir}/evalo_js_reference`;
  if (!existsSync(program)) throw new Error(`no ${program} after the build`);
  return program;
}

let program = null;

/**
 * Cases are {lookalikes, format, expression}; answers are {bits, code,
 * offset, length, textCode, text} with the place in UTF-16 code units.
 */
export function nativeAnswers(cases) {
  program ??= referenceProgram();
  const input = cases.map((c) => `${c.lookalikes ? 'L' : '-'}\t${c.format}\t${c.expression}\n`).join('');
  // The C locale, as in WebAssembly: the pattern formatter reads its separators.
  const output = run(program, [], { input, env: { ...process.env, LC_ALL: 'C' } });
  const lines = output.split('\n');
  lines.pop();
  if (lines.length !== cases.length) throw new Error(`reference answered ${lines.length} of ${cases.length} cases`);
  return lines.map((line) => {
    const [bits, code, offset, length, textCode, ...text] = line.split('\t');
    return { bits, code: Number(code), offset: Number(offset), length: Number(length), textCode: Number(textCode), text: text.join('\t') };
  });
}

/** Cases from a table file: options ("-" or "L"), format and expression, tab-separated. */
export function parseCases(table) {
  return table
    .split('\n')
    .filter((line) => line !== '')
    .map((line) => {
      const [options, format, ...expression] = line.split('\t');
      return { lookalikes: options === 'L', format, expression: expression.join('\t') };
    });
}
