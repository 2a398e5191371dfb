// Pure helpers of the tide pages and the stations layer.

import { settingBool } from './settings.js';

// Map units per pixel below which "auto" shows the stations (about 1:1,000,000).
export const AUTO_MAX_RESOLUTION = 260;

// Whether a ChartPanel_ShowTideStations / ShowCurrentStations text shows the
// stations at a map resolution: "auto" when zoomed in, else on or off.
export function stationsShown(setting, resolution) {
  const s = String(setting ?? 'auto').trim().toLowerCase();
  if (s === '' || s === 'auto') return resolution < AUTO_MAX_RESOLUTION;
  return settingBool(s);
}

// The station page's address for a station URL.
export function stationPagePath(url, day) {
  const q = new URLSearchParams({ url });
  if (day) q.set('day', day);
  return `/tides?${q}`;
}

// "YYYY-MM-DD" of a local day start (ms) shifted by whole days.
export function shiftDay(dayStartMs, days) {
  const d = new Date(dayStartMs);
  d.setHours(12, 0, 0, 0);
  d.setDate(d.getDate() + days);
  const pad = (n) => String(n).padStart(2, '0');
  return `${d.getFullYear()}-${pad(d.getMonth() + 1)}-${pad(d.getDate())}`;
}

// The graph's label of an event: "High Tide", "Low Tide", "Max Flood",
// "Max Ebb", "Slack" (with "turn to flood"/"turn to ebb").
export function graphEventLabel(event, kind) {
  if (kind === 'tide') return event.type === 2 ? 'High Tide' : 'Low Tide';
  if (event.type === 2) return 'Max Flood';
  if (event.type === 1) return 'Max Ebb';
  return event.type === 8 ? 'Slack, turn to flood' : 'Slack, turn to ebb';
}

// The y axis title: "FEET", "METERS" or "KNOTS".
export function axisTitle(units) {
  if (units === 'feet') return 'FEET';
  if (units === 'meters') return 'METERS';
  return 'KNOTS';
}

// Reference lines of a station's graph from its page keys: the chart datum at
// 0 ("MLLW" where that is the datum), and for currents the average flood and
// ebb speeds when known. Each {value, label}.
export function referenceLines(kind, keys) {
  const key = (name) => (Array.isArray(keys) ? keys.find((k) => k[0] === name)?.[1] : undefined);
  if (kind === 'tide') return key('datum') === 'Mean Lower Low Water' ? [{ value: 0, label: 'MLLW' }] : [];
  const lines = [];
  const flood = parseFloat(key('average-speed-flood'));
  const ebb = parseFloat(key('average-speed-ebb'));
  if (Number.isFinite(flood)) lines.push({ value: flood, label: 'AVG FLOOD' });
  if (Number.isFinite(ebb)) lines.push({ value: -Math.abs(ebb), label: 'AVG EBB' });
  return lines;
}

// uPlot's data of a station day: [[seconds...], [values...]] (null gaps kept).
export function curveData(curve) {
  const xs = [];
  const ys = [];
  for (const point of Array.isArray(curve) ? curve : []) {
    if (!Array.isArray(point) || !Number.isFinite(point[0])) continue;
    xs.push(point[0] / 1000);
    ys.push(Number.isFinite(point[1]) ? point[1] : null);
  }
  return [xs, ys];
}
