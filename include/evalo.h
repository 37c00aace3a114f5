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
 */
#ifndef EVALO_H
#define EVALO_H

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

#ifdef __cplusplus
}
#endif

#endif
