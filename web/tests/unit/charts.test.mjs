import { test } from 'node:test';
import assert from 'node:assert/strict';
import { chartStatus, displayScale, editionText, progressText, reportFeatures, scaleText } from '../../src/lib/charts.js';

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
