/*
 * evalo: evaluates calculator-style arithmetic expressions given as text.
 *
 * Texts are NUL-terminated byte strings in code page 932. Every call runs on
 * the caller's thread; the six functions below share one process-wide call
 * state and must not be called from two threads at once.
 *
 *     format("5.2");
 *     const char *text = evalos("(1+2)*SIN30");   // "-2.96"
 *     if (error() != 0) puts(errors());            // "Err.Syntax", ...
 *
 * The pointers returned by evalos, errors and version point into one
 * library-owned buffer of 52 bytes; they stay valid until the next call that
 * writes it (evalo, evalos, version, and errors after a success).
 *
 * Threaded hosts use the context functions at the end instead: each context
 * owns its own call state, so threads with their own contexts evaluate
 * concurrently.
 */
#ifndef EVALO_H
#define EVALO_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Error codes left by an evaluation, read with error(). */
#define EVALO_OK 0
#define EVALO_ERR_SYNTAX 1
#define EVALO_ERR_BRACKET 2
#define EVALO_ERR_STACK 3
#define EVALO_ERR_MEMORY 4
#define EVALO_ERR_FORMAT 5
#define EVALO_ERR_MATH (-1)

/* Evaluates the expression and returns its value, rounded by a numeric
   format text. NULL counts as the empty text. */
double evalo(const char *expression);

/* As evalo, then returns the result as text: the error text on failure, the
   value with 15 significant digits under a numeric format text, or the value
   written through a pattern format text. NULL counts as the empty text. */
const char *evalos(const char *expression);

/* The error code of the last evaluation (0 when it succeeded). */
int error(void);

/* The error text of the last evaluation: "Err.Syntax", ..., or "" for none. */
const char *errors(void);

/* Sets the format text (at most 7 bytes are kept): "" leaves values as
   computed, "N" or "N.M" rounds to N significant digits and M decimals, a
   text with "%" formats by pattern. NULL counts as the empty text. Returns
   the stored format text. */
const char *format(const char *text);

/* The library's version text, "1.00". */
const char *version(void);

/*
 * Contexts: the same operations on a call state of the caller's own.
 *
 *     evalo_context *ctx = evalo_create();
 *     evalo_set_format(ctx, "%.3f");
 *     puts(evalo_evaluate_text(ctx, "PI"));        // "3.142"
 *     evalo_destroy(ctx);
 *
 * One context serves one thread at a time; different contexts never share
 * anything. A returned text is valid until the next call on its context that
 * writes the context's text. A NULL context behaves as one whose creation
 * failed: evaluations give 0 and the Memory error.
 */
typedef struct evalo_context evalo_context;

/* A new context with an empty format text, reading code page 932, or NULL
   without memory. The same as evalo_create_with(0). */
evalo_context *evalo_create(void);
void evalo_destroy(evalo_context *ctx);

/*
 * Options for evalo_create_with, combined with |.
 *
 * EVALO_UTF8: every text in and out of the context is UTF-8: expressions,
 * the format text, results (a pattern's currency symbol included) and error
 * texts. Results are bit for bit those of the same text in code page 932.
 * A character that has no code page 932 form, and any invalid UTF-8, is a
 * word character that matches no keyword: Err.Syntax at its word.
 *
 *     evalo_context *ctx = evalo_create_with(EVALO_UTF8);
 *     evalo_evaluate(ctx, "（１＋２）×√９");   // Err.Syntax: "×" is no operator
 *
 * EVALO_LOOKALIKES: also read the marks typed for operators in a
 * full-width input mode, in either encoding: "×" as "*", "÷" as "/", the
 * long-vowel mark "ー" and the hyphen "‐" as "-", the full-width space as a
 * blank. Off by default, since they are Err.Syntax otherwise.
 *
 *     ctx = evalo_create_with(EVALO_UTF8 | EVALO_LOOKALIKES);
 *     evalo_evaluate(ctx, "１２×３ー６");        // 30
 */
#define EVALO_UTF8 1u
#define EVALO_LOOKALIKES 2u

/* A new context with the given options, or NULL without memory or when
   options holds a bit this library does not know. */
evalo_context *evalo_create_with(unsigned options);

/* As format, evalo, evalos, error and errors, on the context. */
const char *evalo_set_format(evalo_context *ctx, const char *text);
double evalo_evaluate(evalo_context *ctx, const char *expression);
const char *evalo_evaluate_text(evalo_context *ctx, const char *expression);
int evalo_error(const evalo_context *ctx);
const char *evalo_error_text(evalo_context *ctx);

/*
 * Where the last evaluation's error arose: the byte offset and byte length,
 * in the expression exactly as it was passed (before full-width forms are
 * mapped and before the cut at "="), of the token at fault. -1 and 0 when
 * the last evaluation succeeded, when its error has no place (Err.Memory, a
 * pattern's Err.Format) and for a NULL context.
 *
 *     evalo_evaluate(ctx, "1+2/(3-3)");   // Err.Math
 *     evalo_error_offset(ctx);           // 3: the "/"
 *     evalo_error_length(ctx);           // 1
 *
 * The token at fault:
 *   Err.Syntax   an unknown word or a bad number: that word or number;
 *                two numbers side by side: the second ("(1)(2)": "(2)");
 *                tokens that do not fold, at the end or in a bracketed
 *                group: the last operator, sign or function still waiting
 *                ("5-": "-", "SIN()": the "()" itself when nothing waits);
 *                an empty expression: length 0 where it ends
 *   Err.Bracket  a close bracket without its open bracket, or of another
 *                kind: that close bracket; brackets left open: the
 *                innermost one
 *   Err.Stack    the first token that found the stack full
 *   Err.Math     the operator or function that faulted ("LN0": "LN"; the
 *                "E" of an exponent; a literal beyond the double range)
 * Full-width characters count with their width in the caller's encoding:
 * in "（１＋２）／０" the "／" is at byte 10 in code page 932, 15 in UTF-8.
 */
long evalo_error_offset(const evalo_context *ctx);
long evalo_error_length(const evalo_context *ctx);

/*
 * For bindings and other hosts that call across a language boundary.
 */

/* The version text, "1.00", as a constant: unlike version() it writes no
   call state, so it never disturbs a later errors(). */
const char *evalo_version(void);

/* The longest text a context returns, its NUL included. */
#define EVALO_TEXT_SIZE 52

/*
 * Batches: one call evaluates many expressions on one context, one after
 * the other, exactly as the single calls would.
 *
 *     const char packed[] = "1+2\0" "1/0\0" "SIN30";     // NULs between
 *     double values[3];
 *     int codes[3];
 *     evalo_evaluate_many(ctx, packed, sizeof packed, 3, values, codes);
 *     // values {3, 0, -0.988...}, codes {0, -1, 0}
 *
 * expressions holds count NUL-terminated expressions back to back in size
 * bytes; the batch reads nothing beyond those bytes. Both functions return
 * how many expressions were evaluated: count, or fewer when the bytes end
 * before the count-th NUL. codes may be NULL. The context's format text
 * applies to each, and afterwards its error and text are the last one's.
 */

/* values[i] and codes[i] as evalo_evaluate and evalo_error give them. */
size_t evalo_evaluate_many(evalo_context *ctx, const char *expressions, size_t size,
                           size_t count, double *values, int *codes);

/* Writes each result text as evalo_evaluate_text gives it, with its NUL,
   back to back into texts (texts_size bytes; count * EVALO_TEXT_SIZE always
   suffice), and codes[i] as evalo_error gives it. Stops at a text that
   does not fit, which is then not counted. */
size_t evalo_evaluate_text_many(evalo_context *ctx, const char *expressions, size_t size,
                                size_t count, char *texts, size_t texts_size, int *codes);

#ifdef __cplusplus
}
#endif

#endif
