// A tide or current station: the day's events as a table and a graph (uPlot)
// with the present time marked, stepping by day, its instrument values and
// the keys of its information page, and a button that shows the station on the
// plot. Address: /tides?url=STATION-URL[&day=YYYY-MM-DD].

import uPlot from 'uplot';
import 'uplot/dist/uPlot.min.css';
import { h, clear } from '../lib/dom.js';
import { getJson } from '../lib/api.js';
import { axisTitle, curveData, graphEventLabel, referenceLines, shiftDay, stationPagePath } from '../lib/tides.js';
import { palette } from '../theme.js';

const KEY_LABELS = {
  'station-id': 'Station ID', name: 'Name', 'station-type': 'Type', 'reference-station': 'Reference station',
  'can-graph': 'Can graph', position: 'Position', 'flood-dir': 'Flood direction', 'ebb-dir': 'Ebb direction',
};

// Event markers with their labels and the present time, drawn over the curve.
function markersPlugin(getState) {
  return {
    hooks: {
      draw: [
        (u) => {
          const { events, kind, now, lines } = getState();
          const p = palette();
          const ctx = u.ctx;
          ctx.save();
          ctx.font = `${Math.round(11 * devicePixelRatio)}px sans-serif`;
          // Reference lines (datum, average speeds), and which side is flood.
          ctx.textAlign = 'left';
          ctx.setLineDash([6 * devicePixelRatio, 4 * devicePixelRatio]);
          for (const line of lines) {
            const y = u.valToPos(line.value, 'y', true);
            ctx.strokeStyle = p.text;
            ctx.lineWidth = devicePixelRatio;
            ctx.beginPath();
            ctx.moveTo(u.bbox.left, y);
            ctx.lineTo(u.bbox.left + u.bbox.width, y);
            ctx.stroke();
            ctx.fillStyle = p.text;
            ctx.fillText(line.label, u.bbox.left + 4 * devicePixelRatio, y - 3 * devicePixelRatio);
          }
          ctx.setLineDash([]);
          if (kind === 'current') {
            ctx.fillStyle = p.text;
            ctx.fillText('FLOOD', u.bbox.left + 4 * devicePixelRatio, u.bbox.top + 14 * devicePixelRatio);
          }
          ctx.textAlign = 'center';
          for (const e of events) {
            if (!Number.isFinite(e.value)) continue;
            const x = u.valToPos(e.time / 1000, 'x', true);
            const y = u.valToPos(e.value, 'y', true);
            ctx.fillStyle = p.route;
            ctx.beginPath();
            ctx.arc(x, y, 3 * devicePixelRatio, 0, 2 * Math.PI);
            ctx.fill();
            ctx.fillStyle = p.text;
            const above = e.type === 2 || (kind === 'current' && e.type !== 1 && e.value >= 0);
            ctx.fillText(`${graphEventLabel(e, kind)} ${e.clock}`, x, y + (above ? -8 : 16) * devicePixelRatio);
          }
          const nx = u.valToPos(now / 1000, 'x', true);
          if (nx >= u.bbox.left && nx <= u.bbox.left + u.bbox.width) {
            ctx.strokeStyle = p.danger;
            ctx.lineWidth = 2 * devicePixelRatio;
            ctx.beginPath();
            ctx.moveTo(nx, u.bbox.top);
            ctx.lineTo(nx, u.bbox.top + u.bbox.height);
            ctx.stroke();
            ctx.fillStyle = p.danger;
            ctx.fillText('Now', nx, u.bbox.top + 12 * devicePixelRatio);
          }
          ctx.restore();
        },
      ],
    },
  };
}

// The plot's view around a station: about 3 NM either side, zoomed in far
// enough for the stations layer to label it.
const SHOW_HALF_SPAN_DEG = 0.05;

// showOnPlot(extent): shows the plot over extent {north, west, south, east}.
export function createTideStationPage({ showOnPlot } = {}) {
  const title = h('h1', { 'data-testid': 'tide-title' }, 'Tide station');
  const status = h('p', { class: 'muted' });
  const dayTitle = h('span', { 'data-testid': 'tide-day' });
  const prev = h('button', { 'data-testid': 'tide-prev' }, '◀ Previous day');
  const today = h('button', { 'data-testid': 'tide-today' }, 'Today');
  const next = h('button', { 'data-testid': 'tide-next' }, 'Next day ▶');
  const onPlot = h('button', { 'data-testid': 'tide-show-on-plot', hidden: !showOnPlot }, 'Show on plot');
  const instruments = h('dl', { class: 'values', 'data-testid': 'tide-instruments' });
  const table = h('div', { class: 'card tide-table', 'data-testid': 'tide-table' });
  const graph = h('div', { class: 'card tide-graph', 'data-testid': 'tide-graph' });
  const keys = h('table', { class: 'list kv', 'data-testid': 'tide-keys' });
  const element = h(
    'div',
    { class: 'page tide-page' },
    title,
    status,
    h('div', { class: 'toolbar' }, prev, today, next, dayTitle, onPlot),
    instruments,
    graph,
    table,
    h('h2', {}, 'Station'),
    keys,
  );
  let url = '';
  let data;
  let plot;
  const state = () => ({
    events: data?.events ?? [],
    kind: data?.kind ?? 'tide',
    now: data?.now ?? Date.now(),
    lines: referenceLines(data?.kind, data?.keys),
  });

  const go = (day) => {
    history.pushState({}, '', stationPagePath(url, day));
    load(day);
  };
  prev.addEventListener('click', () => data && go(shiftDay(data.dayStart, -1)));
  next.addEventListener('click', () => data && go(shiftDay(data.dayStart, 1)));
  today.addEventListener('click', () => go(''));
  onPlot.addEventListener('click', () => {
    if (!data || !showOnPlot || !Number.isFinite(data.lat) || !Number.isFinite(data.lon)) return;
    const dLon = SHOW_HALF_SPAN_DEG / Math.max(0.1, Math.cos((data.lat * Math.PI) / 180));
    showOnPlot({
      north: Math.min(85, data.lat + SHOW_HALF_SPAN_DEG),
      south: Math.max(-85, data.lat - SHOW_HALF_SPAN_DEG),
      west: data.lon - dLon,
      east: data.lon + dLon,
    });
  });

  function renderInstruments(values, kind) {
    clear(instruments);
    const cell = (label, text, testid) =>
      h('div', { class: 'cell' }, h('dt', {}, label), h('dd', { 'data-testid': testid }, text ?? '---'));
    if (kind === 'tide') {
      instruments.append(
        cell('Level now', values.levelText, 'tideLevel'),
        cell('Trend', values.tideTrend, 'tideTrend'),
        cell('Next', values.tideNextEventDescription, 'tideNextEventDescription'),
      );
    } else {
      instruments.append(
        cell('Current now', values.currentDescription, 'currentDescription'),
        cell('Next slack', values.nextSlackText, 'nextSlackTime'),
        cell('Next', values.tideNextEventDescription, 'tideNextEventDescription'),
      );
    }
  }

  function renderGraph() {
    plot?.destroy();
    plot = undefined;
    clear(graph);
    if (!data.canGraph) {
      graph.append(h('p', { class: 'muted' }, 'This station has no curve to draw.'));
      return;
    }
    const p = palette();
    const width = Math.max(320, Math.min(1000, element.clientWidth - 40 || 800));
    const range = data.range;
    plot = new uPlot(
      {
        width,
        height: 300,
        legend: { show: false },
        cursor: { y: false },
        scales: {
          x: { time: true, range: [data.dayStart / 1000, data.dayEnd / 1000] },
          y: range ? { range: [Math.min(range.lower, 0), range.upper + (range.upper - range.lower) * 0.12] } : {},
        },
        axes: [
          { stroke: p.text, grid: { stroke: p.border ?? '#8884' } },
          { stroke: p.text, label: axisTitle(data.units), grid: { stroke: p.border ?? '#8884' } },
        ],
        series: [{}, { label: data.name, stroke: p.route, width: 2, fill: `${p.sea ?? '#9cf'}80` }],
        plugins: [markersPlugin(state)],
      },
      curveData(data.curve),
      graph,
    );
  }

  async function load(day) {
    const q = new URLSearchParams(location.search);
    url = q.get('url') ?? url;
    day = day ?? q.get('day') ?? '';
    if (!url) {
      title.textContent = 'Tide station';
      status.textContent = 'No station chosen: pick one on the plot or in the Tides panel.';
      return;
    }
    status.textContent = 'Loading…';
    const r = await getJson(`/api/tides/station?url=${encodeURIComponent(url)}${day ? `&day=${day}` : ''}`);
    if (!r.ok || !r.data) {
      status.textContent = r.error ?? 'The station is not available.';
      return;
    }
    data = r.data;
    status.textContent = `${data.kind === 'tide' ? 'Tide' : 'Current'} station, ${data.reference ? 'reference' : 'subordinate'}, ${data.units}`;
    title.textContent = data.name;
    dayTitle.textContent = new Date(data.dayStart + 12 * 3600000).toDateString();
    renderInstruments(data.instruments ?? {}, data.kind);
    // The table is the program's own markup (labels, times and numbers only).
    table.innerHTML = data.table;
    clear(keys);
    keys.append(
      h(
        'tbody',
        {},
        (data.keys ?? []).map(([k, v]) => {
          const link = k === 'reference-station-link' ? h('a', { href: stationPagePath(v), 'data-link': '' }, v) : v;
          return h('tr', { 'data-key': k }, h('th', {}, KEY_LABELS[k] ?? k), h('td', {}, link));
        }),
      ),
    );
    renderGraph();
  }

  return {
    element,
    show() {
      load();
    },
    hide() {
      plot?.destroy();
      plot = undefined;
    },
  };
}
