// The calculator page in Debian's Chromium, headless: typing full-width input
// with a format, and an error marked at its token. Saves screenshots to
// build/artifacts/ (or EVALO_ARTIFACTS_DIR).
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdtemp, mkdir, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';
import { serve } from './serve.js';

const webRoot = fileURLToPath(new URL('../../web/', import.meta.url));
const artifacts = process.env.EVALO_ARTIFACTS_DIR ?? fileURLToPath(new URL('../build/artifacts/', import.meta.url));

let server;
let browser;
let profile;
let page;
const pageErrors = [];

before(async () => {
  server = await serve(webRoot);
  profile = await mkdtemp(join(tmpdir(), 'evalo-chromium-'));
  browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', `--user-data-dir=${profile}`],
  });
  page = await browser.newPage();
  await page.setViewport({ width: 900, height: 900 });
  page.on('pageerror', (error) => pageErrors.push(error.message));
  page.on('console', (message) => {
    if (message.type() === 'error') pageErrors.push(message.text());
  });
  await page.goto(server.url);
  await page.waitForSelector('html[data-ready="true"]', { timeout: 20_000 });
});

after(async () => {
  await browser?.close();
  await server?.close();
  if (profile) await rm(profile, { recursive: true, force: true });
});

async function typeInto(selector, text) {
  await page.click(selector, { count: 3 });
  await page.keyboard.press('Backspace');
  await page.type(selector, text);
}

const resultIs = (text) => page.waitForFunction((want) => document.getElementById('result').textContent === want, { timeout: 5_000 }, text);

test('full-width input under format 5.2 reads -2.96', async () => {
  await typeInto('#format', '5.2');
  await typeInto('#expression', '（１＋２）＊ＳＩＮ３０');
  await resultIs('-2.96');
  assert.equal(await page.$eval('#result', (e) => e.className), 'result ok');
  assert.equal(await page.$('#echo mark'), null, 'nothing is marked');
  await mkdir(artifacts, { recursive: true });
  await page.screenshot({ path: join(artifacts, 'calculator-result.png'), fullPage: true });
});

test('the error of 100-(50*) is marked at the *', async () => {
  await typeInto('#expression', '100-(50*)');
  await resultIs('Err.Syntax');
  const mark = await page.$eval('#echo mark.wrong', (e) => ({ text: e.textContent, offset: e.dataset.offset, before: e.previousSibling?.textContent }));
  assert.deepEqual(mark, { text: '*', offset: '7', before: '100-(50' });
  const underline = await page.$eval('#echo mark.wrong', (e) => getComputedStyle(e).textDecorationLine);
  assert.match(underline, /underline/);
  await page.screenshot({ path: join(artifacts, 'calculator-error.png'), fullPage: true });
});

test('look-alikes are read after the switch, and examples fill the page', async () => {
  await typeInto('#format', '');
  await typeInto('#expression', '１２×３');
  await resultIs('Err.Syntax');
  await page.click('#lookalikes');
  await resultIs('36');
  await page.click('button[data-expression="１２，０００＋５００"]');
  await resultIs('12500');
  assert.equal(await page.$eval('#lookalikes', (e) => e.checked), false, 'the example turns the switch back off');
});

test('the page logged no errors', () => {
  assert.deepEqual(pageErrors, []);
});
