import { test } from 'node:test';
import assert from 'node:assert/strict';
import { colorScheme, colorToHex, hexToRgbText, settingBool, splitLength } from '../../src/lib/settings.js';
import { COAST_BANDS, coastResolution, destination, mercatorScale } from '../../src/lib/geo.js';

test('boolean readings', async (t) => {
  const cases = [
    ['true', true], ['YES', true], ['On', true], ['1', true], ['-3', true], ['12abc', true],
    ['false', false], ['no', false], ['off', false], ['0', false], ['', false], ['abc', false],
    [undefined, false], [true, true], [false, false],
  ];
  for (const [text, expected] of cases) {
    await t.test(String(text), () => assert.equal(settingBool(text), expected));
  }
});

test('colour scheme of S52_ColorMode', () => {
  assert.equal(colorScheme('night'), 'night');
  assert.equal(colorScheme(' Dusk '), 'dusk');
  assert.equal(colorScheme(''), 'day');
  assert.equal(colorScheme('twilight'), 'day');
  assert.equal(colorScheme(undefined), 'day');
});

test('length texts', async (t) => {
  const cases = [
    ['0.25 nm', '0.25', 'nm'], ['10 ft', '10', 'ft'], ['6nm', '6', 'nm'], ['.5 m', '.5', 'm'],
    ['-2 m', '-2', 'm'], ['12', '12', ''], ['abc', '', ''], ['', '', ''], ['1e3 m', '1e3', 'm'],
  ];
  for (const [text, number, unit] of cases) {
    await t.test(text || '(empty)', () => assert.deepEqual(splitLength(text), { number, unit }));
  }
});

test('colours for the picker', async (t) => {
  const cases = [
    ['#ABC', '#aabbcc'], ['#1a2B3c', '#1a2b3c'], ['rgb(192, 0, 128)', '#c00080'],
    ['rgba(255, 255, 0, 0.5)', '#ffff00'], ['rgb(256, 0, 0)', undefined], ['red', undefined],
    ['S52:RESBL', undefined], ['', undefined],
  ];
  for (const [text, hex] of cases) {
    await t.test(text || '(empty)', () => assert.equal(colorToHex(text), hex));
  }
  assert.equal(hexToRgbText('#c00080'), 'rgb(192, 0, 128)');
  assert.equal(colorToHex(hexToRgbText('#0a0b0c')), '#0a0b0c');
});

test('coastline resolution by scale', async (t) => {
  const cases = [[100e6, 'c'], [30e6, 'c'], [29e6, 'l'], [5e6, 'l'], [2e6, 'i'], [1e6, 'i'], [999e3, 'h'], [5e3, 'h'], [0, 'h']];
  for (const [scale, res] of cases) {
    await t.test(`1:${scale}`, () => assert.equal(coastResolution(scale), res));
  }
  await t.test('bands join without gaps', () => {
    for (let i = 1; i < COAST_BANDS.length; i++) assert.equal(COAST_BANDS[i].maxScale, COAST_BANDS[i - 1].minScale);
  });
});

test('predictor end points', async (t) => {
  const near = (a, b, eps = 1e-6) => assert.ok(Math.abs(a - b) < eps, `${a} vs ${b}`);
  await t.test('north 60 nm is one degree', () => {
    const p = destination(10, 20, 0, 60);
    near(p.lat, 11);
    near(p.lon, 20);
  });
  await t.test('east on the equator', () => {
    const p = destination(0, 0, 90, 30);
    near(p.lat, 0);
    near(p.lon, 0.5);
  });
  await t.test('east at 60 N covers twice the longitude', () => {
    near(destination(60, 0, 90, 30).lon, 1, 1e-3);
  });
  await t.test('across the date line', () => {
    const p = destination(0, 179.9, 90, 12);
    near(p.lon, -179.9);
  });
  await t.test('Mercator scale', () => {
    near(mercatorScale(0), 1);
    near(mercatorScale(60), 2, 1e-9);
  });
});
