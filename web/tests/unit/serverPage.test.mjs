import { test } from 'node:test';
import assert from 'node:assert/strict';
import { logAddress, logQuery, playStart } from '../../src/lib/serverPage.js';

test('log page commands', () => {
  const cases = [
    ['browser:log', { page: 0 }, '/browser/log'],
    ['browser:log?page=2', { page: 2 }, '/browser/log?page=2'],
    ['browser:log?parent=17', { page: 0, parent: '17' }, '/browser/log?parent=17'],
    ['browser:log?page=-3&parent=5', { page: 0, parent: '5' }, '/browser/log?parent=5'],
    ['browser:logbook', undefined],
    ['play?start=20210612T083000', undefined],
    [undefined, undefined],
  ];
  for (const [command, query, address] of cases) {
    assert.deepEqual(logQuery(command), query, String(command));
    if (query) assert.equal(logAddress(query), address, String(command));
  }
});

test('play links of the recordings list', () => {
  const cases = [
    ['play?vessel=self&start=20210612T083000', Date.UTC(2021, 5, 12, 8, 30, 0)],
    ['play?start=20211231T235900&vessel=x', Date.UTC(2021, 11, 31, 23, 59, 0)],
    ['play?vessel=self&start=20210230T083000', undefined],
    ['play?vessel=self&start=20210612T253000', undefined],
    ['play?vessel=self', undefined],
    ['show-voyage-recording-files', undefined],
  ];
  for (const [command, ms] of cases) assert.equal(playStart(command), ms, command);
});
