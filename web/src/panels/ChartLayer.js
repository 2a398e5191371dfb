// The chart on the plot: the program's chart tiles (256-pixel PNG tiles in
// World Mercator, EPSG:3395, over the world square of side 2π·6378137 m with
// the origin at its top-left) under the layers the plot draws, the chart
// outlines on request, the display scale (kept in StandardDisplay_Scale and
// typed in as "1:N"), the cursor's position with range and bearing from the
// own ship, and the chart display settings, which take effect at once: tile
// addresses carry the colour scheme and a revision of the portrayal settings
// and of the drawable charts.

import TileLayer from 'ol/layer/Tile.js';
import XYZ from 'ol/source/XYZ.js';
import { createXYZ } from 'ol/tilegrid.js';
import VectorLayer from 'ol/layer/Vector.js';
import VectorSource from 'ol/source/Vector.js';
import GeoJSON from 'ol/format/GeoJSON.js';
import { bbox as bboxStrategy } from 'ol/loadingstrategy.js';
import { toLonLat, transformExtent } from 'ol/proj.js';
import { Fill, Stroke, Style, Text } from 'ol/style.js';

import { h, setText } from '../lib/dom.js';
import { getJson, postJson, setSetting } from '../lib/api.js';
import { displayScale, isPortrayalSetting, parseScale, positionText, rangeBearing, scaleText, tileRevision } from '../lib/charts.js';
import { clientNow, fixView } from '../lib/values.js';
import { currentScheme, onSchemeChange, palette } from '../theme.js';
import { settingRow } from '../pages/SettingsPage.js';

const HALF_WORLD = Math.PI * 6378137;
const MAX_ZOOM = 20;
const GENERATION_POLL_MS = 5000;
const SCALE_SAVE_DELAY_MS = 1000;
const PROBE_RETRY_MS = 3000;

// The chart display settings on the plot, by topic.
const DISPLAY_SETTINGS = [
  ['Contours', ['S52_SafetyContourDepth', 'S52_ShallowContourDepth', 'S52_DeepContourDepth', 'S52_HilightSafetyContour', 'S52_ShowDepthContours', 'S52_ShowContourLabels']],
  ['Shades and soundings', ['S52_DepthShades', 'S52_ShowShallowWaterPattern', 'S52_ShowSpotSoundings', 'S52_DimSafeSoundings']],
  [
    'Display groups',
    [
      'S52_ShowNavAids', 'S52_ShowNavAidLights', 'S52_ShowFullLightSectors', 'S52_ShowIsolatedDangers', 'S52_ShowShallowWaterDangers',
      'S52_ShowRestrictedAreas', 'S52_ShowRouteingSystems', 'S52_ShowCablesAndPipes', 'S52_ShowSeabed', 'S52_ShowTidal',
      'S52_ShowBoundaries', 'S52_ShowOtherMiscellaneous', 'S52_ShowUnknownObjects', 'S52_UseScaMin',
    ],
  ],
  ['Text', ['S52_ShowNames', 'S52_ShowImportantText', 'S52_ShowOtherText', 'S52_ShowLightDescriptions', 'S52_DeclutterText', 'S52_TextSize']],
  ['Symbols', ['S52_Symbols', 'S52_Boundaries', 'S52_SymbolScaling']],
];

// The tile address of the chart drawn in scheme with revision.
export function tileUrl(scheme, revision) {
  return `/api/charts/tile/{z}/{x}/{y}.png?scheme=${scheme}&rev=${encodeURIComponent(revision)}`;
}

// plot: the plot view ({map, coastLayers, element}); store: the live state.
export function attachChartLayer(plot, store) {
  const { map } = plot;
  const view = map.getView();
  const projection = view.getProjection();
  let generation = 0;
  let revision = tileRevision(store.settings, generation);

  const source = new XYZ({
    projection,
    tileGrid: createXYZ({ extent: [-HALF_WORLD, -HALF_WORLD, HALF_WORLD, HALF_WORLD], tileSize: 256, maxZoom: MAX_ZOOM }),
    url: tileUrl(currentScheme(), revision),
    transition: 0,
    crossOrigin: null,
  });
  const tiles = new TileLayer({ source, preload: 1, className: 'chart-tiles', visible: false });
  // Tiles on their way, for scripts that wait for the chart to be complete.
  let loading = 0;
  const countLoading = (change) => {
    loading = Math.max(0, loading + change);
    plot.element.dataset.tilesLoading = String(loading);
  };
  source.on('tileloadstart', () => countLoading(1));
  source.on(['tileloadend', 'tileloaderror'], () => countLoading(-1));
  // Over the coastline, under routes, targets and the own ship.
  map.getLayers().insertAt(plot.coastLayers.length, tiles);

  // The tiles draw the world coastline where no chart is: the coastline
  // layers step back while the program serves tiles.
  async function probeTiles() {
    const r = await fetch(`/api/charts/tile/0/0/0.png?scheme=${currentScheme()}`, { cache: 'no-store' }).catch(() => undefined);
    // Busy drawing (503): it serves tiles, ask again shortly.
    if (r?.status === 503) setTimeout(probeTiles, PROBE_RETRY_MS);
    const served = Boolean(r?.ok) && (r.headers.get('content-type') ?? '').startsWith('image/png');
    tiles.setVisible(served);
    for (const layer of plot.coastLayers) layer.setVisible(!served);
    plot.element.dataset.chartTiles = served ? 'on' : 'off';
  }

  function refreshTiles() {
    const next = tileRevision(store.settings, generation);
    const url = tileUrl(currentScheme(), next);
    revision = next;
    if (source.getUrls()?.[0] !== url) source.setUrl(url);
    plot.element.dataset.tileRevision = `${currentScheme()}:${revision}`;
  }
  onSchemeChange(refreshTiles);
  store.on('settings', (s, d) => {
    if (d?.all || isPortrayalSetting(d?.name)) refreshTiles();
    if (d?.all || d?.name === 'StandardDisplay_Scale') applySavedScale();
  });

  async function pollGeneration() {
    const r = await getJson('/api/charts/progress');
    if (r.ok && Number.isFinite(r.data?.generation) && r.data.generation !== generation) {
      generation = r.data.generation;
      refreshTiles();
      outlineSource.refresh();
    }
  }
  setInterval(pollGeneration, GENERATION_POLL_MS);

  // --- outlines ----------------------------------------------------------
  const format = new GeoJSON();
  const outlineSource = new VectorSource({
    strategy: bboxStrategy,
    loader(extent, resolution, proj, success, failure) {
      const [w, s, e, n] = transformExtent(extent, proj, 'EPSG:4326');
      const box = [Math.max(-180, w), Math.max(-85, s), Math.min(180, e), Math.min(85, n)].map((x) => x.toFixed(4)).join(',');
      getJson(`/api/charts/outlines?bbox=${box}`).then((r) => {
        if (!r.ok || !r.data) return failure();
        // Boxes overlap: a chart seen before keeps its first outline.
        const features = format.readFeatures(r.data, { featureProjection: proj }).filter((f) => {
          const id = f.getId() ?? f.get('id');
          if (id === undefined || outlineSource.getFeatureById(id)) return false;
          f.setId(id);
          return true;
        });
        outlineSource.addFeatures(features);
        success(features);
      });
    },
  });
  const outlines = new VectorLayer({
    source: outlineSource,
    visible: false,
    style: (feature) => {
      const p = palette();
      return new Style({
        stroke: new Stroke({ color: p.route, width: 1.5, lineDash: [6, 4] }),
        text: new Text({
          text: `${feature.get('name') ?? ''} ${scaleText(feature.get('scale'))}`,
          placement: 'line',
          font: '11px sans-serif',
          fill: new Fill({ color: p.text }),
          stroke: new Stroke({ color: p.halo, width: 3 }),
        }),
      });
    },
  });
  map.getLayers().insertAt(plot.coastLayers.length + 1, outlines);
  const outlineButton = h('button', { class: 'small', 'data-testid': 'chart-outlines', 'aria-pressed': 'false' }, 'Outlines');
  outlineButton.addEventListener('click', () => {
    const on = !outlines.getVisible();
    outlines.setVisible(on);
    outlineButton.classList.toggle('on', on);
    outlineButton.setAttribute('aria-pressed', String(on));
  });

  // --- display scale -----------------------------------------------------
  const scaleInput = h('input', { class: 'scale-input', type: 'text', size: 11, 'data-testid': 'chart-scale', title: 'Display scale: type 1:N and Enter', 'aria-label': 'Display scale' });
  const centreLat = () => toLonLat(view.getCenter() ?? [0, 0], projection)[1];
  const currentScale = () => displayScale(view.getResolution() ?? 1, centreLat());
  function showScale(scale) {
    if (Number.isFinite(scale) && scale > 0 && document.activeElement !== scaleInput) scaleInput.value = scaleText(scale);
  }
  // The view at 1:scale around its present centre.
  function zoomToScale(scale) {
    const lat = centreLat();
    view.setResolution((scale * 0.00028) / Math.max(1e-6, Math.cos((lat * Math.PI) / 180)));
  }
  scaleInput.addEventListener('keydown', (e) => {
    if (e.key !== 'Enter') return;
    const scale = parseScale(scaleInput.value);
    scaleInput.classList.toggle('invalid', scale === undefined);
    if (scale === undefined) return;
    scaleInput.blur();
    zoomToScale(scale);
  });
  let saveTimer;
  let savedScale;
  view.on('change:resolution', () => showScale(currentScale()));
  map.on('moveend', () => {
    // The view for scripts that look at the chart (centre in EPSG:3395 metres,
    // metres a pixel, rotation in radians).
    plot.element.dataset.view = JSON.stringify({ center: view.getCenter(), resolution: view.getResolution(), rotation: view.getRotation() });
    const text = scaleText(currentScale());
    showScale(currentScale());
    clearTimeout(saveTimer);
    if (text === '' || text === savedScale) return;
    saveTimer = setTimeout(() => {
      savedScale = text;
      setSetting('StandardDisplay_Scale', text);
    }, SCALE_SAVE_DELAY_MS);
  });
  // The scale kept from the last run, once, when the view first goes to the own ship.
  let scaleRestored = false;
  function applySavedScale() {
    const text = store.setting('StandardDisplay_Scale');
    if (scaleRestored || text === undefined) return;
    if (fixView(store.ownship?.fix, store.ownshipAt, clientNow()).lat === undefined) return;
    scaleRestored = true;
    savedScale = text;
    const scale = parseScale(text);
    if (scale) zoomToScale(scale);
  }
  store.on('ownship', applySavedScale);

  // --- cursor ------------------------------------------------------------
  const cursor = h('div', { class: 'cursor-readout', 'data-testid': 'cursor-readout', hidden: true });
  map.on('pointermove', (e) => {
    if (e.dragging) return;
    const [lon, lat] = toLonLat(e.coordinate, projection);
    const fix = fixView(store.ownship?.fix, store.ownshipAt, clientNow());
    let text = positionText(lat, lon);
    if (fix.lat !== undefined) {
      const { nm, deg } = rangeBearing(fix.lat, fix.lon, lat, lon);
      text += `  ${nm < 10 ? nm.toFixed(2) : nm.toFixed(1)} nm ${String(Math.round(deg) % 360).padStart(3, '0')}°T`;
    }
    cursor.hidden = false;
    setText(cursor, text);
  });
  map.getViewport().addEventListener('mouseleave', () => (cursor.hidden = true));

  // --- display settings --------------------------------------------------
  const settingsBody = h('div', { class: 'display-body' });
  const standardError = h('p', { class: 'error', hidden: true });
  const standardButton = h('button', { class: 'small', 'data-testid': 'standard-display', title: 'The standard display: its display groups on, the others off, four shades, traditional symbols, plain boundaries' }, 'Standard display');
  standardButton.addEventListener('click', async () => {
    const r = await postJson('/api/charts/standard-display', {});
    standardError.hidden = r.ok;
    standardError.textContent = r.ok ? '' : r.error;
    loadDisplaySettings();
  });
  const settingsPanel = h(
    'div',
    { class: 'card display-panel', 'data-testid': 'chart-display', hidden: true },
    h('div', { class: 'pick-head' }, h('strong', {}, 'Chart display'), standardButton, h('button', { class: 'small close', title: 'Close', onclick: () => (settingsPanel.hidden = true) }, '×')),
    standardError,
    settingsBody,
  );
  async function loadDisplaySettings() {
    const r = await getJson('/api/settings');
    if (!r.ok || !Array.isArray(r.data)) {
      settingsBody.replaceChildren(h('p', { class: 'error' }, r.error ?? 'No settings.'));
      return;
    }
    const byName = new Map(r.data.flatMap((g) => g.settings ?? []).map((s) => [s.name, s]));
    settingsBody.replaceChildren(
      ...DISPLAY_SETTINGS.map(([title, names]) =>
        h('details', { open: title === 'Contours' || title === 'Shades and soundings' }, h('summary', {}, title), names.filter((n) => byName.has(n)).map((n) => settingRow(store, byName.get(n)))),
      ),
    );
  }
  const displayButton = h('button', { class: 'small', 'data-testid': 'chart-display-open' }, 'Display');
  displayButton.addEventListener('click', () => {
    settingsPanel.hidden = !settingsPanel.hidden;
    if (!settingsPanel.hidden) loadDisplaySettings();
  });

  plot.element.append(h('div', { class: 'chart-tools' }, scaleInput, outlineButton, displayButton));
  map.getTargetElement()?.append(cursor, settingsPanel);
  probeTiles();
  pollGeneration();
  refreshTiles();
  return { tiles, outlines, zoomToScale, refreshTiles };
}
