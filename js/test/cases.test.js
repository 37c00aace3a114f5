// Every case through the package, compared with the native library's answer:
// value bits, error code, error place (UTF-16 units) and result text.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import * as evalo from '../src/node.js';
import { nativeAnswers, parseCases } from './native.js';
import { generateCases } from './generate.js';

function bitsOf(value) {
  const view = new DataView(new ArrayBuffer(8));
  view.setFloat64(0, value);
  return view.getBigUint64(0).toString(16).padStart(16, '0');
}

function describe(c) {
  return JSON.stringify({ expression: c.expression.length > 60 ? `${c.expression.slice(0, 60)}…` : c.expression, format: c.format, lookalikes: c.lookalikes });
}

// The differences between the package and the native answers, as readable lines.
function differences(cases, answers) {
  const found = [];
  const note = (c, what, got, want) => found.push(`${describe(c)} ${what}: got ${got}, native ${want}`);
  cases.forEach((c, i) => {
    const want = answers[i];
    const options = { format: c.format, lookalikes: c.lookalikes };
    try {
      const value = evalo.evaluate(c.expression, options);
      if (want.code !== 0) note(c, 'evaluate', `value ${value}`, `error ${want.code}`);
      else if (bitsOf(value) !== want.bits) note(c, 'bits', bitsOf(value), want.bits);
    } catch (error) {
      if (!(error instanceof evalo.EvaluationError)) note(c, 'evaluate threw', error, 'an EvaluationError');
      else if (error.code !== want.code || error.offset !== want.offset || error.length !== want.length) {
        note(c, 'error', `${error.code} at ${error.offset}+${error.length}`, `${want.code} at ${want.offset}+${want.length}`);
      }
    }
    const tried = evalo.tryEvaluate(c.expression, options);
    if (tried.text !== want.text) note(c, 'text', JSON.stringify(tried.text), JSON.stringify(want.text));
    if (tried.ok !== (want.textCode === 0)) note(c, 'ok', tried.ok, want.textCode);
    if (!tried.ok && tried.error.code !== want.textCode) note(c, 'text code', tried.error.code, want.textCode);
  });
  return found;
}

// Evaluator batches, one per format and look-alike setting, against the same answers.
function batchDifferences(cases, answers) {
  const found = [];
  const groups = new Map();
  cases.forEach((c, i) => {
    const key = `${c.lookalikes}\t${c.format}`;
    if (!groups.has(key)) groups.set(key, []);
    groups.get(key).push(i);
  });
  for (const indices of groups.values()) {
    const first = cases[indices[0]];
    const evaluator = new evalo.Evaluator({ format: first.format, lookalikes: first.lookalikes });
    const results = evaluator.evaluateMany(indices.map((i) => cases[i].expression), { errors: 'return' });
    evaluator.dispose();
    results.forEach((result, k) => {
      const want = answers[indices[k]];
      const got = result instanceof evalo.EvaluationError ? `error ${result.code} at ${result.offset}+${result.length}` : bitsOf(result);
      const expected = want.code !== 0 ? `error ${want.code} at ${want.offset}+${want.length}` : want.bits;
      if (got !== expected) found.push(`${describe(cases[indices[k]])} batch: got ${got}, native ${expected}`);
    });
  }
  return found;
}

function compare(cases) {
  const answers = nativeAnswers(cases);
  const found = [...differences(cases, answers), ...batchDifferences(cases, answers)];
  assert.deepEqual(found.slice(0, 25), [], `${found.length} differences from the native library`);
}

test('the case table gives the native answers', () => {
  compare(parseCases(readFileSync(new URL('cases.tsv', import.meta.url), 'utf8')));
});

test('random expressions give the native answers', () => {
  compare(generateCases(Number(process.env.EVALO_RANDOM_CASES ?? 20000)));
});
