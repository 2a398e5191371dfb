// A small stand-in for the program's HTTP server, for working on the page
// without a running program: serves a built front end and a moving own ship,
// three AIS targets (one dangerous), a route and the settings.
// Usage: node tests/mock/server.mjs [--port N] [--root DIR]

import http from 'node:http';
import { readFile } from 'node:fs/promises';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const args = process.argv.slice(2);
const opt = (name, fallback) => (args.includes(name) ? args[args.indexOf(name) + 1] : fallback);
const port = Number(opt('--port', 8300));
const root = path.resolve(opt('--root', path.join(here, '../../dist')));

const settings = {
  S52_ColorMode: { kind: 'text', value: '', default: '' },
  AIS_FlashLostAndDangerousTargets: { kind: 'bool', value: 'yes', default: 'yes' },
  AIS_ShowVesselNames: { kind: 'bool', value: 'yes', default: 'yes' },
  AIS_DangerCPA: { kind: 'length', value: '0.25 nm', default: '0.25 nm', units: ['nm', 'm', 'ft'] },
  Units_LocationFormat: { kind: 'choice', value: 'dm', default: 'dm', choices: [{ value: 'dm', label: 'Degrees and minutes' }, { value: 'd', label: 'Degrees' }] },
  Default_HeadingLineColor: { kind: 'color', value: 'black', default: 'black' },
  Admin_LoginType: { kind: 'choice', value: 'none', default: 'none', locked: true, choices: [{ value: 'none', label: 'None' }] },
};
const route = { id: '{5f1c0d3e-0000-4000-8000-000000000001}', name: 'Plaka to Milos', points: [
  { id: 'p1', name: 'Start', lat: 36.74, lon: 24.40 }, { id: 'p2', name: 'Kleftiko', lat: 36.64, lon: 24.36 }, { id: 'p3', name: 'Adamas', lat: 36.72, lon: 24.44 }] };
let active = false;
let wp = 1;
const clients = new Set();
const start = Date.now();

function ownship() {
  const t = (Date.now() - start) / 1000;
  const lat = 36.745 - t * 0.00002;
  const lon = 24.41 + t * 0.00001;
  const v = (x, text) => ({ v: x, text, age: 300 });
  return {
    seq: Math.floor(t * 2), utcMs: Date.now(),
    fix: { quality: 1, text: 'GPS FIX', source: 'GPS on Demo', lat, lon, position: `${lat.toFixed(5)} N  ${lon.toFixed(5)} E`, age: 200, hdop: 1.2 },
    cog: v(205, '205°T'), sog: v(5.6, '5.6 kn'), headingTrue: v(203, '203°T'), headingMagnetic: v(198, '198°M'),
    stw: v(5.4, '5.4 kn'), depth: v(42.5, '42.5 m'), wind: { apparentSpeed: v(14, '14.0 kn'), apparentAngle: v(40, '40° S'), trueSpeed: v(11, '11.0 kn'), trueDirection: v(330, '330°T') },
    sensors: { pos: [{ id: 'pos-1', label: 'GPS on Demo (HDOP=1.20)', selected: true }, { id: 'dr', label: 'Dead Reckoning', selected: false }], autoSelect: true, selected: 'pos-1' },
  };
}
function targets() {
  const own = ownship().fix;
  return [
    { mmsi: 239123000, name: 'BLUE STAR PAROS', class: 'A', lat: own.lat - 0.02, lon: own.lon + 0.01, cog: 20, sog: 18, heading: 21, rangeNm: 1.3, bearing: 160, range: '1.30 nm', bearingText: '160°T', cpaNm: 0.05, tcpaMin: 4.2, cpa: '0.05 nm', tcpa: '4.2 min', state: 2, stateText: 'Dangerous', dangerous: true, lost: false, reportMs: performance.now() - 2000,
      cpaPosition: { lat: own.lat - 0.004, lon: own.lon + 0.001 }, ownCpaPosition: { lat: own.lat - 0.005, lon: own.lon + 0.0005 } },
    { mmsi: 237456000, name: 'AGIOS NIKOLAOS', class: 'B', lat: own.lat + 0.03, lon: own.lon - 0.02, cog: 300, sog: 6, rangeNm: 2.1, bearing: 330, range: '2.10 nm', bearingText: '330°T', cpaNm: 1.9, tcpaMin: -2, cpa: '1.90 nm', tcpa: '', state: 0, stateText: '', reportMs: performance.now() - 5000 },
    { mmsi: 538009000, name: '', class: 'A', lat: own.lat + 0.05, lon: own.lon + 0.06, cog: 90, sog: 0, rangeNm: 4.2, bearing: 45, range: '4.20 nm', bearingText: '045°T', state: 4, stateText: 'Lost', lost: true, reportMs: performance.now() - 400000 },
  ];
}
function routeState() {
  if (!active) return null;
  const w = route.points[wp];
  return { routeId: route.id, routeName: route.name, waypoint: { ...w, index: wp }, origin: route.points[wp - 1], dtw: { v: 3.2, text: '3.20 nm', age: 100 }, btw: { v: 198, text: '198°T', age: 100 }, xte: { v: 0.04, text: '0.04 nm', age: 100 }, steer: 'R', ttg: '0:34', eta: '14:52', arrivalRadiusNm: 0.1, legs: route.points, canPrevious: wp > 1, canNext: wp < route.points.length - 1 };
}
function send(res, event, data) {
  res.write(`event: ${event}\ndata: ${JSON.stringify(data)}\n\n`);
}
function broadcast(event, data) {
  for (const c of clients) send(c, event, data);
}
setInterval(() => broadcast('ownship', ownship()), 500);
setInterval(() => { broadcast('ais', { targets: targets(), removed: [], serverMs: performance.now() }); broadcast('route', routeState()); }, 1000);

// Navigation objects: an in-memory model with layers and an undo stack of snapshots.
const nav = { objects: [{ id: 'm1', type: 'Mark', name: 'Anchorage', lat: 36.70, lon: 24.38, layer: 'Marks' }, { ...route, type: 'Route', layer: 'Routes' }], layers: [{ name: 'Marks', visible: true, readOnly: false, scaleMin: 0, expires: 0 }, { name: 'Routes', visible: true, readOnly: false, scaleMin: 0, expires: 0 }], undo: [], redo: [] };
let nextId = 1;
const snapshot = () => JSON.stringify({ objects: nav.objects, layers: nav.layers });
function change(fn) {
  const before = snapshot();
  fn();
  nav.undo.push(before);
  nav.redo = [];
}
function restore(from, to) {
  if (!from.length) return false;
  to.push(snapshot());
  Object.assign(nav, JSON.parse(from.pop()));
  return true;
}
function listNav() {
  const out = { marks: [], routes: [], boundaries: [], rangeBearings: [], annotations: [], deleted: [], layers: nav.layers };
  const key = { Mark: 'marks', Route: 'routes', Boundary: 'boundaries', RangeBearing: 'rangeBearings', Annotation: 'annotations' };
  for (const o of nav.objects) (o.layer === '_deleted' ? out.deleted : out[key[o.type]]).push({ ...o, active: o.active || (o.id === route.id && active) });
  return out;
}
async function navObjects(req, res, p) {
  const text = req.method === 'GET' ? '' : await body(req);
  const b = text ? JSON.parse(text) : {};
  if (p === '/api/mob') {
    change(() => nav.objects.push({ id: `mob${nextId++}`, type: 'Mark', name: 'MOB', ...ownship().fix, layer: 'Marks' }));
    broadcast('notification', { id: 9000 + nextId, kind: 'alarm', text: 'Man overboard!', spoken: true, utcMs: Date.now() });
    return json(res, 200, {});
  }
  if (p === '/api/mob/acknowledge') return json(res, 200, {});
  if (req.method === 'GET') return json(res, 200, listNav());
  if (p === '/api/navobjects/undo') return restore(nav.undo, nav.redo) ? json(res, 200, {}) : json(res, 409, { error: 'Nothing to undo.' });
  if (p === '/api/navobjects/redo') return restore(nav.redo, nav.undo) ? json(res, 200, {}) : json(res, 409, { error: 'Nothing to redo.' });
  if (p === '/api/navobjects') {
    const id = `{mock-${nextId++}}`;
    const points = (b.points ?? []).map(([lat, lon], i) => ({ id: `${id}-${i}`, name: '', lat, lon }));
    change(() => nav.objects.push({ id, type: b.type, name: b.name ?? '', lat: b.lat, lon: b.lon, description: b.description, points, layer: b.layer ?? (b.type === 'Mark' ? 'Marks' : 'Routes') }));
    return json(res, 201, { id });
  }
  const m = /^\/api\/navobjects\/([^/]+)(\/restore|\/reverse)?$/.exec(p);
  const o = m && nav.objects.find((x) => x.id === decodeURIComponent(m[1]) || x.points?.some((pt) => pt.id === decodeURIComponent(m[1])));
  if (!o) return json(res, 404, { error: 'No such object.' });
  if (o.locked && req.method === 'POST' && !m[2] && b.LockPosition === undefined) return json(res, 409, { error: 'The object is locked.' });
  change(() => {
    if (req.method === 'DELETE') [o.fromLayer, o.layer] = [o.layer, '_deleted'];
    else if (m[2] === '/restore') o.layer = o.fromLayer ?? 'Marks';
    else if (m[2] === '/reverse') o.points.reverse();
    else {
      const pt = o.points?.find((x) => x.id === decodeURIComponent(m[1]));
      const target = pt ?? o;
      if (b.Name !== undefined) target.name = b.Name;
      if (b.Position) Object.assign(target, b.Position);
      if (b.LockPosition !== undefined) o.locked = b.LockPosition;
      if (b.Hidden !== undefined) o.hidden = b.Hidden;
    }
  });
  return json(res, 200, {});
}

const types = { '.svg': 'image/svg+xml', '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css', '.map': 'application/json' };
function json(res, status, data) {
  res.writeHead(status, { 'Content-Type': 'application/json' });
  res.end(JSON.stringify(data));
}
async function body(req) {
  let text = '';
  for await (const chunk of req) text += chunk;
  return text;
}

http.createServer(async (req, res) => {
  const url = new URL(req.url, 'http://x');
  const p = url.pathname;
  if (p === '/events') {
    res.writeHead(200, { 'Content-Type': 'text/event-stream', 'Cache-Control': 'no-cache' });
    send(res, 'state', { ownship: ownship(), ais: targets(), route: routeState(), notifications: [{ id: 1, kind: 'warning', text: '#Arrived at end of route[[app://stop_navigation|Stop Navigation]]', spoken: false, utcMs: Date.now() }], demo: { recorded: ['own ship: a recorded sail'], simulated: ['AIS traffic: 3 targets'], loop: true }, colorMode: settings.S52_ColorMode.value, serverTimeMs: Date.now(), serverMs: performance.now() });
    clients.add(res);
    req.on('close', () => clients.delete(res));
    return;
  }
  if (p === '/api/settings') {
    const groups = {};
    for (const [name, s] of Object.entries(settings)) (groups[name.split('_')[0]] ??= []).push({ name, ...s });
    return json(res, 200, Object.entries(groups).map(([group, list]) => ({ group, settings: list })));
  }
  if (p === '/options') {
    if (req.method === 'POST') {
      const form = new URLSearchParams(await body(req));
      const s = settings[form.get('name')];
      if (!s) return json(res, 404, { error: 'unknown setting' });
      if (s.locked) return json(res, 409, { error: 'locked' });
      s.value = form.get('value');
      broadcast('settings', { name: form.get('name'), value: s.value });
      return json(res, 200, { name: form.get('name'), ...s });
    }
    const s = settings[url.searchParams.get('name')];
    return s ? json(res, 200, { name: url.searchParams.get('name'), ...s }) : json(res, 404, {});
  }
  if (p.startsWith('/api/navobjects') || p.startsWith('/api/mob')) return navObjects(req, res, p);
  if (p.startsWith('/documents/objects/')) {
    const o = nav.objects.find((x) => x.id === decodeURIComponent(p.split('/')[3]));
    return o ? json(res, 200, { class: o.type, id: o.id, properties: { Name: o.name, Description: '', Hidden: o.hidden ?? false, LockPosition: o.locked ?? false, ...(o.type === 'Mark' ? { Position: { lat: o.lat, lon: o.lon } } : {}) } }) : json(res, 404, {});
  }
  if (p === '/nav/activate') {
    const id = JSON.parse((await body(req)) || '{}').id;
    active = id === route.id;
    for (const o of nav.objects) o.active = o.id === id;
    wp = 1;
    return json(res, 200, {});
  }
  if (p === '/nav/stop') { active = false; broadcast('route', null); return json(res, 200, {}); }
  if (p === '/nav/next_wp') { wp = Math.min(wp + 1, 2); return json(res, 200, {}); }
  if (p === '/nav/prev_wp') { wp = Math.max(wp - 1, 1); return json(res, 200, {}); }
  if (p === '/api/track') return json(res, 200, { points: [] });
  if (p === '/api/coastline') return json(res, 200, { type: 'FeatureCollection', features: [{ type: 'Feature', properties: {}, geometry: { type: 'Polygon', coordinates: [[[24.30, 36.75], [24.50, 36.75], [24.50, 36.80], [24.30, 36.80], [24.30, 36.75]]] } }] });
  const ais = /^\/api\/ais\/(\d+)$/.exec(p);
  if (ais) { const t = targets().find((x) => String(x.mmsi) === ais[1]); return t ? json(res, 200, { ...t, texts: [] }) : json(res, 404, {}); }
  if (p.startsWith('/api/')) return json(res, 404, { error: 'not in the mock' });
  const file = p.startsWith('/assets/') || p === '/favicon.svg' ? p : '/index.html';
  try {
    const data = await readFile(path.join(root, path.normalize(file)));
    res.writeHead(200, { 'Content-Type': types[path.extname(file)] ?? 'application/octet-stream' });
    res.end(data);
  } catch {
    res.writeHead(404);
    res.end();
  }
}).listen(port, '127.0.0.1', () => console.log(`mock on http://127.0.0.1:${port}/`));
