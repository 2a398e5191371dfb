// The plot view: an OpenLayers map in World Mercator on WGS 84 (EPSG:3395,
// the projection of the program's charts), over the world coastline served
// by the program. It shows the own ship with heading line, COG/SOG predictor
// and track, AIS targets with predictors and passing points, and the active
// route with its leg and arrival circle. North-up or course-up; pan,
// zoom and follow own ship.

import Map from 'ol/Map.js';
import View from 'ol/View.js';
import Feature from 'ol/Feature.js';
import VectorLayer from 'ol/layer/Vector.js';
import VectorSource from 'ol/source/Vector.js';
import GeoJSON from 'ol/format/GeoJSON.js';
import { bbox as bboxStrategy } from 'ol/loadingstrategy.js';
import { register } from 'ol/proj/proj4.js';
import { get as getProjection, fromLonLat, transformExtent } from 'ol/proj.js';
import Point from 'ol/geom/Point.js';
import LineString from 'ol/geom/LineString.js';
import Circle from 'ol/geom/Circle.js';
import { Circle as CircleStyle, Fill, RegularShape, Stroke, Style, Text } from 'ol/style.js';
import { defaults as defaultControls } from 'ol/control/defaults.js';
import ScaleLine from 'ol/control/ScaleLine.js';
import proj4 from 'proj4';

import { h } from '../lib/dom.js';
import { clientNow, fixView, valueNumber } from '../lib/values.js';
import { COAST_BANDS, destination, mercatorScale } from '../lib/geo.js';
import { isDangerous, isLost, settingColour, shownTargets, targetLabel } from '../lib/targets.js';
import { settingBool } from '../lib/settings.js';
import { getJson, setSetting } from '../lib/api.js';
import { currentScheme, palette, onSchemeChange } from '../theme.js';
import { attachTideStations } from './TideStationsLayer.js';

const PROJ = 'EPSG:3395';
const HALF_WORLD = 20037508.342789244;
proj4.defs(PROJ, '+proj=merc +lon_0=0 +k=1 +x_0=0 +y_0=0 +ellps=WGS84 +datum=WGS84 +units=m +no_defs');
register(proj4);
getProjection(PROJ).setExtent([-HALF_WORLD, -HALF_WORLD, HALF_WORLD, HALF_WORLD]);

const PREDICTOR_MIN = 6; // minutes of COG/SOG predictors
const AIS_TRACKS_REFRESH_MS = 10000;
const HEADING_LINE_PX = 60;
const ORIENT_THRESHOLD_DEG = 3; // course-up turns the map only past this change
const METRES_PER_NM = 1852;
// Map units per pixel -> scale denominator (96 dpi screen).
const SCALE_PER_RESOLUTION = 96 / 0.0254;

const project = (lat, lon) => fromLonLat([lon, lat], PROJ);

function coastRank(feature) {
  const level = Number(feature.get('level')) || 1;
  return (feature.get('kind') === 'coast' ? 100 : 0) + level;
}

function coastLayer(res, minScale, maxScale) {
  const format = new GeoJSON();
  const source = new VectorSource({
    strategy: bboxStrategy,
    loader(extent, resolution, projection, success, failure) {
      const [minLon, minLat, maxLon, maxLat] = transformExtent(extent, projection, 'EPSG:4326');
      const box = [Math.max(-180, minLon), Math.max(-85, minLat), Math.min(180, maxLon), Math.min(85, maxLat)]
        .map((x) => x.toFixed(4))
        .join(',');
      getJson(`/api/coastline?res=${res}&bbox=${box}`).then((r) => {
        if (!r.ok || !r.data) return failure();
        const features = format.readFeatures(r.data, { featureProjection: projection });
        // Boxes overlap: a polygon seen before keeps its first copy.
        for (const f of features) {
          if (f.getId() === undefined) {
            const g = f.getGeometry();
            f.setId(`${g.getType()}:${g.getFlatCoordinates().slice(0, 4).map((x) => x.toFixed(0)).join(',')}:${g.getFlatCoordinates().length}`);
          }
        }
        source.addFeatures(features);
        success(features);
      });
    },
  });
  return new VectorLayer({
    source,
    minResolution: minScale > 0 ? minScale / SCALE_PER_RESOLUTION : undefined,
    maxResolution: Number.isFinite(maxScale) ? maxScale / SCALE_PER_RESOLUTION : undefined,
    // Each box brings land (odd levels), lakes (even levels) and the shore
    // lines: polygons by rising level so a lake paints over its land whatever
    // box it came from, shore lines last. Polygon edges are box cuts: unstroked.
    renderOrder: (a, b) => coastRank(a) - coastRank(b),
    style: (feature) => {
      const p = palette();
      const kind = feature.get('kind');
      if (kind === 'coast') return new Style({ stroke: new Stroke({ color: p.coast, width: 1 }) });
      return new Style({ fill: new Fill({ color: kind === 'lake' ? p.sea : p.land }) });
    },
    updateWhileInteracting: false,
  });
}

export function createPlotView(store) {
  const container = h('div', { class: 'map', 'data-testid': 'map' });
  const orientButton = h('button', { class: 'small', 'data-testid': 'orient' }, 'North up');
  const followButton = h('button', { class: 'small on', 'data-testid': 'follow' }, 'Follow');
  const view = new View({ projection: PROJ, center: [0, 0], zoom: 2, maxZoom: 20 });

  const ownSource = new VectorSource();
  const targetSource = new VectorSource();
  const routeSource = new VectorSource();
  const ownFeature = new Feature({ geometry: new Point([0, 0]) });
  const predictor = new Feature({ geometry: new LineString([]) });
  const track = new Feature({ geometry: new LineString([]) });
  ownSource.addFeatures([track, predictor, ownFeature]);

  const coastLayers = COAST_BANDS.map((b) => coastLayer(b.res, b.minScale, b.maxScale));
  const layers = [
    ...coastLayers,
    new VectorLayer({ source: routeSource, style: routeStyle }),
    new VectorLayer({ source: targetSource, style: targetStyle, declutter: false }),
    new VectorLayer({ source: ownSource, style: ownStyle }),
  ];
  const map = new Map({
    target: container,
    layers,
    view,
    controls: defaultControls({ attribution: false, rotateOptions: { autoHide: false } }).extend([
      new ScaleLine({ units: 'nautical' }),
    ]),
  });

  attachTideStations(map, store);

  let follow = true;
  let flashPhase = false; // flashing symbols are hollow every other second
  let courseUp = false;
  let headingRad = 0;
  let centred = false;
  let lastPos;

  // --- own ship --------------------------------------------------------
  function ownStyle(feature, resolution) {
    const p = palette();
    if (feature === track) return new Style({ stroke: new Stroke({ color: p.track, width: 2 }) });
    if (feature === predictor) return new Style({ stroke: new Stroke({ color: p.predictor, width: 2, lineDash: [8, 6] }) });
    const at = feature.getGeometry().getCoordinates();
    const line = new LineString([
      at,
      [at[0] + Math.sin(headingRad) * HEADING_LINE_PX * resolution, at[1] + Math.cos(headingRad) * HEADING_LINE_PX * resolution],
    ]);
    return [
      new Style({ geometry: line, stroke: new Stroke({ color: p.heading, width: 2 }) }),
      new Style({
        image: new RegularShape({
          points: 3,
          radius: 12,
          scale: [0.65, 1],
          rotation: headingRad,
          rotateWithView: true,
          fill: new Fill({ color: p.ownShip }),
          stroke: new Stroke({ color: p.halo, width: 1.5 }),
        }),
      }),
    ];
  }

  function updateOwnShip() {
    const now = clientNow();
    const own = store.ownship;
    const fix = fixView(own?.fix, store.ownshipAt, now);
    if (fix.lat === undefined) {
      ownFeature.setStyle(new Style({}));
      predictor.getGeometry().setCoordinates([]);
      return;
    }
    ownFeature.setStyle(undefined);
    const at = project(fix.lat, fix.lon);
    const hdg = valueNumber(own.headingTrue, store.ownshipAt, now);
    const cog = valueNumber(own.cog, store.ownshipAt, now);
    const sog = valueNumber(own.sog, store.ownshipAt, now);
    headingRad = (((hdg ?? cog ?? 0) % 360) * Math.PI) / 180;
    ownFeature.getGeometry().setCoordinates(at);
    if (cog !== undefined && sog !== undefined && sog > 0.1) {
      const end = destination(fix.lat, fix.lon, cog, (sog * PREDICTOR_MIN) / 60);
      predictor.getGeometry().setCoordinates([at, project(end.lat, end.lon)]);
    } else {
      predictor.getGeometry().setCoordinates([]);
    }
    appendTrack(at);
    if (!centred) {
      view.setCenter(at);
      view.setZoom(13);
      centred = true;
    } else if (follow) {
      view.setCenter(at);
    }
    if (courseUp) {
      const up = cog ?? hdg;
      if (up !== undefined) {
        const target = (-up * Math.PI) / 180;
        const diff = Math.abs(((view.getRotation() - target + 3 * Math.PI) % (2 * Math.PI)) - Math.PI);
        if ((diff * 180) / Math.PI >= ORIENT_THRESHOLD_DEG) view.setRotation(target);
      }
    }
    ownFeature.changed();
  }

  function appendTrack(at) {
    if (lastPos && Math.hypot(at[0] - lastPos[0], at[1] - lastPos[1]) < 5) return;
    lastPos = at;
    const line = track.getGeometry();
    line.appendCoordinate(at);
    if (line.getCoordinates().length > 20000) line.setCoordinates(line.getCoordinates().slice(-15000));
  }

  async function loadTrack() {
    const since = Date.now() - 6 * 3600 * 1000;
    const r = await getJson(`/api/track?since=${since}`);
    if (!r.ok || !Array.isArray(r.data?.points)) return;
    const coords = r.data.points
      .filter((p) => Array.isArray(p) && Number.isFinite(p[0]) && Number.isFinite(p[1]))
      .map((p) => project(p[1], p[0]));
    const line = track.getGeometry();
    line.setCoordinates([...coords, ...line.getCoordinates()]);
  }

  // --- AIS targets -----------------------------------------------------
  // Vessels are triangles along their heading (class B a little smaller) in
  // AIS_DefaultVesselColor; base stations are squares with a cross, aids to
  // navigation diamonds with a centre dot. Dangerous and lost targets take
  // the scheme's alarm colours.
  let colourTables = {};
  getJson('/api/colours').then((r) => {
    if (r.ok && r.data) {
      colourTables = r.data;
      targetSource.changed();
    }
  });
  const vesselColour = (p) => settingColour(store.setting('AIS_DefaultVesselColor') ?? 'S52:RESBL', currentScheme(), colourTables) ?? p.target;

  function stationImage(t, p, color, fill) {
    const stroke = new Stroke({ color, width: 2 });
    if (t.class === 'BaseStation') {
      return [
        new RegularShape({ points: 4, radius: 8, angle: Math.PI / 4, fill: new Fill({ color: fill }), stroke }),
        new RegularShape({ points: 4, radius: 8, radius2: 0, angle: 0, stroke }),
      ];
    }
    return [
      new RegularShape({ points: 4, radius: 9, angle: 0, fill: new Fill({ color: fill }), stroke }),
      new CircleStyle({ radius: 2, fill: new Fill({ color }) }),
    ];
  }

  function targetStyle(feature) {
    const p = palette();
    const t = feature.get('target');
    const kind = feature.get('kind');
    const danger = isDangerous(t);
    const lost = isLost(t);
    const color = danger ? p.danger : lost ? p.lost : vesselColour(p);
    if (kind === 'predictor') return new Style({ stroke: new Stroke({ color, width: danger ? 2 : 1.5 }) });
    if (kind === 'track') return new Style({ stroke: new Stroke({ color, width: 1, lineDash: [2, 3] }) });
    if (kind === 'cpa') {
      return new Style({
        stroke: new Stroke({ color: p.danger, width: 1.5, lineDash: [4, 4] }),
        image: new CircleStyle({ radius: 4, stroke: new Stroke({ color: p.danger, width: 2 }) }),
      });
    }
    const flashing = (danger || lost) && settingBool(store.setting('AIS_FlashLostAndDangerousTargets') ?? 'yes');
    const dim = flashing && flashPhase;
    const showName = settingBool(store.setting('AIS_ShowVesselNames') ?? 'yes');
    const text = showName
      ? new Text({
          text: targetLabel(t),
          offsetY: -16,
          font: '12px sans-serif',
          fill: new Fill({ color: p.text }),
          stroke: new Stroke({ color: p.halo, width: 3 }),
        })
      : undefined;
    if (t.class === 'BaseStation' || t.class === 'AtoN') {
      const [outer, inner] = stationImage(t, p, color, dim ? 'rgba(0,0,0,0)' : p.halo);
      return [new Style({ image: outer, text }), new Style({ image: inner })];
    }
    const course = Number.isFinite(t.heading) && t.heading < 360 ? t.heading : Number.isFinite(t.cog) ? t.cog : 0;
    const size = t.class === 'B' ? 7.5 : 9;
    return new Style({
      image: new RegularShape({
        points: 3,
        radius: danger ? size + 2 : size,
        scale: [0.65, 1],
        rotation: (course * Math.PI) / 180,
        rotateWithView: true,
        fill: new Fill({ color: dim ? 'rgba(0,0,0,0)' : color }),
        stroke: new Stroke({ color: danger ? p.danger : p.halo, width: danger ? 3 : 1 }),
      }),
      text,
    });
  }

  // Recent tracks (AIS_ShowTracks), from the program, refreshed every few seconds.
  let aisTracks = new Map(); // mmsi -> [[lon, lat, utcMs]...]
  async function loadAisTracks() {
    if (!settingBool(store.setting('AIS_ShowTracks') ?? 'yes')) {
      aisTracks = new Map();
      return;
    }
    const r = await getJson('/api/ais/tracks');
    if (!r.ok || !Array.isArray(r.data?.tracks)) return;
    aisTracks = new Map(r.data.tracks.map((t) => [t.mmsi, Array.isArray(t.points) ? t.points : []]));
    updateTargets();
  }

  function updateTargets() {
    targetSource.clear(true);
    const features = [];
    const passingSetting = String(store.setting('AIS_ShowPredictedPassingPoints') ?? 'auto').toLowerCase();
    const predictors = settingBool(store.setting('AIS_ShowPredictors') ?? 'yes');
    const tracks = settingBool(store.setting('AIS_ShowTracks') ?? 'yes');
    const shown = shownTargets([...store.targets.values()].map((e) => e.target), (name) => store.setting(name), settingBool);
    for (const t of shown) {
      if (!Number.isFinite(t.lat) || !Number.isFinite(t.lon)) continue;
      const at = project(t.lat, t.lon);
      const track = tracks ? aisTracks.get(t.mmsi) : undefined;
      if (track?.length) {
        const line = track.filter((p) => Number.isFinite(p[0]) && Number.isFinite(p[1])).map((p) => project(p[1], p[0]));
        line.push(at);
        if (line.length > 1) features.push(new Feature({ geometry: new LineString(line), target: t, kind: 'track' }));
      }
      features.push(new Feature({ geometry: new Point(at), target: t, kind: 'target', mmsi: t.mmsi }));
      if (predictors && Number.isFinite(t.cog) && Number.isFinite(t.sog) && t.sog > 0.1 && !isLost(t)) {
        const end = destination(t.lat, t.lon, t.cog, (t.sog * PREDICTOR_MIN) / 60);
        features.push(new Feature({ geometry: new LineString([at, project(end.lat, end.lon)]), target: t, kind: 'predictor' }));
      }
      const showPassing = passingSetting === 'auto' ? isDangerous(t) : settingBool(passingSetting);
      if (showPassing && t.cpaPosition && t.ownCpaPosition) {
        const a = project(t.cpaPosition.lat, t.cpaPosition.lon);
        const b = project(t.ownCpaPosition.lat, t.ownCpaPosition.lon);
        features.push(new Feature({ geometry: new LineString([a, b]), target: t, kind: 'cpa' }));
        features.push(new Feature({ geometry: new Point(a), target: t, kind: 'cpa' }));
        features.push(new Feature({ geometry: new Point(b), target: t, kind: 'cpa' }));
      }
    }
    targetSource.addFeatures(features);
  }

  // --- the active route -----------------------------------------------
  function routeStyle(feature, resolution) {
    const p = palette();
    const kind = feature.get('kind');
    const label = (text) =>
      new Text({ text, offsetY: -14, font: '12px sans-serif', fill: new Fill({ color: p.text }), stroke: new Stroke({ color: p.halo, width: 3 }) });
    switch (kind) {
      case 'route':
        return new Style({ stroke: new Stroke({ color: p.route, width: 2 }) });
      case 'leg':
        return new Style({ stroke: new Stroke({ color: p.leg, width: 4 }) });
      case 'arrival':
        return new Style({ stroke: new Stroke({ color: p.leg, width: 2, lineDash: [6, 4] }) });
      default: // the active route's points and the waypoint
        return new Style({
          image: new CircleStyle({ radius: 5, stroke: new Stroke({ color: p.route, width: 2 }) }),
          text: resolution < 200 ? label(feature.get('name') ?? '') : undefined,
        });
    }
  }

  let routes = [];
  async function loadNavObjects() {
    const r = await getJson('/api/navobjects');
    if (r.ok && Array.isArray(r.data?.routes)) routes = r.data.routes;
    updateRoute();
  }

  function updateRoute() {
    routeSource.clear(true);
    // Marks and the other objects are drawn by the planning layer (NavObjectsLayer).
    const features = [];
    const route = store.route;
    if (route) {
      // The route's own points carry the waypoint names; the monitor's legs only positions.
      const named = routes.find((r) => r.id === route.routeId)?.points;
      const legs = (named ?? route.legs ?? []).filter((p) => Number.isFinite(p?.lat) && Number.isFinite(p?.lon));
      if (legs.length > 1) features.push(new Feature({ geometry: new LineString(legs.map((p) => project(p.lat, p.lon))), kind: 'route' }));
      for (const p of legs) features.push(new Feature({ geometry: new Point(project(p.lat, p.lon)), kind: 'point', name: p.name }));
      const wp = route.waypoint;
      if (wp && Number.isFinite(wp.lat) && Number.isFinite(wp.lon)) {
        const to = project(wp.lat, wp.lon);
        if (route.origin && Number.isFinite(route.origin.lat)) {
          features.push(new Feature({ geometry: new LineString([project(route.origin.lat, route.origin.lon), to]), kind: 'leg' }));
        }
        if (Number.isFinite(route.arrivalRadiusNm) && route.arrivalRadiusNm > 0) {
          const radius = route.arrivalRadiusNm * METRES_PER_NM * mercatorScale(wp.lat);
          features.push(new Feature({ geometry: new Circle(to, radius), kind: 'arrival' }));
        }
        features.push(new Feature({ geometry: new Point(to), kind: 'point', name: wp.name }));
      }
    }
    routeSource.addFeatures(features);
  }

  // --- controls --------------------------------------------------------
  function setFollow(on) {
    follow = on;
    followButton.classList.toggle('on', on);
    followButton.setAttribute('aria-pressed', String(on));
    if (on) updateOwnShip();
  }
  // StandardDisplay_Orientation keeps the choice: "north-up" or "course-up".
  function setCourseUp(on, save = true) {
    if (save && on !== courseUp) setSetting('StandardDisplay_Orientation', on ? 'course-up' : 'north-up');
    courseUp = on;
    orientButton.textContent = on ? 'Course up' : 'North up';
    orientButton.setAttribute('aria-pressed', String(on));
    if (!on) view.setRotation(0);
    else updateOwnShip();
  }
  followButton.addEventListener('click', () => setFollow(!follow));
  orientButton.addEventListener('click', () => setCourseUp(!courseUp));
  // A listener returning false stops the event before the interactions: the
  // body must not be an expression that is false once following has stopped.
  map.on('pointerdrag', () => {
    if (follow) setFollow(false);
  });

  // Another demo voyage: the track starts afresh and the view goes to the ship.
  let voyage;
  store.on('demo', (s, demo) => {
    if ((demo?.voyage ?? voyage) === voyage) return;
    const first = voyage === undefined;
    voyage = demo?.voyage;
    if (first) return;
    track.getGeometry().setCoordinates([]);
    lastPos = undefined;
    centred = false;
    setFollow(true);
  });

  let lastRouteId;
  store.on('ownship', updateOwnShip);
  store.on('ais', updateTargets);
  store.on('route', (s, route) => {
    if ((route?.routeId ?? null) !== lastRouteId) {
      lastRouteId = route?.routeId ?? null;
      loadNavObjects();
    } else updateRoute();
  });
  store.on('tick', () => {
    flashPhase = !flashPhase;
    updateOwnShip();
    targetSource.changed();
  });
  store.on('settings', (s, d) => {
    if (d?.all || d?.name === 'StandardDisplay_Orientation') {
      const on = String(store.setting('StandardDisplay_Orientation') ?? '').toLowerCase() === 'course-up';
      if (on !== courseUp) setCourseUp(on, false);
    }
    if (d?.all || String(d?.name ?? '').startsWith('AIS_')) {
      if (d?.all || d?.name === 'AIS_ShowTracks') loadAisTracks();
      updateTargets();
    }
    targetSource.changed();
  });
  setInterval(loadAisTracks, AIS_TRACKS_REFRESH_MS);
  onSchemeChange(() => {
    for (const layer of layers) layer.changed();
  });

  loadTrack();
  loadNavObjects();
  loadAisTracks();
  const tools = h('div', { class: 'map-tools' }, orientButton, followButton);
  const element = h('div', { class: 'plot' }, container, tools);
  return { element, map, coastLayers, refresh: () => map.updateSize(), reloadNavObjects: loadNavObjects };
}
