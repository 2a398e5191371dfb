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
