// The chart manager: the chart folders (added by path, removed), the
// progress of the background builds, and every chart of the library with its
// scale, edition, state (failed builds and failed updates with their texts)
// and properties; a chart can be shown on the plot or removed.

import { h, clear, setText } from '../lib/dom.js';
import { getJson, postJson } from '../lib/api.js';
import { chartStatus, editionText, progressText, scaleText } from '../lib/charts.js';
import { propertiesTable } from '../panels/ChartInfo.js';

const POLL_MS = 1000;
const KIND_TEXT = { vector: 'Vector (S-57)', kap: 'Raster (BSB/KAP)', geotiff: 'GeoTIFF' };

// showOnPlot(extent): shows the plot over extent {north, west, south, east}.
export function createChartsPage({ showOnPlot } = {}) {
  const error = h('p', { class: 'error', 'data-testid': 'chart-error', hidden: true });
  const input = h('input', {
    type: 'text',
    class: 'path',
    size: 60,
    placeholder: '/full/path/to/a/chart/folder or a .000, .KAP or .tif file',
    'data-testid': 'chart-folder-input',
  });
  const form = h(
    'form',
    { class: 'chart-add', onsubmit: (e) => (e.preventDefault(), addSource()) },
    input,
    h('button', { type: 'submit', 'data-testid': 'chart-folder-add' }, 'Add'),
    h('button', { type: 'button', onclick: () => act(postJson('/api/charts/rescan')) }, 'Look again'),
  );
  const sources = h('ul', { class: 'chart-sources', 'data-testid': 'chart-sources' });
  const progress = h('p', { class: 'muted', 'data-testid': 'chart-progress' });
  const table = h('table', { class: 'list charts', 'data-testid': 'charts-table' });
  const element = h(
    'div',
    { class: 'page charts-page' },
    h('h1', {}, 'Charts'),
    error,
    h('section', { class: 'card' }, h('h2', {}, 'Chart folders'), sources, form),
    progress,
    h('section', { class: 'card' }, h('h2', {}, 'Charts'), table),
  );
  const open = new Set(); // ids whose properties are shown
  let timer;
  let generation;
  let busy = false;

  function showError(text) {
    error.hidden = !text;
    setText(error, text ?? '');
  }

  async function act(request) {
    const r = await request;
    showError(r.ok ? '' : r.error);
    await load();
    return r;
  }

  async function addSource() {
    const path = input.value.trim();
    if (!path) return;
    const r = await act(postJson('/api/charts/sources', { path }));
    if (r.ok) input.value = '';
  }

  function renderSources(list) {
    clear(sources);
    if (list.length === 0) sources.append(h('li', { class: 'muted' }, 'No chart folder yet: add one below.'));
    for (const s of list) {
      sources.append(
        h(
          'li',
          { 'data-path': s.path },
          h('code', {}, s.path),
          ` — ${s.charts} chart${s.charts === 1 ? '' : 's'}`,
          s.installation ? h('span', { class: 'muted' }, ' (installation folder)') : null,
          s.installation
            ? null
            : h('button', { class: 'small', onclick: () => act(postJson('/api/charts/sources/remove', { path: s.path })) }, 'Remove'),
        ),
      );
    }
  }

  async function propertiesRow(chart, cell) {
    const r = await getJson(`/api/charts/${chart.id}`);
    clear(cell);
    cell.append(r.ok ? propertiesTable(r.data.properties) : h('p', { class: 'error' }, r.error));
  }

  function renderCharts(list) {
    clear(table);
    table.append(
      h('tr', {}, ['Name', 'Kind', 'Scale', 'Edition', 'State', ''].map((t) => h('th', {}, t))),
    );
    if (list.length === 0) table.append(h('tr', {}, h('td', { colspan: 6, class: 'muted' }, 'No charts.')));
    for (const c of list) {
      const status = chartStatus(c);
      const actions = h(
        'td',
        { class: 'actions' },
        h('button', { class: 'small', onclick: () => (open.has(c.id) ? open.delete(c.id) : open.add(c.id), renderCharts(list)) }, 'Properties'),
        c.extent && showOnPlot ? h('button', { class: 'small', onclick: () => showOnPlot(c.extent) }, 'Show') : null,
        h('button', { class: 'small', onclick: () => act(postJson('/api/charts/remove', { name: c.path })) }, 'Remove'),
      );
      table.append(
        h(
          'tr',
          { 'data-chart': c.name, 'data-status': c.status, class: `level-${status.level}` },
          h('td', { title: c.path }, c.name),
          h('td', {}, KIND_TEXT[c.kind] ?? c.kind),
          h('td', {}, scaleText(c.scale)),
          h('td', {}, editionText(c)),
          h('td', { class: 'state' }, status.text, status.detail ? h('div', { class: 'detail' }, status.detail) : null),
          actions,
        ),
      );
      if (open.has(c.id)) {
        const cell = h('td', { colspan: 6 }, 'Reading...');
        table.append(h('tr', { class: 'properties' }, cell));
        propertiesRow(c, cell);
      }
    }
  }

  async function load() {
    const r = await getJson('/api/charts');
    if (!r.ok) {
      showError(r.error);
      return;
    }
    generation = r.data.generation;
    busy = Boolean(r.data.progress?.busy);
    setText(progress, progressText(r.data.progress) || 'All charts are up to date.');
    renderSources(r.data.sources ?? []);
    renderCharts(r.data.charts ?? []);
  }

  // The list is read again when the library changed or its work ended.
  async function poll() {
    const r = await getJson('/api/charts/progress');
    if (!r.ok) return;
    setText(progress, progressText(r.data.progress) || 'All charts are up to date.');
    if (r.data.generation !== generation || Boolean(r.data.progress?.busy) !== busy) await load();
  }

  return {
    element,
    show() {
      load();
      clearInterval(timer);
      timer = setInterval(poll, POLL_MS);
    },
    hide() {
      clearInterval(timer);
    },
  };
}
