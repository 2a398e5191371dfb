// Builds the front end: bundles src/main.js (with OpenLayers) and its CSS into
// assets/, copies index.html and the icon. Usage: node build.mjs [--outdir DIR] [--dev]
// (default outdir: dist/ beside this file).

import { mkdir, copyFile, rm } from 'node:fs/promises';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const args = process.argv.slice(2);
const outIndex = args.indexOf('--outdir');
const outdir = path.resolve(outIndex >= 0 && args[outIndex + 1] ? args[outIndex + 1] : path.join(here, 'dist'));
const dev = args.includes('--dev');

let esbuild;
try {
  esbuild = await import('esbuild');
} catch {
  console.error(`The front end's packages are not installed in ${path.join(here, 'node_modules')}.\n` +
    'Run scripts/install-deps.sh (or "npm ci" in web/) first.');
  process.exit(1);
}

await rm(path.join(outdir, 'assets'), { recursive: true, force: true });
await mkdir(path.join(outdir, 'assets'), { recursive: true });
try {
  await esbuild.build({
    absWorkingDir: here,
    entryPoints: { app: 'src/main.js' },
    bundle: true,
    format: 'esm',
    target: ['chrome110', 'firefox115'],
    minify: !dev,
    sourcemap: true,
    outdir: path.join(outdir, 'assets'),
    logLevel: 'warning',
    legalComments: 'linked',
  });
} catch {
  process.exit(1);
}
for (const file of ['index.html', 'favicon.svg']) await copyFile(path.join(here, file), path.join(outdir, file));
console.log(`Front end built in ${outdir}`);
