// The calculator page: evaluates as you type and marks where the input is
// wrong. The package lives in ./evalo/ (copied there by npm run build in js/).
const $ = (id) => document.getElementById(id);
const expressionBox = $('expression');
const formatBox = $('format');
const lookalikesSwitch = $('lookalikes');
const echo = $('echo');
const result = $('result');
const detail = $('detail');
const formatNote = $('format-note');

let evalo;
try {
  evalo = await import('./evalo/src/browser.js');
} catch (error) {
  result.textContent = 'The calculator could not load its module.';
  result.className = 'result error';
  detail.textContent = `${error.message}. Serve this folder over HTTP (for example: python3 -m http.server) after npm run build in js/.`;
  throw error;
}

let evaluator = new evalo.Evaluator({ lookalikes: lookalikesSwitch.checked });

// The expression again, with the token the error names wrapped in <mark>.
function showEcho(text, error) {
  echo.replaceChildren();
  if (!error || error.offset < 0) return;
  const end = error.offset + Math.max(error.length, 1);
  const mark = document.createElement('mark');
  mark.className = 'wrong';
  mark.dataset.offset = String(error.offset);
  mark.dataset.length = String(error.length);
  // A place at the very end (nothing left to underline) gets a visible gap.
  mark.textContent = text.slice(error.offset, end) || '\u2003';
  echo.append(text.slice(0, error.offset), mark, text.slice(end));
}

function update() {
  const text = expressionBox.value;
  evaluator.format = formatBox.value;
  const kept = evaluator.format;
  formatNote.hidden = kept === formatBox.value;
  formatNote.textContent = `Only the first 7 bytes of a format are kept: "${kept}".`;

  if (text.trim() === '') {
    result.textContent = '';
    result.className = 'result';
    detail.textContent = '';
    showEcho(text, null);
    return;
  }
  const outcome = evaluator.tryEvaluate(text);
  result.textContent = outcome.text;
  result.className = outcome.ok ? 'result ok' : 'result error';
  if (outcome.ok) {
    detail.textContent = `value ${outcome.value}`;
  } else {
    const { code, name, offset } = outcome.error;
    detail.textContent = offset >= 0 ? `${name} error (code ${code}) at character ${offset + 1}` : `${name} error (code ${code})`;
  }
  showEcho(text, outcome.error);
}

lookalikesSwitch.addEventListener('change', () => {
  evaluator.dispose();
  evaluator = new evalo.Evaluator({ lookalikes: lookalikesSwitch.checked });
  update();
});
expressionBox.addEventListener('input', update);
formatBox.addEventListener('input', update);

$('examples').addEventListener('click', (event) => {
  const button = event.target.closest('button[data-expression]');
  if (!button) return;
  expressionBox.value = button.dataset.expression;
  formatBox.value = button.dataset.format ?? '';
  const lookalikes = button.dataset.lookalikes === 'true';
  if (lookalikes !== lookalikesSwitch.checked) {
    lookalikesSwitch.checked = lookalikes;
    lookalikesSwitch.dispatchEvent(new Event('change'));
  } else {
    update();
  }
  expressionBox.focus();
});

for (const control of [expressionBox, formatBox, lookalikesSwitch]) control.disabled = false;
expressionBox.focus();
update();
document.documentElement.dataset.ready = 'true';
