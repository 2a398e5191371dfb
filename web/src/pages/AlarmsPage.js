// Alarms of other equipment (ALR, ALA) as the ports received them, with their
// acknowledgement state; "Acknowledge" follows the alarm's acknowledgement
// link, which sends the ACK sentence to the device that raised it.

import { h, clear } from '../lib/dom.js';
import { getJson, postJson } from '../lib/api.js';

const REFRESH_MS = 2000;

export function createAlarmsPage() {
  const tbody = h('tbody', {});
  const message = h('p', { class: 'status', 'data-testid': 'alarms-status' });
  const empty = h('p', { class: 'muted' }, 'No alarm has been received from other equipment.');
  const table = h(
    'table',
    { class: 'list alarms', 'data-testid': 'alarm-list' },
    h('thead', {}, h('tr', {}, ['Port', 'Alarm', 'Text', 'Condition', 'State', ''].map((t) => h('th', {}, t)))),
    tbody,
  );
  const element = h('div', { class: 'page alarms-page' }, h('h1', {}, 'Alarms'), message, table, empty);
  let timer;

  async function acknowledge(alarm) {
    const r = await postJson(`/${alarm.link}`, {});
    message.textContent = r.ok ? (r.data?.sent ?? 'Sent.') : r.error;
    message.className = r.ok ? 'status ok' : 'status error';
    load();
  }

  async function load() {
    const r = await getJson('/api/alarms');
    if (!r.ok || !Array.isArray(r.data?.alarms)) {
      message.textContent = r.error ?? '';
      return;
    }
    const alarms = r.data.alarms;
    clear(tbody);
    for (const a of alarms) {
      const open = a.active && !a.acknowledged;
      tbody.append(
        h(
          'tr',
          { class: open ? 'alarm-open' : '', 'data-alarm': `${a.source}:${a.alarm}` },
          h('td', {}, a.port ?? ''),
          h('td', {}, a.alarm ?? ''),
          h('td', {}, a.text || '—'),
          h('td', {}, a.active ? 'Active' : 'Not active'),
          h('td', { 'data-testid': 'alarm-state' }, a.state ?? ''),
          h('td', {}, open ? h('button', { class: 'small', onclick: () => acknowledge(a) }, 'Acknowledge') : ''),
        ),
      );
    }
    table.hidden = alarms.length === 0;
    empty.hidden = alarms.length > 0;
  }

  return {
    element,
    show() {
      message.textContent = '';
      load();
      clearInterval(timer);
      timer = setInterval(load, REFRESH_MS);
    },
    hide() {
      clearInterval(timer);
    },
  };
}
