// The tide station page in a real browser against the running program:
// Seattle's day with its four events in the table and on the graph, the
// instrument values, stepping by day, a subordinate's link to its reference,
// a current station, the Tides panel saying no station is near the demo's
// waters, and a station shown on the plot that opens its page when clicked. Arguments as main-window.test.mjs (--tarnwick PATH or --url URL,
// --artifacts DIR).

import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdir } from 'node:fs/promises';
import path from 'node:path';
import { openChromium } from './browser.mjs';
import { startProgram } from './program.mjs';

const args = process.argv.slice(2);
const arg = (name) => (args.includes(name) ? args[args.indexOf(name) + 1] : undefined);
const artifacts = path.resolve(arg('--artifacts') ?? 'browser-artifacts');

let program;
let browser;
let page;
let url;
const pageErrors = [];

before(async () => {
  await mkdir(artifacts, { recursive: true });
  if (arg('--url')) url = arg('--url');
  else {
    program = await startProgram(arg('--tarnwick'), path.join(artifacts, 'tarnwick-tides-output.txt'), { voyage: 'sail' });
    url = program.url;
  }
  browser = await openChromium({ width: 1400, height: 900 }, pageErrors);
  ({ page } = browser);
});

after(async () => {
  await browser?.close();
  await program?.stop();
});

const stationPage = (station, day) => `${url}tides?url=${encodeURIComponent(station)}${day ? `&day=${day}` : ''}`;

test('Seattle: the day table, the graph and the instrument values', async () => {
  await page.goto(stationPage('tide://noaa_tides/9447130', '2024-01-01'));
  await page.getByTestId('tide-title').filter({ hasText: 'Seattle' }).waitFor();
  const table = page.getByTestId('tide-table');
  await table.locator('.mod-title').waitFor();
  const rows = await table.locator('p').allTextContents();
  assert.equal(rows.length, 4, rows.join(' | '));
  assert.equal(rows.filter((r) => /HIGH \d+\.\d ft/.test(r)).length, 2);
  assert.equal(rows.filter((r) => /LOW \d+\.\d ft/.test(r)).length, 2);
  assert.match(await table.locator('.timezone').textContent(), /^All Times in \S+/);
  assert.match(await table.locator('.mod-title').textContent(), /January \d+, 2024|December 31, 2023/);
  // uPlot draws the day's curve on a canvas.
  await page.getByTestId('tide-graph').locator('canvas').first().waitFor();
  assert.match(await page.getByTestId('tideLevel').textContent(), /^-?\d+\.\d ft$/);
  assert.match(await page.getByTestId('tideTrend').textContent(), /^(rising|falling)$/);
  assert.match(await page.getByTestId('tideNextEventDescription').textContent(), /^(HIGH|LOW) to -?\d+\.\d ft at \d\d:\d\d/);
  assert.equal(await page.locator('[data-key=station-type] td').textContent(), 'reference');
  await page.screenshot({ path: path.join(artifacts, 'tide-station.png') });
});

test('stepping by day changes the table', async () => {
  const before = await page.getByTestId('tide-table').locator('.mod-title').textContent();
  await page.getByTestId('tide-next').click();
  await page.waitForFunction((was) => document.querySelector('[data-testid=tide-table] .mod-title')?.textContent !== was, before);
  assert.match(page.url(), /day=2024-01-0[12]/);
  await page.getByTestId('tide-prev').click();
  await page.waitForFunction((was) => document.querySelector('[data-testid=tide-table] .mod-title')?.textContent === was, before);
});

test('a current station labels slack and maxima; a subordinate links its reference', async () => {
  const r = await page.request.get(`${url}api/tides/stations?bbox=-122.8,47.9,-122.4,48.3&kind=current&limit=5`);
  assert.equal(r.status(), 200);
  const stations = (await r.json()).stations;
  assert.ok(stations.length > 0);
  assert.match(stations[0].label, /: (\d+\.\d kt (flood|ebb)( \d{3}°T)?|No prediction available)$/);
  await page.goto(stationPage(stations[0].url, '2024-06-01'));
  const table = page.getByTestId('tide-table');
  await table.locator('.mod-title').waitFor();
  const text = await table.textContent();
  assert.match(text, /MAX FLOOD \d+\.\d kt/);
  assert.match(text, /MAX EBB \d+\.\d kt/);
  assert.match(text, /SLACK/);
  assert.match(await page.getByTestId('currentDescription').textContent(), /^\d+\.\d\d kt (flood|ebb)/);

  const subs = await page.request.get(`${url}api/tides/stations?bbox=-122.75,48.05,-122.65,48.1&kind=tide`);
  const sub = (await subs.json()).stations.find((s) => !s.reference);
  assert.ok(sub, 'a subordinate tide station near Marrowstone Point');
  await page.goto(stationPage(sub.url, '2024-01-01'));
  const link = page.locator('[data-key=reference-station-link] a');
  await link.waitFor();
  await link.click();
  await page.waitForURL(/tides\?url=tide%3A%2F%2Fnoaa_tides%2F/);
  await page.locator('[data-key=station-type] td', { hasText: 'reference' }).waitFor();
});

test('the Tides panel says when no station is near the own ship', async () => {
  await page.goto(url);
  const panel = page.getByRole('region', { name: 'Tides' });
  await panel.waitFor();
  // The demo sails in the Finnish archipelago, far from any station of the shipped data.
  await panel.getByText('No tide stations were found nearby.').waitFor({ timeout: 60000 });
  await panel.getByText('No current stations were found nearby.').waitFor();
});

test('a station shown on the plot is drawn there and opens its page', async () => {
  // The Tides panel has the demo ship's position by now: stop following it.
  const follow = page.getByTestId('follow');
  await follow.click();
  assert.equal(await follow.getAttribute('aria-pressed'), 'false');
  await page.evaluate((to) => {
    history.pushState({}, '', to);
    dispatchEvent(new PopStateEvent('popstate'));
  }, stationPage('tide://noaa_tides/9447130', '2024-01-01'));
  await page.getByTestId('tide-title').filter({ hasText: 'Seattle' }).waitFor();
  // "auto" shows both kinds of station this far in: the layer asks for them.
  const asked = (kind) => page.waitForResponse((r) => r.url().includes('/api/tides/stations?') && r.url().includes(`kind=${kind}`));
  const [tides] = await Promise.all([asked('tide'), asked('current'), page.getByTestId('tide-show-on-plot').click()]);
  const shown = (await tides.json()).stations;
  assert.ok(shown.some((s) => s.id === '9447130' && /^Seattle.*: -?\d+\.\d ft$/.test(s.label)), JSON.stringify(shown[0]));
  const map = page.getByTestId('map');
  await map.waitFor({ state: 'visible' });
  await page.waitForTimeout(500);
  await page.screenshot({ path: path.join(artifacts, 'tide-stations-plot.png') });
  // The station sits in the middle of the view; a click there opens its page.
  const box = await map.boundingBox();
  await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
  await page.waitForURL(/tides\?url=tide%3A%2F%2Fnoaa_tides%2F9447130/);
  await page.getByTestId('tide-title').filter({ hasText: 'Seattle' }).waitFor();
  assert.deepEqual(pageErrors, []);
});
