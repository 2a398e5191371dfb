// One AIS target: its static and voyage data and the safety texts received;
// its collision warning is acknowledged here, and the target set aside or
// taken back.

import { h, clear } from '../lib/dom.js';
import { getJson } from '../lib/api.js';
import { ageText, targetLabel } from '../lib/targets.js';
import { aisAction } from '../panels/AisPanel.js';

// Members shown first, in this order, with their labels; the rest follow.
const KNOWN = [
  ['mmsi', 'MMSI'], ['name', 'Name'], ['callsign', 'Call sign'], ['class', 'Class'], ['shipType', 'Type'],
  ['navStatus', 'Status'], ['stateText', 'Target state'], ['range', 'Range'], ['bearingText', 'Bearing'],
  ['cpa', 'CPA'], ['tcpa', 'TCPA'], ['cog', 'COG'], ['sog', 'SOG'], ['heading', 'Heading'],
  ['position', 'Position'], ['reportedPosition', 'Reported position'], ['destination', 'Destination'],
  ['voyageEta', 'ETA'], ['draughtM', 'Draught (m)'], ['dimensions', 'Dimensions'], ['imo', 'IMO'], ['vendor', 'Vendor'],
];
const HIDDEN = new Set(['texts', 'lat', 'lon', 'cpaPosition', 'ownCpaPosition', 'rangeNm', 'bearing', 'cpaNm', 'tcpaMin', 'state', 'reportMs', 'reportUtcMs', 'aside']);

// A member's value as text; objects (dimensions) as "key value" pairs.
function shown(value) {
  if (value && typeof value === 'object') {
    return Object.entries(value)
      .map(([k, v]) => `${k} ${v}`)
      .join(', ');
  }
  return String(value);
}

// "12:03:05Z, 12 s ago" for the last report of t, aged by store's server clock.
function lastReportText(store, t) {
  const ago = `${ageText(store.targetAge(t))} ago`;
  if (!Number.isFinite(t.reportUtcMs)) return ago;
  return `${new Date(t.reportUtcMs).toISOString().slice(11, 19)}Z, ${ago}`;
}

export function createAisTargetPage(store) {
  const title = h('h1', {}, 'AIS target');
  const body = h('div', {});
  const actions = h('div', { class: 'toolbar' });
  const message = h('p', { class: 'status', 'data-testid': 'ais-target-message' });
  const element = h('div', { class: 'page ais-page' }, title, actions, message, body);
  let mmsi;
  let lastReport; // the cell that ages once a second, with its target

  async function act(action, aside) {
    const r = await aisAction(mmsi, action, aside);
    message.textContent = r.ok ? (r.data?.text ?? '') : r.error;
    message.className = r.ok ? 'status ok' : 'status error';
    load();
  }

  function renderActions(t) {
    clear(actions);
    if (t.state === 2) {
      actions.append(h('button', { 'data-testid': 'ais-target-ack', onclick: () => act('acknowledge') }, 'Acknowledge warning'));
    }
    actions.append(
      t.aside
        ? h('button', { 'data-testid': 'ais-target-back', onclick: () => act('aside', false) }, 'Take back')
        : h('button', { 'data-testid': 'ais-target-aside', onclick: () => act('aside', true) }, 'Set aside'),
    );
    if (t.aside) actions.append(h('span', { class: 'muted' }, 'Set aside: not shown on the plot or assessed.'));
  }

  async function load() {
    const r = await getJson(`/api/ais/${mmsi}`);
    clear(body);
    clear(actions);
    if (!r.ok || !r.data) {
      title.textContent = `AIS target ${mmsi}`;
      body.append(h('p', { class: 'error' }, r.status === 404 ? 'This target is not known (any more).' : r.error));
      return;
    }
    const t = r.data;
    title.textContent = targetLabel(t);
    renderActions(t);
    const rows = [];
    for (const [key, label] of KNOWN) if (t[key] !== undefined && t[key] !== '') rows.push([label, shown(t[key])]);
    const reportCell = h('td', {}, lastReportText(store, t));
    lastReport = { cell: reportCell, target: t };
    for (const [key, value] of Object.entries(t)) {
      if (HIDDEN.has(key) || KNOWN.some(([k]) => k === key) || typeof value === 'object') continue;
      rows.push([key, value]);
    }
    body.append(
      h(
        'table',
        { class: 'list kv' },
        h('tbody', {}, h('tr', {}, h('th', {}, 'Last report'), reportCell), rows.map(([k, v]) => h('tr', {}, h('th', {}, k), h('td', {}, String(v))))),
      ),
      h('h2', {}, 'Safety messages'),
      Array.isArray(t.texts) && t.texts.length
        ? h('ul', {}, t.texts.map((m) => h('li', {}, Number.isFinite(m.utcMs) ? new Date(m.utcMs).toISOString().slice(0, 19) + 'Z ' : '', m.text)))
        : h('p', { class: 'muted' }, 'None received.'),
    );
  }

  store.on('tick', () => {
    if (lastReport?.cell.isConnected) lastReport.cell.textContent = lastReportText(store, lastReport.target);
  });

  return {
    element,
    show(params) {
      mmsi = params.mmsi;
      message.textContent = '';
      load();
    },
  };
}
