// The look-ahead for dangers on the plot: the band the own ship sweeps in the
// look-ahead time, drawn faintly while it is free and in the alarm colour
// while a danger lies in it, with the danger marked and named. Its state
// comes with the live feed's "obstacle" events (and GET
// /api/charts/lookahead when the page connects).

import VectorLayer from 'ol/layer/Vector.js';
import VectorSource from 'ol/source/Vector.js';
import Feature from 'ol/Feature.js';
import Point from 'ol/geom/Point.js';
import Polygon from 'ol/geom/Polygon.js';
import { fromLonLat } from 'ol/proj.js';
import { Circle as CircleStyle, Fill, Stroke, Style, Text } from 'ol/style.js';
import { getJson } from '../lib/api.js';
import { palette } from '../theme.js';

function sweepStyle(feature) {
  const p = palette();
  const alarm = feature.get('active');
  return new Style({
    fill: new Fill({ color: alarm ? 'rgba(224, 0, 0, 0.18)' : 'rgba(128, 128, 128, 0.08)' }),
    stroke: new Stroke({ color: alarm ? p.danger : p.predictor, width: alarm ? 2 : 1, lineDash: alarm ? undefined : [4, 4] }),
  });
}

function dangerStyle(feature) {
  const p = palette();
  return new Style({
    image: new CircleStyle({ radius: 9, stroke: new Stroke({ color: p.danger, width: 3 }), fill: new Fill({ color: 'rgba(224, 0, 0, 0.25)' }) }),
    text: new Text({
      text: feature.get('name'),
      offsetY: -18,
      font: 'bold 12px sans-serif',
      fill: new Fill({ color: p.danger }),
      stroke: new Stroke({ color: p.halo, width: 3 }),
    }),
  });
}

// Adds the layer to map (in projection of its view); store gives the events.
export function attachObstacleLayer(map, store) {
  const sweepSource = new VectorSource();
  const dangerSource = new VectorSource();
  map.addLayer(new VectorLayer({ source: sweepSource, style: sweepStyle, zIndex: 6 }));
  map.addLayer(new VectorLayer({ source: dangerSource, style: dangerStyle, zIndex: 7 }));
  const projection = map.getView().getProjection();

  function show(state) {
    sweepSource.clear(true);
    dangerSource.clear(true);
    if (!state?.enabled) return;
    if (Array.isArray(state.sweep) && state.sweep.length >= 3) {
      const ring = state.sweep.map(([lon, lat]) => fromLonLat([lon, lat], projection));
      ring.push(ring[0]);
      sweepSource.addFeature(new Feature({ geometry: new Polygon([ring]), active: Boolean(state.active) }));
    }
    const d = state.danger;
    if (state.active && Number.isFinite(d?.lat) && Number.isFinite(d?.lon)) {
      dangerSource.addFeature(new Feature({ geometry: new Point(fromLonLat([d.lon, d.lat], projection)), name: d.name }));
    }
  }

  store.on('obstacle', (s, state) => show(state));
  store.on('connection', async (s, up) => {
    if (!up) return;
    const r = await getJson('/api/charts/lookahead');
    if (r.ok) show(r.data);
  });
  return { show };
}
