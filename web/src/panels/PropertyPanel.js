// The selected object: its class's properties, each changed on the spot
// (one undoable change in the program), and for a route the route table with
// each leg's bearing and distance, the ETAs at a planned speed and the total.

import { h, clear } from '../lib/dom.js';
import { changeObject, gpxUrl } from '../lib/navobjectsApi.js';
import { colourHex, displayName, legTable } from '../lib/navobjects.js';
import { typingIn } from '../lib/navModel.js';

const SPEED_KEY = 'tarnwick.plannedSpeed';
// Computed by the program: shown, never sent back.
const COMPUTED = new Set(['TotalLength', 'TotalTime', 'AverageSpeed', 'Range', 'Bearing']);
// Lists and sub-objects with their own editors (the route table, the map).
const NOT_SHOWN = new Set(['Attach', 'Marks', 'RouteLeg', 'ViewSettings', 'NameOffset', 'DescriptionOffset']);

function etaText(ms, now) {
  const d = new Date(ms);
  const time = d.toLocaleTimeString([], { hour: '2-digit', minute: '2-digit', hour12: false });
  return d.toDateString() === new Date(now).toDateString() ? time : `${d.toLocaleDateString([], { weekday: 'short' })} ${time}`;
}

const durationText = (ms) => {
  const minutes = Math.round(ms / 60000);
  return `${Math.floor(minutes / 60)}:${String(minutes % 60).padStart(2, '0')}`;
};

export function createPropertyPanel(model) {
  const title = h('h2', {}, 'Object');
  const status = h('p', { class: 'status', 'data-testid': 'property-status' });
  const form = h('div', { class: 'property-form' });
  const table = h('div', { class: 'route-table' });
  const empty = h('p', { class: 'muted' }, 'Select an object on the plot, or draw one with the tools above it.');
  const panel = h('section', { class: 'panel properties', 'aria-label': 'Object properties', 'data-testid': 'property-panel' }, h('header', {}, title), empty, status, form, table);
  let shownId = null;
  let speed = Number(localStorage.getItem(SPEED_KEY)) || 6;

  async function save(id, name, value) {
    status.textContent = '';
    const r = await model.edit(() => changeObject(id, { [name]: value }));
    status.textContent = r.ok ? `${name} changed.` : r.error;
    status.className = r.ok ? 'status ok' : 'status error';
    if (!r.ok) load(id);
  }

  function field(id, name, value) {
    const readOnly = COMPUTED.has(name);
    const attrs = { 'data-property': name, 'aria-label': name, disabled: readOnly };
    let input;
    if (typeof value === 'boolean') {
      input = h('input', { ...attrs, type: 'checkbox', checked: value, onchange: () => save(id, name, input.checked) });
    } else if (typeof value === 'number') {
      input = h('input', { ...attrs, type: 'number', step: 'any', value: String(value), onchange: () => Number.isFinite(input.valueAsNumber) && save(id, name, input.valueAsNumber) });
    } else if (value && typeof value === 'object' && Number.isFinite(value.lat)) {
      const lat = h('input', { type: 'number', step: 'any', 'aria-label': `${name} latitude`, value: value.lat.toFixed(6) });
      const lon = h('input', { type: 'number', step: 'any', 'aria-label': `${name} longitude`, value: value.lon.toFixed(6) });
      const send = () => {
        if (Number.isFinite(lat.valueAsNumber) && Number.isFinite(lon.valueAsNumber)) save(id, name, { lat: lat.valueAsNumber, lon: lon.valueAsNumber });
      };
      lat.onchange = send;
      lon.onchange = send;
      input = h('span', { class: 'position', 'data-property': name }, lat, lon);
    } else if (typeof value === 'string' && /Colou?r$/.test(name) && colourHex(value)) {
      input = h('input', { ...attrs, type: 'color', value: colourHex(value), onchange: () => save(id, name, input.value) });
    } else if (typeof value === 'string') {
      input = h('input', { ...attrs, type: 'text', value, onchange: () => save(id, name, input.value) });
    } else {
      return null;
    }
    return h('label', { class: 'property' }, h('span', {}, name), input);
  }

  function load(id) {
    const o = model.byId.get(id);
    if (!o) return;
    const props = o.properties;
    const names = Object.keys(props).filter((name) => !NOT_SHOWN.has(name));
    // The name first, the rest in the class's order.
    names.sort((a, b) => (a === 'Name' ? -1 : b === 'Name' ? 1 : 0));
    form.replaceChildren(
      ...names.map((name) => field(id, name, props[name])).filter(Boolean),
      h('div', { class: 'buttons' }, h('a', { href: gpxUrl([id]), download: `${displayName(o)}.gpx` }, 'Export GPX')),
    );
  }

  // The leg's own planned speed, kept with the route (0 or empty: none).
  function legSpeed(o, index) {
    const own = o.legSpeeds[index];
    const input = h('input', {
      type: 'number', min: '0', step: '0.1', class: 'leg-speed', value: own > 0 ? String(own) : '', placeholder: String(speed), 'aria-label': `Planned speed of leg ${index + 1}`,
      onchange: async () => {
        const value = input.value === '' ? 0 : input.valueAsNumber;
        if (!(value >= 0)) return;
        const r = await model.edit(() => changeObject(o.id, { legs: [{ index, PlannedSpeed: value }] }), 'Planned speed');
        status.textContent = r.ok ? 'PlannedSpeed changed.' : r.error;
        status.className = r.ok ? 'status ok' : 'status error';
        renderTable();
      },
    });
    return input;
  }

  function renderTable() {
    const o = model.selected;
    clear(table);
    if (!o || o.type !== 'Route') return;
    const now = Date.now();
    const { rows, totalNm, durationMs } = legTable(o.points, speed, now, o.legSpeeds);
    const speedInput = h('input', {
      type: 'number', min: '0.1', step: '0.1', value: String(speed), 'aria-label': 'Planned speed', 'data-testid': 'planned-speed',
      onchange: () => {
        if (!(speedInput.valueAsNumber > 0)) return;
        speed = speedInput.valueAsNumber;
        localStorage.setItem(SPEED_KEY, String(speed));
        renderTable();
      },
    });
    table.append(
      h('label', { class: 'property' }, h('span', {}, 'Planned speed (kn) where a leg has none, leaving now'), speedInput),
      h(
        'table',
        { class: 'list legs', 'data-testid': 'route-table' },
        h('thead', {}, h('tr', {}, h('th', {}, 'Leg'), h('th', { class: 'num' }, 'Bearing'), h('th', { class: 'num' }, 'Distance'), h('th', { class: 'num', title: 'The leg\'s planned speed (kn); empty: the speed above' }, 'Speed'), h('th', { class: 'num' }, 'ETA'))),
        h(
          'tbody',
          {},
          rows.map((row, index) =>
            h(
              'tr',
              {},
              h('td', {}, `${row.from} → ${row.to}`),
              h('td', { class: 'num' }, `${row.bearing.toFixed(0).padStart(3, '0')}°T`),
              h('td', { class: 'num' }, `${row.distanceNm.toFixed(2)} nm`),
              h('td', { class: 'num' }, legSpeed(o, index)),
              h('td', { class: 'num' }, row.etaMs ? etaText(row.etaMs, now) : ''),
            ),
          ),
        ),
        h('tfoot', {}, h('tr', {}, h('th', {}, 'Total'), h('th', {}), h('th', { class: 'num', 'data-testid': 'route-total' }, `${totalNm.toFixed(2)} nm`), h('th'), h('th', { class: 'num' }, durationMs ? durationText(durationMs) : ''))),
      ),
    );
  }

  function render(kind) {
    const o = model.selected;
    empty.hidden = Boolean(o);
    if (!o) {
      shownId = null;
      title.textContent = 'Object';
      form.replaceChildren();
      status.textContent = '';
      clear(table);
      return;
    }
    title.textContent = `${o.type}: ${displayName(o)}`;
    if (o.id !== shownId || kind === 'data') {
      if (o.id !== shownId) status.textContent = '';
      shownId = o.id;
      if (!typingIn(form) || kind === 'select') load(o.id);
    }
    // A number being typed into the table keeps its text until it is left.
    if (kind !== 'data' || !typingIn(table)) renderTable();
  }

  model.on(render);
  render();
  return panel;
}
