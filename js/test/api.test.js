// The JavaScript face of the package: error objects and their places in
// UTF-16 units, argument checks, batches, contexts and their disposal, and
// texts the C side cannot take as they are.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import * as evalo from '../src/node.js';
import evaloDefault from '../src/node.js';

const { evaluate, evaluateText, tryEvaluate, evaluateMany, Evaluator, EvaluationError } = evalo;

// Runs fn, which must throw an EvaluationError, and returns that error.
function failure(fn) {
  try {
    fn();
  } catch (error) {
    assert.ok(error instanceof EvaluationError, `expected an EvaluationError, got ${error}`);
    return error;
  }
  assert.fail('no error thrown');
}

test('values, texts and formats', () => {
  assert.equal(evaluate('（１＋２）＊ＳＩＮ３０', { format: '5.2' }), -2.96);
  assert.equal(evaluateText('（１＋２）＊ＳＩＮ３０', { format: '5.2' }), '-2.96');
  assert.equal(evaluateText('１２，０００＋５００'), '12500');
  assert.equal(evaluateText('0.1+0.2'), '0.3');
  assert.equal(evaluateText('PI', { format: '%08.3f' }), '0003.142');
  assert.ok(Object.is(evaluate('0/-5'), -0));
  assert.equal(evaluateText('0/-5'), '-0');
  // The format of one call does not stay for the next.
  assert.equal(evaluateText('1/3'), '0.333333333333333');
});

test('error objects carry the library code and text, and the place in UTF-16 units', () => {
  const rows = [
    // expression, code, name, offset, length
    ['1+2/(3-3)', -1, 'Math', 3, 1],
    ['（１＋２）／０', -1, 'Math', 5, 1],
    ['LN0', -1, 'Math', 0, 2],
    ['100-(50*)', 1, 'Syntax', 7, 1],
    ['1+a😀b*2', 1, 'Syntax', 2, 4],
    ['😀+😀', 1, 'Syntax', 0, 2],
    ['(1+2', 2, 'Bracket', 0, 1],
    ['ｘｙｚ', 1, 'Syntax', 0, 3],
    ['', 1, 'Syntax', 0, 0], // an empty expression: nothing, where it ends
    ['   ', 1, 'Syntax', 3, 0],
    ['\u3000', 1, 'Syntax', 0, 1], // the full-width space is no blank without look-alikes
  ];
  for (const [expression, code, name, offset, length] of rows) {
    const error = failure(() => evaluate(expression));
    assert.deepEqual(
      { code: error.code, name: error.name, text: error.text, offset: error.offset, length: error.length },
      { code, name, text: `Err.${name}`, offset, length },
      expression,
    );
    assert.ok(error instanceof Error);
  }
});

test('an error without a place has offset -1 and length 0', () => {
  const error = failure(() => evaluateText('1E300', { format: '%d' }));
  assert.deepEqual([error.code, error.name, error.offset, error.length], [5, 'Format', -1, 0]);
});

test('look-alike symbols are read only when asked for', () => {
  assert.equal(failure(() => evaluate('１２×３')).code, 1);
  assert.equal(evaluate('１２×３', { lookalikes: true }), 36);
  assert.equal(evaluate('８÷２ー１', { lookalikes: true }), 3);
  const evaluator = new Evaluator({ lookalikes: true });
  assert.equal(evaluator.lookalikes, true);
  assert.equal(evaluator.evaluate('５‐３'), 2);
  evaluator.dispose();
});

test('lone surrogates and NUL are characters the library rejects at their place', () => {
  const rows = [
    ['1+\uD800', 2, 1],
    ['1+\uDC00*2', 2, 1],
    ['\uDE00\uD83D', 0, 2], // reversed pair: two lone surrogates, one word
    ['1\u00002', 1, 1],
    ['1+\u0000', 2, 1],
  ];
  for (const [expression, offset, length] of rows) {
    const error = failure(() => evaluate(expression));
    assert.deepEqual([error.code, error.offset, error.length], [1, offset, length], JSON.stringify(expression));
  }
  // After "=" nothing is read, so nothing is rejected either.
  assert.equal(evaluate('1+2=\uD800\u0000'), 3);
});

test('arguments of the wrong type throw TypeError', () => {
  const calls = [
    () => evaluate(42),
    () => evaluate(null),
    () => evaluate(undefined),
    () => evaluateText(new String('1')),
    () => tryEvaluate(['1']),
    () => evaluate('1', { format: 5 }),
    () => evaluate('1', 'format'),
    () => evaluateMany('1+2'),
    () => evaluateMany(['1', 2]),
    () => evaluateMany(['1'], { errors: 'ignore' }),
    () => new Evaluator({ format: {} }),
    () => new Evaluator().evaluate(Symbol('x')),
  ];
  for (const call of calls) assert.throws(call, TypeError, call.toString());
  assert.throws(() => evaluateMany(['1', '2', 3]), /item 2/);
});

test('tryEvaluate returns failures instead of throwing them', () => {
  assert.deepEqual(tryEvaluate('1+2', { format: '%.2f' }), { ok: true, value: 3, text: '3.00', error: null });
  const failed = tryEvaluate('(1]');
  assert.equal(failed.ok, false);
  assert.ok(Number.isNaN(failed.value));
  assert.equal(failed.text, 'Err.Bracket');
  assert.ok(failed.error instanceof EvaluationError);
  assert.equal(failed.error.offset, 2);
});

test('evaluateMany: the first failure, NaN or the error in place', () => {
  const texts = ['1+1', '2*', '3', '1/0'];
  const thrown = failure(() => evaluateMany(texts));
  assert.deepEqual([thrown.index, thrown.code, thrown.offset], [1, 1, 1]);
  const nan = evaluateMany(texts, { errors: 'nan', format: '3' });
  assert.deepEqual(nan, [2, NaN, 3, NaN]);
  const returned = evaluateMany(new Set(texts), { errors: 'return' });
  assert.deepEqual(returned.slice(0, 3).map((r) => (r instanceof EvaluationError ? r.text : r)), [2, 'Err.Syntax', 3]);
  assert.equal(returned[3].code, -1);
  assert.deepEqual(evaluateMany([]), []);
});

test('an Evaluator keeps its format and frees its context once', () => {
  const evaluator = new Evaluator({ format: '%.1f' });
  assert.equal(evaluator.evaluateText('PI'), '3.1');
  evaluator.format = '123456789';
  assert.equal(evaluator.format, '1234567'); // the library keeps seven bytes
  evaluator.format = '3';
  assert.equal(evaluator.evaluate('123456'), 123000);
  assert.equal(evaluator[Symbol.dispose], evaluator.dispose);
  evaluator[Symbol.dispose]();
  evaluator.dispose();
  assert.equal(evaluator.disposed, true);
  for (const call of [() => evaluator.evaluate('1'), () => evaluator.evaluateText('1'), () => evaluator.format,
    () => evaluator.tryEvaluate('1'), () => evaluator.evaluateMany(['1'])]) {
    assert.throws(call, { name: 'TypeError', message: /disposed/ });
  }
});

test('ten megabytes of text, and the place of an error at its end', () => {
  const terms = 5_000_000;
  assert.equal(evaluate(`${'1+'.repeat(terms)}1`), terms + 1);
  const error = failure(() => evaluate(`${'１＋'.repeat(terms)}x`));
  assert.deepEqual([error.code, error.offset, error.length], [1, 2 * terms, 1]);
  assert.ok(error.message.length < 100, 'the message quotes the token, not the text');
});

test('random text never throws anything but EvaluationError', () => {
  let state = 7;
  const next = () => (state = (Math.imul(state, 1103515245) + 12345) >>> 0) / 4294967296;
  const alphabet = ['1', '2', '.', ',', '+', '-', '*', '/', '^', '(', ')', '[', '}', 'E', 'SIN', 'π', '√', '＋', '１',
    '\u0000', '\uD800', '\uDFFF', '😀', '×', '=', ' ', 'ー', '\u3000', '€', 'é'];
  for (let i = 0; i < 3000; i++) {
    let text = '';
    for (let n = Math.floor(next() * 20); n > 0; n--) text += alphabet[Math.floor(next() * alphabet.length)];
    const result = tryEvaluate(text, { format: ['', '5.2', '%d', '%n'][i % 4], lookalikes: i % 2 === 0 });
    if (!result.ok) {
      const { offset, length } = result.error;
      assert.ok(offset === -1 || (offset >= 0 && offset + length <= text.length), JSON.stringify(text));
    }
  }
});

test('the default export, ready and load', async () => {
  assert.equal(evaloDefault.evaluate, evaluate);
  await evalo.ready;
  await evalo.load();
});
