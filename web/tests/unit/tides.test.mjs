import { test } from 'node:test';
import assert from 'node:assert/strict';
import { AUTO_MAX_RESOLUTION, curveData, referenceLines, shiftDay, stationPagePath, stationsShown } from '../../src/lib/tides.js';

test('the station settings: auto when zoomed in, else on or off', () => {
  const rows = [
    ['auto', AUTO_MAX_RESOLUTION - 1, true],
    ['auto', AUTO_MAX_RESOLUTION + 1, false],
    [undefined, 10, true],
    ['true', 1e6, true],
    ['on', 1e6, true],
    ['false', 1, false],
    ['0', 1, false],
  ];
  for (const [setting, resolution, shown] of rows) assert.equal(stationsShown(setting, resolution), shown, `${setting} at ${resolution}`);
});

test('day steps cross month and year ends in local time', () => {
  const lastDay = new Date(2024, 11, 31, 0, 0).getTime();
  assert.equal(shiftDay(lastDay, 1), '2025-01-01');
  assert.equal(shiftDay(new Date(2024, 2, 1).getTime(), -1), '2024-02-29');
  assert.equal(stationPagePath('tide://noaa_tides/9447130', '2024-01-01'), '/tides?url=tide%3A%2F%2Fnoaa_tides%2F9447130&day=2024-01-01');
});

test('the curve keeps gaps and drops malformed points', () => {
  assert.deepEqual(curveData([[1000, 1.5], [2000, null], ['x', 3], [3000, 2]]), [[1, 2, 3], [1.5, null, 2]]);
  assert.deepEqual(curveData(undefined), [[], []]);
});

test('reference lines: the MLLW datum, average flood and ebb', () => {
  assert.deepEqual(referenceLines('tide', [['datum', 'Mean Lower Low Water']]), [{ value: 0, label: 'MLLW' }]);
  assert.deepEqual(referenceLines('tide', [['datum', 'Mean Low Water Springs']]), []);
  assert.deepEqual(referenceLines('current', [['average-speed-flood', '1.5 kn'], ['average-speed-ebb', '2.0 kn']]), [
    { value: 1.5, label: 'AVG FLOOD' },
    { value: -2, label: 'AVG EBB' },
  ]);
  assert.deepEqual(referenceLines('current', undefined), []);
});
