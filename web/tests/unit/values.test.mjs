import { test } from 'node:test';
import assert from 'node:assert/strict';
import { DASH, ageNow, fixView, isStale, valueNumber, valueText } from '../../src/lib/values.js';

test('value ageing against the hold time', async (t) => {
  // [case, value, receivedAt, now, stale]
  const cases = [
    ['fresh value', { v: 1, text: '1.0 kn', age: 0 }, 1000, 1000, false],
    ['aged on the client up to the hold', { v: 1, age: 1000 }, 0, 4000, false],
    ['one ms past the default hold', { v: 1, age: 1000 }, 0, 4001, true],
    ['old already at the server', { v: 1, age: 6000 }, 0, 0, true],
    ['own hold longer than default', { v: 1, age: 9000, hold: 10000 }, 0, 500, false],
    ['own hold exceeded', { v: 1, age: 9000, hold: 10000 }, 0, 1001, true],
    ['zero hold: stale as soon as time passes', { v: 1, age: 0, hold: 0 }, 0, 1, true],
    ['absent value', undefined, 0, 0, true],
    ['null value', null, 0, 0, true],
    ['missing age is never current', { v: 1, text: 'x' }, 0, 0, true],
    ['negative age is never current', { v: 1, age: -5 }, 0, 0, true],
    ['age as text is not trusted', { v: 1, age: 'abc' }, 0, 0, true],
    ['client clock went backwards: no negative ageing', { v: 1, age: 4999 }, 1000, 500, false],
    ['event never received', { v: 1, age: 0 }, -Infinity, 0, true],
    ['marked stale by the server though young', { v: 1, age: 0, stale: true }, 0, 0, true],
  ];
  for (const [name, value, at, now, stale] of cases) {
    await t.test(name, () => assert.equal(isStale(value, at, now), stale));
  }
});

test('ageNow adds the client time since the event', () => {
  assert.equal(ageNow({ age: 250 }, 1000, 1750), 1000);
  assert.equal(ageNow({}, 0, 0), Infinity);
});

test('display text and number', async (t) => {
  const cases = [
    ['server text', { v: 6.2, text: '6.2 kn', age: 100 }, 0, 0, '6.2 kn', 6.2],
    ['number without text', { v: 12, age: 100 }, 0, 0, '12', 12],
    ['empty text falls back to number', { v: 3, text: '', age: 0 }, 0, 0, '3', 3],
    ['stale', { v: 6.2, text: '6.2 kn', age: 100 }, 0, 5000, DASH, undefined],
    ['text without number', { text: 'N', age: 0 }, 0, 0, 'N', undefined],
    ['neither text nor number', { age: 0 }, 0, 0, DASH, undefined],
  ];
  for (const [name, value, at, now, text, number] of cases) {
    await t.test(name, () => {
      assert.equal(valueText(value, at, now), text);
      assert.equal(valueNumber(value, at, now), number);
    });
  }
});

test('fix line', async (t) => {
  const good = { quality: 1, text: 'GPS FIX', source: 'GPS on COM3', lat: 36.9, lon: 25.1, position: "36°54.000'N 025°06.000'E", age: 200 };
  const cases = [
    ['current fix', good, 0, 1000, { status: 'GPS FIX', position: good.position, alarm: false, lat: 36.9 }],
    ['fix aged past its hold is lost', good, 0, 4801, { status: 'LOST GPS', position: DASH, alarm: true, lat: undefined }],
    ['server says lost', { quality: -2, text: 'LOST GPS', source: 'GPS on COM3', age: 0 }, 0, 0, { status: 'LOST GPS', position: DASH, alarm: true }],
    ['never had a fix', { quality: -1, text: 'NO GPS', age: 0 }, 0, 0, { status: 'NO GPS', position: DASH, alarm: true }],
    ['no text from the server, never had one', { quality: -1, age: 0 }, 0, 0, { status: 'NO GPS', position: DASH, alarm: true }],
    ['invalid fix keeps its text but no position', { ...good, quality: 0, text: 'INVALID' }, 0, 0, { status: 'INVALID', position: DASH, alarm: true }],
    ['good quality without coordinates', { quality: 1, text: 'GPS FIX', age: 0 }, 0, 0, { status: 'LOST GPS', position: DASH, alarm: true }],
    ['no own-ship data at all', undefined, 0, 0, { status: 'NO GPS', position: DASH, alarm: true }],
    ['dead reckoning shows its own text', { ...good, quality: 6, text: 'D.R.', source: 'Dead Reckoning' }, 0, 0, { status: 'D.R.', alarm: false }],
    ['position formatted by the client when the server has none', { ...good, position: undefined }, 0, 0, { position: '36.90000 25.10000' }],
  ];
  for (const [name, fix, at, now, expected] of cases) {
    await t.test(name, () => {
      const view = fixView(fix, at, now);
      for (const [key, value] of Object.entries(expected)) assert.equal(view[key], value, key);
    });
  }
});
