// The logbook page: the program renders its entries ("/browser/log"); here its
// entry links (an entry's children), "Older Entries" and the automatic
// refresh when the logbook is written ("CheckLog", every 250 ms) work.

import { h } from '../lib/dom.js';
import { getJson, getPage } from '../lib/api.js';
import { commandAt, logAddress, logQuery, showServerPage } from '../lib/serverPage.js';

const CHECK_MS = 250;

export function createLogPage() {
  const body = h('div', { class: 'server-page log-entries', 'data-testid': 'log-entries' });
  const newest = h('button', { class: 'small', hidden: true, 'data-testid': 'log-newest' }, 'Newest entries');
  const status = h('span', { class: 'status' });
  const element = h('div', { class: 'page log-page' }, h('h1', {}, 'Logbook'), h('div', { class: 'toolbar' }, newest, status), body);
  let query = { page: 0 };
  let renderedTick;
  let timer;
  let checking = false;

  async function load(next) {
    const tick = await lastWriteTick();
    const r = await getPage(logAddress(next));
    if (!r.ok) {
      status.textContent = r.error;
      status.className = 'status error';
      return;
    }
    query = next;
    renderedTick = tick;
    status.textContent = '';
    showServerPage(body, r.text);
    newest.hidden = query.page === 0 && query.parent === undefined;
  }

  async function lastWriteTick() {
    const r = await getJson('/api/logbook');
    return r.ok && Number.isFinite(r.data?.lastWriteTick) ? r.data.lastWriteTick : undefined;
  }

  async function check() {
    if (checking) return;
    checking = true;
    try {
      const tick = await lastWriteTick();
      if (tick !== undefined && tick !== renderedTick) await load(query);
    } finally {
      checking = false;
    }
  }

  body.addEventListener('click', (e) => {
    const next = logQuery(commandAt(e.target));
    if (!next) return;
    e.preventDefault();
    load(next);
  });
  newest.addEventListener('click', () => load({ page: 0 }));

  return {
    element,
    show() {
      load({ page: 0 });
      clearInterval(timer);
      timer = setInterval(check, CHECK_MS);
    },
    hide() {
      clearInterval(timer);
    },
  };
}
