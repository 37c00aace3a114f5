// The library's UTF-8 contexts behind a small JavaScript API. Texts cross
// into WebAssembly memory as UTF-8; error places come back as byte ranges
// and are mapped to UTF-16 code units of the caller's string.
import { writeUtf8, maxUtf8Length, unitRangeOfBytes } from './utf8.js';

// Creation options of include/evalo.h.
const EVALO_UTF8 = 1;
const EVALO_LOOKALIKES = 2;

// Texts up to this many bytes are written into one buffer kept for the
// module's lifetime; longer ones get a buffer of their own for one call.
const kKeptBufferBytes = 64 * 1024;

let wasm = null;
let keptBuffer = 0;
const utf8Decoder = new TextDecoder();

/** Binds the API to an instantiated module (see node.js and browser.js). */
export function install(module) {
  wasm = module;
  keptBuffer = wasm._malloc(kKeptBufferBytes);
  if (keptBuffer === 0) throw new Error('evalo: no memory for the module');
}

/** The module's memory in bytes (for the package's own tests). */
export function moduleMemoryBytes() {
  return wasm.HEAPU8.length;
}

// Writes a JavaScript string into module memory as a NUL-terminated UTF-8
// text. Returns its address; release it with releaseText.
function placeText(text) {
  const needed = maxUtf8Length(text) + 1;
  const address = needed <= kKeptBufferBytes ? keptBuffer : wasm._malloc(needed);
  if (address === 0) return 0;
  writeUtf8(text, wasm.HEAPU8, address);
  return address;
}

function releaseText(address) {
  if (address !== keptBuffer) wasm._free(address);
}

// Reads a NUL-terminated UTF-8 text that the library returned.
function readText(address) {
  const heap = wasm.HEAPU8;
  let end = address;
  let ascii = true;
  for (; heap[end] !== 0; end++) if (heap[end] >= 0x80) ascii = false;
  if (!ascii) return utf8Decoder.decode(heap.subarray(address, end));
  let text = '';
  for (let i = address; i < end; i++) text += String.fromCharCode(heap[i]);
  return text;
}

/** An evaluation's error: the library's code and text, and where it arose. */
export class EvaluationError extends Error {
  constructor(code, text, offset, length, expression) {
    const token = offset >= 0 ? expression.slice(offset, offset + Math.min(length, 40)) : '';
    super(offset >= 0 ? `${text} at ${offset}: "${token}"` : text);
    /** 1 Syntax, 2 Bracket, 3 Stack, 4 Memory, 5 Format, -1 Math. */
    this.code = code;
    /** "Syntax", "Bracket", ...: the error text without "Err.". */
    this.name = text.startsWith('Err.') ? text.slice(4) : text;
    /** The library's error text, "Err.Syntax", ... */
    this.text = text;
    /** UTF-16 code units into the expression; -1 when the error has no place. */
    this.offset = offset;
    this.length = length;
  }
}

const kNoContextText = 'Err.Memory';
const kMemoryCode = 4;

// One library context and the format text last stored in it.
class Context {
  constructor(lookalikes) {
    this.handle = wasm._evalo_create_with(EVALO_UTF8 | (lookalikes ? EVALO_LOOKALIKES : 0));
    if (this.handle === 0) throw new EvaluationError(kMemoryCode, kNoContextText, -1, 0, '');
    this.requestedFormat = '';
    this.storedFormat = '';
  }

  setFormat(format) {
    if (format === this.requestedFormat) return;
    const address = placeText(format);
    if (address === 0) throw new EvaluationError(kMemoryCode, kNoContextText, -1, 0, '');
    this.storedFormat = readText(wasm._evalo_set_format(this.handle, address));
    releaseText(address);
    this.requestedFormat = format;
  }

  // The error of the last evaluation, or null.
  lastError(expression) {
    const code = wasm._evalo_error(this.handle);
    if (code === 0) return null;
    const text = readText(wasm._evalo_error_text(this.handle));
    const byteOffset = wasm._evalo_error_offset(this.handle);
    if (byteOffset < 0) return new EvaluationError(code, text, -1, 0, expression);
    const units = unitRangeOfBytes(expression, byteOffset, wasm._evalo_error_length(this.handle));
    return new EvaluationError(code, text, units.offset, units.length, expression);
  }

  // The value, or the error (thrown, or returned when `returnError`).
  evaluate(expression, returnError) {
    const address = placeText(expression);
    if (address === 0) return this.fail(new EvaluationError(kMemoryCode, kNoContextText, -1, 0, ''), returnError);
    const value = wasm._evalo_evaluate(this.handle, address);
    releaseText(address);
    if (wasm._evalo_error(this.handle) === 0) return value;
    return this.fail(this.lastError(expression), returnError);
  }

  evaluateText(expression, returnError) {
    const address = placeText(expression);
    if (address === 0) return this.fail(new EvaluationError(kMemoryCode, kNoContextText, -1, 0, ''), returnError);
    const text = readText(wasm._evalo_evaluate_text(this.handle, address));
    releaseText(address);
    if (wasm._evalo_error(this.handle) === 0) return text;
    return this.fail(this.lastError(expression), returnError);
  }

  fail(error, returnError) {
    if (returnError) return error;
    throw error;
  }

  destroy() {
    wasm._evalo_destroy(this.handle);
    this.handle = 0;
  }
}

// Argument checks: the only other exception an evaluation throws.
function checkExpression(text, where) {
  if (typeof text !== 'string') throw new TypeError(`${where}: the expression must be a string, not ${describe(text)}`);
}

function checkFormat(format, where) {
  if (format === undefined) return '';
  if (typeof format !== 'string') throw new TypeError(`${where}: format must be a string, not ${describe(format)}`);
  return format;
}

const kNoOptions = Object.freeze({});

function checkOptions(options, where) {
  if (options === undefined || options === null) return kNoOptions;
  if (typeof options !== 'object') throw new TypeError(`${where}: options must be an object, not ${describe(options)}`);
  return options;
}

function describe(value) {
  return value === null ? 'null' : Array.isArray(value) ? 'an array' : typeof value;
}

const kErrorModes = ['throw', 'nan', 'return'];

function checkErrorMode(mode, where) {
  if (mode === undefined) return 'throw';
  if (!kErrorModes.includes(mode)) throw new TypeError(`${where}: errors must be one of ${kErrorModes.join(', ')}`);
  return mode;
}

function tryOn(context, text) {
  const result = context.evaluateText(text, true);
  // After a text evaluation that succeeded only a failed copy of the text
  // (the Memory error) can stop the value's.
  const value = result instanceof EvaluationError ? result : context.evaluate(text, true);
  if (value instanceof EvaluationError) return { ok: false, value: NaN, text: value.text, error: value };
  return { ok: true, value, text: result, error: null };
}

function manyOn(context, texts, mode, where) {
  if (texts === null || typeof texts !== 'object' || typeof texts[Symbol.iterator] !== 'function') {
    throw new TypeError(`${where}: expected an array of strings, not ${describe(texts)}`);
  }
  const items = Array.isArray(texts) ? texts : Array.from(texts);
  items.forEach((text, index) => {
    if (typeof text !== 'string') throw new TypeError(`${where}: item ${index} is ${describe(text)}, not a string`);
  });
  const results = new Array(items.length);
  for (let i = 0; i < items.length; i++) {
    const outcome = context.evaluate(items[i], true);
    if (!(outcome instanceof EvaluationError)) results[i] = outcome;
    else if (mode === 'return') results[i] = outcome;
    else if (mode === 'nan') results[i] = NaN;
    else {
      outcome.index = i;
      throw outcome;
    }
  }
  return results;
}

// The module-level functions share one context per look-alike setting.
const sharedContexts = [null, null];

function sharedContext(options, where) {
  const lookalikes = Boolean(options.lookalikes);
  const slot = lookalikes ? 1 : 0;
  sharedContexts[slot] ??= new Context(lookalikes);
  sharedContexts[slot].setFormat(checkFormat(options.format, where));
  return sharedContexts[slot];
}

/** The value of an expression, rounded by a numeric format. */
export function evaluate(text, options) {
  checkExpression(text, 'evaluate');
  return sharedContext(checkOptions(options, 'evaluate'), 'evaluate').evaluate(text, false);
}

/** The result text: 15 significant digits, or as the format says. */
export function evaluateText(text, options) {
  checkExpression(text, 'evaluateText');
  return sharedContext(checkOptions(options, 'evaluateText'), 'evaluateText').evaluateText(text, false);
}

/** Never throws an EvaluationError: {ok, value, text, error}. */
export function tryEvaluate(text, options) {
  checkExpression(text, 'tryEvaluate');
  return tryOn(sharedContext(checkOptions(options, 'tryEvaluate'), 'tryEvaluate'), text);
}

/** The values of many expressions, one format for all. */
export function evaluateMany(texts, options) {
  const checked = checkOptions(options, 'evaluateMany');
  const mode = checkErrorMode(checked.errors, 'evaluateMany');
  return manyOn(sharedContext(checked, 'evaluateMany'), texts, mode, 'evaluateMany');
}

// A context that is garbage-collected without dispose() is freed here.
const finalizer = new FinalizationRegistry((context) => context.destroy());

/** A context of one's own: its format and look-alike setting. */
export class Evaluator {
  #context;
  #lookalikes;

  constructor(options) {
    const checked = checkOptions(options, 'Evaluator');
    const format = checkFormat(checked.format, 'Evaluator');
    this.#context = new Context(Boolean(checked.lookalikes));
    this.#context.setFormat(format);
    this.#lookalikes = Boolean(checked.lookalikes);
    finalizer.register(this, this.#context, this);
  }

  #open(where) {
    if (this.#context === null) throw new TypeError(`Evaluator.${where}: the evaluator has been disposed`);
    return this.#context;
  }

  get format() {
    return this.#open('format').storedFormat;
  }

  set format(format) {
    this.#open('format').setFormat(checkFormat(format, 'Evaluator.format'));
  }

  /** Whether look-alike symbols (× ÷ ー ‐ and the full-width space) are read. */
  get lookalikes() {
    return this.#lookalikes;
  }

  get disposed() {
    return this.#context === null;
  }

  evaluate(text) {
    const context = this.#open('evaluate');
    checkExpression(text, 'Evaluator.evaluate');
    return context.evaluate(text, false);
  }

  evaluateText(text) {
    const context = this.#open('evaluateText');
    checkExpression(text, 'Evaluator.evaluateText');
    return context.evaluateText(text, false);
  }

  tryEvaluate(text) {
    const context = this.#open('tryEvaluate');
    checkExpression(text, 'Evaluator.tryEvaluate');
    return tryOn(context, text);
  }

  evaluateMany(texts, options) {
    const context = this.#open('evaluateMany');
    const mode = checkErrorMode(checkOptions(options, 'Evaluator.evaluateMany').errors, 'Evaluator.evaluateMany');
    return manyOn(context, texts, mode, 'Evaluator.evaluateMany');
  }

  /** Frees the context; later calls throw a TypeError. Safe to repeat. */
  dispose() {
    if (this.#context === null) return;
    finalizer.unregister(this);
    this.#context.destroy();
    this.#context = null;
  }
}

if (typeof Symbol.dispose === 'symbol') {
  Evaluator.prototype[Symbol.dispose] = Evaluator.prototype.dispose;
}
