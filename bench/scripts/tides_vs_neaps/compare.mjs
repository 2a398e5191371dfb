// Compares tarnwick's highs and lows (maximum flood and ebb for currents)
// over a year with an independent predictor, @neaps/tide-predictor on NOAA's
// harmonic constants from @neaps/tide-database (datum MLLW). For each station:
// events on each side, pairs (same kind, nearest in time within 3 h), how
// many agree within 2 minutes and 0.03 m (currents: 0.03 kt), and the worst.
// A second comparison feeds the predictor the very constants of our
// database (table TIDECON, read with the sqlite3 program) with Schureman's
// node factors: what remains is the prediction method, not the data.
// Usage: node compare.mjs --tarnwick PATH --db FILE [--year 2024] [--json]

import { execFileSync } from 'node:child_process';
import { stationsById } from '@neaps/tide-database';
import { createTidePredictor, useStation } from '@neaps/tide-predictor';

const args = process.argv.slice(2);
const arg = (name, fallback) => (args.includes(name) ? args[args.indexOf(name) + 1] : fallback);
const tarnwick = arg('--tarnwick');
const year = Number(arg('--year', '2024'));
const db = arg('--db');
if (!tarnwick || !db) {
  console.error('usage: node compare.mjs --tarnwick PATH --db FILE [--year 2024] [--json]');
  process.exit(2);
}

const FT = 0.3048;
const STATIONS = [
  ['noaa/9447130', 'tide://noaa_tides/9447130', 'Seattle'],
  ['noaa/8443970', 'tide://noaa_tides/8443970', 'Boston'],
  ['noaa/9414290', 'tide://noaa_tides/9414290', 'San Francisco'],
  ['noaa/8518750', 'tide://noaa_tides/8518750', 'The Battery'],
  ['noaa/1612340', 'tide://noaa_tides/1612340', 'Honolulu'],
  ['noaa/8724580', 'tide://noaa_tides/8724580', 'Key West'],
  ['noaa/9455920', 'tide://noaa_tides/9455920', 'Anchorage'],
  ['noaa/ACT1616', 'current://noaa_currents/ACT1616_1', 'Pollock Rip Channel (current)'],
  ['noaa/ACT4996', 'current://noaa_currents/ACT4996_1', 'Baltimore Harbor Approach (current)'],
];

function ours(url, start, end) {
  const cli = ['tides', 'events', url, '--from', start.toISOString(), '--to', end.toISOString()];
  if (db) cli.push('--db', db);
  return execFileSync(tarnwick, cli, { encoding: 'utf8', maxBuffer: 64 << 20 })
    .split('\n')
    .filter(Boolean)
    .map((l) => JSON.parse(l))
    .filter((e) => e.type !== 'slack')
    .map((e) => ({ t: Date.parse(e.time), high: e.type === 'high' || e.type === 'flood', v: e.value, units: e.units }));
}

function theirs(id, start, end, current) {
  const station = stationsById.get(id);
  if (!station) throw new Error(`${id} is not in @neaps/tide-database`);
  // Currents come in knots: "meters" leaves them unconverted.
  const options = current ? { start, end, units: 'meters' } : { start, end, datum: 'MLLW', units: 'feet' };
  const { extremes } = useStation(station).getExtremesPrediction(options);
  return extremes.map((e) => ({ t: new Date(e.time).getTime(), high: Boolean(e.high), v: e.level }));
}

// The predictor on our database's constants of a reference station whose
// phases are on the UTC meridian; null for others.
function theirsOnOurConstants(url, start, end) {
  const key = url.split('/').pop();
  const sql = `SELECT Stations.Content, TIDECON.Content FROM Stations JOIN TIDECON ON Stations.ConstituentID = TIDECON.StationIndex WHERE StationID = '${key.replace(/[^A-Za-z0-9_]/g, '')}' LIMIT 1;`;
  const [content, tidecon] = execFileSync('sqlite3', ['-separator', '\t', db, sql], { encoding: 'utf8' }).split('\t');
  const meta = JSON.parse(content);
  if (meta['time-meridian'] !== '+00:00' || meta['reference-station-id']) return null;
  const words = tidecon.trim().split(/\s+/);
  const constituents = [];
  for (let i = 0; i + 2 < words.length; i += 3) {
    constituents.push({ name: words[i], amplitude: Number(words[i + 1]), phase: Number(words[i + 2]) });
  }
  const predictor = createTidePredictor(constituents, { offset: meta['mean-tide-level'] ?? 0, nodeCorrections: 'schureman' });
  return predictor.getExtremesPrediction({ start, end }).map((e) => ({ t: new Date(e.time).getTime(), high: Boolean(e.high), v: e.level }));
}

// Pairs b's events with a's and counts the agreement.
function agreement(a, b, toMetres) {
  let matched = 0;
  let inTime = 0;
  let inHeight = 0;
  let both = 0;
  let worstDt = 0;
  let worstDv = 0;
  let worstDtAt = '';
  let worstDvAt = '';
  let j = 0;
  const dts = [];
  for (const e of b) {
    while (j + 1 < a.length && a[j + 1].t <= e.t) j++;
    const candidates = [a[j - 1], a[j], a[j + 1], a[j + 2]].filter((x) => x && x.high === e.high);
    const best = candidates.sort((x, y) => Math.abs(x.t - e.t) - Math.abs(y.t - e.t))[0];
    if (!best || Math.abs(best.t - e.t) > 3 * 3600e3) continue;
    matched++;
    const dt = Math.abs(best.t - e.t) / 1000;
    const dv = Math.abs(best.v - e.v) * toMetres;
    dts.push(dt);
    const okT = dt <= 120;
    const okV = dv <= 0.03;
    inTime += okT;
    inHeight += okV;
    both += okT && okV;
    if (dt > worstDt) [worstDt, worstDtAt] = [dt, new Date(e.t).toISOString()];
    if (dv > worstDv) [worstDv, worstDvAt] = [dv, new Date(e.t).toISOString()];
  }
  dts.sort((x, y) => x - y);
  return {
    ours: a.length, theirs: b.length, matched, within2min: inTime, within3cm: inHeight, both,
    medianDtS: dts.length ? Math.round(dts[dts.length >> 1]) : null,
    worstDtS: Math.round(worstDt), worstDtAt, worstDvM: Number(worstDv.toFixed(3)), worstDvAt,
  };
}

const start = new Date(Date.UTC(year, 0, 1));
const end = new Date(Date.UTC(year + 1, 0, 1));
const rows = [];
const sameRows = [];
for (const [id, url, name] of STATIONS) {
  const current = url.startsWith('current://');
  const a = ours(url, start, end);
  const toMetres = (a[0]?.units ?? 'ft') === 'ft' ? FT : 1;
  rows.push({ station: name, ...agreement(a, theirs(id, start, end, current), toMetres) });
  const same = current ? null : theirsOnOurConstants(url, start, end);
  if (same) sameRows.push({ station: name, ...agreement(a, same, toMetres) });
}
function print(title, list) {
  console.log(title);
  console.log('station | ours | neaps | paired | <=2 min | <=0.03 | both | median dt s | worst dt s (at) | worst dv m|kt (at)');
  for (const r of list) {
    console.log(`${r.station} | ${r.ours} | ${r.theirs} | ${r.matched} | ${r.within2min} | ${r.within3cm} | ${r.both} | ${r.medianDtS} | ${r.worstDtS} (${r.worstDtAt}) | ${r.worstDvM} (${r.worstDvAt})`);
  }
  const sum = (k) => list.reduce((s, r) => s + r[k], 0);
  console.log(`all | ${sum('ours')} | ${sum('theirs')} | ${sum('matched')} | ${sum('within2min')} | ${sum('within3cm')} | ${sum('both')}\n`);
}
if (args.includes('--json')) {
  console.log(JSON.stringify({ neapsDatabase: rows, sameConstants: sameRows }, null, 1));
} else {
  print(`Year ${year}, NOAA's constants in @neaps/tide-database: events within 2 min and 0.03 m (currents 0.03 kt)`, rows);
  print(`Year ${year}, the predictor fed our database's constants (Schureman node factors)`, sameRows);
}
