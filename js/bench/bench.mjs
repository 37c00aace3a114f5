// Per-call time of evaluate for the library benchmark's six workloads, beside
// two npm evaluators on the texts they read the same way, and (when
// EVALO_NATIVE_BENCH names the built bench/evalo_bench) the native library.
// Every call parses its text: no evaluator is handed a compiled expression.
//   node bench/bench.mjs [--json file]
// Times are CPU time of the measuring process (on a shared machine the wall
// clock counts other programs' turns too), as in Google Benchmark's CPU column.
import { spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
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

// CPU time of this process, in ns.
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

// The native library's CPU time for one workload, from bench/evalo_bench.
function nativeTime(program, workload) {
  const out = join(mkdtempSync(join(tmpdir(), 'evalo-bench-')), 'native.json');
  const run = spawnSync(program, [`--benchmark_filter=^evalo/${workload}$`, '--benchmark_repetitions=5',
    '--benchmark_report_aggregates_only=true', `--benchmark_out=${out}`, '--benchmark_out_format=json'],
  { encoding: 'utf8', maxBuffer: 1 << 26 });
  if (run.status !== 0) throw new Error(`${program} failed:\n${run.stderr}`);
  const result = JSON.parse(readFileSync(out, 'utf8')).benchmarks.find((b) => b.aggregate_name === 'median');
  rmSync(dirname(out), { recursive: true, force: true });
  return result.cpu_time;
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const nativeProgram = process.env.EVALO_NATIVE_BENCH;

const rows = [];
for (const w of workloads) {
  const row = { workload: w.name };
  const reference = evalo.evaluate(w.text);
  for (const [name, fn] of Object.entries(evaluators)) {
    if (name === 'evalo') continue;
    const text = w.peer ?? w.text;
    // Peers are timed only where they read the text as evalo does.
    row[name] = Math.abs(fn(text) - reference) <= 1e-9 * Math.abs(reference) ? time(fn, text) : null;
  }
  // The two sides of the ratio take turns, so that a busy machine weighs on
  // both alike.
  const ours = [];
  const native = [];
  for (let round = 0; round < 3; round++) {
    ours.push(time(evaluators.evalo, w.text));
    if (nativeProgram) native.push(nativeTime(nativeProgram, w.name));
  }
  row.evalo = median(ours);
  row.native = nativeProgram ? median(native) : null;
  rows.push(row);
}

const format = (ns) => (ns === null || ns === undefined ? '—' : ns.toFixed(0));
console.log('CPU ns per call (medians)');
console.log(['workload', 'native', 'evalo wasm', 'wasm/native', 'mathjs', 'expr-eval'].join('\t'));
for (const r of rows) {
  const ratio = r.native ? (r.evalo / r.native).toFixed(2) : '—';
  console.log([r.workload, format(r.native), format(r.evalo), ratio, format(r.mathjs), format(r['expr-eval'])].join('\t'));
}
const jsonAt = process.argv.indexOf('--json');
if (jsonAt > 0) writeFileSync(process.argv[jsonAt + 1], `${JSON.stringify(rows, null, 2)}\n`);
