// Readings of setting texts, the same rules as the program's settings.

// True for "true", "yes", "on" (any case) or a non-zero leading integer.
export function settingBool(text) {
  if (typeof text === 'boolean') return text;
  const s = String(text ?? '').trim().toLowerCase();
  if (s === 'true' || s === 'yes' || s === 'on') return true;
  const n = parseInt(s, 10);
  return Number.isFinite(n) && n !== 0;
}

// The colour scheme of S52_ColorMode: "day", "dusk" or "night" (empty or
// unknown texts are day).
export function colorScheme(text) {
  const s = String(text ?? '').trim().toLowerCase();
  return s === 'dusk' || s === 'night' ? s : 'day';
}

// A length text "0.25 nm" split into {number, unit}; unit '' when absent.
export function splitLength(text) {
  const m = /^\s*([-+]?\d*\.?\d+(?:[eE][-+]?\d+)?)\s*([A-Za-z"']*)\s*$/.exec(String(text ?? ''));
  if (!m) return { number: '', unit: '' };
  return { number: m[1], unit: m[2] };
}

// "#rrggbb" for CSS colour texts the colour picker can show ("#rgb",
// "#rrggbb", "rgb(r, g, b)", "rgba(r, g, b, a)"), undefined for the rest.
export function colorToHex(text) {
  const s = String(text ?? '').trim();
  let m = /^#([0-9a-f]{3})$/i.exec(s);
  if (m) return '#' + [...m[1]].map((c) => c + c).join('').toLowerCase();
  m = /^#([0-9a-f]{6})$/i.exec(s);
  if (m) return '#' + m[1].toLowerCase();
  m = /^rgba?\(\s*(\d{1,3})\s*,\s*(\d{1,3})\s*,\s*(\d{1,3})\s*(?:,\s*[\d.]+\s*)?\)$/i.exec(s);
  if (m && [m[1], m[2], m[3]].every((c) => Number(c) <= 255)) {
    return '#' + [m[1], m[2], m[3]].map((c) => Number(c).toString(16).padStart(2, '0')).join('');
  }
  return undefined;
}

// "rgb(r, g, b)" of a "#rrggbb" colour (the form the program's colour
// settings use).
export function hexToRgbText(hex) {
  const m = /^#([0-9a-f]{2})([0-9a-f]{2})([0-9a-f]{2})$/i.exec(hex);
  if (!m) return hex;
  return `rgb(${parseInt(m[1], 16)}, ${parseInt(m[2], 16)}, ${parseInt(m[3], 16)})`;
}
