// The weather page ("grib:"): the open forecast, opening a forecast file
// (from this computer, or one of the weather folder's files), the display
// groups of the weather layer, and the texts of the forecast requests.

import { h, clear, setText } from '../lib/dom.js';
import { getJson, postJson, setSetting } from '../lib/api.js';
import { settingBool } from '../lib/settings.js';
import { utcText } from '../lib/weather.js';

const ACCEPT = '.grb,.grib,.grb1,.grib1,.bz2,.bzz,.skw';
const ITEMS = ['wind', 'pressure', 'temperature', 'rain', 'waves', 'humidity'];
const DISPLAY_TYPES = ['None', 'Wind Barbs', 'Arrows', 'Isobars'];
const GRADIENT_TYPES = ['None', 'Smooth', 'Banded'];
// The program takes request bodies up to 16 MB; base64 makes 4 bytes of 3.
const MAX_UPLOAD_BYTES = 12 * 1024 * 1024;

// The file's bytes as base64 (the data URL a FileReader makes, without its head).
function base64Of(file) {
  return new Promise((resolve, reject) => {
    const reader = new FileReader();
    reader.onload = () => resolve(String(reader.result).slice(String(reader.result).indexOf(',') + 1));
    reader.onerror = () => reject(reader.error);
    reader.readAsDataURL(file);
  });
}

export function createWeatherPage(store, weather) {
  const status = h('div', { 'data-testid': 'weather-status' });
  const progress = h('progress', { max: 100, value: 0, hidden: true });
  const message = h('p', { class: 'error', hidden: true });
  const close = h('button', { 'data-testid': 'weather-close', onclick: () => command('graphical-weather-close-grib') }, 'Close forecast');
  const chooser = h('input', { type: 'file', accept: ACCEPT, 'data-testid': 'weather-file', 'aria-label': 'Open Weather Forecast File' });
  const uploadStatus = h('span', { class: 'status' });
  const files = h('tbody');
  const folder = h('span', { class: 'muted' });
  const groupSelect = h('select', { 'data-testid': 'weather-page-group' });
  const attrRows = h('tbody');
  const groupStatus = h('span', { class: 'status' });
  const requestOut = h('div', { class: 'request-out' });
  let groups = [];
  let weatherTypes = [];
  let shownGroup;

  const element = h(
    'div',
    { class: 'page weather-page' },
    h('h1', {}, 'Weather'),
    h('div', { class: 'card' }, h('h2', {}, 'Forecast'), status, progress, message, h('div', { class: 'toolbar' }, close)),
    h(
      'div',
      { class: 'card' },
      h('h2', {}, 'Open Weather Forecast File'),
      h('div', { class: 'toolbar' }, h('label', {}, 'Weather Forecast Files (*.grb, *.grib, *.bz2, *.bzz): ', chooser), uploadStatus),
      h('p', { class: 'muted' }, 'Files saved or dropped into the weather folder open by themselves: ', folder),
      h('table', { class: 'list' }, h('thead', {}, h('tr', {}, h('th', {}, 'File'), h('th', {}, 'Size'), h('th', {}, 'Changed'), h('th', {}))), files),
    ),
    h(
      'div',
      { class: 'card' },
      h('h2', {}, 'Display groups'),
      h('div', { class: 'toolbar' }, h('label', {}, 'Group ', groupSelect), groupStatus),
      h('table', { class: 'list' }, h('thead', {}, h('tr', {}, ...['Weather', 'Display', 'Gradient', 'Text', 'Colour', ''].map((t) => h('th', {}, t)))), attrRows),
      h('div', { class: 'toolbar' }, h('button', { onclick: () => editAttrs((attrs) => attrs.push({ weatherType: weatherTypes[0]?.type ?? 3, displayType: 'None', gradientType: 'Smooth', showText: false, argb: 'rgba(0, 0, 0, 1)' })) }, 'Add')),
    ),
    requestCard(),
  );

  chooser.addEventListener('change', async () => {
    const file = chooser.files?.[0];
    if (!file) return;
    if (file.size > MAX_UPLOAD_BYTES) {
      uploadStatus.textContent = `${file.name} is larger than 12 MB: copy it into the weather folder instead.`;
      uploadStatus.className = 'status error';
      return;
    }
    uploadStatus.textContent = `Opening ${file.name}…`;
    uploadStatus.className = 'status';
    const r = await postJson('/api/weather/upload', { name: file.name, base64: await base64Of(file) });
    uploadStatus.textContent = r.ok ? '' : r.error;
    uploadStatus.className = r.ok ? 'status' : 'status error';
    chooser.value = '';
    weather.refresh();
    load();
  });

  async function command(name, body = {}) {
    const r = await postJson(`/api/weather/${name}`, body);
    if (!r.ok) {
      message.hidden = false;
      message.textContent = r.error;
    }
    weather.refresh();
    load();
  }

  async function load() {
    const [state, list, groupList] = await Promise.all([getJson('/api/weather'), getJson('/api/weather/files'), getJson('/api/weather/groups')]);
    if (state.ok) renderState(state.data);
    if (list.ok) renderFiles(list.data);
    if (groupList.ok) {
      groups = groupList.data.groups ?? [];
      weatherTypes = groupList.data.weatherTypes ?? [];
      if (shownGroup === undefined) shownGroup = groupList.data.activeGroup ?? 0;
      renderGroups(groupList.data.activeGroup);
    }
    clearTimeout(load.timer);
    if (state.data?.state === 'loading') load.timer = setTimeout(load, 400);
  }

  function renderState(s) {
    const times = s.times ?? [];
    const text = {
      none: 'No weather forecast is open.',
      loading: `Loading ${s.file ?? ''}… ${s.progress ?? 0}%`,
      loaded: `${s.file}: ${(s.types ?? []).map((t) => t.name).join(', ')}; ${times.length} forecast time${times.length === 1 ? '' : 's'}` +
        (times.length ? `, ${utcText(times[0])} to ${utcText(times[times.length - 1])}` : '') + '.',
      failed: `${s.file ?? ''} could not be opened.`,
    }[s.state] ?? '';
    setText(status, text);
    status.dataset.state = s.state;
    progress.hidden = s.state !== 'loading';
    progress.value = s.progress ?? 0;
    message.hidden = !s.message;
    message.textContent = s.message ?? '';
    message.className = s.state === 'failed' ? 'error' : 'muted';
    close.disabled = s.state === 'none';
  }

  function renderFiles(data) {
    setText(folder, data.folder ?? '');
    clear(files);
    for (const f of data.files ?? []) {
      files.append(
        h('tr', { 'data-file': f.name },
          h('td', {}, f.name),
          h('td', {}, `${Math.max(1, Math.round(f.size / 1024))} KB`),
          h('td', {}, utcText(f.modifiedUtcMs)),
          h('td', {}, h('button', { class: 'small', onclick: () => command('graphical-weather-open-grib', { name: f.name }) }, 'Open'))),
      );
    }
    if (!data.files?.length) files.append(h('tr', {}, h('td', { colspan: 4, class: 'muted' }, 'No forecast files in the weather folder.')));
  }

  function renderGroups(active) {
    groupSelect.replaceChildren(...groups.map((g) => h('option', { value: g.index }, g.name + (g.index === active ? ' (shown)' : ''))));
    groupSelect.value = String(shownGroup);
    const g = groups[shownGroup];
    clear(attrRows);
    (g?.attrs ?? []).forEach((a, i) => attrRows.append(attrRow(a, i)));
  }
  groupSelect.addEventListener('change', async () => {
    shownGroup = Number(groupSelect.value);
    await postJson('/api/weather/groups', { activeGroup: shownGroup });
    weather.refresh();
    load();
  });

  function select(options, value, onchange, labelOf = (o) => o) {
    const s = h('select', {}, options.map((o) => h('option', { value: typeof o === 'object' ? o.type : o, selected: String(typeof o === 'object' ? o.type : o) === String(value) }, labelOf(o))));
    s.value = String(value);
    s.addEventListener('change', () => onchange(s.value));
    return s;
  }

  function attrRow(a, i) {
    const colour = h('input', { type: 'text', value: a.argb, size: 18 });
    colour.addEventListener('change', () => editAttrs((attrs) => (attrs[i].argb = colour.value)));
    const text = h('input', { type: 'checkbox', checked: a.showText });
    text.addEventListener('change', () => editAttrs((attrs) => (attrs[i].showText = text.checked)));
    return h(
      'tr', {},
      h('td', {}, select(weatherTypes, a.weatherType, (v) => editAttrs((attrs) => (attrs[i].weatherType = Number(v))), (t) => `${t.name} (${t.code})`)),
      h('td', {}, select(DISPLAY_TYPES, a.displayType, (v) => editAttrs((attrs) => (attrs[i].displayType = v)))),
      h('td', {}, select(GRADIENT_TYPES, a.gradientType, (v) => editAttrs((attrs) => (attrs[i].gradientType = v)))),
      h('td', {}, text),
      h('td', {}, colour),
      h('td', {}, h('button', { class: 'small', onclick: () => editAttrs((attrs) => attrs.splice(i, 1)) }, 'Remove')),
    );
  }

  async function editAttrs(change) {
    const attrs = structuredClone(groups[shownGroup]?.attrs ?? []);
    change(attrs);
    const r = await postJson('/api/weather/groups', { group: shownGroup, attrs });
    groupStatus.textContent = r.ok ? 'Saved' : r.error;
    groupStatus.className = r.ok ? 'status ok' : 'status error';
    weather.refresh();
    load();
  }

  // --- forecast requests ----------------------------------------------------
  function requestCard() {
    const items = ITEMS.map((item) => {
      const box = h('input', { type: 'checkbox', 'data-item': item });
      box.addEventListener('change', () => {
        const chosen = ITEMS.filter((i) => element.querySelector(`[data-item="${i}"]`).checked);
        setSetting('Weather_DownloadDlg_Items', chosen.join(','));
      });
      return h('label', { class: 'inline' }, box, ' ', item);
    });
    const days = h('input', { type: 'number', min: 1, max: 16, size: 3 });
    days.addEventListener('change', () => setSetting('Weather_DownloadDlg_Days', days.value));
    const custom = h('input', { type: 'checkbox' });
    const region = h('input', { type: 'text', placeholder: 'north,south,west,east', size: 28 });
    custom.addEventListener('change', () => setSetting('Weather_DownloadDlg_Custom', custom.checked ? 'true' : 'false'));
    region.addEventListener('change', () => setSetting('Weather_DownloadDlg_Region', region.value));
    const email = h('input', { type: 'email', placeholder: 'your e-mail address', size: 28 });
    const show = async (service) => {
      const params = new URLSearchParams({ service, region: weather.viewRegion(), email: email.value });
      const r = await getJson(`/api/weather/request?${params}`);
      clear(requestOut);
      if (!r.ok) {
        requestOut.append(h('p', { class: 'error' }, r.error));
        return;
      }
      requestOut.append(
        h('p', {}, service === 'mail' ? 'Send this request to the mail forecast service: ' : 'Weather-grid request: ', h('code', { 'data-testid': 'weather-request' }, r.data.request)),
        r.data.query ? h('p', { class: 'muted' }, 'Fetch query: ', h('code', {}, r.data.query)) : null,
        h('p', { class: 'muted' }, 'Save the reply as ', h('code', {}, r.data.reply), '; it opens when it arrives there.'),
      );
    };
    const fill = () => {
      const chosen = String(store.setting('Weather_DownloadDlg_Items') ?? '').toLowerCase().split(',').map((s) => s.trim());
      for (const item of ITEMS) {
        const box = element?.querySelector(`[data-item="${item}"]`);
        if (box) box.checked = chosen.includes(item);
      }
      days.value = String(store.setting('Weather_DownloadDlg_Days') ?? '3');
      custom.checked = settingBool(store.setting('Weather_DownloadDlg_Custom') ?? 'false');
      region.value = String(store.setting('Weather_DownloadDlg_Region') ?? '');
    };
    requestCard.fill = fill;
    return h(
      'div',
      { class: 'card' },
      h('h2', {}, 'Forecast request'),
      h('div', { class: 'toolbar' }, ...items),
      h('div', { class: 'toolbar' }, h('label', {}, 'Days ', days), h('label', {}, custom, ' Own region '), region, email),
      h('div', { class: 'toolbar' }, h('button', { onclick: () => show('mail') }, 'Mail request'), h('button', { onclick: () => show('grid') }, 'Grid request')),
      h('p', { class: 'muted' }, 'Without an own region the request covers the chart in view. Nothing is sent from here.'),
      requestOut,
    );
  }

  return {
    element,
    show() {
      requestCard.fill?.();
      load();
    },
    hide() {
      clearTimeout(load.timer);
    },
  };
}
