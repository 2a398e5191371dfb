// AIS target list: one row per target the display settings show, sortable by
// column; dangerous and lost targets flagged (flashing when
// AIS_FlashLostAndDangerousTargets is on); a row tells the age of the
// target's last report and opens the target's detail page. A dangerous
// target's warning is acknowledged from its row, a target is set aside (and
// taken back from the list of those set aside), and "Reset" hides every target
// until it is heard again ("ResetAIS").

import { h, clear } from '../lib/dom.js';
import { getJson, postJson } from '../lib/api.js';
import { clientNow, DASH, fixView } from '../lib/values.js';
import { ageText, isDangerous, isLost, shownTargets, sortTargets, targetLabel } from '../lib/targets.js';
import { settingBool } from '../lib/settings.js';

const ASIDE_REFRESH_MS = 5000;

// Acknowledges a target's collision warning or sets it aside (aside false:
// takes it back); resolves to the request's result.
export function aisAction(mmsi, action, aside) {
  if (action === 'acknowledge') return postJson(`/api/ais/${mmsi}/acknowledge`, {});
  return postJson(`/api/ais/${mmsi}/aside`, { aside });
}

const COLUMNS = [
  ['name', 'Name'],
  ['range', 'Range'],
  ['bearing', 'Brg'],
  ['cpa', 'CPA'],
  ['tcpa', 'TCPA'],
  ['state', 'State'],
];

// Buttons of a row: stop the click from opening the target's page.
function rowButton(label, title, testid, act) {
  return h('button', { class: 'small', title, 'data-testid': testid, onclick: (e) => (e.stopPropagation(), act()) }, label);
}

export function createAisPanel(store, navigate) {
  let sortKey = 'range';
  let sortDir = 1;
  const count = h('span', { class: 'muted' });
  const message = h('div', { class: 'status', 'data-testid': 'ais-message' });
  const asideList = h('ul', { class: 'aside-list', hidden: true, 'data-testid': 'ais-aside-list' });
  const asideToggle = h('button', { class: 'small link', hidden: true, 'data-testid': 'ais-aside', onclick: () => ((asideList.hidden = !asideList.hidden), loadAside()) });
  const reset = h(
    'button',
    {
      class: 'small',
      title: 'Hide every target until it is heard again',
      'data-testid': 'ais-reset',
      onclick: async () => {
        if (!window.confirm('Reset the AIS target table? Every target is hidden until it is heard again.')) return;
        report(await postJson('/api/ais/reset', {}));
      },
    },
    'Reset',
  );
  const head = h('tr', {});
  const tbody = h('tbody', {});
  const table = h('table', { class: 'targets', 'data-testid': 'ais-table' }, h('thead', {}, head), tbody);
  const panel = h(
    'section',
    { class: 'panel ais', 'aria-label': 'AIS targets' },
    h('header', {}, h('h2', {}, 'AIS targets'), count, reset),
    message,
    h('div', { class: 'scroll' }, table),
    asideToggle,
    asideList,
  );

  function report(r) {
    message.textContent = r.ok ? (r.data?.text ?? '') : r.error;
    message.className = r.ok ? 'status ok' : 'status error';
    loadAside();
  }

  // The targets set aside: a count, and the list with "Take back" when opened.
  let asideTimer;
  async function loadAside() {
    clearTimeout(asideTimer);
    asideTimer = setTimeout(loadAside, ASIDE_REFRESH_MS);
    const r = await getJson('/api/ais');
    const aside = r.ok && Array.isArray(r.data?.aside) ? r.data.aside : [];
    asideToggle.hidden = aside.length === 0;
    asideToggle.textContent = `${aside.length} set aside`;
    if (aside.length === 0) asideList.hidden = true;
    clear(asideList);
    for (const t of aside) {
      asideList.append(
        h('li', { 'data-mmsi': t.mmsi }, targetLabel(t), ' ', h('button', { class: 'small', onclick: async () => report(await aisAction(t.mmsi, 'aside', false)) }, 'Take back')),
      );
    }
  }

  function renderHead() {
    clear(head);
    head.append(h('th', { class: 'actions' }));
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
      shownTargets(
        [...store.targets.values()].map((e) => e.target),
        (name) => store.setting(name),
        settingBool,
      ),
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
            'data-class': t.class ?? '',
            'data-testid': 'ais-row',
            title: `Last report ${ageText(store.targetAge(t, now))} ago`,
            tabindex: 0,
            onclick: () => navigate(`/ais/${t.mmsi}`),
            onkeydown: (e) => e.key === 'Enter' && e.target.tagName !== 'BUTTON' && navigate(`/ais/${t.mmsi}`),
          },
          h(
            'td',
            { class: 'actions' },
            t.state === 2 ? rowButton('Ack', 'Acknowledge the collision warning', 'ais-ack', async () => report(await aisAction(t.mmsi, 'acknowledge'))) : null,
            rowButton('⊘', 'Set this target aside: not shown or assessed', 'ais-set-aside', async () => report(await aisAction(t.mmsi, 'aside', true))),
          ),
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
  loadAside();
  store.on('ais', render);
  store.on('settings', render);
  store.on('tick', render);
  store.on('connection', render);
  render();
  return panel;
}
