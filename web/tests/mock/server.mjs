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
const mockMark = (id, name, lat, lon, layer = 'MyRoutes.nob') => ({ class: 'Mark', id, layer, properties: { Name: name, Description: '', Hidden: false, LockPosition: false, Position: { lat, lon } } });
const nav = {
  objects: [
    mockMark('m1', 'Anchorage', 36.70, 24.38),
    ...route.points.map((p) => mockMark(p.id, p.name, p.lat, p.lon)),
    { class: 'Route', id: route.id, layer: 'MyRoutes.nob', properties: { Name: route.name, Description: '', Hidden: false, LockPosition: false, Marks: route.points.map((p) => p.id) } },
  ],
  layers: [{ id: 'MyRoutes.nob', name: 'My Routes', visible: true, readOnly: false, scaleMin: 0, expires: 0, default: true }],
  undo: [],
  redo: [],
};
let nextId = 1;
let mob = { active: false };
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
const activeId = () => (active ? route.id : mob.active ? mob.id : '');
function listNav() {
  const live = nav.objects.filter((o) => o.layer !== '_deleted');
  const byId = new Map(nav.objects.map((o) => [o.id, o]));
  const pos = (o) => o.properties.Position;
  return {
    marks: live.filter((o) => o.class === 'Mark').map((o) => ({ id: o.id, name: o.properties.Name, ...pos(o), layer: o.layer })),
    routes: live.filter((o) => o.class === 'Route').map((o) => ({ id: o.id, name: o.properties.Name, active: o.id === activeId(), layer: o.layer,
      points: o.properties.Marks.map((m, i) => ({ id: m, name: byId.get(m).properties.Name, label: byId.get(m).properties.Name || String(i + 1).padStart(3, '0'), ...pos(byId.get(m)) })) })),
    objects: live.map((o) => ({ ...o, drawn: !o.properties.Hidden })),
    deleted: nav.objects.filter((o) => o.layer === '_deleted'),
    layers: nav.layers,
    undo: nav.undo.length ? 'Change' : '',
    redo: nav.redo.length ? 'Change' : '',
  };
}
async function navObjects(req, res, p) {
  const text = req.method === 'GET' ? '' : await body(req);
  const b = text ? JSON.parse(text) : {};
  if (p === '/api/mob' && req.method === 'GET') return json(res, 200, mob);
  if (p === '/api/mob') {
    const id = `{mob-${nextId++}}`;
    const at = ownship().fix;
    change(() => nav.objects.push(mockMark(id, `MOB ${new Date().toISOString().slice(11, 19)}`, at.lat, at.lon)));
    Object.assign(route, { id: '', name: `MOB ${new Date().toISOString().slice(11, 19)}`, points: [{ id, name: 'MOB', lat: at.lat, lon: at.lon }] });
    active = true;
    wp = 0;
    mob = { active: true, id, lat: at.lat, lon: at.lon, utcMs: Date.now(), source: 'button', acknowledged: false };
    broadcast('notification', { id: 9000 + nextId, kind: 'alarm', text: 'Man overboard!', spoken: true, utcMs: Date.now() });
    return json(res, 201, { id });
  }
  if (p === '/api/mob/acknowledge') {
    if (!mob.active || mob.acknowledged) return json(res, 409, { error: 'No alarm sounds.' });
    mob.acknowledged = true;
    return json(res, 200, {});
  }
  if (req.method === 'GET') return json(res, 200, listNav());
  if (p === '/api/navobjects/undo') return restore(nav.undo, nav.redo) ? json(res, 200, {}) : json(res, 409, { error: 'Nothing to undo.' });
  if (p === '/api/navobjects/redo') return restore(nav.redo, nav.undo) ? json(res, 200, {}) : json(res, 409, { error: 'Nothing to redo.' });
  if (p === '/api/navobjects') {
    const id = `{mock-${nextId++}}`;
    const layer = b.layer ?? 'MyRoutes.nob';
    change(() => {
      const marks = (b.points ?? []).map(([lat, lon], i) => mockMark(`${id}-${i}`, '', lat, lon, layer));
      nav.objects.push(...marks);
      const cls = b.type === 'BoundaryCircle' ? 'Mark' : b.type;
      const props = { Name: b.name ?? '', Description: b.text ?? '', Hidden: false, LockPosition: false };
      if (marks.length) props.Marks = marks.map((m) => m.id);
      else props.Position = { lat: b.lat, lon: b.lon };
      if (b.type === 'BoundaryCircle') Object.assign(props, { RangeCircleRadius: b.radius, BoundaryCircleOffLimits: 1 });
      nav.objects.push({ class: cls, id, layer, properties: props });
    });
    return json(res, 201, { id });
  }
  const m = /^\/api\/navobjects\/([^/]+)(\/restore|\/reverse|\/points)?$/.exec(p);
  const o = m && nav.objects.find((x) => x.id === decodeURIComponent(m[1]));
  if (!o) return json(res, 404, { error: 'No such object.' });
  if (o.properties.LockPosition && (b.Position || m[2] === '/points') && b.LockPosition !== false) {
    return json(res, 409, { error: 'The object you are trying to drag is locked. Would you like to unlock it?', locked: true });
  }
  change(() => {
    if (req.method === 'DELETE') [o.from, o.layer] = [o.layer, '_deleted'];
    else if (m[2] === '/restore') o.layer = o.from ?? 'MyRoutes.nob';
    else if (m[2] === '/reverse') o.properties.Marks.reverse();
    else if (m[2] === '/points') Object.assign(nav.objects.find((x) => x.id === o.properties.Marks[b.index]).properties.Position, { lat: b.lat, lon: b.lon });
    else {
      const { legs, ...props } = b;
      if (legs) o.legs = legs.map((l) => ({ properties: { PlannedSpeed: l.PlannedSpeed } }));
      Object.assign(o.properties, props);
    }
  });
  return json(res, 200, o);
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
  if (p === '/nav/activate') {
    const id = JSON.parse((await body(req)) || '{}').id;
    const o = nav.objects.find((x) => x.id === id && x.class === 'Route');
    if (!o) return json(res, 404, { error: 'No route has that id.' });
    const marks = o.properties.Marks.map((m) => nav.objects.find((x) => x.id === m));
    Object.assign(route, { id, name: o.properties.Name, points: marks.map((x) => ({ id: x.id, name: x.properties.Name, ...x.properties.Position })) });
    active = true;
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
