import { test } from 'node:test';
import assert from 'node:assert/strict';
import { LiveStore } from '../../src/live.js';

const target = (mmsi, extra = {}) => ({ mmsi, name: `T${mmsi}`, ...extra });

function storeWithLog() {
  const store = new LiveStore();
  const log = [];
  for (const topic of ['ownship', 'ais', 'route', 'notification', 'settings', 'demo', 'ports', 'connection']) {
    store.on(topic, (s, detail) => log.push([topic, detail]));
  }
  return { store, log };
}

test('a state event replaces everything', () => {
  const { store, log } = storeWithLog();
  store.applyAis({ targets: [target(1), target(2)], removed: [] });
  store.applyState({
    ownship: { seq: 4, fix: { quality: 1 } },
    ais: [target(3)],
    route: { routeId: '{r}', routeName: 'R' },
    ports: [{ id: 'p', status: 'Open' }],
    notifications: Array.from({ length: 25 }, (_, i) => ({ id: i, text: `n${i}` })),
    demo: { recorded: ['a'], simulated: ['b'], loop: true },
    colorMode: 'night',
  });
  assert.deepEqual([...store.targets.keys()], [3], 'targets of before the reconnect are gone');
  assert.equal(store.ownship.seq, 4);
  assert.equal(store.route.routeName, 'R');
  assert.equal(store.notifications.length, 20, 'the last 20 notifications');
  assert.equal(store.notifications[0].id, 5);
  assert.equal(store.setting('S52_ColorMode'), 'night');
  assert.equal(store.connected, true);
  assert.deepEqual(store.ports, [{ id: 'p', status: 'Open' }]);
  const topics = new Set(log.map(([t]) => t));
  for (const t of ['ownship', 'ais', 'route', 'notification', 'settings', 'demo', 'ports', 'connection']) {
    assert.ok(topics.has(t), `${t} announced`);
  }
});

test('AIS changes and removals', async (t) => {
  // [case, steps, expected MMSIs, expected name of 1]
  const cases = [
    ['added', [{ targets: [target(1), target(2)] }], [1, 2], 'T1'],
    ['changed in place', [{ targets: [target(1)] }, { targets: [target(1, { name: 'NEW' })] }], [1], 'NEW'],
    ['removed', [{ targets: [target(1), target(2)] }, { removed: [2] }], [1], 'T1'],
    ['removing an unknown target is harmless', [{ targets: [target(1)] }, { removed: [9] }], [1], 'T1'],
    ['targets without an MMSI are ignored', [{ targets: [{ name: 'X' }, target(1)] }], [1], 'T1'],
    ['an empty or missing payload changes nothing', [{ targets: [target(1)] }, {}, null], [1], 'T1'],
  ];
  for (const [name, steps, mmsis, name1] of cases) {
    await t.test(name, () => {
      const store = new LiveStore();
      for (const step of steps) store.applyAis(step);
      assert.deepEqual([...store.targets.keys()].sort(), mmsis);
      assert.equal(store.targets.get(1)?.target.name, name1);
    });
  }
});

test('receipt times are kept for ageing', () => {
  const store = new LiveStore();
  store.applyOwnship({ seq: 1 }, 1234);
  store.applyRoute({ routeId: '' }, 2000);
  store.applyAis({ targets: [target(7)] }, 3000);
  assert.equal(store.ownshipAt, 1234);
  assert.equal(store.routeAt, 2000);
  assert.equal(store.targets.get(7).at, 3000);
  store.applyRoute('not a route');
  assert.equal(store.route, null);
});

test('report ages follow the server clock of the state and AIS events', () => {
  const store = new LiveStore();
  const t = { mmsi: 7, reportMs: 1_000_000 };
  assert.equal(store.targetAge(t, 0), Infinity, 'no server clock yet');
  store.applyState({ serverMs: 1_004_000, ais: [t] }, 500); // the report was 4 s old
  assert.equal(store.targetAge(t, 2500), 6000, 'ages on the client clock');
  store.applyAis({ targets: [], serverMs: 1_010_000 }, 3000); // the client's clock fell behind
  assert.equal(store.targetAge(t, 3000), 10_000);
  assert.equal(store.targetAge({ mmsi: 8 }, 3000), Infinity, 'no report time: unknown');
});

test('notifications and settings', () => {
  const { store } = storeWithLog();
  for (let i = 0; i < 30; i++) store.applyNotification({ id: i, kind: 'info', text: `t${i}` });
  store.applyNotification({ id: 99, kind: 'info' }); // no text: not a notification
  assert.equal(store.notifications.length, 20);
  assert.equal(store.notifications.at(-1).id, 29);
  store.applySetting({ name: 'AIS_ShowCPA', value: true });
  store.applySetting({ value: 'x' });
  assert.equal(store.setting('AIS_ShowCPA'), 'true');
  assert.equal(store.settings.size, 1);
});

test('a failing listener does not stop the others', () => {
  const store = new LiveStore();
  let reached = false;
  const original = console.error;
  console.error = () => {};
  try {
    store.on('route', () => {
      throw new Error('boom');
    });
    store.on('route', () => (reached = true));
    store.applyRoute(null);
  } finally {
    console.error = original;
  }
  assert.ok(reached);
});
