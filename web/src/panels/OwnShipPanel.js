// Own-ship panel: position and fix status (alarm style when lost), course and
// speed, headings, depth, wind, and the position sensor menu.

import { h, setText, clear } from '../lib/dom.js';
import { clientNow, fixView, valueText } from '../lib/values.js';
import { postJson } from '../lib/api.js';

// Rows of the panel: label, path into the own-ship snapshot.
const ROWS = [
  ['COG', ['cog']],
  ['SOG', ['sog']],
  ['HDG T', ['headingTrue']],
  ['HDG M', ['headingMagnetic']],
  ['STW', ['stw']],
  ['Depth', ['depth']],
  ['ROT', ['rot']],
  ['AWA', ['wind', 'apparentAngle']],
  ['AWS', ['wind', 'apparentSpeed']],
  ['TWD', ['wind', 'trueDirection']],
  ['TWS', ['wind', 'trueSpeed']],
  ['Water', ['waterTemperature']],
];

const DEAD_RECKONING_QUESTION =
  'This will start Dead Reckoning mode and stop using the GPS position. To resume using the GPS, ' +
  'right-click on the Boat and select a GPS from the menu.';

export function createOwnShipPanel(store) {
  const position = h('div', { class: 'position', 'data-testid': 'position' }, '---');
  const status = h('span', { class: 'fix-status', 'data-testid': 'fix-status' }, 'NO GPS');
  const source = h('span', { class: 'fix-source', 'data-testid': 'fix-source' });
  // A position source on another datum than WGS 84 (DTM) may be offset from the chart.
  const datum = h('div', { class: 'datum-warning warning', 'data-testid': 'datum-warning', hidden: true });
  const menu = h('div', { class: 'menu', hidden: true, role: 'menu' });
  const menuButton = h(
    'button',
    { class: 'small', 'aria-haspopup': 'menu', title: 'Position sensor', onclick: () => toggleMenu() },
    'Sensor ▾',
  );
  const cells = new Map();
  const grid = h(
    'dl',
    { class: 'values' },
    ROWS.map(([label, path]) => {
      const dd = h('dd', { 'data-testid': `value-${path.join('-')}` }, '---');
      cells.set(path.join('.'), { dd, path });
      return h('div', { class: 'cell' }, h('dt', {}, label), dd);
    }),
  );
  const panel = h(
    'section',
    { class: 'panel ownship', 'aria-label': 'Own ship' },
    h('header', {}, h('h2', {}, 'Own ship'), h('div', { class: 'menu-anchor' }, menuButton, menu)),
    position,
    h('div', { class: 'fix' }, status, ' ', source),
    datum,
    grid,
  );

  function toggleMenu(show = menu.hidden) {
    menu.hidden = !show;
    if (show) renderMenu();
  }

  function renderMenu() {
    clear(menu);
    const sensors = store.ownship?.sensors ?? {};
    const item = (label, checked, body) =>
      h(
        'button',
        {
          class: 'menu-item' + (checked ? ' checked' : ''),
          role: 'menuitemcheckbox',
          'aria-checked': checked ? 'true' : 'false',
          onclick: async () => {
            toggleMenu(false);
            if (body.select === 'dr' && !window.confirm(DEAD_RECKONING_QUESTION)) return;
            const result = await postJson('/api/sensors', body);
            if (!result.ok) store.emit('local-message', { kind: 'error', text: result.error });
          },
        },
        label,
      );
    menu.append(item('Auto Select Position Sensor', sensors.autoSelect === true, { select: 'auto' }));
    for (const s of sensors.pos ?? []) {
      menu.append(item(s.label ?? s.id, s.selected === true && sensors.autoSelect !== true, { select: String(s.id) }));
    }
  }

  document.addEventListener('click', (e) => {
    if (!panel.contains(e.target)) menu.hidden = true;
  });

  function render() {
    const now = clientNow();
    const own = store.ownship;
    const at = store.ownshipAt;
    const fix = fixView(own?.fix, at, now);
    setText(position, fix.position);
    setText(status, fix.status);
    setText(source, fix.source);
    status.classList.toggle('alarm', fix.alarm);
    const local = !fix.alarm && typeof own?.fix?.localDatum === 'string' ? own.fix.localDatum : undefined;
    datum.hidden = local === undefined;
    if (local !== undefined) setText(datum, `Datum ${local}, not WGS 84: positions may be offset from the chart`);
    panel.classList.toggle('no-fix', fix.alarm);
    for (const { dd, path } of cells.values()) {
      let value = own;
      for (const key of path) value = value?.[key];
      setText(dd, valueText(value, at, now));
    }
    if (!menu.hidden) renderMenu();
  }

  store.on('ownship', render);
  store.on('tick', render);
  render();
  return panel;
}
