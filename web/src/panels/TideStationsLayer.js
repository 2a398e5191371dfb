// Tide and current stations on the plot, each labelled with its present level
// or current, shown by the settings ChartPanel_ShowTideStations and
// ChartPanel_ShowCurrentStations ("auto": when zoomed in). A click on a
// station opens its page.

import VectorLayer from 'ol/layer/Vector.js';
import VectorSource from 'ol/source/Vector.js';
import Feature from 'ol/Feature.js';
import Point from 'ol/geom/Point.js';
import { fromLonLat, transformExtent } from 'ol/proj.js';
import { Fill, RegularShape, Stroke, Style, Text } from 'ol/style.js';
import { getJson } from '../lib/api.js';
import { stationPagePath, stationsShown } from '../lib/tides.js';
import { palette } from '../theme.js';

const REFRESH_MS = 60000; // labels follow the tide once a minute

function stationStyle(feature, resolution) {
  const p = palette();
  const current = feature.get('kind') === 'current';
  return new Style({
    image: new RegularShape({
      points: current ? 3 : 4,
      radius: 7,
      angle: current ? 0 : Math.PI / 4,
      fill: new Fill({ color: current ? '#2060d0' : '#008080' }),
      stroke: new Stroke({ color: p.halo, width: 1.5 }),
    }),
    text:
      resolution < 120
        ? new Text({
            text: feature.get('label') ?? feature.get('name'),
            offsetY: -14,
            font: '12px sans-serif',
            fill: new Fill({ color: p.text }),
            stroke: new Stroke({ color: p.halo, width: 3 }),
          })
        : undefined,
  });
}

// Adds the stations layer to map; store gives the settings.
export function attachTideStations(map, store) {
  const source = new VectorSource();
  const layer = new VectorLayer({ source, style: stationStyle, declutter: true, zIndex: 5 });
  map.addLayer(layer);
  const projection = map.getView().getProjection();
  let pending = 0;

  async function refresh() {
    const resolution = map.getView().getResolution() ?? Infinity;
    const kinds = ['tide', 'current'].filter((kind) =>
      stationsShown(store.setting(kind === 'tide' ? 'ChartPanel_ShowTideStations' : 'ChartPanel_ShowCurrentStations'), resolution),
    );
    const ticket = ++pending;
    if (kinds.length === 0) {
      source.clear(true);
      return;
    }
    const extent = map.getView().calculateExtent(map.getSize());
    const [w, s, e, n] = transformExtent(extent, projection, 'EPSG:4326');
    const box = [Math.max(-180, w), Math.max(-85, s), Math.min(180, e), Math.min(85, n)].map((x) => x.toFixed(4)).join(',');
    const results = await Promise.all(kinds.map((kind) => getJson(`/api/tides/stations?bbox=${box}&kind=${kind}`)));
    if (ticket !== pending) return;
    const features = [];
    for (const r of results) {
      for (const s of r.ok ? r.data?.stations ?? [] : []) {
        if (!Number.isFinite(s.lat) || !Number.isFinite(s.lon)) continue;
        features.push(new Feature({ geometry: new Point(fromLonLat([s.lon, s.lat], projection)), ...s, tideStation: true }));
      }
    }
    source.clear(true);
    source.addFeatures(features);
  }

  map.on('moveend', refresh);
  map.on('singleclick', (event) => {
    const feature = map.forEachFeatureAtPixel(event.pixel, (f) => (f.get('tideStation') ? f : undefined), {
      layerFilter: (l) => l === layer,
    });
    if (!feature) return;
    history.pushState({}, '', stationPagePath(feature.get('url')));
    dispatchEvent(new PopStateEvent('popstate'));
  });
  store.on('settings', (s, d) => {
    if (d?.all || /^ChartPanel_Show(Tide|Current)Stations$/.test(d?.name ?? '')) refresh();
  });
  setInterval(refresh, REFRESH_MS);
  return layer;
}
