// The weather layer of the plot view: the open forecast's grids drawn over
// the chart by the active display group (a colour gradient, wind barbs,
// arrows for currents and waves, isobars, values as text), the time bar that
// steps and plays through the forecast times, and the values under the
// cursor. Grids come from the program's "/api/weather/grid" for the part of
// the world in view.

import ImageLayer from 'ol/layer/Image.js';
import ImageCanvasSource from 'ol/source/ImageCanvas.js';
import VectorLayer from 'ol/layer/Vector.js';
import VectorSource from 'ol/source/Vector.js';
import Feature from 'ol/Feature.js';
import Point from 'ol/geom/Point.js';
import MultiLineString from 'ol/geom/MultiLineString.js';
import { Fill, Stroke, Style, Text } from 'ol/style.js';
import { fromLonLat, toLonLat, transformExtent } from 'ol/proj.js';

import { h, setText } from '../lib/dom.js';
import { COAST_BANDS } from '../lib/geo.js';
import { getJson, postJson } from '../lib/api.js';
import { currentScheme, onSchemeChange } from '../theme.js';
import {
  DIRECTION_OF, KNOTS_PER_MS, V_OF_U, barbShape, isolines, labelText, parseGrid, rampColor, rampOf, sample,
  stepTime, utcText, vectorOf, isDirectionType,
} from '../lib/weather.js';

const PROJ = 'EPSG:3395';
const SYMBOL_SPACING_PX = 48;   // between barbs, arrows and labels
const GRADIENT_CELL_PX = 4;     // the gradient is computed on cells this size, then smoothed
const PLAY_STEP_MS = 1200;
const STATE_POLL_MS = 2000;
const LOADING_POLL_MS = 400;
const CURSOR_DELAY_MS = 200;
const MAX_CACHED_GRIDS = 96;

export function attachWeather(plot, store) {
  const map = plot.map;
  let state = { state: 'none' };
  let time;                 // the forecast time shown, ms
  let playing;              // the play timer
  let grids = new Map();    // key → Promise<grid|null>
  let generation = -1;
  let drawn = {};           // type → grid of the current time and view
  let redrawSerial = 0;

  // --- layers ------------------------------------------------------------
  const gradientSource = new ImageCanvasSource({ canvasFunction: drawGradient, ratio: 1 });
  const gradientLayer = new ImageLayer({ source: gradientSource, opacity: 0.5, visible: false });
  const symbolSource = new VectorSource();
  const symbolLayer = new VectorLayer({ source: symbolSource, style: symbolStyle, visible: false, updateWhileAnimating: false });
  // Over the coastline layers (the plot's first), under routes, targets and own ship.
  map.getLayers().insertAt(COAST_BANDS.length, symbolLayer);
  map.getLayers().insertAt(COAST_BANDS.length, gradientLayer);

  // --- time bar and read-out -----------------------------------------------
  const prev = h('button', { class: 'small', 'data-testid': 'weather-prev', title: 'Previous forecast time', onclick: () => step(-1) }, '◀');
  const next = h('button', { class: 'small', 'data-testid': 'weather-next', title: 'Next forecast time', onclick: () => step(1) }, '▶');
  const play = h('button', { class: 'small', 'data-testid': 'weather-play', onclick: () => setPlaying(!playing) }, 'Play');
  const slider = h('input', { type: 'range', min: 0, max: 0, step: 1, value: 0, class: 'weather-slider', 'aria-label': 'Forecast time' });
  const label = h('span', { class: 'weather-time', 'data-testid': 'weather-time' });
  const groupSelect = h('select', { 'data-testid': 'weather-group', 'aria-label': 'Display group' });
  const fileLabel = h('a', { class: 'weather-file', href: '/weather', 'data-link': '' });
  const bar = h('div', { class: 'weather-bar', 'data-testid': 'weather-bar', hidden: true }, fileLabel, prev, play, next, slider, label, groupSelect);
  const readout = h('div', { class: 'weather-readout', 'data-testid': 'weather-readout', hidden: true });
  plot.element.append(bar, readout);

  slider.addEventListener('input', () => {
    const t = state.times?.[Number(slider.value)];
    if (t !== undefined) showTime(t);
  });
  groupSelect.addEventListener('change', async () => {
    await postJson('/api/weather/groups', { activeGroup: Number(groupSelect.value) });
    await refreshState();
  });

  function setPlaying(on) {
    if (playing) clearInterval(playing);
    playing = on ? setInterval(() => step(1), PLAY_STEP_MS) : undefined;
    play.textContent = on ? 'Pause' : 'Play';
    play.classList.toggle('on', Boolean(on));
    play.setAttribute('aria-pressed', String(Boolean(on)));
  }

  function step(direction) {
    const t = stepTime(state.times ?? [], time, direction);
    if (t !== undefined) showTime(t);
  }

  function showTime(t) {
    time = t;
    const index = state.times.indexOf(t);
    slider.value = String(Math.max(0, index));
    const hours = Number.isFinite(state.reference) ? Math.round((t - state.reference) / 3600000) : undefined;
    setText(label, utcText(t) + (hours !== undefined ? ` (+${hours} h)` : ''));
    label.dataset.time = String(t);
    redraw();
  }

  // --- state of the program's forecast -------------------------------------
  async function refreshState() {
    const r = await getJson('/api/weather');
    if (r.ok && r.data) applyState(r.data);
    clearTimeout(refreshState.timer);
    refreshState.timer = setTimeout(refreshState, state.state === 'loading' ? LOADING_POLL_MS : STATE_POLL_MS);
  }

  function applyState(next) {
    const changed = next.generation !== generation || next.state !== state.state;
    const groupChanged = next.activeGroup !== state.activeGroup || JSON.stringify(next.groups) !== JSON.stringify(state.groups);
    state = next;
    if (groupSelect.options.length !== (state.groups ?? []).length) {
      groupSelect.replaceChildren(...(state.groups ?? []).map((g) => h('option', { value: g.index }, g.name)));
    }
    groupSelect.value = String(state.activeGroup ?? 0);
    const loaded = state.state === 'loaded' && Array.isArray(state.times) && state.times.length > 0;
    bar.hidden = !loaded;
    gradientLayer.setVisible(loaded);
    symbolLayer.setVisible(loaded);
    if (!loaded) {
      readout.hidden = true;
      setPlaying(false);
    }
    setText(fileLabel, state.file ?? '');
    if (changed) readout.hidden = true;
    if (changed && loaded) {
      generation = state.generation;
      grids = new Map();
      slider.max = String(state.times.length - 1);
      if (!chooseFittingGroup()) fitView();
      showTime(nowOrFirst(state.times));
    } else if (groupChanged && loaded) {
      redraw();
    }
  }

  // The first forecast time not more than 3 hours past, else the first.
  function nowOrFirst(times) {
    const now = Date.now() - 3 * 3600000;
    return times.find((t) => t >= now) ?? times[0];
  }

  // When the active group shows nothing of this forecast, the first group
  // that does becomes active. True when it changed the group.
  function chooseFittingGroup() {
    const present = new Set((state.types ?? []).map((t) => t.type));
    const shows = (g) => g.attrs.some((a) => present.has(a.weatherType));
    const active = state.groups?.[state.activeGroup];
    if (!active || shows(active)) return false;
    const fitting = state.groups.find(shows);
    if (!fitting) return false;
    postJson('/api/weather/groups', { activeGroup: fitting.index }).then(() => {
      fitView();
      refreshState();
    });
    return true;
  }

  // Brings the forecast's area into view when little or none of it is shown
  // (under a tenth of the view); while the plot is hidden (a page is open) it
  // waits until the plot has a size.
  let fitPending = false;
  function fitView() {
    const b = state.bounds;
    if (!b) return;
    const size = map.getSize();
    fitPending = !size || size[0] < 2 || size[1] < 2;
    if (fitPending) return;
    const [w, s, e, n] = transformExtent(map.getView().calculateExtent(size), PROJ, 'EPSG:4326');
    const overlap = Math.max(0, Math.min(e, b.east) - Math.max(w, b.west)) * Math.max(0, Math.min(n, b.north) - Math.max(s, b.south));
    if (overlap > 0.1 * (e - w) * (n - s)) return;
    const south = Math.max(b.south, -80), north = Math.min(b.north, 80);
    map.getView().fit(transformExtent([b.west, south, b.east, north], 'EPSG:4326', PROJ), { padding: [40, 40, 60, 40], duration: 0 });
  }

  // --- grids -------------------------------------------------------------
  function typeInfo(type) {
    return (state.types ?? []).find((t) => t.type === type);
  }
  function hasGrid(type, t) {
    return Boolean(typeInfo(type)?.times?.includes(t));
  }

  function viewBox() {
    const size = map.getSize();
    if (!size || size[0] < 2 || size[1] < 2) return undefined;
    const [w, s, e, n] = transformExtent(map.getView().calculateExtent(size), PROJ, 'EPSG:4326');
    const box = [Math.max(-180, w), Math.max(-85, s), Math.min(180, e), Math.min(85, n)];
    return { box, max: Math.min(250000, Math.ceil((size[0] / 6) * (size[1] / 6))) };
  }

  function loadGrid(type, t, view) {
    const box = view.box.map((x) => x.toFixed(2)).join(',');
    const key = `${generation}:${type}:${t}:${box}:${view.max}`;
    if (!grids.has(key)) {
      if (grids.size > MAX_CACHED_GRIDS) grids.clear();
      grids.set(key, fetch(`/api/weather/grid?type=${type}&time=${t}&bbox=${box}&max=${view.max}&format=bin`, { cache: 'no-store' })
        .then((r) => (r.ok ? r.arrayBuffer() : null))
        .then((buffer) => (buffer ? parseGrid(buffer) : null))
        .catch(() => null));
    }
    return grids.get(key);
  }

  // The types the active group needs at time t, with their companions.
  function neededTypes(t) {
    const needed = new Set();
    for (const a of activeAttrs()) {
      if (!hasGrid(a.weatherType, t)) continue;
      needed.add(a.weatherType);
      if (V_OF_U[a.weatherType]) needed.add(V_OF_U[a.weatherType]);
      const dir = DIRECTION_OF[a.weatherType];
      if (dir && a.displayType !== 'None') needed.add(dir);
    }
    return [...needed].filter((type) => hasGrid(type, t));
  }

  function activeAttrs() {
    return state.groups?.[state.activeGroup]?.attrs ?? [];
  }

  async function redraw() {
    const serial = ++redrawSerial;
    const view = viewBox();
    if (state.state !== 'loaded' || time === undefined || !view) return;
    const types = neededTypes(time);
    const loaded = await Promise.all(types.map((type) => loadGrid(type, time, view)));
    if (serial !== redrawSerial) return;
    drawn = {};
    types.forEach((type, i) => loaded[i] && (drawn[type] = loaded[i]));
    gradientSource.changed();
    rebuildSymbols();
    bar.dataset.drawn = Object.keys(drawn).sort().join(',');
  }

  // The value a display attribute shows at a position: scalars as they are,
  // vectors as speed with the direction they point towards or come from.
  function valueOf(attr, lat, lon) {
    const type = attr.weatherType;
    const grid = drawn[type];
    if (!grid) return undefined;
    if (V_OF_U[type]) {
      const u = sample(grid, lat, lon);
      const v = sample(drawn[V_OF_U[type]], lat, lon);
      if (u === undefined || v === undefined) return undefined;
      const { speed, towards } = vectorOf(u, v);
      return { value: speed, towards };
    }
    const value = sample(grid, lat, lon, isDirectionType(type));
    if (value === undefined) return undefined;
    const dirType = DIRECTION_OF[type];
    if (isDirectionType(type)) return { value, towards: (value + 180) % 360 };  // waves come from a direction
    if (dirType && drawn[dirType]) {
      const d = sample(drawn[dirType], lat, lon, true);
      // Current directions name where it goes, wind and wave directions where they come from.
      if (d !== undefined) return { value, towards: type === 34 ? d : (d + 180) % 360 };
    }
    return { value };
  }

  // --- gradient ------------------------------------------------------------
  function drawGradient(extent, resolution, pixelRatio, size) {
    const canvas = document.createElement('canvas');
    canvas.width = size[0];
    canvas.height = size[1];
    const attrs = activeAttrs().filter((a) => a.gradientType !== 'None' && drawn[a.weatherType]);
    if (!attrs.length) return canvas;
    const cols = Math.ceil(size[0] / GRADIENT_CELL_PX), rows = Math.ceil(size[1] / GRADIENT_CELL_PX);
    const small = document.createElement('canvas');
    small.width = cols;
    small.height = rows;
    const ctx = small.getContext('2d');
    const image = ctx.createImageData(cols, rows);
    const lons = [], lats = [];
    for (let c = 0; c < cols; c++) lons.push(toLonLat([extent[0] + ((c + 0.5) / cols) * (extent[2] - extent[0]), 0], PROJ)[0]);
    for (let r = 0; r < rows; r++) lats.push(toLonLat([0, extent[3] - ((r + 0.5) / rows) * (extent[3] - extent[1])], PROJ)[1]);
    const night = currentScheme() === 'night';
    const dim = currentScheme() === 'dusk' ? 0.7 : 1;
    for (const attr of attrs) {
      const info = typeInfo(attr.weatherType);
      const ramp = rampOf(attr.weatherType, info?.unitClass, info?.interval);
      const banded = attr.gradientType === 'Banded';
      for (let r = 0; r < rows; r++) {
        for (let c = 0; c < cols; c++) {
          const v = valueOf(attr, lats[r], lons[c]);
          if (!v) continue;
          const [red, green, blue] = rampColor(v.value, ramp, banded, night);
          const k = (r * cols + c) * 4;
          image.data[k] = red * dim;
          image.data[k + 1] = green * dim;
          image.data[k + 2] = blue * dim;
          image.data[k + 3] = 255;
        }
      }
    }
    ctx.putImageData(image, 0, 0);
    const out = canvas.getContext('2d');
    out.imageSmoothingEnabled = !attrs.every((a) => a.gradientType === 'Banded');
    out.drawImage(small, 0, 0, size[0], size[1]);
    return canvas;
  }

  // --- barbs, arrows, labels, isobars -------------------------------------
  function rebuildSymbols() {
    symbolSource.clear(true);
    const size = map.getSize();
    if (!size) return;
    const features = [];
    const attrs = activeAttrs().filter((a) => drawn[a.weatherType]);
    const settings = Object.fromEntries(['Units_Speed', 'Units_WindSpeed', 'Units_Temperature', 'Units_AirPressure', 'Units_Height'].map((n) => [n, store.setting(n)]));
    for (let py = SYMBOL_SPACING_PX / 2; py < size[1]; py += SYMBOL_SPACING_PX) {
      for (let px = SYMBOL_SPACING_PX / 2; px < size[0]; px += SYMBOL_SPACING_PX) {
        const coord = map.getCoordinateFromPixel([px, py]);
        if (!coord) continue;
        const [lon, lat] = toLonLat(coord, PROJ);
        let labelRow = 0;
        for (const attr of attrs) {
          const v = valueOf(attr, lat, lon);
          if (!v) continue;
          const info = typeInfo(attr.weatherType);
          if (attr.displayType === 'Wind Barbs' && v.towards !== undefined) {
            features.push(new Feature({ geometry: new Point(coord), kind: 'barb', knots: v.value * KNOTS_PER_MS, from: (v.towards + 180) % 360, south: lat < 0, color: attr.argb }));
          } else if (attr.displayType === 'Arrows' && v.towards !== undefined) {
            features.push(new Feature({ geometry: new Point(coord), kind: 'arrow', towards: v.towards, size: arrowSize(v.value, info), color: attr.argb }));
          }
          if (attr.showText) {
            features.push(new Feature({ geometry: new Point(coord), kind: 'label', text: labelText(attr.weatherType, info?.unitClass, v.value, settings), row: labelRow++, color: attr.argb }));
          }
        }
      }
    }
    for (const attr of attrs) {
      if (attr.displayType !== 'Isobars') continue;
      const info = typeInfo(attr.weatherType);
      const interval = (info?.unitClass === 13 ? 100 : 1) * (info?.interval || 1);
      const center = toLonLat(map.getView().getCenter(), PROJ)[0];
      const lines = isolines(drawn[attr.weatherType], interval).map(([la1, lo1, la2, lo2]) => [
        fromLonLat([nearLon(lo1, center), la1], PROJ),
        fromLonLat([nearLon(lo2, center), la2], PROJ),
      ]);
      if (lines.length) features.push(new Feature({ geometry: new MultiLineString(lines), kind: 'isobar', color: attr.argb }));
    }
    symbolSource.addFeatures(features);
    bar.dataset.symbols = String(features.length);
  }

  function nearLon(lon, center) {
    return lon - 360 * Math.round((lon - center) / 360);
  }

  function arrowSize(value, info) {
    const ramp = rampOf(info?.type, info?.unitClass, info?.interval);
    const f = Math.min(Math.max((value - ramp.low) / (ramp.high - ramp.low || 1), 0), 1);
    return 12 + 20 * f;
  }

  function strokeColor(color) {
    return currentScheme() === 'night' ? '#a03000' : color || '#000000';
  }

  function symbolStyle(feature) {
    const color = strokeColor(feature.get('color'));
    switch (feature.get('kind')) {
      case 'isobar':
        return new Style({ stroke: new Stroke({ color, width: 1.2 }) });
      case 'label':
        return new Style({
          text: new Text({
            text: feature.get('text'), font: '11px sans-serif', offsetY: 14 + 12 * feature.get('row'),
            fill: new Fill({ color }), stroke: new Stroke({ color: currentScheme() === 'day' ? '#ffffff' : '#000000', width: 3 }),
          }),
        });
      case 'barb':
      case 'arrow':
        return new Style({ renderer: (coords, state) => drawSymbol(feature, coords, state, color) });
      default:
        return undefined;
    }
  }

  // Barbs and arrows drawn on the layer's canvas, turned with the view.
  function drawSymbol(feature, [x, y], state, color) {
    const ctx = state.context;
    const scale = state.pixelRatio;
    ctx.save();
    ctx.translate(x, y);
    ctx.scale(scale, scale);
    ctx.strokeStyle = color;
    ctx.fillStyle = color;
    ctx.lineWidth = 1.3;
    if (feature.get('kind') === 'barb') {
      ctx.rotate(((feature.get('from') * Math.PI) / 180) + state.rotation);
      const shape = barbShape(feature.get('knots'), feature.get('south'));
      if (shape.calm) {
        ctx.beginPath();
        ctx.arc(0, 0, 4, 0, 2 * Math.PI);
        ctx.stroke();
      }
      ctx.beginPath();
      for (const [x1, y1, x2, y2] of shape.lines) {
        ctx.moveTo(x1, y1);
        ctx.lineTo(x2, y2);
      }
      ctx.stroke();
      for (const [x1, y1, x2, y2, x3, y3] of shape.pennants) {
        ctx.beginPath();
        ctx.moveTo(x1, y1);
        ctx.lineTo(x2, y2);
        ctx.lineTo(x3, y3);
        ctx.closePath();
        ctx.fill();
      }
    } else {
      ctx.rotate(((feature.get('towards') * Math.PI) / 180) + state.rotation);
      const size = feature.get('size');
      ctx.beginPath();
      ctx.moveTo(0, size / 2);
      ctx.lineTo(0, -size / 2);
      ctx.stroke();
      ctx.beginPath();
      ctx.moveTo(0, -size / 2 - 2);
      ctx.lineTo(-4, -size / 2 + 6);
      ctx.lineTo(4, -size / 2 + 6);
      ctx.closePath();
      ctx.fill();
    }
    ctx.restore();
  }

  // --- values under the cursor ---------------------------------------------
  let cursorTimer;
  map.on('pointermove', (e) => {
    if (state.state !== 'loaded' || e.dragging) return;
    clearTimeout(cursorTimer);
    cursorTimer = setTimeout(() => showValues(e.coordinate), CURSOR_DELAY_MS);
  });
  map.getViewport().addEventListener('mouseleave', () => {
    clearTimeout(cursorTimer);
    readout.hidden = true;
  });

  async function showValues(coordinate) {
    const [lon, lat] = toLonLat(coordinate, PROJ);
    const shownTime = time;
    const r = await getJson(`/api/weather/value?lat=${lat.toFixed(5)}&lon=${lon.toFixed(5)}&time=${shownTime}`);
    if (!r.ok || !Array.isArray(r.data?.values) || shownTime !== time) return;
    const groupTypes = new Set(activeAttrs().map((a) => a.weatherType));
    let values = r.data.values.filter((v) => v.text);
    if (values.some((v) => groupTypes.has(v.type))) values = values.filter((v) => groupTypes.has(v.type));
    readout.hidden = values.length === 0;
    readout.replaceChildren(
      h('div', { class: 'muted' }, `${Math.abs(lat).toFixed(2)}°${lat < 0 ? 'S' : 'N'} ${Math.abs(lon).toFixed(2)}°${lon < 0 ? 'W' : 'E'}, ${utcText(shownTime)}`),
      ...values.map((v) => h('div', { 'data-type': v.type }, h('span', { class: 'name' }, v.name + ': '), h('b', {}, v.text))),
    );
  }

  map.on('moveend', () => state.state === 'loaded' && redraw());
  map.on('change:size', () => {
    if (fitPending) fitView();
    if (state.state === 'loaded') redraw();
  });
  onSchemeChange(() => {
    gradientSource.changed();
    symbolLayer.changed();
  });
  store.on('settings', (s, d) => {
    if (d?.all || String(d?.name ?? '').startsWith('Units_')) rebuildSymbols();
    if (d?.all || String(d?.name ?? '').startsWith('Weather_')) refreshState();
  });

  refreshState();
  return {
    refresh: refreshState,
    // The area in view as "north,south,west,east" degrees (forecast requests).
    viewRegion() {
      const view = viewBox();
      if (!view) return '';
      const [w, s, e, n] = view.box;
      return [n, s, w, e].map((x) => x.toFixed(2)).join(',');
    },
  };
}
