// Opens headless Chromium (TW_CHROMIUM or Debian's /usr/bin/chromium) on a
// profile folder of its own, for the browser tests.

import { mkdtemp, rm } from 'node:fs/promises';
import { existsSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';

const CHROMIUM = process.env.TW_CHROMIUM ?? '/usr/bin/chromium';
const CHROMIUM_ARGS = [
  '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];

// viewport: {width, height} in CSS pixels; the page's script errors are
// pushed onto pageErrors. Result: {context, page, close()}.
export async function openChromium(viewport, pageErrors) {
  if (!existsSync(CHROMIUM)) throw new Error(`${CHROMIUM} is missing: run scripts/install-deps.sh`);
  const profile = await mkdtemp(path.join(os.tmpdir(), 'tarnwick-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM,
    headless: true,
    args: CHROMIUM_ARGS,
    viewport,
    deviceScaleFactor: 1,
  });
  const page = context.pages()[0] ?? (await context.newPage());
  page.on('pageerror', (e) => pageErrors.push(e.message));
  return {
    context,
    page,
    async close() {
      await context.close();
      await rm(profile, { recursive: true, force: true });
    },
  };
}
