import { test } from 'node:test';
import assert from 'node:assert/strict';
import { ageText, isDangerous, isLost, reportAge, settingColour, shownTargets, sortTargets, targetLabel } from '../../src/lib/targets.js';

const A = { mmsi: 237000001, name: 'ALPHA', rangeNm: 2.0, bearing: 90, cpaNm: 0.1, tcpaMin: 12, state: 2 };
const B = { mmsi: 237000002, name: '', rangeNm: 0.5, bearing: 350, cpaNm: 1.5, tcpaMin: -3, state: 0 };
const C = { mmsi: 237000003, name: 'charlie@@@', rangeNm: 5.0, bearing: 10, cpaNm: 0.4, tcpaMin: 4, state: 4 };
const D = { mmsi: 237000004, name: 'BRAVO', state: 0 }; // no position relative to us yet
const E = { mmsi: 237000000, name: 'ECHO', rangeNm: 2.0, bearing: 180, state: 1 }; // same range as A

const order = (list) => list.map((t) => t.mmsi % 10);

test('sorting by column', async (t) => {
  const all = [A, B, C, D, E];
  const cases = [
    ['range ascending, ties by MMSI, unknown last', 'range', 1, [2, 0, 1, 3, 4]],
    ['range descending keeps unknown last, ties by MMSI', 'range', -1, [3, 0, 1, 2, 4]],
    ['name: MMSI text for the unnamed, trailing @ dropped', 'name', 1, [2, 1, 4, 3, 0]],
    ['bearing', 'bearing', 1, [3, 1, 0, 2, 4]],
    ['CPA, unknown last', 'cpa', 1, [1, 3, 2, 0, 4]],
    ['TCPA: a passed CPA (negative) sorts with the unknown, by range', 'tcpa', 1, [3, 1, 2, 0, 4]],
    ['state: dangerous, lost, others by range', 'state', 1, [1, 3, 2, 0, 4]],
    ['unknown key falls back to range', 'nonsense', 1, [2, 0, 1, 3, 4]],
  ];
  for (const [name, key, dir, expected] of cases) {
    await t.test(name, () => assert.deepEqual(order(sortTargets(all, key, dir)), expected));
  }
  await t.test('input is not reordered', () => {
    const input = [C, B, A];
    sortTargets(input, 'range', 1);
    assert.deepEqual(order(input), [3, 2, 1]);
  });
});

test('flags and labels', async (t) => {
  const cases = [
    ['state 2 dangerous', { state: 2 }, true, false],
    ['state 3 dangerous', { state: 3 }, true, false],
    ['state 1 no longer dangerous', { state: 1 }, false, false],
    ['state 4 lost', { state: 4 }, false, true],
    ['state 5 lost', { state: 5 }, false, true],
    ['flag from the server', { state: 0, dangerous: true, lost: false }, true, false],
    ['lost flag', { lost: true }, false, true],
    ['nothing known', {}, false, false],
  ];
  for (const [name, target, dangerous, lost] of cases) {
    await t.test(name, () => {
      assert.equal(isDangerous(target), dangerous);
      assert.equal(isLost(target), lost);
    });
  }
  await t.test('labels', () => {
    assert.equal(targetLabel(A), 'ALPHA');
    assert.equal(targetLabel(B), '237000002');
    assert.equal(targetLabel(C), 'charlie');
    assert.equal(targetLabel({ mmsi: 5, name: '  ' }), '5');
    assert.equal(targetLabel({ mmsi: 5, name: 'X', displayName: 'X (tug)' }), 'X (tug)');
    assert.equal(targetLabel({ mmsi: 5, name: 'X', displayName: '' }), 'X');
  });
});

test('report ages and their texts', () => {
  assert.equal(reportAge({ reportMs: 1000 }, 400, 700), 100);
  assert.equal(reportAge({ reportMs: 5000 }, 400, 700), 0, 'a report "from the future" is new');
  assert.equal(reportAge({}, 400, 700), Infinity);
  assert.equal(reportAge({ reportMs: 1000 }, undefined, 700), Infinity);
  const rows = [
    [0, '0 s'],
    [59_999, '59 s'],
    [250_000, '4 min 10 s'],
    [7_500_000, '2 h 5 min'],
    [Infinity, '---'],
  ];
  for (const [ms, text] of rows) assert.equal(ageText(ms), text, String(ms));
});

test('display settings choose the targets shown', () => {
  const targets = ['A', 'B', 'BaseStation', 'AtoN', 'SAR', undefined].map((c, i) => ({ mmsi: i, class: c }));
  const cases = [
    ['defaults: no base stations, no aids', {}, [0, 1, 4, 5]],
    ['class B off', { AIS_ShowClassBTargets: 'no' }, [0, 4, 5]],
    ['base stations and aids on', { AIS_ShowBaseStations: 'yes', AIS_ShowAidsToNavigation: 'true' }, [0, 1, 2, 3, 4, 5]],
    ['SAR aircraft off', { AIS_ShowSearchAndRescuePlanes: 'false' }, [0, 1, 5]],
  ];
  const on = (text) => /^(yes|true|on|1)$/i.test(String(text));
  for (const [name, settings, expected] of cases) {
    assert.deepEqual(shownTargets(targets, (n) => settings[n], on).map((t) => t.mmsi), expected, name);
  }
});

test('colour settings in a scheme', () => {
  const tables = { day: { RESBL: '#0000ff' }, night: { RESBL: '#100030' } };
  const cases = [
    ['S52:RESBL', 'day', '#0000ff'],
    ['s52:resbl', 'night', '#100030'],
    ['S52:RESBL', 'dusk', undefined],
    ['S52:NOPE1', 'day', undefined],
    ['rgb(10, 20, 30)', 'night', 'rgb(10, 20, 30)'],
    ['#abc', 'day', '#abc'],
    ['blue; background:url(x)', 'day', undefined],
  ];
  for (const [text, scheme, colour] of cases) assert.equal(settingColour(text, scheme, tables), colour, `${text} ${scheme}`);
});
