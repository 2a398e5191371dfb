// Ageing of live values. Every value from the server carries its age in ms at
// the moment the server sent it; the page adds the time since it received the
// event, judged on its own monotonic clock, and shows DASH once the hold time
// has passed. A value is never shown as current when its age is unknown.

export const DASH = '---';
export const DEFAULT_HOLD_MS = 5000;

// Monotonic client clock in ms.
export function clientNow() {
  return typeof performance !== 'undefined' ? performance.now() : Date.now();
}

// Age in ms of value now (ms, client clock), given receivedAt (ms, client
// clock) when its event arrived. Infinity for absent values or absent ages.
export function ageNow(value, receivedAt, now) {
  if (!value || typeof value !== 'object') return Infinity;
  const age = Number(value.age);
  if (!Number.isFinite(age) || age < 0) return Infinity;
  if (!Number.isFinite(receivedAt) || !Number.isFinite(now)) return Infinity;
  return age + Math.max(0, now - receivedAt);
}

// True when value must not be shown as current: absent, without an age,
// marked stale by the server, or older than its hold time (value.hold ms,
// else 5000 ms).
export function isStale(value, receivedAt, now) {
  if (value?.stale === true) return true;
  const hold = Number.isFinite(value?.hold) ? value.hold : DEFAULT_HOLD_MS;
  return ageNow(value, receivedAt, now) > hold;
}

// The display text of value: its server-formatted text, or DASH when stale.
export function valueText(value, receivedAt, now) {
  if (isStale(value, receivedAt, now)) return DASH;
  if (typeof value.text === 'string' && value.text !== '') return value.text;
  return Number.isFinite(value.v) ? String(value.v) : DASH;
}

// The numeric reading of value, or undefined when stale.
export function valueNumber(value, receivedAt, now) {
  if (isStale(value, receivedAt, now) || !Number.isFinite(value.v)) return undefined;
  return value.v;
}

// What the fix line of the own-ship panel shows. quality: the server's fix
// quality; a fix whose age has passed its hold is treated as lost (the feed
// stopped), so the position turns to DASH and the status to "LOST GPS".
// Result: {status, source, position, alarm, lat, lon} (lat/lon undefined when
// the position is not current).
export function fixView(fix, receivedAt, now) {
  if (!fix || typeof fix !== 'object') {
    return { status: 'NO GPS', source: '', position: DASH, alarm: true };
  }
  const quality = Number(fix.quality);
  const source = typeof fix.source === 'string' ? fix.source : '';
  const hasPosition = Number.isFinite(fix.lat) && Number.isFinite(fix.lon);
  const current = hasPosition && quality >= 1 && !isStale(fix, receivedAt, now);
  if (current) {
    return {
      status: fix.text || 'GPS FIX',
      source,
      position: fix.position || `${fix.lat.toFixed(5)} ${fix.lon.toFixed(5)}`,
      alarm: false,
      lat: fix.lat,
      lon: fix.lon,
    };
  }
  // A fix that was good when sent but has aged past its hold: the feed stopped.
  const status = quality >= 1 ? 'LOST GPS' : fix.text || (quality === -1 ? 'NO GPS' : 'LOST GPS');
  return { status, source, position: DASH, alarm: true };
}
