// The weather layer in a real browser: headless Chromium against `tarnwick
// run` with wave and current forecasts in its weather folder. A forecast file
// opened from the weather page shows on the plot with its time bar; the time
// bar steps and plays; the values under the cursor are read out; a file
// dropped into the weather folder opens by itself; a listed file opens by the
// open command and the forecast closes.
// Arguments: --tarnwick PATH, --artifacts DIR.

import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { copyFile, mkdir } from 'node:fs/promises';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { openChromium } from './browser.mjs';
import { startProgram } from './program.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const FIXTURES = path.resolve(here, '../../../environment/tests/data/grib/fixtures');
const args = process.argv.slice(2);
const arg = (name) => (args.includes(name) ? args[args.indexOf(name) + 1] : undefined);
const artifacts = path.resolve(arg('--artifacts') ?? 'browser-artifacts');

let program;
let browser;
let page;
let url;
let weatherFolder;
const pageErrors = [];

before(async () => {
  await mkdir(artifacts, { recursive: true });
  const tarnwick = arg('--tarnwick');
  if (!tarnwick) throw new Error('give --tarnwick PATH');
  const prepare = async (temp, data) => {
    weatherFolder = path.join(data, 'weather');
    await mkdir(weatherFolder, { recursive: true });
    await copyFile(path.join(FIXTURES, 'currents_uv.grb'), path.join(weatherFolder, 'currents_uv.grb'));
  };
  program = await startProgram(tarnwick, path.join(artifacts, 'weather-tarnwick-output.txt'), {
    voyage: null,
    settings: [['Units_Height', 'meters']],
    prepare,
  });
  url = program.url;
  browser = await openChromium({ width: 1400, height: 860 }, pageErrors);
  ({ page } = browser);
});

after(async () => {
  await browser?.close();
  await program?.stop();
});

const menuLink = (name) => page.getByRole('navigation', { name: 'Pages' }).getByRole('link', { name, exact: true });
const timeShown = () => page.getByTestId('weather-time').getAttribute('data-time');

test('a forecast opened on the weather page shows on the plot', async () => {
  await page.goto(url);
  await menuLink('Weather').click();
  await page.waitForURL('**/weather');
  await page.locator('tr[data-file="currents_uv.grb"]').waitFor();
  // "Open Weather Forecast File" from this computer: the waves forecast.
  await page.getByTestId('weather-file').setInputFiles(path.join(FIXTURES, 'waves.grb'));
  await page.waitForFunction(() => document.querySelector('[data-testid=weather-status]')?.dataset.state === 'loaded', null, { timeout: 20000 });
  assert.match(await page.getByTestId('weather-status').textContent(), /^waves\.grb: Significant wave height, .*2 forecast times, 2024-06-01 00:00 UTC to 2024-06-01 12:00 UTC\./);

  await menuLink('Plot').click();
  const bar = page.getByTestId('weather-bar');
  await bar.waitFor({ state: 'visible', timeout: 10000 });
  // The group that shows waves is chosen, the view moves to the forecast,
  // and its gradient and arrows are drawn.
  await page.waitForFunction(() => document.querySelector('[data-testid=weather-group]').selectedOptions[0]?.textContent === 'Wind Waves', null, { timeout: 10000 });
  await page.waitForFunction(() => Number(document.querySelector('[data-testid=weather-bar]').dataset.symbols) > 10, null, { timeout: 10000 });
  assert.equal(await bar.getAttribute('data-drawn'), '13,16,7');
  assert.equal(await page.getByTestId('weather-time').textContent(), '2024-06-01 00:00 UTC (+0 h)');
  await page.screenshot({ path: path.join(artifacts, 'weather-plot.png') });
});

test('the time bar steps and plays', async () => {
  await page.getByTestId('weather-next').click();
  assert.equal(await timeShown(), '1717243200000');
  assert.equal(await page.getByTestId('weather-time').textContent(), '2024-06-01 12:00 UTC (+12 h)');
  await page.getByTestId('weather-next').click();
  assert.equal(await timeShown(), '1717200000000', 'round to the first time');
  await page.getByTestId('weather-play').click();
  await page.waitForFunction(() => document.querySelector('[data-testid=weather-time]').dataset.time === '1717243200000', null, { timeout: 5000 });
  await page.waitForFunction(() => document.querySelector('[data-testid=weather-time]').dataset.time === '1717200000000', null, { timeout: 5000 });
  await page.getByTestId('weather-play').click();
  assert.equal(await page.getByTestId('weather-play').textContent(), 'Play');
});

test('the values under the cursor are read out', async () => {
  const map = page.getByTestId('map');
  const box = await map.boundingBox();
  await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
  await page.mouse.move(box.x + box.width / 2 + 3, box.y + box.height / 2 + 2);
  const readout = page.getByTestId('weather-readout');
  await readout.waitFor({ state: 'visible', timeout: 5000 });
  assert.match(await readout.textContent(), /Significant wave height: \d+\.\d m [NESW]+/);
});

test('at night the layer and its bar give no blue or white light', async () => {
  await page.locator('button[data-choose-scheme=night]').click();
  await page.waitForFunction(() => document.documentElement.dataset.scheme === 'night');
  await page.waitForTimeout(500);
  const offenders = await page.evaluate(() => {
    const bad = [];
    for (const canvas of document.querySelectorAll('[data-testid=map] canvas')) {
      const { data } = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
      for (let k = 0; k < data.length; k += 4 * 97) {
        const [r, g, b, a] = data.slice(k, k + 4);
        if (a > 0 && (b > r + 8 || Math.min(r, g, b) > 160)) bad.push(`canvas pixel ${r},${g},${b}`);
      }
    }
    const parse = (c) => (c.match(/[\d.]+/g) || []).map(Number);
    for (const el of document.querySelectorAll('[data-testid=weather-bar] *, [data-testid=weather-bar]')) {
      const style = getComputedStyle(el);
      for (const prop of ['color', 'background-color']) {
        const [r, g, b, a = 1] = parse(style[prop]);
        if (a > 0 && (b > r + 8 || Math.min(r, g, b) > 160)) bad.push(`${el.tagName} ${prop} ${style[prop]}`);
      }
    }
    return bad.slice(0, 5);
  });
  await page.screenshot({ path: path.join(artifacts, 'weather-night.png') });
  await page.locator('button[data-choose-scheme=day]').click();
  assert.deepEqual(offenders, []);
});

test('a file dropped into the weather folder opens by itself', async () => {
  await copyFile(path.join(FIXTURES, 'currents_sd.grb'), path.join(weatherFolder, 'dropped.grb'));
  await page.waitForFunction(() => document.querySelector('.weather-file')?.textContent === 'dropped.grb', null, { timeout: 10000 });
  await page.waitForFunction(() => document.querySelector('[data-testid=weather-group]').selectedOptions[0]?.textContent === 'Current', null, { timeout: 10000 });
  await page.waitForFunction(() => Number(document.querySelector('[data-testid=weather-bar]').dataset.symbols) > 10, null, { timeout: 10000 });
  await page.screenshot({ path: path.join(artifacts, 'weather-currents.png') });
});

test('a listed file opens with the open command, and the forecast closes', async () => {
  await menuLink('Weather').click();
  await page.waitForURL('**/weather');
  await page.locator('tr[data-file="currents_uv.grb"] button', { hasText: 'Open' }).click();
  await page.waitForFunction(() => /^currents_uv\.grb: /.test(document.querySelector('[data-testid=weather-status]')?.textContent ?? ''), null, { timeout: 20000 });
  assert.equal(await page.getByTestId('weather-status').getAttribute('data-state'), 'loaded');
  await page.getByTestId('weather-close').click();
  await page.waitForFunction(() => document.querySelector('[data-testid=weather-status]')?.dataset.state === 'none', null, { timeout: 10000 });
  assert.equal(await page.getByTestId('weather-status').textContent(), 'No weather forecast is open.');
  await menuLink('Plot').click();
  await page.getByTestId('weather-bar').waitFor({ state: 'hidden', timeout: 10000 });
  assert.deepEqual(pageErrors, []);
});
