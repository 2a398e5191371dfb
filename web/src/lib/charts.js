// Texts of the chart library's pages: scales, statuses, build progress, and
// the pick report's grouping (see server/README.md, "Chart library").

// 52000 -> "1:52,000"; 0 or missing -> "".
export function scaleText(scale) {
  if (!Number.isFinite(scale) || scale <= 0) return '';
  return `1:${Math.round(scale).toLocaleString('en-US')}`;
}

const STATUS_TEXT = {
  pending: 'Waiting',
  building: 'Building',
  ready: 'Ready',
  failed: 'Failed',
  superseded: 'Superseded',
};

// What the chart manager says of a chart's state: {text, detail, level}
// where level is "ok", "busy", "warning" (a failed update) or "error".
export function chartStatus(chart) {
  const text = STATUS_TEXT[chart?.status] ?? String(chart?.status ?? '');
  if (chart?.status === 'failed') return { text, detail: chart.message ?? '', level: 'error' };
  if (chart?.status === 'pending' || chart?.status === 'building') return { text, detail: '', level: 'busy' };
  if (chart?.status === 'superseded') return { text, detail: chart.message ?? '', level: 'muted' };
  if (chart?.updateError) {
    return { text, detail: `Update ${chart.failedUpdate ?? ''} failed: ${chart.updateError}`, level: 'warning' };
  }
  return { text, detail: '', level: 'ok' };
}

// "Edition 7, update 2" / "Edition 7" / "".
export function editionText(chart) {
  if (!Number.isFinite(chart?.edition)) return '';
  return Number.isFinite(chart.update) && chart.update > 0 ? `Edition ${chart.edition}, update ${chart.update}` : `Edition ${chart.edition}`;
}

// "Building SENC from US5HA57M.000 (3 of 10)", "" when idle.
export function progressText(progress) {
  if (!progress?.busy) return '';
  const what = Array.isArray(progress.current) && progress.current.length ? progress.current.join('; ') : 'Waiting';
  const count = Number.isFinite(progress.total) && progress.total > 0 ? ` (${progress.done ?? 0} of ${progress.total})` : '';
  return what + count;
}

// The pick report's features without the meta objects unless asked for,
// each with its attributes as display rows {acronym, name, value}.
export function reportFeatures(features, withMeta = false) {
  return (features ?? [])
    .filter((f) => withMeta || !f.meta)
    .map((f) => ({
      title: f.className ? `${f.className} (${f.class})` : f.class,
      prim: f.prim,
      sounding: f.sounding,
      rows: (f.attributes ?? []).map((a) => ({
        acronym: a.acronym,
        name: a.name ?? '',
        value: a.meaning ? `${a.value} — ${a.meaning}` : a.value,
      })),
    }));
}

// The display scale denominator of a view that shows metresPerPixel metres of
// the chart Mercator per 0.28 mm pixel at latitude latDeg.
export function displayScale(metresPerPixel, latDeg) {
  return (metresPerPixel * Math.cos((latDeg * Math.PI) / 180)) / 0.00028;
}

// "1:10,000", "1:10000" or "10000" -> 10000; undefined for anything else.
export function parseScale(text) {
  const m = /^\s*(?:1\s*:\s*)?([\d,.\s]+)\s*$/.exec(String(text ?? ''));
  if (!m) return undefined;
  const n = Number(m[1].replace(/[,\s]/g, ''));
  return Number.isFinite(n) && n >= 1 ? n : undefined;
}

// The settings a chart tile is drawn with, besides the colour scheme (which
// the tile address carries by name).
export function isPortrayalSetting(name) {
  return String(name ?? '').startsWith('S52_') && name !== 'S52_ColorMode';
}

// A short text that changes whenever a portrayal setting or the drawable
// charts (generation) change: tile addresses carry it, so the browser asks
// for new tiles at once and keeps the old ones for settings it comes back to.
// settings: Map name -> value text.
export function tileRevision(settings, generation = 0) {
  const text = [...settings.entries()]
    .filter(([name]) => isPortrayalSetting(name))
    .sort(([a], [b]) => (a < b ? -1 : a > b ? 1 : 0))
    .map(([name, value]) => `${name}=${value}`)
    .join('\n');
  // 32-bit FNV-1a.
  let hash = 0x811c9dc5;
  for (let i = 0; i < text.length; ++i) {
    hash ^= text.charCodeAt(i);
    hash = Math.imul(hash, 0x01000193) >>> 0;
  }
  return `${hash.toString(36)}.${generation}`;
}

const EARTH_RADIUS_NM = 3440.065;

// Range (nautical miles, great circle on the sphere) and initial bearing
// (degrees true, 0..360) from one position to another (degrees).
export function rangeBearing(fromLat, fromLon, toLat, toLon) {
  const rad = Math.PI / 180;
  const f1 = fromLat * rad;
  const f2 = toLat * rad;
  const dl = (toLon - fromLon) * rad;
  const a = Math.sin((f2 - f1) / 2) ** 2 + Math.cos(f1) * Math.cos(f2) * Math.sin(dl / 2) ** 2;
  const nm = 2 * EARTH_RADIUS_NM * Math.asin(Math.min(1, Math.sqrt(a)));
  const y = Math.sin(dl) * Math.cos(f2);
  const x = Math.cos(f1) * Math.sin(f2) - Math.sin(f1) * Math.cos(f2) * Math.cos(dl);
  const deg = ((Math.atan2(y, x) / rad) % 360 + 360) % 360;
  return { nm, deg };
}

// 21.30123, -157.8765 -> "21°18.074'N 157°52.590'W".
export function positionText(lat, lon) {
  const part = (value, pos, neg, width) => {
    const hemisphere = value < 0 ? neg : pos;
    const abs = Math.abs(value);
    let deg = Math.floor(abs);
    let min = (abs - deg) * 60;
    if (Number(min.toFixed(3)) >= 60) {
      deg += 1;
      min = 0;
    }
    return `${String(deg).padStart(width, '0')}°${min.toFixed(3).padStart(6, '0')}'${hemisphere}`;
  };
  return `${part(lat, 'N', 'S', 2)} ${part(lon, 'E', 'W', 3)}`;
}
