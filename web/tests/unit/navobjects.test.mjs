import { test } from 'node:test';
import assert from 'node:assert/strict';
import { isDrawn, isMovable, legTable, parseNm, readNavObjects, rhumbLine } from '../../src/lib/navobjects.js';

test('rhumb lines against reference values, across the antimeridian and due east', () => {
  // [from, to, bearing °T, distance nm (60 nm a degree), tolerances]
  const rows = [
    [{ lat: 50, lon: 0 }, { lat: 51, lon: 0 }, 0, 60],
    [{ lat: 0, lon: 179.5 }, { lat: 0, lon: -179.5 }, 90, 60],
    [{ lat: 60, lon: 20 }, { lat: 60, lon: 22 }, 90, 60],
    // Plymouth to Boston (movable-type.co.uk): 260°07′38″, 5198 km on a 6371 km sphere.
    [{ lat: 50.36639, lon: -4.13389 }, { lat: 42.35111, lon: -71.04083 }, 260.1272, (5198 / 6371) * (180 / Math.PI) * 60],
  ];
  for (const [a, b, bearing, distance] of rows) {
    const r = rhumbLine(a, b);
    assert.ok(Math.abs(r.bearing - bearing) < 0.05, `${JSON.stringify([a, b])} bearing ${r.bearing}`);
    assert.ok(Math.abs(r.distanceNm - distance) < Math.max(0.05, distance * 5e-4), `${JSON.stringify([a, b])} distance ${r.distanceNm}`);
  }
});

test('the route table: legs, unnamed points by their place, ETAs only with a speed', () => {
  const points = [{ name: 'Start', lat: 60, lon: 20 }, { name: '', lat: 61, lon: 20 }, { lat: 61, lon: 22 }];
  const start = Date.UTC(2026, 0, 1, 12, 0);
  const { rows, totalNm, durationMs } = legTable(points, 6, start);
  assert.deepEqual(rows.map((r) => `${r.from}-${r.to}`), ['Start-002', '002-003']);
  assert.ok(Math.abs(rows[0].distanceNm - 60) < 1e-6);
  assert.ok(Math.abs(rows[1].bearing - 90) < 1e-6);
  assert.ok(Math.abs(totalNm - (60 + 2 * 60 * Math.cos((61 * Math.PI) / 180))) < 0.01);
  assert.equal(rows[0].etaMs, start + 10 * 3600000);
  assert.equal(durationMs, (totalNm / 6) * 3600000);
  for (const speed of [0, -1, undefined, NaN]) {
    const t = legTable(points, speed, start);
    assert.equal(t.durationMs, undefined, `speed ${speed}`);
    assert.equal(t.rows[0].etaMs, undefined);
  }
  assert.deepEqual(legTable(points.slice(0, 1), 6, start).rows, []);
});

test('the program list: class lists with mark references, one typed list, deleted objects', () => {
  const keyed = readNavObjects({
    marks: [{ id: 'a', name: 'A', lat: 60, lon: 20, layer: 'L1', hidden: true }, { id: 'b', properties: { Name: 'B', Position: { lat: 60.5, lon: 21 }, LockPosition: true }, layer: 'L1' }],
    routes: [{ id: 'r', name: 'R', marks: ['a', 'b', 'missing'], layer: 'L2', active: true }],
    boundaries: [{ id: 'z', points: [[60, 20], [60, 21], [61, 21]], layer: 'L2', alarm: true }],
    deleted: [{ id: 'd', type: 'Mark', lat: 1, lon: 2 }],
    layers: [{ name: 'L1', visible: false }, { name: 'L2', ReadOnly: true, ScaleMin: 50000 }, { name: '_deleted' }],
  });
  const byId = new Map(keyed.objects.map((o) => [o.id, o]));
  assert.deepEqual([...byId.keys()], ['a', 'b', 'r', 'z']);
  assert.equal(byId.get('a').hidden, true);
  assert.deepEqual([byId.get('b').name, byId.get('b').lat, byId.get('b').locked], ['B', 60.5, true]);
  assert.deepEqual(byId.get('r').points.map((p) => p.id), ['a', 'b'], 'a reference to no mark is dropped');
  assert.equal(byId.get('r').active, true);
  assert.deepEqual([byId.get('z').closed, byId.get('z').alarm], [true, true]);
  assert.deepEqual(keyed.deleted.map((o) => [o.id, o.layer]), [['d', '_deleted']]);
  assert.deepEqual(keyed.layers.map((l) => [l.name, l.visible, l.readOnly, l.scaleMin]), [['L1', false, false, 0], ['L2', true, true, 50000]]);

  const typed = readNavObjects({ objects: [{ class: 'Annotation', id: 'n', properties: { Description: 'Shoal', Position: { lat: 1, lon: 2 } } }, { type: 'Mark', id: 'x', lat: 0, lon: 0, layer: '_deleted' }] });
  assert.deepEqual(typed.objects.map((o) => [o.type, o.description, o.lat]), [['Annotation', 'Shoal', 1]]);
  assert.deepEqual(typed.deleted.map((o) => o.id), ['x']);
  assert.deepEqual(readNavObjects(null), { objects: [], layers: [], deleted: [] });
});

test('what is drawn and what may be dragged', () => {
  const layers = new Map([
    ['shown', { visible: true, readOnly: false, scaleMin: 0 }],
    ['hidden', { visible: false, readOnly: false, scaleMin: 0 }],
    ['harbour', { visible: true, readOnly: true, scaleMin: 50000 }],
  ]);
  const rows = [
    // [object, scale, drawn, movable]
    [{ layer: 'shown' }, 1e6, true, true],
    [{ layer: 'shown', hidden: true }, 1e6, false, true],
    [{ layer: 'hidden' }, 1000, false, true],
    [{ layer: 'harbour' }, 50000, true, false],
    [{ layer: 'harbour' }, 50001, false, false],
    [{ layer: 'unknown', locked: true }, 1e6, true, false],
    [{ layer: 'shown', deleted: true }, 1e6, false, true],
  ];
  for (const [o, scale, drawn, movable] of rows) {
    assert.equal(isDrawn(o, layers, scale), drawn, `${JSON.stringify(o)} at 1:${scale}`);
    assert.equal(isMovable(o, layers), movable, JSON.stringify(o));
  }
});

test('distance texts of the program in nautical miles', () => {
  const rows = [['0.5 nm', 0.5], ['1852 m', 1], ['1.852 km', 1], ['2', 2], [0.25, 0.25], ['', undefined], ['far', undefined]];
  for (const [text, nm] of rows) {
    const got = parseNm(text);
    assert.ok(nm === undefined ? got === undefined : Math.abs(got - nm) < 1e-9, `${text} -> ${got}`);
  }
});
