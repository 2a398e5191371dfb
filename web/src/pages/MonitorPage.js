// Instrument data monitor: the lines the ports receive and send, live, while
// the page is open (a second event stream with monitor lines).

import { h } from '../lib/dom.js';
import { csrfToken } from '../lib/api.js';

const MAX_LINES = 500;

export function createMonitorPage() {
  const out = h('pre', { class: 'monitor', 'data-testid': 'monitor' });
  const filter = h('input', { type: 'search', placeholder: 'Filter (port or text)', 'aria-label': 'Filter' });
  const pause = h('button', {}, 'Pause');
  const element = h('div', { class: 'page monitor-page' }, h('h1', {}, 'Instrument data'), h('div', { class: 'toolbar' }, filter, pause), out);
  let lines = [];
  let paused = false;
  let source;

  pause.addEventListener('click', () => {
    paused = !paused;
    pause.textContent = paused ? 'Resume' : 'Pause';
    render();
  });
  filter.addEventListener('input', render);

  function render() {
    const needle = filter.value.trim().toLowerCase();
    const shown = needle ? lines.filter((l) => l.toLowerCase().includes(needle)) : lines;
    out.textContent = shown.join('\n');
    out.scrollTop = out.scrollHeight;
  }

  function show() {
    hide();
    source = new EventSource(`/events?monitor=1&token=${encodeURIComponent(csrfToken())}`);
    source.addEventListener('monitor', (event) => {
      let d;
      try {
        d = JSON.parse(event.data);
      } catch {
        return;
      }
      if (typeof d?.line !== 'string') return;
      lines.push(d.line);
      if (lines.length > MAX_LINES) lines = lines.slice(-MAX_LINES);
      if (!paused) render();
    });
  }

  function hide() {
    source?.close();
    source = undefined;
  }

  return { element, show, hide };
}
