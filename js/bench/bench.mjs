// Per-call time of evaluate for the library benchmark's six workloads, beside
// two npm evaluators on the texts they read the same way, and (when
// EVALO_NATIVE_BENCH names the built bench/evalo_bench) the native library.
// Every call parses its text: no evaluator is handed a compiled expression.
//   node bench/bench.mjs [--json file]
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { create, all } from 'mathjs';
import exprEval from 'expr-eval';
import * as evalo from '../src/node.js';

function sumOf(terms) {
  return Array.from({ length: terms }, (_, i) => `${i % 97}.${(i % 7) + 1}`).join('+');
}
const nested = (depth) => `${'('.repeat(depth)}1.5+2${')'.repeat(depth)}`;

// The first six workloads of bench/evalo_bench.cpp; `peer` is the same
// expression as the npm evaluators spell it.
const workloads = [
  { name: 'tiny', text: '1+2' },
  { name: 'typical', text: '(1+2)*3.5-4/2' },
  { name: 'functions', text: 'SIN(0.5)+COS(0.5)*SQRT(2)', peer: 'sin(0.5)+cos(0.5)*sqrt(2)' },
  { name: 'sum100', text: sumOf(100) },
  { name: 'nested20', text: nested(20) },
  { name: 'digits15', text: '123456789012345+987654321098765*2-111111111111111/3' },
];

const math = create(all);
const exprParser = new exprEval.Parser();
const evaluators = {
  evalo: (text) => evalo.evaluate(text),
  mathjs: (text) => math.evaluate(text),
  'expr-eval': (text) => exprParser.evaluate(text),
};

// CPU time of this process, in ns: on a shared machine the wall clock
// counts other programs' turns too. Google Benchmark's "CPU" column is the
// same measure for the native side.
function cpuNow() {
  const { user, system } = process.cpuUsage();
  return (user + system) * 1000;
}

// Median over five runs of at least 300 ms each, in ns per call.
function time(fn, text) {
  let sink = 0;
  let calls = 1;
  for (;;) {
    const start = cpuNow();
    for (let i = 0; i < calls; i++) sink += fn(text);
    if (cpuNow() - start > 50e6) break;
    calls *= 2;
  }
  calls = Math.ceil(calls * 6);
  const runs = [];
  for (let r = 0; r < 5; r++) {
    const start = cpuNow();
    for (let i = 0; i < calls; i++) sink += fn(text);
    runs.push((cpuNow() - start) / calls);
  }
  if (Number.isNaN(sink)) throw new Error('a result was NaN');
  return runs.sort((a, b) => a - b)[2];
}

function nativeTimes() {
  const program = process.env.EVALO_NATIVE_BENCH;
  if (!program) return {};
  const filter = `^evalo/(${workloads.map((w) => w.name).join('|')})$`;
  const out = join(mkdtempSync(join(tmpdir(), 'evalo-bench-')), 'native.json');
  const run = spawnSync(program, [`--benchmark_filter=${filter}`, '--benchmark_repetitions=5',
    '--benchmark_report_aggregates_only=true', `--benchmark_out=${out}`, '--benchmark_out_format=json'],
  { encoding: 'utf8', maxBuffer: 1 << 26 });
  if (run.status !== 0) throw new Error(`${program} failed:\n${run.stderr}`);
  const times = {};
  for (const b of JSON.parse(readFileSync(out, 'utf8')).benchmarks) {
    if (b.aggregate_name === 'median') times[b.run_name.replace('evalo/', '')] = b.cpu_time;
  }
  return times;
}

const rows = [];
for (const w of workloads) {
  const row = { workload: w.name };
  for (const [name, fn] of Object.entries(evaluators)) {
    const text = name === 'evalo' ? w.text : w.peer ?? w.text;
    const value = fn(text);
    const reference = evalo.evaluate(w.text);
    // Peers are timed only where they read the text as evalo does.
    row[name] = Math.abs(value - reference) <= 1e-9 * Math.abs(reference) ? time(fn, text) : null;
  }
  rows.push(row);
}
const native = nativeTimes();
for (const row of rows) row.native = native[row.workload] ?? null;

const format = (ns) => (ns === null || ns === undefined ? '—' : ns.toFixed(0));
console.log('CPU ns per call (median of 5)');
console.log(['workload', 'native', 'evalo wasm', 'wasm/native', 'mathjs', 'expr-eval'].join('\t'));
for (const r of rows) {
  const ratio = r.native ? (r.evalo / r.native).toFixed(2) : '—';
  console.log([r.workload, format(r.native), format(r.evalo), ratio, format(r.mathjs), format(r['expr-eval'])].join('\t'));
}
const jsonAt = process.argv.indexOf('--json');
if (jsonAt > 0) writeFileSync(process.argv[jsonAt + 1], `${JSON.stringify(rows, null, 2)}\n`);
