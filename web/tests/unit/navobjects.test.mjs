import { test } from 'node:test';
import assert from 'node:assert/strict';
import { boundaryState, colourHex, isDrawn, legTable, nearestLeg, parseNm, pointInPolygon, readNavObjects, rhumbLine } from '../../src/lib/navobjects.js';

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
  // A leg's own planned speed wins; without any speed the ETAs stop there.
  const own = legTable(points, 6, start, [12, 0]);
  assert.equal(own.rows[0].etaMs, start + 5 * 3600000);
  assert.equal(own.rows[1].speedKn, 6);
  const gap = legTable(points, undefined, start, [12]);
  assert.deepEqual([gap.rows[0].etaMs, gap.rows[1].etaMs, gap.durationMs], [start + 5 * 3600000, undefined, undefined]);
});

test('the program list: objects with their properties, the active route, deleted objects, layers', () => {
  const mark = (id, name, lat, extra = {}) => ({ class: 'Mark', id, layer: 'a.nob', properties: { Name: name, Position: { lat, lon: 20 }, ...extra } });
  const list = readNavObjects({
    marks: [{ id: 'm1', name: 'One', lat: 60, lon: 20 }],
    routes: [{ id: 'r', name: 'R', active: true, points: [{ id: 'm1', name: '', label: '001', lat: 60, lon: 20 }, { id: 'm2', name: 'Two', lat: 61, lon: 20 }] }],
    objects: [
      mark('m1', 'One', 60, { Hidden: true }),
      mark('m2', 'Two', 61, { LockPosition: true }),
      { class: 'Route', id: 'r', layer: 'a.nob', properties: { Name: 'R', Marks: ['m1', 'm2', 'gone'] }, legs: [{ properties: { PlannedSpeed: 7.5 } }] },
      { class: 'Boundary', id: 'z', layer: 'b.nob', drawn: false, properties: { Marks: ['m1', 'm2', 'm1'] } },
      mark('c', 'Rock', 62, { BoundaryCircleOffLimits: 2, RangeCircleRadius: '0.5 NM' }),
      { class: 'Track', id: 't', layer: 'a.nob', properties: {}, points: [{ lat: 1, lon: 2, utcMs: 3 }] },
    ],
    deleted: [{ class: 'Mark', id: 'd', layer: '_deleted', from: 'a.nob', properties: { Name: 'Old', Position: { lat: 1, lon: 2 } } }],
    layers: [{ id: 'a.nob', name: 'Mine', visible: true, readOnly: false, scaleMin: 250000, expires: 0, objects: 5, default: true }, { id: 'b.nob', name: 'Theirs', visible: false, readOnly: true }, { id: '_deleted', name: '_deleted' }],
    undo: 'Change Name',
    redo: '',
  });
  const byId = new Map(list.objects.map((o) => [o.id, o]));
  assert.deepEqual([...byId.keys()], ['m1', 'm2', 'r', 'z', 'c', 't']);
  assert.deepEqual([byId.get('m1').hidden, byId.get('m2').locked, byId.get('m2').lat], [true, true, 61]);
  const route = byId.get('r');
  assert.deepEqual([route.active, route.points.map((p) => p.name), route.legSpeeds], [true, ['', 'Two'], [7.5]]);
  assert.deepEqual([byId.get('z').closed, byId.get('z').drawnByProgram, byId.get('z').points.length], [true, false, 3]);
  assert.deepEqual([byId.get('c').boundaryCircle, byId.get('c').radiusNm], [true, 0.5]);
  assert.deepEqual(byId.get('t').points.map((p) => [p.lat, p.lon]), [[1, 2]]);
  assert.deepEqual(list.deleted.map((o) => [o.id, o.name, o.from, o.deleted]), [['d', 'Old', 'a.nob', true]]);
  assert.deepEqual(list.layers.map((l) => [l.id, l.name, l.visible, l.readOnly, l.scaleMin, l.count, l.isDefault]), [
    ['a.nob', 'Mine', true, false, 250000, 5, true],
    ['b.nob', 'Theirs', false, true, 0, undefined, false],
  ]);
  assert.deepEqual([list.undo, list.redo], ['Change Name', '']);
  // Without "objects" the marks and routes lists stand alone.
  const old = readNavObjects({ marks: [{ id: 'm', name: 'M', lat: 1, lon: 2 }], routes: [{ id: 'r', points: [{ id: 'm', lat: 1, lon: 2 }] }] });
  assert.deepEqual(old.objects.map((o) => [o.type, o.id, o.points.length]), [['Mark', 'm', 0], ['Route', 'r', 1]]);
  assert.deepEqual(readNavObjects(null), { objects: [], layers: [], deleted: [], undo: '', redo: '' });
});

test('what is drawn: hidden objects, hidden layers and the layer\'s smallest scale', () => {
  const layers = new Map([
    ['shown', { visible: true, scaleMin: 0 }],
    ['hidden', { visible: false, scaleMin: 0 }],
    ['harbour', { visible: true, scaleMin: 50000 }],
  ]);
  const rows = [
    [{ layer: 'shown' }, 1e6, true],
    [{ layer: 'shown', hidden: true }, 1e6, false],
    [{ layer: 'shown', drawnByProgram: false }, 1e6, false],
    [{ layer: 'hidden' }, 1000, false],
    [{ layer: 'harbour' }, 50000, true],
    [{ layer: 'harbour' }, 50001, false],
    [{ layer: 'unknown' }, 1e6, true],
    [{ layer: 'shown', deleted: true }, 1e6, false],
  ];
  for (const [o, scale, drawn] of rows) assert.equal(isDrawn(o, layers, scale), drawn, `${JSON.stringify(o)} at 1:${scale}`);
});

test('colour texts of the program as #rrggbb, other texts not', () => {
  const rows = [['rgb(0, 0.501961, 0)', '#008000'], ['rgb(1, 1, 1)', '#ffffff'], ['rgba(1, 0, 0, 0.5)', '#ff0000'], ['rgb(255, 0, 0)', undefined], ['red', undefined], ['', undefined]];
  for (const [text, hex] of rows) assert.equal(colourHex(text), hex, text);
});

test('distance texts of the program in nautical miles', () => {
  const rows = [['0.5 nm', 0.5], ['1852 m', 1], ['1.852 km', 1], ['2', 2], [0.25, 0.25], ['', undefined], ['far', undefined]];
  for (const [text, nm] of rows) {
    const got = parseNm(text);
    assert.ok(nm === undefined ? got === undefined : Math.abs(got - nm) < 1e-9, `${text} -> ${got}`);
  }
});

test('boundary alarm states from own ship\'s position and speed', () => {
  const square = [{ lat: 60, lon: 20 }, { lat: 60, lon: 20.2 }, { lat: 60.1, lon: 20.2 }, { lat: 60.1, lon: 20 }];
  const area = (props) => ({ type: 'Boundary', closed: true, points: square, properties: { EnableAlarm: true, ...props } });
  const circle = (kind) => ({ type: 'Mark', lat: 60, lon: 20, boundaryCircle: kind > 0, radiusNm: 1, properties: { BoundaryCircleOffLimits: kind } });
  const inside = { lat: 60.05, lon: 20.1 };
  const outside = { lat: 60.05, lon: 20.3 };
  const rows = [
    [area({}), inside, 5, 'inside'],
    [area({}), outside, 5, 'watching'],
    [area({ MaxSpeedLimit: 4 }), inside, 5, 'alarm'],
    [area({ MaxSpeedLimit: 6 }), inside, 5, 'inside'],
    [area({ MinSpeedLimit: 6 }), inside, 5, 'alarm'],
    [area({ MinSpeedLimit: 6 }), inside, undefined, 'inside'],
    [area({ MaxSpeedLimit: 4 }), outside, 5, 'watching'],
    [area({ EnableAlarm: false, MaxSpeedLimit: 4 }), inside, 5, 'off'],
    [area({}), undefined, 5, 'watching'],
    [{ type: 'Boundary', closed: false, points: square.slice(0, 2), properties: {} }, inside, 5, 'watching'],
    [circle(2), { lat: 60.01, lon: 20 }, 5, 'alarm'],
    [circle(1), { lat: 60.01, lon: 20 }, 5, 'inside'],
    [circle(2), { lat: 60.02, lon: 20 }, 5, 'watching'],
    [circle(0), { lat: 60, lon: 20 }, 5, undefined],
    [{ type: 'Route', points: square, properties: {} }, inside, 5, undefined],
  ];
  for (const [o, own, sog, state] of rows) assert.equal(boundaryState(o, own, sog), state, `${JSON.stringify(o.properties)} ${JSON.stringify(own)} ${sog}`);
  // Across the antimeridian the short way round.
  const dateline = [{ lat: 0, lon: 179.9 }, { lat: 0, lon: -179.9 }, { lat: 0.1, lon: -179.9 }, { lat: 0.1, lon: 179.9 }];
  assert.equal(pointInPolygon({ lat: 0.05, lon: 180 }, dateline), true);
  assert.equal(pointInPolygon({ lat: 0.05, lon: 179.8 }, dateline), false);
});

test('the leg nearest to a point, where a new route point goes', () => {
  const square = [[0, 0], [10, 0], [10, 10], [0, 10]];
  const rows = [
    // [point, closed, leg]
    [[5, -1], false, 0],
    [[11, 5], false, 1],
    [[5, 11], false, 2],
    [[-1, 7], false, 2], // an open path has no leg back to its start
    [[-1, 7], true, 3],
    [[20, 20], false, 1], // past the end: the nearest end's leg
  ];
  for (const [at, closed, leg] of rows) assert.equal(nearestLeg(square, at, closed), leg, `${at} ${closed}`);
});
