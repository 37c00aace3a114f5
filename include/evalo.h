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

/* A new context with an empty format text, or NULL without memory. */
evalo_context *evalo_create(void);
void evalo_destroy(evalo_context *ctx);

/* As format, evalo, evalos, error and errors, on the context. */
const char *evalo_set_format(evalo_context *ctx, const char *text);
double evalo_evaluate(evalo_context *ctx, const char *expression);
const char *evalo_evaluate_text(evalo_context *ctx, const char *expression);
int evalo_error(const evalo_context *ctx);
const char *evalo_error_text(evalo_context *ctx);

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
