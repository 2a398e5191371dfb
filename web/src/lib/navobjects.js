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

// One object of the program's list in the page's shape:
// {id, type, name, description, layer, hidden, locked, lat?, lon?,
//  points: [{id, name, lat, lon, locked}], closed, radiusNm?, boundaryCircle,
//  alarm, active, legSpeeds, properties, deleted, drawnByProgram}.
// item is an OBJECT ({class, id, layer, drawn, properties: {Name, Position,
// Marks...}, legs}) or an entry of the older "marks"/"routes" lists.
export function readObject(item, marksById = new Map(), deleted = false) {
  const props = item?.properties && typeof item.properties === 'object' ? item.properties : {};
  const cls = item.class ?? item.type ?? 'Mark';
  const pos = latLon(item) ?? latLon(props.Position);
  const refs = Array.isArray(item.points) && cls !== 'Track' ? item.points : Array.isArray(props.Marks) ? props.Marks : Array.isArray(item.points) ? item.points : [];
  const points = refs
    .map((ref) => {
      const mark = typeof ref === 'string' ? marksById.get(ref) : ref;
      const at = latLon(mark);
      if (!at) return undefined;
      const name = mark.name ?? mark.properties?.Name ?? '';
      return { id: mark.id ?? (typeof ref === 'string' ? ref : undefined), name, ...at, locked: bool(mark.locked ?? mark.properties?.LockPosition) };
    })
    .filter(Boolean);
  const layer = String(deleted ? DELETED_LAYER : item.layer ?? '');
  const circleKind = Number(props.BoundaryCircleOffLimits ?? 0);
  const legs = Array.isArray(item.legs) ? item.legs : [];
  return {
    id: String(item.id ?? ''),
    type: cls,
    name: item.name ?? props.Name ?? '',
    description: props.Description ?? item.description ?? '',
    layer,
    from: item.from,
    hidden: bool(item.hidden ?? props.Hidden),
    locked: bool(item.locked ?? props.LockPosition),
    ...(pos ?? {}),
    points,
    closed: cls === 'Boundary' && points.length >= 3,
    radiusNm: parseNm(props.RangeCircleRadius),
    boundaryCircle: circleKind > 0,
    alarm: bool(item.alarm),
    active: bool(item.active),
    legSpeeds: legs.map((l) => Number(l?.properties?.PlannedSpeed ?? l?.PlannedSpeed) || 0),
    properties: props,
    deleted: deleted || layer === DELETED_LAYER,
    drawnByProgram: item.drawn !== false,
  };
}

// A distance text of the program ("0.5 NM", "200 m", "1 km") in nautical miles.
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
  return {
    id: String(l.id ?? l.name ?? ''),
    name: String(l.name ?? l.id ?? ''),
    visible: l.visible !== false,
    readOnly: bool(l.readOnly),
    scaleMin: Number(l.scaleMin ?? 0) || 0,
    expires: Number(l.expires ?? 0) || 0,
    count: finite(l.objects) ? l.objects : undefined,
    isDefault: bool(l.default),
  };
}

// The program's GET /api/navobjects answer as {objects, layers, deleted,
// undo, redo}. Every object comes from "objects" (with all its properties);
// the "marks" and "routes" lists add what only they tell (the active route,
// route point names), and stand alone when "objects" is missing.
export function readNavObjects(data) {
  const marksById = new Map();
  const marks = Array.isArray(data?.marks) ? data.marks : [];
  const routes = Array.isArray(data?.routes) ? data.routes : [];
  const full = Array.isArray(data?.objects) ? data.objects : undefined;
  for (const m of marks) if (m?.id) marksById.set(String(m.id), m);
  for (const o of full ?? []) if (o?.id && (o.class ?? o.type) === 'Mark') marksById.set(String(o.id), o);
  const source = full ?? [...marks.map((m) => ({ class: 'Mark', ...m })), ...routes.map((r) => ({ class: 'Route', ...r }))];
  const listed = new Map([...marks, ...routes].filter((x) => x?.id).map((x) => [String(x.id), x]));
  const objects = [];
  for (const item of source) {
    if (!item || item.id === undefined) continue;
    const o = readObject(item, marksById);
    const entry = listed.get(o.id);
    if (entry?.active) o.active = true;
    if (o.type === 'Route' && Array.isArray(entry?.points)) o.points = readObject({ class: 'Route', points: entry.points }).points;
    if (!o.deleted) objects.push(o);
  }
  const deletedMarks = new Map(marksById);
  for (const d of Array.isArray(data?.deleted) ? data.deleted : []) if ((d?.class ?? d?.type) === 'Mark') deletedMarks.set(String(d.id), d);
  const deleted = (Array.isArray(data?.deleted) ? data.deleted : []).filter((d) => d?.id !== undefined).map((d) => readObject(d, deletedMarks, true));
  const layers = (Array.isArray(data?.layers) ? data.layers : []).map(readLayer).filter((l) => l.id !== DELETED_LAYER);
  return { objects, layers, deleted, undo: String(data?.undo ?? ''), redo: String(data?.redo ?? '') };
}

// Whether o is drawn at the map scale 1:scale: not hidden, in a layer that is
// visible and, when the layer has a ScaleMin, at a scale at least as large.
export function isDrawn(o, layersById, scale) {
  if (o.hidden || o.deleted || o.drawnByProgram === false) return false;
  const layer = layersById.get(o.layer);
  if (!layer) return true;
  if (!layer.visible) return false;
  return !(layer.scaleMin > 0 && Number.isFinite(scale) && scale > layer.scaleMin);
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

// The route table: one row per leg {from, to, bearing, distanceNm, speedKn,
// etaMs} and the total. Each leg is sailed at its own planned speed
// (legSpeeds[i] for the leg ending at point i + 1, when above 0), else at
// speedKn; ETAs count from startMs and stop at the first leg without a speed.
// A waypoint without a name is shown by its place, "001", "002"...
export function legTable(points, speedKn, startMs, legSpeeds = []) {
  const label = (p, i) => (p.name ? p.name : String(i + 1).padStart(3, '0'));
  const rows = [];
  let total = 0;
  let hours = finite(startMs) ? 0 : NaN;
  for (let i = 1; i < points.length; i++) {
    const { bearing, distanceNm } = rhumbLine(points[i - 1], points[i]);
    const own = legSpeeds[i - 1];
    const speed = finite(own) && own > 0 ? own : finite(speedKn) && speedKn > 0 ? speedKn : undefined;
    total += distanceNm;
    hours = speed ? hours + distanceNm / speed : NaN;
    rows.push({
      from: label(points[i - 1], i - 1),
      to: label(points[i], i),
      bearing,
      distanceNm,
      speedKn: speed,
      etaMs: Number.isFinite(hours) ? startMs + hours * 3600000 : undefined,
    });
  }
  return { rows, totalNm: total, durationMs: Number.isFinite(hours) && rows.length ? hours * 3600000 : undefined };
}

// The displayed name: the name, or "(no name)".
export const displayName = (o) => (o?.name ? o.name : '(no name)');

// Whether {lat, lon} lies inside the polygon of {lat, lon} corners (ray
// casting on a plane scaled by the cosine of the latitude, longitudes taken
// the short way round from the point: good for harbour-sized areas).
export function pointInPolygon(p, corners) {
  const k = Math.cos((p.lat * Math.PI) / 180);
  const xy = corners.map((c) => {
    let dLon = c.lon - p.lon;
    if (dLon > 180) dLon -= 360;
    if (dLon < -180) dLon += 360;
    return [dLon * k, c.lat - p.lat];
  });
  let inside = false;
  for (let i = 0, j = xy.length - 1; i < xy.length; j = i++) {
    const [xi, yi] = xy[i];
    const [xj, yj] = xy[j];
    if (yi > 0 !== yj > 0 && 0 < xj + ((0 - yj) * (xi - xj)) / (yi - yj)) inside = !inside;
  }
  return inside;
}

// What a boundary's alarm watches, for drawing it: "off" (its alarm is
// switched off), "watching", "inside" (own ship is within it) or "alarm"
// (within an area whose speed limits own ship breaks, or within an
// off-limits boundary circle). own: {lat, lon} or undefined; sogKn may be
// undefined. Other objects: undefined.
export function boundaryState(o, own, sogKn) {
  const props = o.properties ?? {};
  let inside = false;
  let breaking = false;
  if (o.type === 'Boundary') {
    if (props.EnableAlarm === false) return 'off';
    if (!o.closed || !own) return 'watching';
    inside = pointInPolygon(own, o.points);
    const max = Number(props.MaxSpeedLimit) || 0;
    const min = Number(props.MinSpeedLimit) || 0;
    breaking = finite(sogKn) && ((max > 0 && sogKn > max) || (min > 0 && sogKn < min));
  } else if (o.boundaryCircle && o.radiusNm > 0 && finite(o.lat)) {
    if (!own) return 'watching';
    inside = rhumbLine(o, own).distanceNm < o.radiusNm;
    breaking = Number(props.BoundaryCircleOffLimits) === 2;
  } else {
    return undefined;
  }
  if (!inside) return 'watching';
  return breaking ? 'alarm' : 'inside';
}

// The leg (from point i to i + 1; in a closed area the last leg runs back to
// the first) nearest to the point at; coordinates [x, y] on a plane (map metres).
export function nearestLeg(coords, at, closed) {
  const legs = closed ? coords.length : coords.length - 1;
  let best = 0;
  let bestDistance = Infinity;
  for (let i = 0; i < legs; i++) {
    const [ax, ay] = coords[i];
    const [bx, by] = coords[(i + 1) % coords.length];
    const dx = bx - ax;
    const dy = by - ay;
    const t = dx === 0 && dy === 0 ? 0 : Math.max(0, Math.min(1, ((at[0] - ax) * dx + (at[1] - ay) * dy) / (dx * dx + dy * dy)));
    const d = Math.hypot(at[0] - (ax + t * dx), at[1] - (ay + t * dy));
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

// "#rrggbb" of the program's colour text "rgb(r, g, b)" with fractions 0..1; undefined otherwise.
export function colourHex(text) {
  const m = /^rgba?\(\s*([\d.]+)\s*,\s*([\d.]+)\s*,\s*([\d.]+)/.exec(text);
  if (!m) return undefined;
  const parts = m.slice(1, 4).map(Number);
  if (parts.some((x) => !(x >= 0 && x <= 1))) return undefined;
  return `#${parts.map((x) => Math.round(x * 255).toString(16).padStart(2, '0')).join('')}`;
}
