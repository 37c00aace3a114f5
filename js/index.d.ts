/// <reference lib="esnext.disposable" />
/**
 * evalo: evaluates calculator-style arithmetic expressions, full-width input
 * included, with the native library's results bit for bit.
 *
 *     import * as evalo from 'evalo';
 *     evalo.evaluate('(1+2)*SIN30', { format: '5.2' });   // -2.96
 *     evalo.evaluateText('１２，０００＋５００');            // "12500"
 *
 * Importing the package waits until its WebAssembly module is ready.
 */

/** Options of the module-level functions. */
export interface EvaluateOptions {
  /** "" (values as computed), "N" or "N.M" (rounding), or a pattern with "%" such as "%08.3f". */
  format?: string;
  /** Also read ×, ÷, ー, ‐ and the full-width space as *, /, -, - and a blank. */
  lookalikes?: boolean;
}

/** What to do with a failed item of a batch. */
export type BatchErrors = 'throw' | 'nan' | 'return';

export interface ManyOptions extends EvaluateOptions {
  /** "throw" (default: the first failure, with its `index`), "nan", or "return" (the error in place). */
  errors?: BatchErrors;
}

export type TryResult =
  | { ok: true; value: number; text: string; error: null }
  | { ok: false; value: number; text: string; error: EvaluationError };

/** A failed evaluation: the library's error code and text, and where in the expression it arose. */
export class EvaluationError extends Error {
  /** 1 Syntax, 2 Bracket, 3 Stack, 4 Memory, 5 Format, -1 Math. */
  readonly code: number;
  /** "Syntax", "Bracket", "Stack", "Memory", "Format" or "Math". */
  readonly name: string;
  /** The library's error text: "Err.Syntax", ... */
  readonly text: string;
  /** UTF-16 code units into the expression where the wrong token starts; -1 when the error has no place. */
  readonly offset: number;
  /** UTF-16 code units the token spans; 0 when the error has no place. */
  readonly length: number;
  /** In a batch evaluated with errors "throw": the index of the item that failed. */
  index?: number;
}

/**
 * The value, rounded by a numeric format. Throws EvaluationError, or
 * TypeError for arguments of the wrong type.
 */
export function evaluate(text: string, options?: EvaluateOptions): number;

/** The result text (15 significant digits, or as a pattern format says). Throws as evaluate. */
export function evaluateText(text: string, options?: EvaluateOptions): string;

/** As evaluate and evaluateText at once, returning a failure instead of throwing it. */
export function tryEvaluate(text: string, options?: EvaluateOptions): TryResult;

/** The values of many expressions under one format. */
export function evaluateMany(texts: Iterable<string>, options?: ManyOptions & { errors?: 'throw' | 'nan' }): number[];
export function evaluateMany(texts: Iterable<string>, options: ManyOptions & { errors: 'return' }): Array<number | EvaluationError>;

export interface EvaluatorOptions {
  format?: string;
  lookalikes?: boolean;
}

/**
 * A context of one's own, holding a format and the look-alike setting.
 * Free it with dispose() (or `using`); later calls throw TypeError.
 */
export class Evaluator {
  constructor(options?: EvaluatorOptions);
  /** The format text as the library stored it (at most 7 bytes are kept). */
  format: string;
  readonly lookalikes: boolean;
  readonly disposed: boolean;
  evaluate(text: string): number;
  evaluateText(text: string): string;
  tryEvaluate(text: string): TryResult;
  evaluateMany(texts: Iterable<string>, options?: { errors?: 'throw' | 'nan' }): number[];
  evaluateMany(texts: Iterable<string>, options: { errors: 'return' }): Array<number | EvaluationError>;
  dispose(): void;
  [Symbol.dispose](): void;
}

/** Resolved: importing the package already waited for the module. */
export const ready: Promise<void>;
/** Returns `ready`. */
export function load(): Promise<void>;

declare const evalo: {
  evaluate: typeof evaluate;
  evaluateText: typeof evaluateText;
  tryEvaluate: typeof tryEvaluate;
  evaluateMany: typeof evaluateMany;
  Evaluator: typeof Evaluator;
  EvaluationError: typeof EvaluationError;
  ready: typeof ready;
  load: typeof load;
};
export default evalo;
