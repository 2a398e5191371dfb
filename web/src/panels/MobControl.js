// Man overboard: the MOB button (and Ctrl+M, as on chart plotters) asks the
// program to drop a MOB mark at the ship's position and navigate to it. The
// program repeats its spoken alarm until it is acknowledged here; the banner
// shows while the alarm sounds, whether the button or an NMEA MOB report
// raised it.

import { h } from '../lib/dom.js';
import { acknowledgeMob, manOverboard, mobState } from '../lib/navobjectsApi.js';

const POLL_MS = 3000;

export function createMobControl(store, onMarked) {
  const text = h('span', { class: 'text' });
  const banner = h(
    'div',
    { class: 'mob-alarm', role: 'alert', 'data-testid': 'mob-alarm', hidden: true },
    h('strong', {}, 'MAN OVERBOARD'),
    text,
    h('button', { 'data-testid': 'mob-acknowledge', onclick: acknowledge }, 'Acknowledge'),
  );
  const button = h('button', { class: 'mob-button', 'data-testid': 'mob', title: 'Man overboard (Ctrl+M)', onclick: raise }, 'MOB');
  let shownId;

  const fail = (r) => store.emit('local-message', { kind: 'error', text: `MOB: ${r.error}` });

  async function raise() {
    const r = await manOverboard();
    if (!r.ok) return fail(r);
    await refresh();
  }

  async function acknowledge() {
    const r = await acknowledgeMob();
    if (!r.ok && r.status !== 409) fail(r);
    await refresh();
  }

  async function refresh() {
    const r = await mobState();
    if (!r.ok || !r.data) return;
    const mob = r.data;
    banner.hidden = !(mob.active && !mob.acknowledged);
    if (mob.active && Number.isFinite(mob.lat)) {
      const when = Number.isFinite(mob.utcMs) ? `${new Date(mob.utcMs).toISOString().slice(11, 19)}Z` : '';
      text.textContent = `${when} at ${mob.lat.toFixed(5)} ${mob.lon.toFixed(5)} (${mob.source === 'nmea' ? 'MOB report' : 'MOB button'}); navigating to the mark.`;
    }
    if (mob.active && mob.id !== shownId) onMarked?.();
    shownId = mob.active ? mob.id : undefined;
  }

  document.addEventListener('keydown', (e) => {
    if ((e.ctrlKey || e.metaKey) && !e.altKey && !e.shiftKey && e.key.toLowerCase() === 'm') {
      e.preventDefault();
      raise();
    }
  });
  // An NMEA report raises the alarm without the page: its notification, and a poll.
  store.on('notification', refresh);
  setInterval(refresh, POLL_MS);
  refresh();
  return { button, banner };
}
