// The weather layer's arithmetic, free of the page: the program's grids
// (binary or JSON), values between grid points, wind barbs, colour ramps,
// isolines and the texts of the chart's labels.

const DEG = Math.PI / 180;
export const KNOTS_PER_MS = 3600 / 1852;

// Weather types (the program's numbers) that come in pairs.
export const U_OF_V = { 30: 29, 36: 35 };
export const V_OF_U = { 29: 30, 35: 36 };
// Speed types with their direction companions; waves heights with a direction.
export const DIRECTION_OF = { 25: 24, 34: 33, 7: 16, 13: 15, 8: 10 };
const DIRECTION_TYPES = new Set([24, 33, 15, 10, 16, 20]);
const CURRENT_TYPES = new Set([35, 36, 34, 33]);

// A grid of the program's "/api/weather/grid?format=bin": eight doubles
// (lat0, lon0, dlat, dlon, ni, nj, wraps, time) then ni × nj floats from the
// south row, west to east, NaN where there is no data. Returns null for a
// body that is not such a grid.
export function parseGrid(buffer) {
  if (!(buffer instanceof ArrayBuffer) || buffer.byteLength < 64) return null;
  const head = new Float64Array(buffer, 0, 8);
  const [lat0, lon0, dlat, dlon, ni, nj, wraps, time] = head;
  if (!(ni >= 0 && nj >= 0) || buffer.byteLength !== 64 + 4 * ni * nj) return null;
  return { lat0, lon0, dlat, dlon, ni, nj, wraps: wraps === 1, time, values: new Float32Array(buffer, 64, ni * nj) };
}

// The same grid from the JSON form (null values are missing).
export function gridFromJson(json) {
  if (!json || !Array.isArray(json.values)) return null;
  const values = Float32Array.from(json.values, (v) => (v === null ? NaN : v));
  return { ...json, values };
}

function wrap360(deg) {
  const d = deg % 360;
  return d < 0 ? d + 360 : d;
}

// The grid's value at a position, bilinear between the four points around
// it (across 0°/360° when the grid goes round the Earth); undefined outside
// the grid or when the nearest point has no data. directions: on the circle.
export function sample(grid, lat, lon, directions = false) {
  if (!grid || grid.ni < 1 || grid.nj < 1) return undefined;
  const y = grid.nj > 1 ? (lat - grid.lat0) / grid.dlat : 0;
  if (y < -1e-9 || y > grid.nj - 1 + 1e-9) return undefined;
  const x = wrap360(lon - grid.lon0) / grid.dlon;
  if (!grid.wraps && x > grid.ni - 1 + 1e-9) return undefined;
  const i0 = Math.min(Math.floor(x), grid.ni - 1);
  const j0 = Math.min(Math.floor(y), grid.nj - 1);
  const fx = Math.min(Math.max(x - i0, 0), 1);
  const fy = Math.min(Math.max(y - j0, 0), 1);
  const i1 = grid.wraps ? (i0 + 1) % grid.ni : Math.min(i0 + 1, grid.ni - 1);
  const j1 = Math.min(j0 + 1, grid.nj - 1);
  const at = (i, j) => grid.values[j * grid.ni + i];
  const corners = [
    [at(i0, j0), (1 - fx) * (1 - fy)],
    [at(i1, j0), fx * (1 - fy)],
    [at(i0, j1), (1 - fx) * fy],
    [at(i1, j1), fx * fy],
  ];
  let nearest = corners[0];
  for (const c of corners) if (c[1] > nearest[1]) nearest = c;
  if (Number.isNaN(nearest[0])) return undefined;
  let weight = 0, sum = 0, s = 0, c = 0;
  for (const [v, w] of corners) {
    if (Number.isNaN(v) || w <= 0) continue;
    weight += w;
    sum += w * v;
    s += w * Math.sin(v * DEG);
    c += w * Math.cos(v * DEG);
  }
  if (weight <= 0) return nearest[0];
  return directions ? wrap360(Math.atan2(s, c) / DEG) : sum / weight;
}

// Speed and the direction a u/v vector points towards (degrees true).
export function vectorOf(u, v) {
  return { speed: Math.hypot(u, v), towards: wrap360(Math.atan2(u, v) / DEG) };
}

// The marks of a wind barb for a speed in knots, rounded to 5 kn: pennants
// of 50, full barbs of 10 and half barbs of 5; calm below 2.5 kn.
export function barbMarks(knots) {
  if (!(knots >= 2.5)) return { calm: true, pennants: 0, full: 0, half: 0 };
  let rest = Math.round(knots / 5) * 5;
  const pennants = Math.floor(rest / 50);
  rest -= pennants * 50;
  const full = Math.floor(rest / 10);
  rest -= full * 10;
  return { calm: false, pennants, full, half: rest >= 5 ? 1 : 0 };
}

// The strokes of a wind barb in pixels around its station (0, 0), the staff
// pointing up-screen to where the wind comes from before rotation: lines
// [[x1, y1, x2, y2]...] and pennant triangles [[x1, y1, x2, y2, x3, y3]...].
// Feathers go to the left of the staff seen from its end towards the
// station in the northern hemisphere (+x before rotation), to the right in
// the southern.
export function barbShape(knots, south = false, length = 28) {
  const marks = barbMarks(knots);
  if (marks.calm) return { calm: true, lines: [], pennants: [] };
  const side = south ? -1 : 1;
  const feather = length * 0.45;
  const step = length * 0.14;
  const lines = [[0, 0, 0, -length]];
  const pennants = [];
  let y = -length;
  for (let p = 0; p < marks.pennants; p++, y += step * 1.6) pennants.push([0, y, side * feather, y + step * 0.3, 0, y + step * 1.6]);
  if (marks.pennants) y += step * 0.4;
  for (let f = 0; f < marks.full; f++, y += step) lines.push([0, y, side * feather, y - step * 1.2]);
  if (marks.half) {
    if (!marks.pennants && !marks.full) y += step;  // a lone half barb stands off the end
    lines.push([0, y, (side * feather) / 2, y - step * 0.6]);
  }
  return { calm: false, lines, pennants };
}

// Colour ramp of a weather type: the values that map to its two ends, in the
// grid's own units (Pa, K, m/s, m, kg/m², s, %), and the band interval.
export function rampOf(type, unitClass, interval) {
  switch (unitClass) {
    case 13: return { low: 97000, high: 104000, band: interval * 100 };  // hPa in the table
    case 5: return { low: 243.15, high: 313.15, band: interval };
    case 11: return CURRENT_TYPES.has(type) ? { low: 0, high: 2.5, band: 0.25 } : { low: 0, high: 25, band: interval };
    case 2: return type === 32 ? { low: 5000, high: 6000, band: interval } : { low: 0, high: 8, band: 1 };
    case 15: return { low: 0, high: 10, band: 1 };
    case 14: return { low: 0, high: 20, band: 2 };
    case 17: return { low: 0, high: 100, band: 10 };
    default: return { low: 0, high: 360, band: 45 };
  }
}

// Blue, cyan, green, yellow, red.
const STOPS = [
  [0, [40, 60, 200]],
  [0.25, [40, 170, 220]],
  [0.5, [60, 190, 90]],
  [0.75, [240, 210, 50]],
  [1, [220, 40, 40]],
];

// Where a value lies on a ramp, 0..1; banded: its band's middle.
export function rampFraction(value, ramp, banded = false) {
  let v = value;
  if (banded && ramp.band > 0) v = (Math.floor((v - ramp.low) / ramp.band) + 0.5) * ramp.band + ramp.low;
  return Math.min(Math.max((v - ramp.low) / (ramp.high - ramp.low), 0), 1);
}

// [r, g, b] of a value on a ramp; banded: the colour of its band's middle.
// At night the ramp runs from dark red to amber: no blue light on the bridge.
export function rampColor(value, ramp, banded = false, night = false) {
  const f = rampFraction(value, ramp, banded);
  if (night) return [Math.round(60 + 140 * f), Math.round(15 + 45 * f), 0];
  for (let k = 1; k < STOPS.length; k++) {
    if (f <= STOPS[k][0]) {
      const [f0, a] = STOPS[k - 1];
      const [f1, b] = STOPS[k];
      const t = (f - f0) / (f1 - f0);
      return a.map((x, i) => Math.round(x + (b[i] - x) * t));
    }
  }
  return STOPS[STOPS.length - 1][1];
}

// Isolines of a grid at every multiple of interval: line segments
// [[lat1, lon1, lat2, lon2, level]...] by marching squares; cells with a
// missing corner have none.
export function isolines(grid, interval) {
  const segments = [];
  if (!grid || !(interval > 0)) return segments;
  const { ni, nj, values } = grid;
  const columns = grid.wraps ? ni : ni - 1;
  const pos = (i, j) => [grid.lat0 + j * grid.dlat, grid.lon0 + i * grid.dlon];
  for (let j = 0; j + 1 < nj; j++) {
    for (let i = 0; i < columns; i++) {
      const i1 = (i + 1) % ni;
      const v = [values[j * ni + i], values[j * ni + i1], values[(j + 1) * ni + i1], values[(j + 1) * ni + i]];
      if (v.some(Number.isNaN)) continue;
      const corners = [pos(i, j), pos(i + 1, j), pos(i + 1, j + 1), pos(i, j + 1)];
      const lo = Math.min(...v), hi = Math.max(...v);
      for (let level = Math.ceil(lo / interval) * interval; level < hi; level += interval) {
        const cut = [];
        for (let e = 0; e < 4; e++) {
          const a = v[e], b = v[(e + 1) % 4];
          if ((a < level) === (b < level)) continue;
          const t = (level - a) / (b - a);
          const [p, q] = [corners[e], corners[(e + 1) % 4]];
          cut.push([p[0] + (q[0] - p[0]) * t, p[1] + (q[1] - p[1]) * t]);
        }
        if (cut.length === 2) segments.push([...cut[0], ...cut[1], level]);
        else if (cut.length === 4) segments.push([...cut[0], ...cut[1], level], [...cut[2], ...cut[3], level]);
      }
    }
  }
  return segments;
}

// A short chart label of a value in the grid's unit by the unit settings
// (a map of setting name to text): "1013", "15°", "12", "2.5".
export function labelText(type, unitClass, value, settings = {}) {
  const speedUnit = String(settings[CURRENT_TYPES.has(type) ? 'Units_Speed' : 'Units_WindSpeed'] ?? 'knots');
  switch (unitClass) {
    case 13:
      return String(settings.Units_AirPressure ?? 'inHg') === 'mbar' ? (value / 100).toFixed(0) : (value / 3386.389).toFixed(2);
    case 5:
      return (String(settings.Units_Temperature ?? 'fahrenheit') === 'celsius' ? value - 273.15 : ((value - 273.15) * 9) / 5 + 32).toFixed(0) + '°';
    case 11: {
      const factor = { 'm/s': 1, kph: 3.6, mph: 3600 / 1609.344 }[speedUnit] ?? KNOTS_PER_MS;
      return (value * factor).toFixed(CURRENT_TYPES.has(type) ? 1 : 0);
    }
    case 2:
      if (type === 32) return value.toFixed(0);
      return (String(settings.Units_Height ?? 'feet') === 'feet' ? value / 0.3048 : value).toFixed(1);
    case 15:
      return String(settings.Units_Height ?? 'feet') === 'feet' ? (value / 25.4).toFixed(2) : value.toFixed(1);
    case 12:
      return value.toFixed(0) + '°';
    default:
      return value.toFixed(0);
  }
}

export function isDirectionType(type) {
  return DIRECTION_TYPES.has(type);
}

// "2024-06-01 06:00 UTC" of milliseconds since 1970.
export function utcText(ms) {
  if (!Number.isFinite(ms)) return '';
  return new Date(ms).toISOString().slice(0, 16).replace('T', ' ') + ' UTC';
}

// The forecast time following (step 1) or preceding (step -1) current among
// times (ascending), wrapping round at the ends.
export function stepTime(times, current, step) {
  if (!times.length) return undefined;
  const index = times.indexOf(current);
  if (index < 0) return times[0];
  return times[(index + step + times.length) % times.length];
}
