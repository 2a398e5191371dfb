// Starts `tarnwick run` (on a demo voyage or not) in a data folder of its own on a free port,
// with its runtime and configuration folders isolated, and stops it again.

import { spawn, execFile } from 'node:child_process';
import { mkdir, mkdtemp, rm } from 'node:fs/promises';
import { createWriteStream } from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { promisify } from 'node:util';

const run = promisify(execFile);

export function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

// Resolves when url answers 200, or rejects after timeoutMs.
export async function waitForHttp(url, timeoutMs, isAlive = () => true) {
  const deadline = Date.now() + timeoutMs;
  let last = '';
  while (Date.now() < deadline) {
    if (!isAlive()) throw new Error('the program exited during start-up');
    try {
      const r = await fetch(url);
      if (r.ok) return;
      last = `HTTP ${r.status}`;
    } catch (e) {
      last = e.message;
    }
    await new Promise((r) => setTimeout(r, 250));
  }
  throw new Error(`${url} did not answer within ${timeoutMs} ms (${last})`);
}

// Starts the program; logPath receives its output. Options: voyage, the demo's
// voyage ("harbour", the default, or "sail"; null: no demo); settings, pairs
// [name, value] set before the start; prepare(temp, data), run before the start
// to put files in place. Result: {url, data, temp, stop()}.
export async function startProgram(tarnwick, logPath, { voyage = 'harbour', settings = [], prepare } = {}) {
  const temp = await mkdtemp(path.join(os.tmpdir(), 'tarnwick-web-'));
  const data = path.join(temp, 'data');
  const env = {
    ...process.env,
    XDG_RUNTIME_DIR: path.join(temp, 'runtime'),
    XDG_CONFIG_HOME: path.join(temp, 'config'),
    XDG_CACHE_HOME: path.join(temp, 'cache'),
    HOME: temp,
    DISPLAY: '',
    WAYLAND_DISPLAY: '',
  };
  for (const dir of [env.XDG_RUNTIME_DIR, env.XDG_CONFIG_HOME]) await mkdir(dir, { recursive: true, mode: 0o700 });
  if (prepare) await prepare(temp, data);
  const port = await freePort();
  for (const [name, value] of [['Network_HttpPort', String(port)], ...settings])
    await run(tarnwick, ['settings', 'set', '--data', data, name, value], { env });

  const log = createWriteStream(logPath);
  const demo = voyage ? ['--demo', voyage] : [];
  const child = spawn(tarnwick, ['run', ...demo, '--no-browser', '--accept-disclaimer', '--data', data], {
    env,
    stdio: ['ignore', 'pipe', 'pipe'],
  });
  child.stdout.pipe(log);
  child.stderr.pipe(log);
  let exited = false;
  child.on('exit', () => (exited = true));
  const url = `http://127.0.0.1:${port}/`;
  try {
    await waitForHttp(url, 60000, () => !exited);
  } catch (e) {
    child.kill('SIGKILL');
    throw e;
  }

  return {
    url,
    data,
    temp,
    async stop() {
      if (!exited) {
        const done = new Promise((resolve) => child.on('exit', resolve));
        child.kill('SIGTERM');
        const timer = setTimeout(() => child.kill('SIGKILL'), 10000);
        await done;
        clearTimeout(timer);
      }
      log.end();
      await rm(temp, { recursive: true, force: true });
    },
  };
}
