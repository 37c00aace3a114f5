// A million calls, and many contexts made and freed, leave memory where it
// was after the first few thousand: the module's memory exactly (it grows
// only when its allocator runs out, which leaked bytes would make it do),
// and the JavaScript heap in use within a little slack.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { setFlagsFromString } from 'node:v8';
import { runInNewContext } from 'node:vm';
import * as evalo from '../src/node.js';
import { moduleMemoryBytes } from '../src/api.js';

setFlagsFromString('--expose-gc');
const collectGarbage = runInNewContext('gc');

function memoryAfter(loop) {
  loop();
  collectGarbage();
  return { module: moduleMemoryBytes(), heap: process.memoryUsage().heapUsed };
}

function assertFlat(before, after) {
  assert.equal(after.module, before.module, 'the module memory grew');
  assert.ok(after.heap - before.heap < 4 * 1024 * 1024, `the JavaScript heap grew by ${after.heap - before.heap} bytes`);
}

test('a million evaluations keep memory flat', () => {
  const texts = ['(1+2)*3.5-4/2', '１２，０００＋５００', 'SIN(0.5)+COS(0.5)*SQRT(2)', '100-(50*)', '1/0', 'x😀'];
  const run = (count) => () => {
    for (let i = 0; i < count; i++) evalo.tryEvaluate(texts[i % texts.length], { format: i % 3 === 0 ? '5.2' : '' });
  };
  assertFlat(memoryAfter(run(20_000)), memoryAfter(run(1_000_000)));
});

test('contexts made and disposed 300,000 times keep memory flat', () => {
  const run = (count) => () => {
    for (let i = 0; i < count; i++) {
      const evaluator = new evalo.Evaluator({ format: '%.2f' });
      evaluator.evaluateText('PI');
      evaluator.dispose();
    }
  };
  assertFlat(memoryAfter(run(5_000)), memoryAfter(run(300_000)));
});
