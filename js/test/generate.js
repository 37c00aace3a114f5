// Random expressions from a fixed seed: numbers of every size, operators,
// brackets, all keywords in any case, full-width forms, look-alikes and
// characters the library does not know, under numeric formats and patterns.
const kKeywords = ['π', 'Π', 'PI', 'SIN', 'COS', 'TAN', 'ASIN', 'ACOS', 'ATAN', 'SINH', 'COSH', 'TANH', 'ASINH',
  'ACOSH', 'ATANH', '√', 'SQRT', 'LOG', 'LN', 'EXP', 'E', 'SINΠ', 'COSΠ', 'TANΠ', 'DEGREE', 'RADIAN', 'FLOOR',
  'CEIL', 'ABS', 'FRAC', 'ROUND'];
const kOperators = ['+', '-', '*', '/', '^', '+', '-', '*', '/'];
const kBrackets = [['(', ')'], ['[', ']'], ['{', '}']];
const kOddities = ['×', '÷', 'ー', '‐', '\u3000', '€', '😀', 'α', ',', '.', '=', 'x', '\u00e9', ' '];
const kFormats = ['', '', '', '3', '5.2', '1', '14', ' ', '0.3', '2.0', '%d', '%05d', '%x', '%u', '%08b',
  '%8.3f', '%.3e', '%g', '%f', '%n', '%m', '%-9.4f', '%.0f', '%e', 'abc', '%s'];

// mulberry32: small, fast and the same everywhere.
function random(seed) {
  let state = seed >>> 0;
  return () => {
    state = (state + 0x6d2b79f5) >>> 0;
    let t = state;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

export function generateCases(count, seed = 20261211) {
  const next = random(seed);
  const pick = (list) => list[Math.floor(next() * list.length)];
  const digits = (n) => Array.from({ length: n }, () => Math.floor(next() * 10)).join('');

  function number() {
    switch (Math.floor(next() * 8)) {
      case 0: return digits(1);
      case 1: return `${digits(1 + Math.floor(next() * 3))}.${digits(1 + Math.floor(next() * 6))}`;
      case 2: return `${digits(1)}${digits(2)},${digits(3)}`;
      case 3: return `${digits(1)}E${next() < 0.5 ? '-' : ''}${Math.floor(next() * 330)}`;
      case 4: return digits(16 + Math.floor(next() * 8));
      case 5: return `0.${'0'.repeat(Math.floor(next() * 12))}${digits(3)}`;
      case 6: return String(Math.floor(next() * 400) - 200);
      default: return `${digits(2)}.${digits(2)}`;
    }
  }

  function keyword() {
    const word = pick(kKeywords);
    return next() < 0.3 ? word.toLowerCase() : word;
  }

  function expression(depth) {
    let text = next() < 0.15 ? '-' : '';
    const terms = 1 + Math.floor(next() * 4);
    for (let i = 0; i < terms; i++) {
      if (i > 0) text += pick(kOperators);
      const roll = next();
      if (roll < 0.25 && depth < 3) {
        const [open, close] = pick(kBrackets);
        text += open + expression(depth + 1) + (next() < 0.95 ? close : '');
      } else if (roll < 0.45) {
        text += keyword() + (next() < 0.5 ? number() : `(${expression(depth + 1)})`);
      } else {
        text += number();
      }
      if (next() < 0.03) text += pick(kOddities);
    }
    return text;
  }

  // Full-width forms of ASCII (U+FF01..U+FF5E) for a random share of characters.
  function widen(text) {
    let out = '';
    for (const ch of text) {
      const c = ch.codePointAt(0);
      out += c > 0x20 && c < 0x7f && next() < 0.5 ? String.fromCodePoint(c + 0xfee0) : ch;
    }
    return out;
  }

  const cases = [];
  for (let i = 0; i < count; i++) {
    let text = expression(0);
    if (next() < 0.3) text = widen(text);
    if (next() < 0.05) text += '=' + number();
    cases.push({ lookalikes: next() < 0.2, format: pick(kFormats), expression: text });
  }
  return cases;
}
