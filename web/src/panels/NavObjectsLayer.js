// Every navigation object the program holds, drawn over the plot: marks,
// routes (the active one also by PlotView's route monitor layer), boundaries
// with their alarm state, boundary circles, range-and-bearing lines,
// annotations and stored tracks. Hidden objects and objects of hidden layers
// (or layers whose ScaleMin the map scale passes) are not drawn.
//
// Editing uses OpenLayers' interactions: Select picks an object, Modify drags
// marks and route, boundary and measuring-line points, Draw creates new ones.

import Feature from 'ol/Feature.js';
import VectorLayer from 'ol/layer/Vector.js';
import VectorSource from 'ol/source/Vector.js';
import Point from 'ol/geom/Point.js';
import LineString from 'ol/geom/LineString.js';
import Polygon from 'ol/geom/Polygon.js';
import Circle from 'ol/geom/Circle.js';
import Select from 'ol/interaction/Select.js';
import Modify from 'ol/interaction/Modify.js';
import { click, primaryAction } from 'ol/events/condition.js';
import { fromLonLat, toLonLat } from 'ol/proj.js';
import { Circle as CircleStyle, Fill, RegularShape, Stroke, Style, Text } from 'ol/style.js';

import { boundaryState, isDrawn, displayName, rhumbLine } from '../lib/navobjects.js';
import { clientNow, fixView, valueNumber } from '../lib/values.js';
import { mercatorScale } from '../lib/geo.js';
import { changeLayer, changeObject, movePoint } from '../lib/navobjectsApi.js';
import { palette, currentScheme, onSchemeChange } from '../theme.js';

const PROJ = 'EPSG:3395';
const METRES_PER_NM = 1852;
const SCALE_PER_RESOLUTION = 96 / 0.0254;
export const DRAG_LOCKED_PROMPT = 'The object you are trying to drag is locked. Would you like to unlock it?';

// Colours of the planning objects per scheme (night: dim reds and ambers only).
const COLOURS = {
  day: { inactive: '#606060', boundary: '#c00060', rangeBearing: '#c000c0', stored: '#b03030', note: '#202020', selected: '#0060ff' },
  dusk: { inactive: '#a0a0a0', boundary: '#ff70a0', rangeBearing: '#e070e0', stored: '#d07070', note: '#e0d0a0', selected: '#60a0ff' },
  night: { inactive: '#603000', boundary: '#a02000', rangeBearing: '#803000', stored: '#602000', note: '#904000', selected: '#c06000' },
};

export const project = (lat, lon) => fromLonLat([lon, lat], PROJ);
export const unproject = (xy) => {
  const [lon, lat] = toLonLat(xy, PROJ);
  return { lat, lon };
};

export function attachNavObjects(map, model, store) {
  const shapes = new VectorSource();
  const handles = new VectorSource();
  const shapeLayer = new VectorLayer({ source: shapes, style: shapeStyle, zIndex: 5 });
  const handleLayer = new VectorLayer({ source: handles, style: handleStyle, zIndex: 6 });
  map.addLayer(shapeLayer);
  map.addLayer(handleLayer);

  const colours = () => COLOURS[currentScheme()] ?? COLOURS.day;
  const label = (text, offsetY = -14) => {
    const p = palette();
    return new Text({ text, offsetY, font: '12px sans-serif', fill: new Fill({ color: p.text }), stroke: new Stroke({ color: p.halo, width: 3 }) });
  };
  const isSelected = (f) => f.get('objectId') === model.selectedId && model.selectedId !== null;

  function shapeStyle(feature) {
    const p = palette();
    const c = colours();
    const o = model.byId.get(feature.get('objectId'));
    const selected = isSelected(feature);
    const width = selected ? 4 : 2;
    switch (feature.get('kind')) {
      case 'route': {
        const colour = selected ? c.selected : o?.active ? p.route : c.inactive;
        return new Style({ stroke: new Stroke({ color: colour, width, lineDash: o?.active ? undefined : [10, 5] }) });
      }
      case 'boundary':
      case 'circle': {
        // Alarm: the danger colour, filled; inside: filled lightly; alarm off: thin and dashed.
        const state = alarmStates.get(o?.id);
        const colour = state === 'alarm' ? p.danger : selected ? c.selected : c.boundary;
        const filled = state === 'alarm' || state === 'inside' || o?.properties?.FillArea === true;
        const fill = filled ? new Fill({ color: state === 'alarm' ? 'rgba(224,0,0,0.22)' : 'rgba(192,0,96,0.10)' }) : undefined;
        const dash = state === 'off' ? [4, 6] : feature.get('kind') === 'circle' ? [10, 4] : undefined;
        return new Style({ stroke: new Stroke({ color: colour, width: state === 'alarm' ? 4 : state === 'off' ? 1 : width, lineDash: dash }), fill });
      }
      case 'rangeBearing':
        return new Style({ stroke: new Stroke({ color: selected ? c.selected : c.rangeBearing, width }), text: label(feature.get('label'), -10) });
      case 'track':
        return new Style({ stroke: new Stroke({ color: selected ? c.selected : c.stored, width, lineDash: [2, 4] }) });
      default:
        return undefined;
    }
  }

  function handleStyle(feature, resolution) {
    const p = palette();
    const c = colours();
    const selected = isSelected(feature);
    const name = resolution < 200 ? feature.get('label') ?? '' : '';
    switch (feature.get('kind')) {
      case 'annotation':
        return new Style({
          image: new CircleStyle({ radius: 3, fill: new Fill({ color: selected ? c.selected : c.note }) }),
          text: new Text({ text: feature.get('label'), offsetX: 6, textAlign: 'left', font: 'italic 13px sans-serif', fill: new Fill({ color: selected ? c.selected : c.note }), stroke: new Stroke({ color: p.halo, width: 3 }) }),
        });
      case 'routePoint':
      case 'shapePoint':
        return new Style({
          image: new CircleStyle({ radius: selected ? 6 : 5, fill: new Fill({ color: p.halo }), stroke: new Stroke({ color: selected ? c.selected : feature.get('active') ? p.route : c.inactive, width: 2 }) }),
          text: feature.get('kind') === 'routePoint' ? label(name) : undefined,
        });
      default:
        return new Style({
          image: new RegularShape({ points: 4, radius: selected ? 8 : 6, angle: Math.PI / 4, fill: new Fill({ color: p.halo }), stroke: new Stroke({ color: selected ? c.selected : p.mark, width: 2 }) }),
          text: label(name),
        });
    }
  }

  // The scale denominator on the ground at the view's centre.
  const mapScale = () => {
    const view = map.getView();
    const centre = view.getCenter();
    const lat = centre ? unproject(centre).lat : 0;
    return ((view.getResolution() ?? 0) * SCALE_PER_RESOLUTION) / mercatorScale(lat);
  };

  function pathFeatures(o, coords, shapeKind, pointKind, out, pointOut) {
    if (o.type === 'Boundary' && o.closed) out.push(new Feature({ geometry: new Polygon([[...coords, coords[0]]]), kind: shapeKind, objectId: o.id }));
    else if (coords.length > 1) out.push(new Feature({ geometry: new LineString(coords), kind: shapeKind, objectId: o.id }));
    o.points.forEach((pt, i) => {
      pointOut.push(
        new Feature({
          geometry: new Point(coords[i]),
          kind: pointKind,
          objectId: o.id,
          markId: pt.id,
          index: i,
          active: o.active,
          label: pt.name || String(i + 1).padStart(3, '0'),
        }),
      );
    });
  }

  let drag; // the point being dragged: redrawing waits for its drop
  let redrawAfterDrop = false;
  function draw() {
    if (drag) {
      redrawAfterDrop = true;
      return;
    }
    redrawAfterDrop = false;
    const scale = mapScale();
    const shapeFeatures = [];
    const handleFeatures = [];
    // A route's or boundary's marks are drawn as its points (and hidden with
    // it), not again as marks, unless they also stand on their own.
    const pathMarks = new Set();
    for (const o of model.objects) if (o.type !== 'Track') for (const p of o.points) pathMarks.add(p.id);
    for (const o of model.objects) {
      if (!isDrawn(o, model.layersById, scale)) continue;
      const coords = o.points.map((p) => project(p.lat, p.lon));
      switch (o.type) {
        case 'Route':
          pathFeatures(o, coords, 'route', 'routePoint', shapeFeatures, handleFeatures);
          break;
        case 'Boundary':
        case 'Channel':
          pathFeatures(o, coords, 'boundary', 'shapePoint', shapeFeatures, handleFeatures);
          break;
        case 'RangeBearing': {
          pathFeatures(o, coords, 'rangeBearing', 'shapePoint', shapeFeatures, handleFeatures);
          const line = shapeFeatures[shapeFeatures.length - 1];
          if (o.points.length === 2 && line?.get('objectId') === o.id) {
            const { bearing, distanceNm } = rhumbLine(o.points[0], o.points[1]);
            line.set('label', `${bearing.toFixed(0).padStart(3, '0')}°T ${distanceNm.toFixed(2)} nm`);
          }
          break;
        }
        case 'Track':
          if (coords.length > 1) shapeFeatures.push(new Feature({ geometry: new LineString(coords), kind: 'track', objectId: o.id }));
          break;
        case 'Annotation':
          if (Number.isFinite(o.lat)) {
            handleFeatures.push(new Feature({ geometry: new Point(project(o.lat, o.lon)), kind: 'annotation', objectId: o.id, markId: o.id, label: o.description || o.name }));
          }
          break;
        default:
          if (!Number.isFinite(o.lat) || (pathMarks.has(o.id) && o.properties.ExistsOutsideCollection !== true)) break;
          handleFeatures.push(new Feature({ geometry: new Point(project(o.lat, o.lon)), kind: 'mark', objectId: o.id, markId: o.id, label: o.properties.ShowName === false ? '' : displayName(o) }));
          if (o.boundaryCircle && o.radiusNm > 0) {
            const radius = o.radiusNm * METRES_PER_NM * mercatorScale(o.lat);
            shapeFeatures.push(new Feature({ geometry: new Circle(project(o.lat, o.lon), radius), kind: 'circle', objectId: o.id }));
          }
      }
    }
    shapes.clear(true);
    handles.clear();
    shapes.addFeatures(shapeFeatures);
    handles.addFeatures(handleFeatures);
  }

  // --- boundary alarm states ---------------------------------------------
  // What each boundary's alarm watches, from own ship's fix and speed.
  let alarmStates = new Map();
  function updateAlarmStates() {
    const now = clientNow();
    const fix = fixView(store.ownship?.fix, store.ownshipAt, now);
    const own = fix.lat === undefined ? undefined : { lat: fix.lat, lon: fix.lon };
    const sog = valueNumber(store.ownship?.sog, store.ownshipAt, now);
    const states = new Map();
    for (const o of model.objects) {
      const state = boundaryState(o, own, sog);
      if (state) states.set(o.id, state);
    }
    const changed = states.size !== alarmStates.size || [...states].some(([id, s]) => alarmStates.get(id) !== s);
    alarmStates = states;
    if (changed) shapes.changed();
  }
  store.on('ownship', updateAlarmStates);

  // --- selection ---------------------------------------------------------
  // Select on the click itself; the single click that follows it (the chart
  // pick's event) stops at an object, so picking an object reports no chart.
  const select = new Select({ layers: [shapeLayer, handleLayer], hitTolerance: 6, style: null, condition: click });
  select.on('select', (e) => model.select(e.selected[0]?.get('objectId') ?? null));
  map.addInteraction(select);
  map.on('singleclick', (e) => {
    if (select.getActive() && objectAt(e.pixel)) e.stopPropagation();
  });

  // --- dragging ----------------------------------------------------------
  // A locked object (or a point of one, or an object of a read-only layer)
  // asks when it is dropped: it moves only when the navigator agrees to
  // unlock it, else it goes back. A click that does not drag asks nothing.
  let grabbed;
  function mayDrag(event) {
    if (!primaryAction(event)) return false;
    const feature = map.forEachFeatureAtPixel(event.pixel, (f) => f, { layerFilter: (l) => l === handleLayer, hitTolerance: 6 });
    const o = feature && model.byId.get(feature.get('objectId'));
    if (!o) return false;
    const index = feature.get('index');
    grabbed = { feature, object: o, index, point: index === undefined ? undefined : o.points[index] };
    return true;
  }

  async function drop({ feature, object: o, index, point }) {
    const readOnlyLayer = Boolean(model.layersById.get(o.layer)?.readOnly);
    if ((o.locked || readOnlyLayer || point?.locked) && !window.confirm(DRAG_LOCKED_PROMPT)) {
      draw();
      return;
    }
    const at = unproject(feature.getGeometry().getCoordinates());
    if (readOnlyLayer) await model.edit(() => changeLayer(o.layer, { readOnly: false }), 'Unlock layer');
    if (index === undefined) {
      const changes = o.locked ? { LockPosition: false, Position: at } : { Position: at };
      await model.edit(() => changeObject(o.id, changes), 'Move');
      return;
    }
    if (o.locked) await model.edit(() => changeObject(o.id, { LockPosition: false }), 'Unlock');
    if (point?.locked && point.id !== o.id) await model.edit(() => changeObject(point.id, { LockPosition: false }), 'Unlock');
    await model.edit(() => movePoint(o.id, index, at.lat, at.lon), 'Move');
  }

  const modify = new Modify({ source: handles, condition: mayDrag, insertVertexCondition: () => false, pixelTolerance: 8 });
  modify.on('modifystart', () => {
    drag = grabbed;
  });
  modify.on('modifyend', async () => {
    const dropped = drag;
    if (dropped) await drop(dropped);
    drag = undefined;
    if (redrawAfterDrop) draw();
  });
  map.addInteraction(modify);

  model.on((kind) => {
    if (kind === 'data') {
      updateAlarmStates();
      draw();
    }
    else if (kind === 'select') {
      select.getFeatures().clear();
      shapes.changed();
      handles.changed();
    }
  });
  map.getView().on('change:resolution', () => {
    // Layers with a ScaleMin appear and disappear with the scale.
    if (model.layers.some((l) => l.scaleMin > 0)) draw();
  });
  onSchemeChange(() => {
    shapeLayer.changed();
    handleLayer.changed();
  });
  draw();

  // The object under a pixel, with the point of a route or boundary when it is one.
  function objectAt(pixel) {
    const feature = map.forEachFeatureAtPixel(pixel, (f) => f, { layerFilter: (l) => l === handleLayer || l === shapeLayer, hitTolerance: 6 });
    const o = feature && model.byId.get(feature.get('objectId'));
    if (!o) return undefined;
    const index = feature.get('index');
    return { object: o, point: index === undefined ? undefined : o.points[index], index };
  }

  return { select, modify, objectAt, shapeLayer, handleLayer };
}
