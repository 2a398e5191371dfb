// AIS target list: one row per target, sortable by column; dangerous and lost
// targets flagged (flashing when AIS_FlashLostAndDangerousTargets is on); a
// row tells the age of the target's last report and opens its detail page.

import { h, clear } from '../lib/dom.js';
import { clientNow, DASH, fixView } from '../lib/values.js';
import { ageText, isDangerous, isLost, sortTargets, targetLabel } from '../lib/targets.js';
import { settingBool } from '../lib/settings.js';

const COLUMNS = [
  ['name', 'Name'],
  ['range', 'Range'],
  ['bearing', 'Brg'],
  ['cpa', 'CPA'],
  ['tcpa', 'TCPA'],
  ['state', 'State'],
];

export function createAisPanel(store, navigate) {
  let sortKey = 'range';
  let sortDir = 1;
  const count = h('span', { class: 'muted' });
  const head = h('tr', {});
  const tbody = h('tbody', {});
  const table = h('table', { class: 'targets', 'data-testid': 'ais-table' }, h('thead', {}, head), tbody);
  const panel = h(
    'section',
    { class: 'panel ais', 'aria-label': 'AIS targets' },
    h('header', {}, h('h2', {}, 'AIS targets'), count),
    h('div', { class: 'scroll' }, table),
  );

  function renderHead() {
    clear(head);
    for (const [key, label] of COLUMNS) {
      const arrow = key === sortKey ? (sortDir > 0 ? ' ▲' : ' ▼') : '';
      head.append(
        h(
          'th',
          {
            'data-sort': key,
            'aria-sort': key === sortKey ? (sortDir > 0 ? 'ascending' : 'descending') : 'none',
            onclick: () => {
              if (sortKey === key) sortDir = -sortDir;
              else {
                sortKey = key;
                sortDir = 1;
              }
              renderHead();
              render();
            },
          },
          label + arrow,
        ),
      );
    }
  }

  function render() {
    const now = clientNow();
    // Range, bearing and CPA are relative to the own ship: without a current
    // fix they are not shown as current.
    const ownFix = fixView(store.ownship?.fix, store.ownshipAt, now);
    const relative = !ownFix.alarm && store.connected;
    const flash = settingBool(store.setting('AIS_FlashLostAndDangerousTargets') ?? 'yes');
    const targets = sortTargets(
      [...store.targets.values()].map((e) => e.target),
      sortKey,
      sortDir,
    );
    // The list is rebuilt every second: keep the keyboard on its row.
    const focused = tbody.contains(document.activeElement) ? document.activeElement.dataset.mmsi : undefined;
    clear(tbody);
    for (const t of targets) {
      const danger = isDangerous(t);
      const lost = isLost(t);
      const cls = [danger ? 'danger' : '', lost ? 'lost' : '', flash && (danger || lost) ? 'flash' : '']
        .filter(Boolean)
        .join(' ');
      const rel = (text) => (relative && text ? text : DASH);
      tbody.append(
        h(
          'tr',
          {
            class: cls,
            'data-mmsi': t.mmsi,
            'data-testid': 'ais-row',
            title: `Last report ${ageText(store.targetAge(t, now))} ago`,
            tabindex: 0,
            onclick: () => navigate(`/ais/${t.mmsi}`),
            onkeydown: (e) => e.key === 'Enter' && navigate(`/ais/${t.mmsi}`),
          },
          h('td', {}, targetLabel(t)),
          h('td', { class: 'num' }, rel(t.range)),
          h('td', { class: 'num' }, rel(t.bearingText)),
          h('td', { class: 'num' }, rel(t.cpa)),
          h('td', { class: 'num' }, rel(t.tcpa)),
          // Normal targets leave the column empty so the flagged ones stand out.
          h('td', { class: 'state' }, danger ? '⚠ ' : '', t.state === 0 && !danger && !lost ? '' : t.stateText || (lost ? 'Lost' : danger ? 'Dangerous' : '')),
        ),
      );
    }
    if (focused) tbody.querySelector(`tr[data-mmsi="${focused}"]`)?.focus();
    count.textContent = `${targets.length}`;
  }

  renderHead();
  store.on('ais', render);
  store.on('settings', render);
  store.on('tick', render);
  store.on('connection', render);
  render();
  return panel;
}
