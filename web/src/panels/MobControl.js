// Man overboard: the MOB button (and Ctrl+M, as on chart plotters) asks the
// program to drop a MOB mark at the ship's position and navigate to it; the
// alarm it raises repeats until it is acknowledged here.

import { h } from '../lib/dom.js';
import { acknowledgeMob, manOverboard } from '../lib/navobjectsApi.js';

const MOB_TEXT = /man overboard|\bMOB\b/i;

// The program's notifications that are a man-overboard alarm.
export const mobAlarms = (notifications) => notifications.filter((n) => n?.kind === 'alarm' && MOB_TEXT.test(String(n.text ?? '')));

export function createMobControl(store, onMarked) {
  const acknowledged = new Set();
  let pending = false;
  const text = h('span', { class: 'text' });
  const banner = h(
    'div',
    { class: 'mob-alarm', role: 'alert', 'data-testid': 'mob-alarm', hidden: true },
    h('strong', {}, 'MAN OVERBOARD '),
    text,
    h('button', { 'data-testid': 'mob-acknowledge', onclick: acknowledge }, 'Acknowledge'),
  );
  const button = h('button', { class: 'mob-button', 'data-testid': 'mob', title: 'Man overboard (Ctrl+M)', onclick: raise }, 'MOB');

  async function raise() {
    const r = await manOverboard();
    if (!r.ok) {
      store.emit('local-message', { kind: 'error', text: `MOB: ${r.error}` });
      return;
    }
    pending = true;
    render();
    onMarked?.();
  }

  async function acknowledge() {
    const r = await acknowledgeMob();
    if (!r.ok) {
      store.emit('local-message', { kind: 'error', text: `MOB: ${r.error}` });
      return;
    }
    for (const n of mobAlarms(store.notifications)) acknowledged.add(n.id);
    pending = false;
    render();
  }

  function render() {
    const open = mobAlarms(store.notifications).filter((n) => !acknowledged.has(n.id));
    banner.hidden = !pending && open.length === 0;
    text.textContent = open[0]?.text ?? 'Mark dropped; navigating to it.';
  }

  document.addEventListener('keydown', (e) => {
    if ((e.ctrlKey || e.metaKey) && !e.altKey && !e.shiftKey && e.key.toLowerCase() === 'm') {
      e.preventDefault();
      raise();
    }
  });
  store.on('notification', () => {
    render();
    if (mobAlarms(store.notifications).some((n) => !acknowledged.has(n.id))) onMarked?.();
  });
  render();
  return { button, banner };
}
