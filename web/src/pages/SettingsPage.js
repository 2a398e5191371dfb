// Settings by group: choices as selects, booleans as switches, colours with a
// picker, lengths as number and unit; locked settings shown locked and
// disabled. A change is written through "/options" and read back from there.

import { h, clear } from '../lib/dom.js';
import { getJson, setSetting } from '../lib/api.js';
import { colorToHex, hexToRgbText, settingBool, splitLength } from '../lib/settings.js';

export function createSettingsPage(store) {
  const groupList = h('nav', { class: 'groups' });
  const filter = h('input', { type: 'search', placeholder: 'Find a setting', 'aria-label': 'Find a setting' });
  const list = h('div', { class: 'settings-list' });
  const element = h('div', { class: 'page settings-page' }, h('h1', {}, 'Settings'), h('div', { class: 'two-col' }, h('div', {}, filter, groupList), list));
  let groups = [];
  let group;

  async function load() {
    const r = await getJson('/api/settings');
    if (!r.ok || !Array.isArray(r.data)) {
      list.replaceChildren(h('p', { class: 'error' }, r.error ?? 'No settings.'));
      return;
    }
    groups = r.data;
    group = group ?? groups[0]?.group;
    renderGroups();
    renderList();
  }

  function renderGroups() {
    clear(groupList);
    for (const g of groups) {
      groupList.append(
        h('button', { class: 'group' + (g.group === group ? ' on' : ''), 'data-group': g.group, onclick: () => ((group = g.group), (filter.value = ''), renderGroups(), renderList()) }, g.group),
      );
    }
  }

  function renderList() {
    clear(list);
    const needle = filter.value.trim().toLowerCase();
    const shown = needle
      ? groups.flatMap((g) => g.settings).filter((s) => s.name.toLowerCase().includes(needle))
      : (groups.find((g) => g.group === group)?.settings ?? []);
    for (const s of shown) list.append(settingRow(store, s));
  }
  filter.addEventListener('input', renderList);

  store.on('settings', (st, d) => {
    if (!d?.name) return;
    for (const g of groups) for (const s of g.settings) if (s.name === d.name) s.value = d.value;
  });

  return { element, show: load };
}

// One setting's row: its name, its control and the state of the last change,
// written through "/options" and read back from there.
export function settingRow(store, s) {
  const status = h('span', { class: 'status' });
  const commit = async (value) => {
    status.textContent = '…';
    const r = await setSetting(s.name, value);
    if (!r.ok) {
      status.textContent = r.status === 409 ? 'Locked' : r.error;
      status.className = 'status error';
      return;
    }
    const back = await getJson(`/options?name=${encodeURIComponent(s.name)}`);
    s.value = back.ok && back.data ? String(back.data.value ?? value) : String(value);
    store.applySetting({ name: s.name, value: s.value });
    status.textContent = 'Saved';
    status.className = 'status ok';
  };
  const control = controlFor(s, commit);
  return h(
    'div',
    { class: 'setting' + (s.locked ? ' locked' : ''), 'data-setting': s.name },
    h('label', { class: 'name', title: `Default: ${s.default ?? ''}` }, s.name.slice(s.name.indexOf('_') + 1) || s.name, s.locked ? h('span', { class: 'lock', title: 'Locked by the fleet settings' }, ' 🔒') : null),
    control,
    status,
  );
}

// The input of a setting by its kind; commit(valueText) writes it.
function controlFor(s, commit) {
  const disabled = s.locked === true;
  const value = String(s.value ?? '');
  switch (s.kind) {
    case 'bool':
    case 'boolean': {
      const box = h('input', { type: 'checkbox', role: 'switch', checked: settingBool(value), disabled, 'data-control': s.name });
      box.addEventListener('change', () => commit(box.checked ? 'true' : 'false'));
      return h('label', { class: 'switch' }, box, h('span', { class: 'slider' }));
    }
    case 'choice': {
      const choices = Array.isArray(s.choices) ? s.choices : [];
      const known = choices.some((c) => String(c.value) === value);
      const select = h(
        'select',
        { disabled, 'data-control': s.name },
        known ? null : h('option', { value }, value === '' ? '(default)' : value),
        choices.map((c) => h('option', { value: String(c.value), selected: String(c.value) === value }, c.label || String(c.value))),
      );
      select.value = value;
      select.addEventListener('change', () => commit(select.value));
      return select;
    }
    case 'color':
    case 'colour': {
      const text = h('input', { type: 'text', value, disabled, size: 18, 'data-control': s.name });
      const picker = h('input', { type: 'color', value: colorToHex(value) ?? '#000000', disabled, title: 'Pick a colour' });
      picker.addEventListener('change', () => {
        text.value = hexToRgbText(picker.value);
        commit(text.value);
      });
      text.addEventListener('change', () => {
        const hex = colorToHex(text.value);
        if (hex) picker.value = hex;
        commit(text.value);
      });
      return h('span', { class: 'color' }, picker, text);
    }
    case 'length': {
      const { number, unit } = splitLength(value);
      const units = Array.isArray(s.units) && s.units.length ? s.units : [unit];
      const num = h('input', { type: 'number', step: 'any', value: number, disabled, 'data-control': s.name });
      const sel = h('select', { disabled }, units.map((u) => h('option', { value: u, selected: u === unit }, u)));
      const send = () => num.value !== '' && commit(`${num.value} ${sel.value}`.trim());
      num.addEventListener('change', send);
      sel.addEventListener('change', send);
      return h('span', { class: 'length' }, num, sel);
    }
    case 'int':
    case 'real': {
      const input = h('input', { type: 'number', step: s.kind === 'int' ? '1' : 'any', value, disabled, 'data-control': s.name });
      input.addEventListener('change', () => input.value !== '' && commit(input.value));
      return input;
    }
    default: {
      const input = h('input', { type: 'text', value, disabled, 'data-control': s.name });
      input.addEventListener('change', () => commit(input.value));
      return input;
    }
  }
}
