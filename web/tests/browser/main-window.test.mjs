// The main window in a real browser against the running demo: headless
// Chromium driven by Playwright. Arguments: --tarnwick PATH (the program to
// start) or --url URL (a program already running), --artifacts DIR
// (screenshots and the program's output).

import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdir } from 'node:fs/promises';
import dgram from 'node:dgram';
import path from 'node:path';
import { openChromium } from './browser.mjs';
import { startProgram } from './program.mjs';

const args = process.argv.slice(2);
const arg = (name) => (args.includes(name) ? args[args.indexOf(name) + 1] : undefined);
const artifacts = path.resolve(arg('--artifacts') ?? 'browser-artifacts');
// The demo needs a little while for its first fix and for a target to close in.
const LIVE_MS = 45000;
const DANGER_MS = 180000;

let program;
let browser;
let page;
let url;
const pageErrors = [];

before(async () => {
  await mkdir(artifacts, { recursive: true });
  if (arg('--url')) url = arg('--url');
  else {
    const tarnwick = arg('--tarnwick');
    if (!tarnwick) throw new Error('give --tarnwick PATH or --url URL');
    program = await startProgram(tarnwick, path.join(artifacts, 'tarnwick-output.txt'));
    url = program.url;
  }
  browser = await openChromium({ width: 1400, height: 860 }, pageErrors);
  ({ page } = browser);
});

after(async () => {
  await browser?.close();
  await program?.stop();
});

const menuLink = (name) => page.getByRole('navigation', { name: 'Pages' }).getByRole('link', { name, exact: true });
const text = (testid) => page.getByTestId(testid).first().textContent();
// "$" + body + "*hh" with the NMEA checksum.
const sentence = (body) => {
  let sum = 0;
  for (const c of body) sum ^= c.charCodeAt(0);
  return `$${body}*${sum.toString(16).toUpperCase().padStart(2, '0')}\r\n`;
};
// Flips a boolean setting on the settings page and waits for it to be saved.
const flipSetting = async (group, name) => {
  await menuLink('Settings').click();
  await page.locator(`button[data-group=${group}]`).click();
  const row = page.locator(`[data-setting=${name}]`);
  await row.locator('.switch').click();
  await row.getByText('Saved').waitFor();
};
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
  assert.match(await text('demo-banner'), /Simulated: .*own ship.*AIS traffic/);
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

test('a collision warning is acknowledged from the list, a target set aside and taken back', async () => {
  await menuLink('Plot').click();
  const ack = page.locator('tr[data-testid=ais-row] [data-testid=ais-ack]').first();
  await ack.waitFor({ timeout: DANGER_MS });
  const mmsi = await ack.evaluate((button) => button.closest('tr').dataset.mmsi);
  const same = page.locator(`tr[data-testid=ais-row][data-mmsi="${mmsi}"]`);
  await same.locator('[data-testid=ais-ack]').click();
  await same.getByText('Dangerous (acknowledged)').waitFor({ timeout: 5000 });
  assert.equal(await same.locator('[data-testid=ais-ack]').count(), 0, 'no second acknowledgement');

  await same.locator('[data-testid=ais-set-aside]').click();
  await same.waitFor({ state: 'detached', timeout: 5000 });
  await page.getByTestId('ais-aside').getByText('1 set aside').waitFor({ timeout: 10000 });
  await page.getByTestId('ais-aside').click();
  await page.getByTestId('ais-aside-list').locator(`li[data-mmsi="${mmsi}"]`).getByRole('button', { name: 'Take back' }).click();
  await same.waitFor({ timeout: 10000 });
});

test('class B targets follow AIS_ShowClassBTargets in the list', async () => {
  const classB = page.locator('tr[data-testid=ais-row][data-class=B]');
  await classB.first().waitFor({ timeout: LIVE_MS });
  await flipSetting('AIS', 'AIS_ShowClassBTargets');
  assert.equal(await readOption('AIS_ShowClassBTargets'), 'false');
  await page.waitForFunction(() => !document.querySelector('tr[data-testid=ais-row][data-class=B]'), null, { timeout: 5000 });
  await flipSetting('AIS', 'AIS_ShowClassBTargets');
  await classB.first().waitFor({ timeout: 5000 });
  await menuLink('Plot').click();
});

test('equipment alarms and NAVTEX from a port: lists, acknowledgement to the device, the logbook', async () => {
  // The test's end of a UDP link: the program listens on one port and answers to ours.
  const ours = dgram.createSocket('udp4');
  await new Promise((resolve) => ours.bind(0, '127.0.0.1', resolve));
  const probe = dgram.createSocket('udp4');
  await new Promise((resolve) => probe.bind(0, '127.0.0.1', resolve));
  const programPort = probe.address().port;
  probe.close();
  const received = [];
  ours.on('message', (m) => received.push(m.toString()));
  const send = (text) => new Promise((resolve) => ours.send(text, programPort, '127.0.0.1', resolve));
  try {
    await menuLink('Ports').click();
    await page.getByRole('button', { name: 'Add port…' }).click();
    const form = page.locator('form.port-form');
    await form.getByLabel('Address').fill(`udp://127.0.0.1:${ours.address().port}?local=${programPort}`);
    await form.getByLabel('Label').fill('Bridge');
    await form.locator('[data-field=driver]').selectOption('actisense');
    await form.getByRole('button', { name: 'Save' }).click();
    await page.getByText('NMEA 2000 gateways (driver "actisense") are not supported yet').waitFor();
    await form.locator('[data-field=driver]').selectOption('nmea');
    await form.locator('[data-field=headingCorrection]').fill('2.5');
    await form.getByRole('button', { name: 'Save' }).click();
    await page.locator('.ports-page p.status', { hasText: 'Saved.' }).waitFor();
    const ports = await (await page.request.get(`${url}api/ports`)).json();
    assert.equal(ports.find((p) => p.label === 'Bridge')?.headingCorrection, 2.5);

    // 55 alarms (more than one page of the logbook) and a NAVTEX message.
    await menuLink('Logbook').click();
    await page.getByTestId('log-entries').locator('a').first().waitFor();
    const alarms = Array.from({ length: 55 }, (_, i) => sentence(`IIALR,120000.00,${String(i + 1).padStart(3, '0')},A,V,Bilge alarm ${i + 1}`));
    const navtex = sentence('CRNRX,001,001,00,FA12,1,120000.00,12,06,2021,0,0,A,GALE WARNING SEA AREA 7');
    for (let tries = 0; tries < 20; tries++) {
      for (let i = 0; i < alarms.length; i += 10) await send(alarms.slice(i, i + 10).join(''));
      await send(navtex);
      const r = await page.request.get(`${url}api/alarms`);
      if ((await r.json()).alarms.length >= 55) break;
      await new Promise((r) => setTimeout(r, 500));
    }
    // The open logbook page shows them without being reloaded.
    await page.getByTestId('log-entries').getByText('Bilge alarm 55').first().waitFor({ timeout: 10000 });
    const older = page.getByTestId('log-entries').locator('input[ref="browser:log?page=1"]');
    await older.waitFor();
    await older.click();
    await page.getByTestId('log-newest').waitFor({ state: 'visible' });
    await page.getByTestId('log-newest').click();
    await page.getByTestId('log-newest').waitFor({ state: 'hidden' });
    await page.getByTestId('log-entries').locator('a[href^="browser:log?parent="]').first().click();
    await page.getByTestId('log-newest').waitFor({ state: 'visible' });

    await menuLink('Alarms').click();
    const first = page.getByTestId('alarm-list').locator('tr', { hasText: 'Bilge alarm 1' }).first();
    await first.getByText('Not Acknowledged').waitFor({ timeout: 10000 });
    await first.getByRole('button', { name: 'Acknowledge' }).click();
    await page.getByTestId('alarms-status').getByText('sent to the equipment').waitFor();
    for (let i = 0; i < 50 && !received.some((m) => m.includes('$ECACK,001*52')); i++) await new Promise((r) => setTimeout(r, 100));
    assert.ok(received.some((m) => m.includes('$ECACK,001*52')), `ACK not received: ${received.join(' | ')}`);

    await menuLink('NAVTEX').click();
    const message = page.getByTestId('navtex-list').locator('article[data-code=FA12]');
    await message.getByText('GALE WARNING SEA AREA 7').waitFor({ timeout: 10000 });
    assert.match(await message.textContent(), /Navigational warning/);
    await page.screenshot({ path: path.join(artifacts, 'navtex.png') });
  } finally {
    ours.close();
  }
});

test('recordings: a play link plays, Pause then Play resumes, Show Files tells the folder', async () => {
  await menuLink('Recordings').click();
  const link = page.getByTestId('recording-days').locator('a[href^="play?"]').first();
  await link.waitFor({ timeout: 15000 });
  await link.click();
  await page.getByTestId('player-state').getByText('playing').waitFor({ timeout: 10000 });
  await page.getByTestId('player-pause').click();
  await page.getByTestId('player-state').getByText('paused').waitFor({ timeout: 10000 });
  const paused = (await text('player-time')).trim();
  await page.getByTestId('player-play').click();
  await page.getByTestId('player-state').getByText('playing').waitFor({ timeout: 10000 });
  const resumed = (await text('player-time')).trim();
  assert.ok(resumed >= paused, `resumed at ${resumed}, paused at ${paused}`);
  await page.getByTestId('recording-days').locator('input[ref="show-voyage-recording-files"]').click();
  await page.getByTestId('recordings-folder').getByText('Recordings folder:').waitFor();
  assert.match(await text('recordings-folder'), /Demo recording/);
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

test('the demo switches from the harbour voyage to the archipelago sail', { skip: !arg('--tarnwick') && 'only with a program of our own' }, async () => {
  await menuLink('Plot').click();
  const latitude = () => page.evaluate(() => document.querySelector('[data-testid=position]').textContent.trim());
  await page.waitForFunction(() => /^21°/.test(document.querySelector('[data-testid=position]').textContent.trim()), null, { timeout: LIVE_MS });
  await page.screenshot({ path: path.join(artifacts, 'main-window-harbour.png') });
  await page.getByTestId('demo-voyage').selectOption('sail');
  await page.getByTestId('demo-banner').getByText(/Recorded: .*Finnish archipelago/).waitFor({ timeout: LIVE_MS });
  await page.waitForFunction(() => /^60°/.test(document.querySelector('[data-testid=position]').textContent.trim()), null, { timeout: LIVE_MS });
  assert.match(await latitude(), /^60°/);
  await page.getByTestId('demo-voyage').selectOption('harbour');
  await page.waitForFunction(() => /^21°/.test(document.querySelector('[data-testid=position]').textContent.trim()), null, { timeout: LIVE_MS });
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
