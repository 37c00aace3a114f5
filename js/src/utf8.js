// JavaScript strings as the library's UTF-8 texts, and byte places back as
// UTF-16 code units.
//
// The encoding is the TextEncoder's except for two characters the C text
// cannot carry as they are: a lone surrogate becomes U+FFFD (as the
// TextEncoder does), and U+0000 becomes the two bytes C0 80, an invalid
// sequence the library rejects with a Syntax error at that place; as a plain
// NUL it would silently end the expression there.

/** Bytes that writeUtf8 may write for `text`, the NUL not counted. */
export function maxUtf8Length(text) {
  return text.length * 3;
}

/** Writes `text` and a NUL at `at`; returns the bytes written before the NUL. */
export function writeUtf8(text, heap, at) {
  let p = at;
  const n = text.length;
  for (let i = 0; i < n; i++) {
    let c = text.charCodeAt(i);
    if (c < 0x80 && c !== 0) {
      heap[p++] = c;
    } else if (c < 0x800) {
      heap[p++] = 0xc0 | (c >> 6);
      heap[p++] = 0x80 | (c & 0x3f);
    } else {
      if (c >= 0xd800 && c <= 0xdfff) {
        const pair = surrogatePairAt(text, i);
        if (pair !== 0) {
          heap[p++] = 0xf0 | (pair >> 18);
          heap[p++] = 0x80 | ((pair >> 12) & 0x3f);
          heap[p++] = 0x80 | ((pair >> 6) & 0x3f);
          heap[p++] = 0x80 | (pair & 0x3f);
          i++;
          continue;
        }
        c = 0xfffd;
      }
      heap[p++] = 0xe0 | (c >> 12);
      heap[p++] = 0x80 | ((c >> 6) & 0x3f);
      heap[p++] = 0x80 | (c & 0x3f);
    }
  }
  heap[p] = 0;
  return p - at;
}

// The code point of a valid surrogate pair starting at text[i], else 0.
function surrogatePairAt(text, i) {
  const high = text.charCodeAt(i);
  if (high > 0xdbff) return 0;
  const low = text.charCodeAt(i + 1); // NaN past the end
  if (!(low >= 0xdc00 && low <= 0xdfff)) return 0;
  return 0x10000 + ((high - 0xd800) << 10) + (low - 0xdc00);
}

// UTF-8 bytes of the character at text[i] as writeUtf8 writes it, and the
// code units it spans.
function characterAt(text, i) {
  const c = text.charCodeAt(i);
  if (c === 0) return { bytes: 2, units: 1 };
  if (c < 0x80) return { bytes: 1, units: 1 };
  if (c < 0x800) return { bytes: 2, units: 1 };
  if (c >= 0xd800 && c <= 0xdfff && surrogatePairAt(text, i) !== 0) return { bytes: 4, units: 2 };
  return { bytes: 3, units: 1 };
}

/**
 * The code units of `text` that hold the bytes [byteOffset, byteOffset +
 * byteLength) of its UTF-8 form: every character with a byte in the range.
 */
export function unitRangeOfBytes(text, byteOffset, byteLength) {
  const byteEnd = byteOffset + Math.max(byteLength, 0);
  let unit = 0;
  let byte = 0;
  let start = -1;
  while (unit < text.length) {
    const { bytes, units } = characterAt(text, unit);
    if (start < 0 && byte + bytes > byteOffset) start = unit;
    if (start >= 0 && byte >= byteEnd) break;
    unit += units;
    byte += bytes;
  }
  if (start < 0) start = text.length; // a place at the very end
  return { offset: start, length: unit - start };
}
