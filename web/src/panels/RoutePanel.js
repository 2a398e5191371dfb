// Route monitor: the active route and waypoint, distance and bearing to it,
// cross-track error with the side to steer, time to go and arrival time, and
// the waypoint commands.

import { h, setText } from '../lib/dom.js';
import { clientNow, DASH, isStale, valueText } from '../lib/values.js';
import { postJson } from '../lib/api.js';

export function createRoutePanel(store) {
  const fields = {};
  const field = (key, label) => {
    fields[key] = h('dd', { 'data-testid': `route-${key}` }, DASH);
    return h('div', { class: 'cell' }, h('dt', {}, label), fields[key]);
  };
  const routeName = h('div', { class: 'route-name', 'data-testid': 'route-name' });
  const waypoint = h('div', { class: 'waypoint', 'data-testid': 'route-waypoint' });
  const command = (label, url, testid) =>
    h(
      'button',
      {
        'data-testid': testid,
        onclick: async () => {
          const result = await postJson(url);
          if (!result.ok) store.emit('local-message', { kind: 'error', text: result.error });
        },
      },
      label,
    );
  const prev = command('◀ Previous', '/nav/prev_wp', 'route-prev');
  const next = command('Next ▶', '/nav/next_wp', 'route-next');
  const stop = command('Stop Navigation', '/nav/stop', 'route-stop');
  const empty = h('p', { class: 'muted' }, 'No active route. Activate one on the ', h('a', { href: '/routes', 'data-link': '' }, 'Routes'), ' page.');
  const body = h(
    'div',
    {},
    routeName,
    waypoint,
    h('dl', { class: 'values' }, field('dtw', 'DTW'), field('btw', 'BTW'), field('xte', 'XTE'), field('ttg', 'TTG'), field('eta', 'ETA')),
    h('div', { class: 'buttons' }, prev, next, stop),
  );
  const panel = h('section', { class: 'panel route', 'aria-label': 'Route monitor' }, h('header', {}, h('h2', {}, 'Route')), empty, body);

  function render() {
    const route = store.route;
    const now = clientNow();
    const at = store.routeAt;
    empty.hidden = Boolean(route);
    body.hidden = !route;
    if (!route) return;
    setText(routeName, route.routeName || 'Route');
    setText(waypoint, route.waypoint?.name ? `To ${route.waypoint.name}` : 'To waypoint');
    setText(fields.dtw, valueText(route.dtw, at, now));
    setText(fields.btw, valueText(route.btw, at, now));
    const xte = valueText(route.xte, at, now);
    const steer = route.steer === 'L' ? '◀ Steer L' : route.steer === 'R' ? 'Steer R ▶' : '';
    setText(fields.xte, xte === DASH || steer === '' ? xte : `${xte}  ${steer}`);
    // Time to go and arrival hang on the distance: stale with it.
    const timely = !isStale(route.dtw, at, now);
    setText(fields.ttg, timely && route.ttg ? route.ttg : DASH);
    setText(fields.eta, timely && route.eta ? route.eta : DASH);
    prev.disabled = route.canPrevious === false;
    next.disabled = route.canNext === false;
  }

  store.on('route', render);
  store.on('tick', render);
  render();
  return panel;
}
