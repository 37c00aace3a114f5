// Importing the package already waits for the module (top-level await); these
// two exist for code written against a load-then-use interface.
export const ready = Promise.resolve();
export function load() {
  return ready;
}
