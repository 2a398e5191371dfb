import { test } from 'node:test';
import assert from 'node:assert/strict';
import { actionFor, distinctTexts, parseMessage } from '../../src/lib/markup.js';

test('message markup', async (t) => {
  const cases = [
    ['end of route', '#Arrived at end of route[[app://stop_navigation|Stop Navigation]]',
      [{ text: 'Arrived at end of route' }, { text: 'Stop Navigation', href: 'app://stop_navigation' }]],
    ['plain text', 'Dangerous target', [{ text: 'Dangerous target' }]],
    ['plain text keeps an inner #', 'Waypoint #3 passed', [{ text: 'Waypoint #3 passed' }]],
    ['empty', '', []],
    ['not a string', undefined, []],
    ['link in the middle', '#Go [[/routes|to routes]] now',
      [{ text: 'Go ' }, { text: 'to routes', href: '/routes' }, { text: ' now' }]],
    ['two links', '#[[a|A]][[b|B]]', [{ text: 'A', href: 'a' }, { text: 'B', href: 'b' }]],
    ['link without label shows its address', '#[[app://stop_navigation]]',
      [{ text: 'app://stop_navigation', href: 'app://stop_navigation' }]],
    ['unclosed markup stays text', '#Arrived [[app://stop_navigation|Stop',
      [{ text: 'Arrived [[app://stop_navigation|Stop' }]],
    ['closing without opening stays text', 'a ]] b', [{ text: 'a ]] b' }]],
    ['empty address keeps the label as text', '#x [[|label]] y', [{ text: 'x label y' }]],
    ['label with spaces trimmed', '#[[ app://stop_navigation | Stop Navigation ]]',
      [{ text: 'Stop Navigation', href: 'app://stop_navigation' }]],
  ];
  for (const [name, input, expected] of cases) {
    await t.test(name, () => assert.deepEqual(parseMessage(input), expected));
  }
});

test('actions of message links', async (t) => {
  const cases = [
    ['stop navigation', 'app://stop_navigation', { method: 'POST', url: '/nav/stop' }],
    ['next waypoint', 'app://next_waypoint', { method: 'POST', url: '/nav/next_wp' }],
    ['own page', '/routes', { navigate: '/routes' }],
    ['unknown app action', 'app://format_disk', undefined],
    ['foreign site', 'https://example.org/', undefined],
    ['protocol-relative address', '//example.org/x', undefined],
    ['script address', 'javascript:alert(1)', undefined],
  ];
  for (const [name, href, expected] of cases) {
    await t.test(name, () => assert.deepEqual(actionFor(href), expected));
  }
});

test('a text shows once in the bar', async (t) => {
  const note = (id, text, utcMs, spoken = false) => ({ id, text, utcMs, spoken });
  const cases = [
    ['bar and spoken copy: the bar note', [note(1, 'Collision', 10, true), note(2, 'Collision', 10)], [2]],
    ['spoken copy newer: still the bar note', [note(1, 'Collision', 10), note(2, 'Collision', 11, true)], [1]],
    ['repeated text: the newest', [note(1, 'Lost', 10), note(2, 'Lost', 20)], [2]],
    ['different texts stay', [note(1, 'A', 10), note(2, 'B', 10)], [1, 2]],
    ['only a spoken note: shown', [note(1, 'Depth', 10, true)], [1]],
    ['nothing', [], []],
  ];
  for (const [name, notes, ids] of cases) {
    await t.test(name, () => assert.deepEqual(distinctTexts(notes).map((n) => n.id).sort(), ids));
  }
});
