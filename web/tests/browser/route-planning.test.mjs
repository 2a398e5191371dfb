// Route planning on the plot in a real browser: draws a three-point route
// with the mouse, renames it in the property panel, deletes it from the
// context menu, brings it back with Ctrl+Z and activates it; the program's
// list must agree at each step. A locked mark moves only when the navigator
// agrees to unlock it. Then man overboard from the keyboard: the alarm shows
// until it is acknowledged on the page. Arguments: --tarnwick PATH (the program to
// start on a scratch data folder) or --url URL, --artifacts DIR (screenshots).

import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdir } from 'node:fs/promises';
import path from 'node:path';
import { openChromium } from './browser.mjs';
import { startProgram } from './program.mjs';

const args = process.argv.slice(2);
const arg = (name) => (args.includes(name) ? args[args.indexOf(name) + 1] : undefined);
const artifacts = path.resolve(arg('--artifacts') ?? 'browser-artifacts');
const NAME = 'Harbour Passage';

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
    program = await startProgram(tarnwick, path.join(artifacts, 'route-planning-output.txt'));
    url = program.url;
  }
  browser = await openChromium({ width: 1400, height: 860 }, pageErrors);
  ({ page } = browser);
});

after(async () => {
  await browser?.close();
  await program?.stop();
});

const shot = (name) => page.screenshot({ path: path.join(artifacts, `planning-${name}.png`) });
// The program's list of objects, read as the page reads it.
async function navObjects() {
  const r = await page.request.get(`${url}api/navobjects`);
  assert.equal(r.status(), 200);
  return r.json();
}
const routeIn = (list, id) => (list.routes ?? list.objects ?? []).find((o) => o.id === id);

test('a route drawn on the plot is renamed, deleted, restored by undo and activated', async () => {
  await page.goto(url);
  const map = page.getByTestId('map');
  await map.waitFor();
  // Stop following the ship so the chart stays where the points are clicked.
  const follow = page.getByTestId('follow');
  await page.waitForTimeout(1500);
  if ((await follow.getAttribute('class'))?.includes('on')) await follow.click();
  const box = await map.boundingBox();
  const cx = box.x + box.width / 2;
  const cy = box.y + box.height / 2;
  const points = [[cx - 180, cy - 60], [cx, cy + 90], [cx + 170, cy - 30]];

  await page.locator('[data-tool=route]').click();
  for (const [x, y] of points) {
    await page.mouse.click(x, y);
    await page.waitForTimeout(250);
  }
  const created = page.waitForResponse((r) => r.url().endsWith('/api/navobjects') && r.request().method() === 'POST');
  await page.keyboard.press('Enter');
  const createdResponse = await created;
  assert.equal(createdResponse.status(), 201, await createdResponse.text());
  const { id } = await createdResponse.json();
  assert.ok(id, 'the program names the new route');

  // The new route is selected: the panel lists its legs, and the program holds three points.
  const panel = page.getByTestId('property-panel');
  await panel.getByTestId('route-table').locator('tbody tr').nth(1).waitFor();
  assert.equal(await panel.getByTestId('route-table').locator('tbody tr').count(), 2);
  assert.equal(routeIn(await navObjects(), id)?.points?.length, 3);
  assert.match(await panel.getByTestId('route-total').textContent(), /^\d+\.\d\d nm$/);
  await shot('1-drawn');

  const name = panel.locator('input[data-property=Name]');
  await name.fill(NAME);
  await name.press('Enter');
  await panel.locator('h2', { hasText: NAME }).waitFor();
  assert.equal(routeIn(await navObjects(), id)?.name, NAME);
  await shot('2-renamed');

  // Delete from the context menu of the route's middle point.
  await page.mouse.click(points[1][0], points[1][1], { button: 'right' });
  const menu = page.getByTestId('object-menu');
  await menu.getByText(`Route: ${NAME}`).waitFor();
  await shot('3-menu');
  await menu.getByRole('menuitem', { name: 'Delete' }).click();
  await page.getByTestId('deleted-list').locator(`[data-deleted="${id}"]`).waitFor({ state: 'attached' });
  assert.equal(routeIn(await navObjects(), id), undefined, 'a deleted route leaves the list of routes');

  await page.locator('body').click({ position: { x: 5, y: 5 } });
  await page.keyboard.press('Control+z');
  await page.getByTestId('deleted-list').locator(`[data-deleted="${id}"]`).waitFor({ state: 'detached' });
  const restored = routeIn(await navObjects(), id);
  assert.equal(restored?.name, NAME, 'undo brings the route back with its name');
  assert.equal(restored?.points?.length, 3);
  await shot('4-undone');

  await page.mouse.click(points[0][0], points[0][1], { button: 'right' });
  await menu.getByRole('menuitem', { name: 'Activate' }).click();
  await page.getByTestId('route-name').filter({ hasText: NAME }).waitFor({ timeout: 15000 });
  await page.waitForTimeout(1000);
  await shot('5-active');
  assert.deepEqual(pageErrors, []);
});

test('dragging a locked mark asks first and moves it only when the navigator agrees', async () => {
  const box = await page.getByTestId('map').boundingBox();
  const at = [box.x + box.width / 2 - 120, box.y + box.height - 120];
  await page.locator('[data-tool=mark]').click();
  const created = page.waitForResponse((r) => r.url().endsWith('/api/navobjects') && r.request().method() === 'POST');
  await page.mouse.click(at[0], at[1]);
  const { id } = await (await created).json();
  await page.getByTestId('property-panel').locator('input[data-property=LockPosition]').check();
  await page.getByText('LockPosition changed.').waitFor();
  const mark = async () => (await navObjects()).marks.find((m) => m.id === id);
  const start = await mark();
  const prompts = [];
  let agree = false;
  const answer = (dialog) => {
    prompts.push(dialog.message());
    return agree ? dialog.accept() : dialog.dismiss();
  };
  page.on('dialog', answer);
  const drag = async () => {
    await page.mouse.move(at[0], at[1]);
    await page.mouse.down();
    await page.mouse.move(at[0] + 40, at[1] - 20, { steps: 6 });
    await page.mouse.up();
    await page.waitForTimeout(1000);
  };
  await drag();
  assert.deepEqual([(await mark()).lat, (await mark()).lon], [start.lat, start.lon], 'refused: the mark stays');
  agree = true;
  await drag();
  const moved = await mark();
  page.off('dialog', answer);
  assert.deepEqual(prompts, Array(2).fill('The object you are trying to drag is locked. Would you like to unlock it?'));
  assert.ok(moved.lon > start.lon && moved.lat > start.lat, 'agreed: the mark moves north-east');
  assert.equal(await page.getByTestId('property-panel').locator('input[data-property=LockPosition]').isChecked(), false);
});

test('Ctrl+M drops a MOB mark, navigates to it and the alarm shows until acknowledged', async () => {
  await page.locator('body').click({ position: { x: 5, y: 5 } });
  const raised = page.waitForResponse((r) => r.url().endsWith('/api/mob') && r.request().method() === 'POST');
  await page.keyboard.press('Control+m');
  const response = await raised;
  assert.equal(response.status(), 201, await response.text());
  const { id } = await response.json();
  const alarm = page.getByTestId('mob-alarm');
  await alarm.waitFor();
  await page.getByTestId('route-waypoint').filter({ hasText: /MOB/ }).waitFor({ timeout: 15000 });
  const mark = (await navObjects()).marks.find((m) => m.id === id);
  assert.match(mark?.name ?? '', /^MOB \d\d:\d\d:\d\d$/);
  await shot('6-mob');
  await page.getByTestId('mob-acknowledge').click();
  await alarm.waitFor({ state: 'hidden' });
  const state = await (await page.request.get(`${url}api/mob`)).json();
  assert.deepEqual([state.active, state.acknowledged], [true, true]);
  assert.deepEqual(pageErrors, []);
});
