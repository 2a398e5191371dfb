// The chart on the plot in a real browser: headless Chromium against `tarnwick
// run` with the NOAA cell US5HA57M (Kaneohe Bay). The cell's tiles appear at
// its position (land, deep water and the reef in their own colours where the
// cell has them), night turns the chart dark, a safety contour moved below a
// depth area's depth changes its shade, and a click on a buoy lists its
// attributes. Screenshots go to the artefacts folder.
// Arguments: --tarnwick PATH, --artifacts DIR.

import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdir } from 'node:fs/promises';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { openChromium } from './browser.mjs';
import { startProgram } from './program.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const CELL = path.resolve(here, '../../../charts/tests/data/s57/noaa_US5HA57M_exchange_set');
const args = process.argv.slice(2);
const arg = (name) => (args.includes(name) ? args[args.indexOf(name) + 1] : undefined);
const artifacts = path.resolve(arg('--artifacts') ?? 'browser-artifacts');

// Places of the cell (degrees) and what the chart says is there.
const DEEP = [21.53, -157.77]; // depth area 18.2 m and deeper
const MEDIUM = [21.4672, -157.7632]; // depth area 9.1 m
const REEF = [21.455, -157.79]; // depth area 1.8 m
const LAND = [21.45, -157.76]; // Mokapu peninsula
const BUOY = { at: [21.5052369, -157.8224033], name: 'Kaneohe Bay Channel Buoy 4' };

let program;
let browser;
let page;
let url;
const pageErrors = [];

before(async () => {
  await mkdir(artifacts, { recursive: true });
  const tarnwick = arg('--tarnwick');
  if (!tarnwick) throw new Error('give --tarnwick PATH');
  program = await startProgram(tarnwick, path.join(artifacts, 'chart-view-tarnwick-output.txt'), {
    voyage: null,
    settings: [
      ['Charts_InstallationFolder', CELL],
      ['S52_SafetyContourDepth', '10 m'],
      ['S52_DepthShades', '4'],
    ],
  });
  url = program.url;
  browser = await openChromium({ width: 1280, height: 800 }, pageErrors);
  ({ page } = browser);
});

after(async () => {
  await browser?.close();
  await program?.stop();
});

// World Mercator on WGS 84 (EPSG:3395), metres.
function mercator([lat, lon]) {
  const a = 6378137;
  const e = Math.sqrt(0.00669437999014);
  const phi = (lat * Math.PI) / 180;
  const s = e * Math.sin(phi);
  return [(a * lon * Math.PI) / 180, a * Math.log(Math.tan(Math.PI / 4 + phi / 2) * ((1 - s) / (1 + s)) ** (e / 2))];
}

// The pixel of the map (CSS pixels from its top-left) at a position.
async function pixelOf(position) {
  const map = page.locator('[data-testid=map]');
  const box = await map.boundingBox();
  const view = JSON.parse(await page.locator('.plot').getAttribute('data-view'));
  assert.equal(view.rotation, 0);
  const [x, y] = mercator(position);
  return [box.width / 2 + (x - view.center[0]) / view.resolution, box.height / 2 - (y - view.center[1]) / view.resolution];
}

// The chart layer's colour [r, g, b, a] at a position.
async function chartColour(position) {
  const [x, y] = await pixelOf(position);
  return page.evaluate(([px, py]) => {
    const canvas = document.querySelector('.chart-tiles canvas');
    if (!canvas) return [0, 0, 0, 0];
    return [...canvas.getContext('2d').getImageData(Math.round(px), Math.round(py), 1, 1).data];
  }, [x, y]);
}

// Waits until no chart tile is on its way.
const tilesLoaded = () => page.waitForFunction(() => document.querySelector('.plot')?.dataset.tilesLoading === '0', null, { timeout: 60000 });

const same = (a, b) => a.every((v, i) => Math.abs(v - b[i]) <= 3);
const luminance = ([r, g, b]) => 0.2126 * r + 0.7152 * g + 0.0722 * b;

// Waits until the chart's colour at position is opaque and, when given, no
// longer before.
async function settledColour(position, before, timeout = 60000) {
  const deadline = Date.now() + timeout;
  let last;
  while (Date.now() < deadline) {
    const colour = await chartColour(position);
    if (colour[3] === 255 && (!before || !same(colour, before)) && last && same(colour, last)) return colour;
    last = colour;
    await page.waitForTimeout(500);
  }
  throw new Error(`the chart at ${position} stayed ${last}`);
}

test('the chart of the cell appears at its position', async () => {
  await page.goto(`${url}charts`);
  const row = page.locator('[data-testid=charts-table] tr[data-chart="US5HA57M"]');
  await row.and(page.locator('[data-status=ready]')).waitFor({ timeout: 120000 });
  await row.getByRole('button', { name: 'Show' }).click();
  await page.waitForSelector('.plot[data-chart-tiles=on][data-view]');
  const deep = await settledColour(DEEP);
  const land = await settledColour(LAND);
  const reef = await settledColour(REEF);
  // The base map has no depths: only the chart tells the reef from deep water.
  assert.ok(!same(deep, land) && !same(deep, reef) && !same(land, reef), `deep ${deep}, land ${land}, reef ${reef}`);
  assert.match(await page.locator('[data-testid=chart-scale]').inputValue(), /^1:\d{1,3}(,\d{3})*$/);
  await tilesLoaded();
  await page.screenshot({ path: path.join(artifacts, 'chart-view-day.png') });
});

test('night turns the chart dark', async () => {
  const day = await settledColour(DEEP);
  await page.click('[data-choose-scheme=night]');
  const night = await settledColour(DEEP, day);
  assert.ok(luminance(night) < luminance(day) / 2, `day ${day}, night ${night}`);
  await tilesLoaded();
  await page.screenshot({ path: path.join(artifacts, 'chart-view-night.png') });
  await page.click('[data-choose-scheme=day]');
  await settledColour(DEEP, night);
});

test('a safety contour below a depth area changes its shade', async () => {
  const shallowSide = await settledColour(MEDIUM);
  const deep = await settledColour(DEEP);
  await page.click('[data-testid=chart-display-open]');
  const depth = page.locator('[data-testid=chart-display] [data-control=S52_SafetyContourDepth]');
  await depth.waitFor();
  await depth.fill('5 m');
  await depth.dispatchEvent('change');
  // 9.1 m is now safe water; the deep water keeps its shade.
  const safeSide = await settledColour(MEDIUM, shallowSide);
  assert.ok(luminance(safeSide) > luminance(shallowSide), `before ${shallowSide}, after ${safeSide}`);
  assert.ok(same(await chartColour(DEEP), deep));
  await tilesLoaded();
  await page.screenshot({ path: path.join(artifacts, 'chart-view-safety-contour.png') });
  // The standard display brings back four shades and keeps the contour.
  const shades = page.locator('[data-testid=chart-display] select[data-control=S52_DepthShades]');
  await shades.selectOption('2');
  await settledColour(MEDIUM, safeSide);
  await page.click('[data-testid=standard-display]');
  await page.waitForFunction(() => document.querySelector('[data-testid=chart-display] select[data-control=S52_DepthShades]')?.value === '4');
  assert.equal(await depth.inputValue(), '5 m');
  for (const deadline = Date.now() + 60000; !same(await chartColour(MEDIUM), safeSide); await page.waitForTimeout(500))
    assert.ok(Date.now() < deadline, 'the four shades did not come back');
  await page.click('[data-testid=chart-display] .close');
});

test('a click on a buoy lists its attributes', async () => {
  const [x, y] = await pixelOf(BUOY.at);
  const box = await page.locator('[data-testid=map]').boundingBox();
  await page.mouse.move(box.x + x, box.y + y);
  assert.match(await page.locator('[data-testid=cursor-readout]').textContent(), /^21°30\.\d{3}'N 157°49\.\d{3}'W/);
  await page.mouse.click(box.x + x, box.y + y);
  const report = page.locator('[data-testid=pick-panel] [data-testid=feature-report]');
  await report.waitFor({ timeout: 10000 });
  const buoy = report.locator('details.feature[data-class="Buoy, lateral (BOYLAT)"]').filter({ hasText: BUOY.name });
  await buoy.locator('summary').click();
  const text = await buoy.textContent();
  assert.match(text, /CATLAM/);
  assert.match(text, /starboard/i);
  await page.screenshot({ path: path.join(artifacts, 'chart-view-buoy.png') });
  assert.deepEqual(pageErrors, []);
});
