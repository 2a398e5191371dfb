import { test } from 'node:test';
import assert from 'node:assert/strict';
import { chartStatus, displayScale, editionText, parseScale, positionText, progressText, rangeBearing, reportFeatures, scaleText, tileRevision } from '../../src/lib/charts.js';

test('a chart state with what the navigator must know', () => {
  const rows = [
    [{ status: 'ready' }, 'Ready', '', 'ok'],
    [{ status: 'ready', failedUpdate: 'US1AK90M.003', updateError: "Can't apply update 4 to update 2." }, 'Ready', "Update US1AK90M.003 failed: Can't apply update 4 to update 2.", 'warning'],
    [{ status: 'failed', message: 'the image cannot be placed' }, 'Failed', 'the image cannot be placed', 'error'],
    [{ status: 'building' }, 'Building', '', 'busy'],
    [{ status: 'superseded', message: 'superseded by /a/US5HA57M.000' }, 'Superseded', 'superseded by /a/US5HA57M.000', 'muted'],
  ];
  for (const [chart, text, detail, level] of rows) assert.deepEqual(chartStatus(chart), { text, detail, level }, chart.status);
});

test('scales, editions and progress as texts', () => {
  assert.equal(scaleText(52000), '1:52,000');
  assert.equal(scaleText(0), '');
  assert.equal(editionText({ edition: 7, update: 0 }), 'Edition 7');
  assert.equal(editionText({ edition: 9, update: 8 }), 'Edition 9, update 8');
  assert.equal(editionText({}), '');
  assert.equal(progressText({ busy: false, done: 3, total: 3 }), '');
  assert.equal(progressText({ busy: true, done: 1, total: 4, current: ['Building SENC from A.000'] }), 'Building SENC from A.000 (1 of 4)');
  // 2.8 m a pixel: 1:10,000 at the equator, half that at 60 degrees.
  assert.ok(Math.abs(displayScale(2.8, 0) - 10000) < 1e-6);
  assert.ok(Math.abs(displayScale(2.8, 60) - 5000) < 1e-6);
});

test('the pick report hides meta objects unless asked and joins values with their meanings', () => {
  const features = [
    { class: 'BOYLAT', className: 'Buoy, lateral', prim: 'point', meta: false, attributes: [{ acronym: 'COLOUR', name: 'Colour', value: '3', meaning: 'red' }, { acronym: 'OBJNAM', value: 'Buoy 4' }] },
    { class: 'M_COVR', className: 'Coverage', prim: 'area', meta: true, attributes: [] },
  ];
  const shown = reportFeatures(features);
  assert.equal(shown.length, 1);
  assert.equal(shown[0].title, 'Buoy, lateral (BOYLAT)');
  assert.deepEqual(shown[0].rows, [
    { acronym: 'COLOUR', name: 'Colour', value: '3 — red' },
    { acronym: 'OBJNAM', name: '', value: 'Buoy 4' },
  ]);
  assert.equal(reportFeatures(features, true).length, 2);
});

test('display scales typed by the navigator', () => {
  const rows = [['1:10,000', 10000], ['1:52000', 52000], ['25 000', 25000], ['1 : 3,500', 3500], ['1:0', undefined], ['big', undefined], ['', undefined], ['1:-5', undefined]];
  for (const [text, scale] of rows) assert.equal(parseScale(text), scale, text);
});

test('tile addresses change with the portrayal settings and the charts only', () => {
  const settings = new Map([['S52_SafetyContourDepth', '10 m'], ['AIS_ShowTracks', 'yes'], ['S52_ColorMode', 'day']]);
  const base = tileRevision(settings, 1);
  const changed = (name, value, generation = 1) => tileRevision(new Map([...settings, [name, value]]), generation) !== base;
  assert.equal(changed('S52_SafetyContourDepth', '5 m'), true);
  assert.equal(changed('S52_ShowNames', 'false'), true);
  assert.equal(changed('AIS_ShowTracks', 'no'), false);
  assert.equal(changed('S52_ColorMode', 'night'), false); // the scheme is in the address by name
  assert.equal(changed('AIS_ShowTracks', 'yes', 2), true);
});

test('range and bearing from the own ship, and cursor positions', () => {
  // One minute of latitude is a nautical mile (to the sphere's 0.1 %); a
  // degree of longitude at 60 N half of one at the equator.
  const rows = [
    [[21.3, -157.9], [21.3 + 1 / 60, -157.9], 1.0, 0],
    [[21.3, -157.9], [21.3, -157.9 - 1 / 60], 0.931, 270],
    [[60, 23], [60, 24], 30.0, 89.6],
    [[0, 179.9], [0, -179.9], 12.0, 90],
  ];
  for (const [[la1, lo1], [la2, lo2], nm, deg] of rows) {
    const r = rangeBearing(la1, lo1, la2, lo2);
    assert.ok(Math.abs(r.nm - nm) < nm * 2e-3, `${r.nm} nm`);
    assert.ok(Math.abs(r.deg - deg) < 0.1, `${r.deg} deg`);
  }
  assert.equal(positionText(21.301234, -157.876543), "21°18.074'N 157°52.593'W");
  assert.equal(positionText(-0.9999999, 5), "01°00.000'S 005°00.000'E");
});
