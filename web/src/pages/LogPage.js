// The logbook page, rendered by the program.

import { h } from '../lib/dom.js';

export function createLogPage() {
  const frame = h('iframe', { class: 'embedded', src: 'about:blank', title: 'Logbook' });
  const element = h(
    'div',
    { class: 'page log-page' },
    h('h1', {}, 'Logbook ', h('a', { class: 'small-link', href: '/browser/log', target: '_blank' }, 'open in its own window')),
    frame,
  );
  return {
    element,
    show() {
      frame.src = '/browser/log';
    },
  };
}
