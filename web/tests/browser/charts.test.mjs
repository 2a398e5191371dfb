// The chart library in a real browser: headless Chromium against `tarnwick
// run` on an empty data folder. A chart folder typed on the chart manager
// page is built in the background and listed with its scale and state; its
// properties open; a chart with a failed update shows the update's text; a
// click on the plot over the chart answers with the chart's information and
// the features there with their attributes; a folder is removed again.
// Screenshots go to the artefacts folder.
// Arguments: --tarnwick PATH, --artifacts DIR.

import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { copyFile, mkdir } from 'node:fs/promises';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { openChromium } from './browser.mjs';
import { startProgram } from './program.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const CHARTS = path.resolve(here, '../../../charts/tests/data');
const args = process.argv.slice(2);
const arg = (name) => (args.includes(name) ? args[args.indexOf(name) + 1] : undefined);
const artifacts = path.resolve(arg('--artifacts') ?? 'browser-artifacts');

let program;
let browser;
let page;
let url;
let arctic;
const pageErrors = [];

before(async () => {
  await mkdir(artifacts, { recursive: true });
  const tarnwick = arg('--tarnwick');
  if (!tarnwick) throw new Error('give --tarnwick PATH');
  // A cell whose update 3 is really update 4: it cannot be applied.
  const prepare = async (temp) => {
    arctic = path.join(temp, 'arctic');
    await mkdir(arctic, { recursive: true });
    const set = path.join(CHARTS, 's57/noaa_US1AK90M_exchange_set/ENC_ROOT/US1AK90M');
    for (const [from, to] of [['000', '000'], ['001', '001'], ['002', '002'], ['004', '003']])
      await copyFile(path.join(set, `US1AK90M.${from}`), path.join(arctic, `US1AK90M.${to}`));
  };
  program = await startProgram(tarnwick, path.join(artifacts, 'charts-tarnwick-output.txt'), { voyage: null, prepare });
  url = program.url;
  browser = await openChromium({ width: 1280, height: 800 }, pageErrors);
  ({ page } = browser);
});

after(async () => {
  await browser?.close();
  await program?.stop();
});

async function addFolder(folder) {
  await page.fill('[data-testid=chart-folder-input]', folder);
  await page.click('[data-testid=chart-folder-add]');
}

const row = (name) => page.locator(`[data-testid=charts-table] tr[data-chart="${name}"]`);

test('a chart folder added on the page is built and listed', async () => {
  await page.goto(`${url}charts`);
  await page.waitForSelector('[data-testid=chart-sources]');
  await addFolder(path.join(CHARTS, 's57/noaa_US5HA57M_exchange_set'));
  await addFolder(arctic);
  await row('US5HA57M').and(page.locator('[data-status=ready]')).waitFor({ timeout: 120000 });
  await row('US1AK90M').and(page.locator('[data-status=ready]')).waitFor({ timeout: 120000 });
  const cells = await row('US5HA57M').locator('td').allTextContents();
  assert.match(cells[1], /Vector/);
  assert.match(cells[2], /^1:\d{1,3}(,\d{3})*$/);
  assert.match(cells[3], /^Edition \d+/);
  assert.match(await row('US1AK90M').locator('td.state').textContent(), /US1AK90M\.003 failed: Can't apply update 4 to update 2\./);
  assert.equal(await page.locator('[data-testid=chart-sources] li').count(), 2);
  await page.waitForFunction(() => document.querySelector('[data-testid=chart-progress]')?.textContent.includes('up to date'));

  await row('US5HA57M').getByRole('button', { name: 'Properties' }).click();
  const properties = page.locator('[data-testid=chart-properties]');
  await properties.waitFor();
  const text = await properties.textContent();
  for (const name of ['Name', 'Source', 'Edition', 'IntendedUsage', 'Projection', 'Datum', 'VerticalDatum', 'SoundingDatum', 'Depth Units'])
    assert.ok(text.includes(name), `${name} in ${text}`);
  assert.match(text, /Vector Chart \(1:/);
  await page.screenshot({ path: path.join(artifacts, 'charts-manager.png'), fullPage: true });
});

test('a click on the plot over the chart shows its information and the features there', async () => {
  await row('US5HA57M').getByRole('button', { name: 'Show' }).click();
  await page.waitForSelector('[data-testid=map]:not([hidden])');
  const map = page.locator('[data-testid=map]');
  await page.waitForTimeout(500);
  const box = await map.boundingBox();
  await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
  const panel = page.locator('[data-testid=pick-panel]');
  await panel.locator('[data-testid=feature-report]').waitFor({ timeout: 10000 });
  assert.match(await panel.locator('[data-testid=chart-info] summary').textContent(), /US5HA57M/);
  const report = await panel.locator('[data-testid=feature-report]').textContent();
  assert.match(report, /US5HA57M 1:/);
  // Every point of the cell lies in a depth area or on land; values carry their meanings.
  assert.match(report, /\((DEPARE|LNDARE|DRGARE)\)/);
  await page.screenshot({ path: path.join(artifacts, 'charts-pick.png') });
});

test('a folder is removed with its charts', async () => {
  await page.goto(`${url}charts`);
  await row('US1AK90M').waitFor();
  await page.locator(`[data-testid=chart-sources] li[data-path="${arctic}"] button`).click();
  await row('US1AK90M').waitFor({ state: 'detached' });
  assert.equal(await page.locator('[data-testid=chart-sources] li').count(), 1);
  await addFolder('/no/such/folder');
  await page.waitForSelector('[data-testid=chart-error]:not([hidden])');
  assert.match(await page.locator('[data-testid=chart-error]').textContent(), /does not exist/);
  assert.deepEqual(pageErrors, []);
});
