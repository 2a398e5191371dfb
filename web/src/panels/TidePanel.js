// Tides near the own ship: the nearest tide station's level, trend and next
// event, the nearest current station's current and next slack, each a link
// to its station page; or the page that says there is none nearby.

import { h, clear } from '../lib/dom.js';
import { getJson } from '../lib/api.js';
import { clientNow, fixView } from '../lib/values.js';
import { stationPagePath } from '../lib/tides.js';

const REFRESH_MS = 60000;
const MOVE_NM = 1; // a new look-up after moving this far

export function createTidePanel(store) {
  const tide = h('div', { 'data-testid': 'tide-nearest' });
  const current = h('div', { 'data-testid': 'current-nearest' });
  const panel = h('section', { class: 'panel tides', 'aria-label': 'Tides' }, h('header', {}, h('h2', {}, 'Tides')), tide, current);
  let last;
  let lastAt = 0;

  function render(target, r, kind) {
    clear(target);
    if (!r.ok || !r.data) {
      target.append(h('p', { class: 'muted' }, r.error ?? 'Not available.'));
      return;
    }
    if (r.data.page) {
      // The program's own page for "none nearby": its heading and paragraph as text.
      const doc = new DOMParser().parseFromString(r.data.page, 'text/html');
      target.append(h('p', { class: 'muted' }, `${doc.querySelector('h1')?.textContent ?? ''}: ${doc.querySelector('p')?.textContent ?? ''}`));
      return;
    }
    const v = r.data.instruments ?? {};
    const link = h('a', { href: stationPagePath(r.data.url), 'data-link': '' }, r.data.name);
    const lines =
      kind === 'tide'
        ? [`${v.levelText ?? '---'} ${v.tideTrend ?? ''}`, v.tideNextEventDescription ?? '']
        : [v.currentDescription ?? '---', v.nextSlackText ? `Next slack ${v.nextSlackText}` : ''];
    target.append(
      h('div', {}, link, h('span', { class: 'muted' }, ` ${r.data.distanceNm} NM`)),
      ...lines.filter(Boolean).map((text) => h('div', { class: 'num-line' }, text)),
    );
  }

  async function lookUp(force) {
    const fix = fixView(store.ownship?.fix, store.ownshipAt, clientNow());
    if (fix.lat === undefined) return;
    const moved = !last || Math.hypot(fix.lat - last.lat, (fix.lon - last.lon) * Math.cos((fix.lat * Math.PI) / 180)) * 60 > MOVE_NM;
    if (!force && !moved && Date.now() - lastAt < REFRESH_MS) return;
    last = { lat: fix.lat, lon: fix.lon };
    lastAt = Date.now();
    const [t, c] = await Promise.all(
      ['tide', 'current'].map((kind) => getJson(`/api/tides/nearest?lat=${fix.lat.toFixed(5)}&lon=${fix.lon.toFixed(5)}&kind=${kind}`)),
    );
    render(tide, t, 'tide');
    render(current, c, 'current');
  }

  tide.append(h('p', { class: 'muted' }, 'Waiting for a position.'));
  store.on('ownship', () => lookUp(false));
  return panel;
}
