import { test } from 'node:test';
import assert from 'node:assert/strict';
import {
  barbMarks, barbShape, isolines, labelText, parseGrid, rampColor, rampOf, sample, stepTime, vectorOf,
} from '../../src/lib/weather.js';

function binaryGrid(head, values) {
  const buffer = new ArrayBuffer(64 + 4 * values.length);
  new Float64Array(buffer, 0, 8).set(head);
  new Float32Array(buffer, 64).set(values);
  return buffer;
}

// A 4 × 2 grid going round the Earth in 90° steps: rows 0°N and 10°N.
const ROUND = { lat0: 0, lon0: 0, dlat: 10, dlon: 90, ni: 4, nj: 2, wraps: true, values: Float32Array.from([0, 10, 20, 30, 4, 14, 24, 34]) };

test('binary grids from the program', () => {
  const grid = parseGrid(binaryGrid([40, 350, 0.5, 0.5, 2, 1, 0, 1717200000000], [1.5, NaN]));
  assert.deepEqual([grid.lat0, grid.lon0, grid.ni, grid.nj, grid.wraps, grid.time], [40, 350, 2, 1, false, 1717200000000]);
  assert.equal(grid.values[0], 1.5);
  assert.ok(Number.isNaN(grid.values[1]));
  assert.equal(parseGrid(binaryGrid([0, 0, 1, 1, 3, 1, 0, 0], [1, 2])), null, 'fewer values than the header says');
  assert.equal(parseGrid(new ArrayBuffer(10)), null);
});

test('values between grid points', async (t) => {
  const cases = [
    ['a grid point', ROUND, 0, 90, 10],
    ['halfway along a row', ROUND, 0, 45, 5],
    ['across the seam', ROUND, 0, 315, 15],
    ['west longitudes', ROUND, 0, -45, 15],
    ['between rows', ROUND, 5, 0, 2],
    ['south of the grid', ROUND, -1, 0, undefined],
    ['beyond the last column of a grid that does not wrap', { ...ROUND, wraps: false }, 0, 300, undefined],
    ['nearest point missing', { ...ROUND, values: Float32Array.from([NaN, 10, 20, 30, 4, 14, 24, 34]) }, 1, 10, undefined],
    ['a missing corner left out', { ...ROUND, values: Float32Array.from([0, 10, 20, 30, 4, NaN, 24, 34]) }, 5, 10, 42 / 17],
  ];
  for (const [name, grid, lat, lon, expected] of cases) {
    await t.test(name, () => {
      const v = sample(grid, lat, lon);
      if (expected === undefined) assert.equal(v, undefined);
      else assert.ok(Math.abs(v - expected) < 1e-6, `${v} != ${expected}`);
    });
  }
  const directions = { ...ROUND, values: Float32Array.from([350, 30, 0, 0, 350, 30, 0, 0]) };
  assert.ok(Math.abs(sample(directions, 0, 45, true) - 10) < 1e-6, 'directions turn the short way round');
});

test('vectors and wind barbs', async (t) => {
  assert.deepEqual(vectorOf(0, -2), { speed: 2, towards: 180 });
  assert.equal(vectorOf(-1, 0).towards, 270);
  const cases = [
    [0, { calm: true, pennants: 0, full: 0, half: 0 }],
    [2.4, { calm: true, pennants: 0, full: 0, half: 0 }],
    [5, { calm: false, pennants: 0, full: 0, half: 1 }],
    [12, { calm: false, pennants: 0, full: 1, half: 0 }],
    [17, { calm: false, pennants: 0, full: 1, half: 1 }],
    [63, { calm: false, pennants: 1, full: 1, half: 1 }],
    [103, { calm: false, pennants: 2, full: 0, half: 1 }],
  ];
  for (const [knots, marks] of cases) await t.test(`${knots} kn`, () => assert.deepEqual(barbMarks(knots), marks));
  const north = barbShape(25);
  assert.equal(north.lines.length, 1 + 3, 'a staff, two full barbs and a half');
  assert.ok(north.lines.slice(1).every(([, , x2]) => x2 > 0), 'feathers on +x in the northern hemisphere');
  assert.ok(barbShape(25, true).lines.slice(1).every(([, , x2]) => x2 < 0), 'and on -x in the southern');
});

test('isolines by marching squares', () => {
  const grid = { lat0: 0, lon0: 0, dlat: 1, dlon: 1, ni: 2, nj: 2, wraps: false, values: Float32Array.from([0, 10, 0, 10]) };
  assert.deepEqual(isolines(grid, 5), [[0, 0.5, 1, 0.5, 5]]);
  assert.equal(isolines(grid, 20).length, 0);
  assert.equal(isolines({ ...grid, values: Float32Array.from([0, 10, NaN, 10]) }, 5).length, 0, 'a cell with a missing corner');
});

test('colour ramps and labels', async (t) => {
  const ramp = rampOf(7, 2, 2);
  assert.deepEqual(rampColor(-5, ramp), [40, 60, 200], 'below the ramp');
  assert.deepEqual(rampColor(99, ramp), [220, 40, 40], 'above the ramp');
  assert.deepEqual(rampColor(4.2, ramp, true), rampColor(4.5, ramp), 'banded values take their band\'s middle');
  assert.equal(rampOf(3, 13, 4).band, 400, 'isobars every 4 hPa');
  for (const v of [-5, 3, 99]) assert.equal(rampColor(v, ramp, false, true)[2], 0, 'no blue at night');
  const cases = [
    [3, 13, 101325, { Units_AirPressure: 'mbar' }, '1013'],
    [3, 13, 101325, { Units_AirPressure: 'inHg' }, '29.92'],
    [2, 5, 288.15, { Units_Temperature: 'celsius' }, '15°'],
    [2, 5, 288.15, { Units_Temperature: 'fahrenheit' }, '59°'],
    [29, 11, 10, { Units_WindSpeed: 'knots' }, '19'],
    [35, 11, 1, { Units_Speed: 'kph', Units_WindSpeed: 'knots' }, '3.6'],
    [7, 2, 2.5, { Units_Height: 'meters' }, '2.5'],
    [4, 15, 12.7, { Units_Height: 'feet' }, '0.50'],
  ];
  for (const [type, unitClass, value, settings, text] of cases) {
    await t.test(`${type} ${text}`, () => assert.equal(labelText(type, unitClass, value, settings), text));
  }
});

test('stepping through forecast times', () => {
  const times = [0, 6, 12];
  assert.equal(stepTime(times, 6, 1), 12);
  assert.equal(stepTime(times, 12, 1), 0, 'round to the first');
  assert.equal(stepTime(times, 0, -1), 12);
  assert.equal(stepTime(times, 99, 1), 0, 'a time not in the forecast');
  assert.equal(stepTime([], 0, 1), undefined);
});
