// Routes and marks: activate one to navigate to it, or stop navigation.

import { h, clear } from '../lib/dom.js';
import { getJson, postJson } from '../lib/api.js';

export function createRoutesPage(store, onChanged) {
  const body = h('div', {});
  const message = h('p', { class: 'status' });
  const element = h('div', { class: 'page routes-page' }, h('h1', {}, 'Routes and marks'), message, body);

  async function activate(id, name) {
    const r = await postJson('/nav/activate', { id });
    message.textContent = r.ok ? `Navigating to ${name}.` : r.error;
    message.className = r.ok ? 'status ok' : 'status error';
    onChanged();
    load();
  }

  async function load() {
    const r = await getJson('/api/navobjects');
    clear(body);
    if (!r.ok || !r.data) {
      body.append(h('p', { class: 'error' }, r.error ?? 'No navigation objects.'));
      return;
    }
    const routes = r.data.routes ?? [];
    const marks = r.data.marks ?? [];
    const activeId = store.route?.routeId;
    body.append(
      h('h2', {}, 'Routes'),
      routes.length === 0
        ? h('p', { class: 'muted' }, 'No routes.')
        : h(
            'table',
            { class: 'list' },
            h('thead', {}, h('tr', {}, h('th', {}, 'Name'), h('th', {}, 'Waypoints'), h('th', {}, 'Length'), h('th', {}, ''))),
            h(
              'tbody',
              {},
              routes.map((rt) =>
                h(
                  'tr',
                  { 'data-route': rt.id },
                  h('td', {}, rt.name || rt.id, rt.active || rt.id === activeId ? h('span', { class: 'badge' }, ' active') : null),
                  h('td', { class: 'num' }, String(rt.points?.length ?? 0)),
                  h('td', { class: 'num' }, Number.isFinite(rt.lengthNm) ? `${rt.lengthNm.toFixed(1)} nm` : ''),
                  h(
                    'td',
                    {},
                    rt.active || rt.id === activeId
                      ? h('button', { onclick: () => stop() }, 'Stop Navigation')
                      : h('button', { 'data-testid': 'activate-route', onclick: () => activate(rt.id, rt.name || 'the route') }, 'Activate'),
                  ),
                ),
              ),
            ),
          ),
      h('h2', {}, 'Marks'),
      marks.length === 0
        ? h('p', { class: 'muted' }, 'No marks.')
        : h(
            'table',
            { class: 'list' },
            h(
              'tbody',
              {},
              marks.map((m) =>
                h(
                  'tr',
                  { 'data-mark': m.id },
                  h('td', {}, m.name || m.id),
                  h('td', { class: 'num' }, Number.isFinite(m.lat) ? `${m.lat.toFixed(4)} ${m.lon.toFixed(4)}` : ''),
                  h('td', {}, h('button', { onclick: () => activate(m.id, m.name || 'the mark') }, 'Go to')),
                ),
              ),
            ),
          ),
    );
  }

  async function stop() {
    const r = await postJson('/nav/stop');
    message.textContent = r.ok ? 'Navigation stopped.' : r.error;
    message.className = r.ok ? 'status ok' : 'status error';
    onChanged();
    load();
  }

  let shownRouteId = store.route?.routeId ?? null;
  store.on('route', (st, route) => {
    const id = route?.routeId ?? null;
    if (id === shownRouteId) return;
    shownRouteId = id;
    if (element.isConnected) load();
  });
  return { element, show: load };
}
