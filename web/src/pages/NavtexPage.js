// NAVTEX messages received in this run, newest first: station, subject,
// serial number, the receiving port and the text.

import { h, clear } from '../lib/dom.js';
import { getJson } from '../lib/api.js';

const REFRESH_MS = 5000;

export function createNavtexPage() {
  const list = h('div', { class: 'navtex-list', 'data-testid': 'navtex-list' });
  const element = h('div', { class: 'page navtex-page' }, h('h1', {}, 'NAVTEX'), list);
  let timer;

  async function load() {
    const r = await getJson('/api/navtex');
    clear(list);
    if (!r.ok || !Array.isArray(r.data?.messages)) {
      list.append(h('p', { class: 'error' }, r.error ?? 'No messages.'));
      return;
    }
    if (r.data.messages.length === 0) list.append(h('p', { class: 'muted' }, 'No NAVTEX message has been received.'));
    for (const m of r.data.messages) {
      const time = Number.isFinite(m.utcMs) ? new Date(m.utcMs).toISOString().replace('T', ' ').slice(0, 19) + 'Z' : '';
      const subject = m.subjectText ? ` — ${m.subjectText}` : '';
      const station = m.station ? `station ${m.station}, ` : '';
      const serial = Number.isFinite(m.serial) ? `no. ${String(m.serial).padStart(2, '0')}` : '';
      list.append(
        h(
          'article',
          { class: 'card navtex', 'data-code': m.code ?? '' },
          h('h2', {}, `${m.code ?? ''}${subject}`),
          h('p', { class: 'muted' }, `${time} · ${station}${serial} · ${m.port ?? ''}`),
          h('pre', {}, m.text ?? ''),
        ),
      );
    }
  }

  return {
    element,
    show() {
      load();
      clearInterval(timer);
      timer = setInterval(load, REFRESH_MS);
    },
    hide() {
      clearInterval(timer);
    },
  };
}
