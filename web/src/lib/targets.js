// AIS target list: labels, flags, sorting and the age of the last report.

// The states of a target: 0 normal, 1 no longer dangerous, 2 dangerous
// (warning raised), 3 dangerous (already warned), 4 and 5 lost.
export function isDangerous(t) {
  return t?.dangerous === true || t?.state === 2 || t?.state === 3;
}
export function isLost(t) {
  return t?.lost === true || t?.state === 4 || t?.state === 5;
}

// The program's display name, else the name, else the MMSI as text.
export function targetLabel(t) {
  for (const candidate of [t?.displayName, t?.name]) {
    const text = typeof candidate === 'string' ? candidate.replace(/@+$/, '').trim() : '';
    if (text !== '') return text;
  }
  return String(t?.mmsi ?? '');
}

// Sort keys of the list's columns: each maps a target to a string or number;
// undefined means "not available" and sorts last in either direction.
export const SORT_KEYS = {
  name: (t) => targetLabel(t).toUpperCase(),
  range: (t) => finite(t.rangeNm),
  bearing: (t) => finite(t.bearing),
  cpa: (t) => finite(t.cpaNm),
  tcpa: (t) => (Number.isFinite(t.tcpaMin) && t.tcpaMin >= 0 ? t.tcpaMin : undefined),
  state: (t) => (isDangerous(t) ? 0 : isLost(t) ? 1 : 2),
};

function finite(x) {
  return Number.isFinite(x) ? x : undefined;
}

// A new array of targets sorted by column key ("name", "range", ...), dir 1
// ascending or -1 descending; ties fall back to range, then MMSI, so the order
// is stable from one update to the next. Keys are computed once per target.
export function sortTargets(targets, key, dir = 1) {
  const by = SORT_KEYS[key] ?? SORT_KEYS.range;
  const cmp = (a, b) => {
    if (a === undefined && b === undefined) return 0;
    if (a === undefined) return 1;
    if (b === undefined) return -1;
    // AIS names are 6-bit ASCII: code-point order of the upper-case text.
    if (typeof a === 'string') return (a < b ? -1 : a > b ? 1 : 0) * dir;
    return (a - b) * dir;
  };
  return targets
    .map((t) => ({ t, k: by(t), r: SORT_KEYS.range(t), m: t.mmsi ?? 0 }))
    .sort((a, b) => cmp(a.k, b.k) || cmp(a.r, b.r) || a.m - b.m)
    .map((e) => e.t);
}

// Age in ms at client time now of the target's last report (reportMs, on the
// server's clock), given serverOffset (the server's clock minus the client
// clock). Infinity when either is unknown; never negative.
export function reportAge(t, serverOffset, now) {
  const at = Number(t?.reportMs);
  if (!Number.isFinite(at) || !Number.isFinite(serverOffset) || !Number.isFinite(now)) return Infinity;
  return Math.max(0, now + serverOffset - at);
}

// "12 s", "4 min 10 s", "2 h 5 min"; "---" for an unknown age.
export function ageText(ms) {
  if (!Number.isFinite(ms)) return '---';
  const s = Math.floor(ms / 1000);
  if (s < 60) return `${s} s`;
  if (s < 3600) return `${Math.floor(s / 60)} min ${s % 60} s`;
  return `${Math.floor(s / 3600)} h ${Math.floor((s % 3600) / 60)} min`;
}

// Which settings show the targets of a class ("A" and other vessels always).
const CLASS_SETTINGS = {
  B: ['AIS_ShowClassBTargets', 'yes'],
  BaseStation: ['AIS_ShowBaseStations', 'no'],
  AtoN: ['AIS_ShowAidsToNavigation', 'no'],
  SAR: ['AIS_ShowSearchAndRescuePlanes', 'yes'],
};

// The targets the display settings show; setting(name) gives a setting's text
// and isOn(text) reads it as a boolean.
export function shownTargets(targets, setting, isOn) {
  return targets.filter((t) => {
    const rule = CLASS_SETTINGS[t?.class];
    return !rule || isOn(setting(rule[0]) ?? rule[1]);
  });
}

// The colour of a colour setting in a scheme: "S52:TOKEN" from the
// presentation library's tables ({day: {TOKEN: '#rrggbb'}, ...}), CSS colour
// texts ("#rgb", "#rrggbb", "rgb(...)") as they are; undefined otherwise.
export function settingColour(text, scheme, tables) {
  const s = String(text ?? '').trim();
  const token = /^S52:([A-Z0-9]{5})$/i.exec(s);
  if (token) return tables?.[scheme]?.[token[1].toUpperCase()];
  if (/^#([0-9a-f]{3}|[0-9a-f]{6})$/i.test(s) || /^rgba?\([\d\s.,%]+\)$/i.test(s)) return s;
  return undefined;
}
