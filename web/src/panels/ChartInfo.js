// The chart information and the pick report: what the charts say at a point
// (GET /api/charts/features) and the properties of the chart drawn there
// (GET /api/charts/at), as a panel over the plot. A click on the plot opens
// it; it closes with its button or Escape.

import { toLonLat, transformExtent } from 'ol/proj.js';
import { h, clear } from '../lib/dom.js';
import { getJson } from '../lib/api.js';
import { displayScale, reportFeatures, scaleText } from '../lib/charts.js';

// A table of [name, value] properties.
export function propertiesTable(properties) {
  return h(
    'table',
    { class: 'list kv chart-properties', 'data-testid': 'chart-properties' },
    (properties ?? []).map(([name, value]) => h('tr', {}, h('th', {}, name), h('td', {}, value))),
  );
}

// The pick report of GET /api/charts/features: per chart its features with
// their attributes (acronym, name, value and meaning).
export function featureReport(data, withMeta = false) {
  const charts = data?.charts ?? [];
  if (charts.length === 0) return h('p', { class: 'muted' }, 'No chart features here.');
  return h(
    'div',
    { class: 'feature-report', 'data-testid': 'feature-report' },
    charts.map((c) =>
      h(
        'section',
        {},
        h('h3', {}, `${c.chart?.name ?? ''} ${scaleText(c.chart?.scale)}`),
        reportFeatures(c.features, withMeta).map((f) =>
          h(
            'details',
            { class: 'feature', 'data-class': f.title },
            h('summary', {}, f.title, Number.isFinite(f.sounding) ? ` ${f.sounding} m` : ''),
            h(
              'table',
              { class: 'list kv' },
              f.rows.map((r) => h('tr', {}, h('th', { title: r.name }, r.acronym), h('td', {}, r.value))),
            ),
          ),
        ),
      ),
    ),
  );
}

// The panel over map (an OpenLayers map in a chart projection); opens on a click.
export function attachChartPick(map) {
  const body = h('div', { class: 'pick-body' });
  const close = h('button', { class: 'small close', title: 'Close', onclick: () => hide() }, '×');
  const meta = h('input', { type: 'checkbox', onchange: () => render() });
  const panel = h(
    'div',
    { class: 'card pick-panel', 'data-testid': 'pick-panel', hidden: true },
    h('div', { class: 'pick-head' }, h('strong', {}, 'Chart query'), h('label', { class: 'muted' }, meta, ' meta objects'), close),
    body,
  );
  map.getTargetElement()?.append(panel);
  let last;
  let ticket = 0;

  function hide() {
    panel.hidden = true;
  }

  function render() {
    if (!last) return;
    clear(body);
    const [lon, lat] = last.position;
    body.append(h('p', { class: 'muted' }, `${lat.toFixed(5)}, ${lon.toFixed(5)} at ${scaleText(last.scale)}`));
    if (last.chart?.ok) {
      body.append(
        h('details', { class: 'chart-info', 'data-testid': 'chart-info' }, h('summary', {}, `Chart information: ${last.chart.data.chart.name}`), propertiesTable(last.chart.data.properties)),
      );
    }
    body.append(last.features.ok ? featureReport(last.features.data, meta.checked) : h('p', { class: 'error' }, last.features.error));
  }

  async function pick(coordinate) {
    const view = map.getView();
    const [lon, lat] = toLonLat(coordinate, view.getProjection());
    const scale = Math.max(1, Math.round(displayScale(view.getResolution() ?? 1, lat)));
    const query = `lat=${lat.toFixed(7)}&lon=${lon.toFixed(7)}&scale=${scale}`;
    const mine = ++ticket;
    const [features, chart] = await Promise.all([getJson(`/api/charts/features?${query}`), getJson(`/api/charts/at?${query}`)]);
    if (mine !== ticket) return;
    last = { position: [lon, lat], scale, features, chart };
    panel.hidden = false;
    render();
  }

  map.on('singleclick', (e) => pick(e.coordinate));
  document.addEventListener('keydown', (e) => e.key === 'Escape' && hide());
  return { pick, hide };
}

// Shows extent {north, west, south, east} (degrees; west > east across the
// antimeridian) on map.
export function fitToExtent(map, extent) {
  const view = map.getView();
  const east = extent.east < extent.west ? extent.east + 360 : extent.east;
  const box = transformExtent([extent.west, extent.south, east, extent.north], 'EPSG:4326', view.getProjection());
  view.fit(box, { padding: [20, 20, 20, 20], maxZoom: 18 });
}
