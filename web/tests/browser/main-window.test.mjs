// The main window in a real browser against the running demo: headless
// Chromium driven by Playwright. Arguments: --tarnwick PATH (the program to
// start) or --url URL (a program already running), --artifacts DIR
// (screenshots and the program's output).

import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdir, mkdtemp, rm } from 'node:fs/promises';
import { existsSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';
import { startProgram } from './program.mjs';

const args = process.argv.slice(2);
const arg = (name) => (args.includes(name) ? args[args.indexOf(name) + 1] : undefined);
const artifacts = path.resolve(arg('--artifacts') ?? 'browser-artifacts');
const CHROMIUM = process.env.TW_CHROMIUM ?? '/usr/bin/chromium';
const CHROMIUM_ARGS = [
  '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];
// The demo needs a little while for its first fix and for a target to close in.
const LIVE_MS = 45000;
const DANGER_MS = 180000;

let program;
let context;
let page;
let profile;
let url;
const pageErrors = [];

before(async () => {
  await mkdir(artifacts, { recursive: true });
  if (!existsSync(CHROMIUM)) throw new Error(`${CHROMIUM} is missing: run scripts/install-deps.sh`);
  if (arg('--url')) url = arg('--url');
  else {
    const tarnwick = arg('--tarnwick');
    if (!tarnwick) throw new Error('give --tarnwick PATH or --url URL');
    program = await startProgram(tarnwick, path.join(artifacts, 'tarnwick-output.txt'));
    url = program.url;
  }
  profile = await mkdtemp(path.join(os.tmpdir(), 'tarnwick-chromium-'));
  context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    args: CHROMIUM_ARGS,
    viewport: { width: 1400, height: 860 },
  });
  page = context.pages()[0] ?? (await context.newPage());
  page.on('pageerror', (e) => pageErrors.push(e.message));
});

after(async () => {
  await context?.close();
  await program?.stop();
  if (profile) await rm(profile, { recursive: true, force: true });
});

const menuLink = (name) => page.getByRole('navigation', { name: 'Pages' }).getByRole('link', { name, exact: true });
const text = (testid) => page.getByTestId(testid).first().textContent();
const readOption = async (name) => {
  const r = await page.request.get(`${url}options?name=${encodeURIComponent(name)}`);
  assert.equal(r.status(), 200, `GET /options?name=${name}`);
  return String((await r.json()).value);
};

test('the main window loads with its panels and menu', async () => {
  const response = await page.goto(url);
  assert.equal(response.status(), 200);
  assert.equal(await page.title(), 'Tarnwick ECS');
  for (const label of ['Own ship', 'Route monitor', 'AIS targets']) {
    await page.getByRole('region', { name: label }).waitFor();
  }
  for (const link of ['Routes', 'Settings', 'Ports', 'Data', 'Logbook', 'Recordings', 'Storage']) {
    await menuLink(link).waitFor();
  }
  await page.getByTestId('demo-banner').waitFor({ state: 'visible', timeout: LIVE_MS });
  assert.match(await text('demo-banner'), /Recorded: .+Simulated: /);
});

test('the own-ship position appears and changes', async () => {
  const position = page.getByTestId('position');
  await page.waitForFunction(() => {
    const el = document.querySelector('[data-testid=position]');
    return el && el.textContent.trim() !== '---';
  }, null, { timeout: LIVE_MS });
  const first = (await position.textContent()).trim();
  assert.notEqual(await text('fix-status'), 'NO GPS');
  await page.waitForFunction(
    (was) => {
      const now = document.querySelector('[data-testid=position]').textContent.trim();
      return now !== was && now !== '---';
    },
    first,
    { timeout: LIVE_MS },
  );
  assert.notEqual(await text('value-sog'), '---', 'SOG shown while the fix is current');
});

test('a dangerous target is flagged in the list', async () => {
  const row = page.locator('tr[data-testid=ais-row].danger').first();
  await row.waitFor({ timeout: DANGER_MS });
  const mmsi = await row.getAttribute('data-mmsi');
  assert.match(mmsi, /^\d{9}$/);
  assert.match(await row.textContent(), /⚠/);
  // The target's own page opens from the row and answers from the program.
  await row.click();
  await page.waitForURL(`**/ais/${mmsi}`);
  await page.locator('.page-area').getByRole('cell', { name: mmsi, exact: true }).first().waitFor();
  await page.goBack();
});

test('a route activated from the routes page shows in the route monitor', async () => {
  await menuLink('Routes').click();
  await page.waitForURL('**/routes');
  const firstRoute = page.locator('tr[data-route]').first();
  await firstRoute.waitFor({ timeout: 15000 });
  // A route already active is stopped first, so that this page activates it.
  const stop = firstRoute.getByRole('button', { name: 'Stop Navigation' });
  if (await stop.count()) {
    await stop.click();
    await page.locator('[data-testid=route-name]').waitFor({ state: 'hidden', timeout: 15000 });
  }
  const activate = firstRoute.getByTestId('activate-route');
  await activate.waitFor({ timeout: 15000 });
  await activate.click();
  await page.waitForFunction(() => {
    const el = document.querySelector('[data-testid=route-waypoint]');
    return el && el.offsetParent !== null && el.textContent.startsWith('To ');
  }, null, { timeout: 20000 });
  await page.waitForFunction(() => document.querySelector('[data-testid=route-dtw]').textContent.trim() !== '---', null, { timeout: 20000 });
  assert.notEqual((await text('route-name')).trim(), '');
});

test('a setting changed on the settings page reads back through /options', async () => {
  const name = 'AIS_ShowVesselNames';
  const before = await readOption(name);
  await menuLink('Settings').click();
  await page.locator('button[data-group=AIS]').click();
  const row = page.locator(`[data-setting=${name}]`);
  await row.locator('.switch').click();
  await row.getByText('Saved').waitFor();
  const after = await readOption(name);
  const truthy = (v) => /^(true|yes|on|[1-9]\d*)$/i.test(v.trim());
  assert.notEqual(truthy(after), truthy(before), `${name}: ${before} -> ${after}`);
  await row.locator('.switch').click();
  await row.getByText('Saved').waitFor();
  assert.equal(truthy(await readOption(name)), truthy(before));
});

test('the night scheme turns the page dark and red, and is stored', async () => {
  await menuLink('Plot').click();
  await page.screenshot({ path: path.join(artifacts, 'main-window-day.png') });
  await page.locator('button[data-choose-scheme=night]').click();
  await page.waitForFunction(() => document.documentElement.dataset.scheme === 'night');
  assert.equal(await readOption('S52_ColorMode'), 'night');
  // No white and no blue light anywhere on the page at night.
  const offenders = await page.evaluate(() => {
    const parse = (c) => (c.match(/[\d.]+/g) || []).map(Number);
    const bad = [];
    for (const el of document.querySelectorAll('body *')) {
      if (!el.getClientRects().length || el.closest('iframe')) continue;
      const style = getComputedStyle(el);
      for (const prop of ['color', 'background-color']) {
        const [r, g, b, a = 1] = parse(style[prop]);
        if (a === 0 || (prop === 'color' && !el.textContent.trim())) continue;
        if (b > r + 8 || Math.min(r, g, b) > 160) bad.push(`${el.tagName}.${el.className} ${prop} ${style[prop]}`);
      }
    }
    return bad.slice(0, 10);
  });
  assert.deepEqual(offenders, []);
  const background = await page.evaluate(() => getComputedStyle(document.body).backgroundColor);
  assert.equal(background, 'rgb(0, 0, 0)');
  await page.screenshot({ path: path.join(artifacts, 'main-window-night.png') });
  await page.locator('button[data-choose-scheme=day]').click();
  await page.waitForFunction(() => document.documentElement.dataset.scheme === 'day');
  await page.screenshot({ path: path.join(artifacts, 'main-window.png') });
});

test('when the program stops, no value stays on the page as current', { skip: !arg('--tarnwick') && 'only with a program of our own' }, async () => {
  await page.waitForFunction(() => document.querySelector('[data-testid=position]').textContent.trim() !== '---', null, { timeout: LIVE_MS });
  await program.stop();
  program = undefined;
  // The hold time is 5 s; the page re-checks every second.
  await page.waitForFunction(
    () => {
      const get = (id) => document.querySelector(`[data-testid=${id}]`).textContent.trim();
      return get('position') === '---' && get('value-sog') === '---' && get('value-cog') === '---' && get('fix-status') === 'LOST GPS';
    },
    null,
    { timeout: 9000 },
  );
  assert.ok(await page.locator('[data-testid=fix-status].alarm').isVisible());
  await page.getByTestId('connection').getByText('No connection to the program').waitFor({ timeout: 5000 });
  await page.screenshot({ path: path.join(artifacts, 'main-window-stopped.png') });
});

test('no script errors on the page', () => {
  assert.deepEqual(pageErrors, []);
});
