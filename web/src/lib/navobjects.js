// The navigation objects as the page uses them: the program's list read into
// one shape, which objects are drawn, and the route table's arithmetic.

const NM_PER_DEG = 60;
export const DELETED_LAYER = '_deleted';

const finite = (x) => typeof x === 'number' && Number.isFinite(x);

// {lat, lon} from {lat, lon}, [lat, lon] or {Position: {lat, lon}}; undefined otherwise.
function latLon(p) {
  if (Array.isArray(p) && finite(p[0]) && finite(p[1])) return { lat: p[0], lon: p[1] };
  if (p && finite(p.lat) && finite(p.lon)) return { lat: p.lat, lon: p.lon };
  if (p?.properties?.Position) return latLon(p.properties.Position);
  if (p?.position) return latLon(p.position);
  return undefined;
}

const bool = (x) => x === true || x === 'true' || x === 1;

// Keys of the program's list and the class their items belong to.
const LIST_KEYS = {
  marks: 'Mark',
  routes: 'Route',
  boundaries: 'Boundary',
  channels: 'Channel',
  rangeBearings: 'RangeBearing',
  annotations: 'Annotation',
  tracks: 'Track',
  objects: undefined,
};

// One object of the list in the page's shape:
// {id, type, name, layer, hidden, locked, lat?, lon?, points: [{id, name, lat, lon}],
//  closed, radiusNm?, alarm, active, properties, deleted}.
export function readObject(item, type, marksById = new Map(), deleted = false) {
  const props = item?.properties && typeof item.properties === 'object' ? item.properties : {};
  const cls = item.type ?? item.class ?? type ?? 'Mark';
  const pos = latLon(item) ?? latLon(props.Position);
  const refs = Array.isArray(item.points) ? item.points : Array.isArray(item.marks) ? item.marks : Array.isArray(props.Marks) ? props.Marks : [];
  const points = refs
    .map((ref) => {
      const mark = typeof ref === 'string' ? marksById.get(ref) : ref;
      const at = latLon(mark);
      if (!at) return undefined;
      return { id: mark.id ?? (typeof ref === 'string' ? ref : undefined), name: mark.name ?? mark.properties?.Name ?? '', ...at, locked: bool(mark.locked ?? mark.properties?.LockPosition) };
    })
    .filter(Boolean);
  const layer = item.layer ?? (deleted ? DELETED_LAYER : '');
  const radius = item.radiusNm ?? item.rangeCircleRadiusNm;
  const circleKind = Number(item.boundaryCircle ?? props.BoundaryCircleOffLimits ?? 0);
  return {
    id: String(item.id ?? ''),
    type: cls,
    name: item.name ?? props.Name ?? '',
    description: item.description ?? props.Description ?? '',
    layer,
    hidden: bool(item.hidden ?? props.Hidden),
    locked: bool(item.locked ?? item.lockPosition ?? props.LockPosition),
    ...(pos ?? {}),
    points,
    closed: cls === 'Boundary' && points.length >= 3,
    radiusNm: finite(radius) ? radius : parseNm(props.RangeCircleRadius),
    boundaryCircle: circleKind > 0,
    alarm: bool(item.alarm ?? item.alarmActive ?? item.inside),
    active: bool(item.active),
    lengthNm: finite(item.lengthNm) ? item.lengthNm : undefined,
    properties: props,
    deleted: deleted || layer === DELETED_LAYER,
  };
}

// A distance text of the program ("0.5 nm", "200 m", "1 km") in nautical miles.
export function parseNm(text) {
  if (finite(text)) return text;
  const m = /^\s*([0-9.]+)\s*(nm|NM|m|km|ft)?\s*$/.exec(String(text ?? ''));
  if (!m || !Number.isFinite(Number(m[1]))) return undefined;
  const v = Number(m[1]);
  switch (m[2]) {
    case 'm':
      return v / 1852;
    case 'km':
      return (v * 1000) / 1852;
    case 'ft':
      return (v * 0.3048) / 1852;
    default:
      return v;
  }
}

function readLayer(l) {
  const v = l.viewSettings ?? l;
  return {
    name: String(l.name ?? l.Name ?? ''),
    id: String(l.id ?? l.name ?? l.Name ?? ''),
    visible: !(v.visible === false || v.Visible === false || v.Visible === 'false'),
    readOnly: bool(v.readOnly ?? v.ReadOnly),
    scaleMin: Number(v.scaleMin ?? v.ScaleMin ?? 0) || 0,
    expires: Number(v.expires ?? v.Expires ?? 0) || 0,
    count: finite(l.count) ? l.count : undefined,
  };
}

// The program's GET /api/navobjects answer as {objects, layers, deleted}:
// lists keyed by class ("marks", "routes", ...) or one "objects" list with a
// "type"/"class" per item; deleted objects under "deleted" or in the layer "_deleted".
export function readNavObjects(data) {
  const marksById = new Map();
  for (const m of Array.isArray(data?.marks) ? data.marks : []) if (m?.id) marksById.set(String(m.id), m);
  for (const o of Array.isArray(data?.objects) ? data.objects : []) {
    if (o?.id && (o.type ?? o.class) === 'Mark') marksById.set(String(o.id), o);
  }
  const objects = [];
  const deleted = [];
  for (const [key, type] of Object.entries(LIST_KEYS)) {
    for (const item of Array.isArray(data?.[key]) ? data[key] : []) {
      if (!item || item.id === undefined) continue;
      const o = readObject(item, type, marksById);
      (o.deleted ? deleted : objects).push(o);
    }
  }
  for (const item of Array.isArray(data?.deleted) ? data.deleted : []) {
    if (item?.id !== undefined) deleted.push(readObject(item, undefined, marksById, true));
  }
  const layers = (Array.isArray(data?.layers) ? data.layers : []).map(readLayer).filter((l) => l.name !== DELETED_LAYER);
  return { objects, layers, deleted };
}

// Whether o is drawn at the map scale 1:scale: not hidden, in a layer that is
// visible and, when the layer has a ScaleMin, at a scale at least as large.
export function isDrawn(o, layersByName, scale) {
  if (o.hidden || o.deleted) return false;
  const layer = layersByName.get(o.layer);
  if (!layer) return true;
  if (!layer.visible) return false;
  return !(layer.scaleMin > 0 && Number.isFinite(scale) && scale > layer.scaleMin);
}

// Whether o's position may change: neither locked nor in a read-only layer.
export function isMovable(o, layersByName) {
  return !o.locked && !layersByName.get(o.layer)?.readOnly;
}

// Rhumb line from a to b ({lat, lon} degrees): {bearing: degrees true 0..360, distanceNm}.
export function rhumbLine(a, b) {
  const rad = Math.PI / 180;
  const phi1 = a.lat * rad;
  const phi2 = b.lat * rad;
  let dLon = (b.lon - a.lon) * rad;
  if (Math.abs(dLon) > Math.PI) dLon -= Math.sign(dLon) * 2 * Math.PI;
  const dPsi = Math.log(Math.tan(Math.PI / 4 + phi2 / 2) / Math.tan(Math.PI / 4 + phi1 / 2));
  const q = Math.abs(dPsi) > 1e-12 ? (phi2 - phi1) / dPsi : Math.cos(phi1);
  const dPhi = phi2 - phi1;
  const distanceNm = (Math.sqrt(dPhi * dPhi + q * q * dLon * dLon) / rad) * NM_PER_DEG;
  const bearing = ((Math.atan2(dLon, dPsi) / rad) + 360) % 360;
  return { bearing, distanceNm };
}

// The route table: one row per leg {from, to, bearing, distanceNm, etaMs}
// and the total, ETAs counted from startMs at speedKn (none without a speed
// above 0). A waypoint without a name is shown by its place, "001", "002"...
export function legTable(points, speedKn, startMs) {
  const label = (p, i) => (p.name ? p.name : String(i + 1).padStart(3, '0'));
  const rows = [];
  let total = 0;
  const moving = finite(speedKn) && speedKn > 0 && finite(startMs);
  for (let i = 1; i < points.length; i++) {
    const { bearing, distanceNm } = rhumbLine(points[i - 1], points[i]);
    total += distanceNm;
    rows.push({
      from: label(points[i - 1], i - 1),
      to: label(points[i], i),
      bearing,
      distanceNm,
      totalNm: total,
      etaMs: moving ? startMs + (total / speedKn) * 3600000 : undefined,
    });
  }
  return { rows, totalNm: total, durationMs: moving ? (total / speedKn) * 3600000 : undefined };
}

// The displayed name: the name, or "(no name)".
export const displayName = (o) => (o?.name ? o.name : '(no name)');
