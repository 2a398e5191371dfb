// Message bar: the program's notifications, newest first, with "[[...]]"
// actions rendered as links; and spoken texts through the browser's speech
// synthesis when the user has switched voice on.

import { h, clear } from '../lib/dom.js';
import { actionFor, distinctTexts, parseMessage } from '../lib/markup.js';
import { postJson } from '../lib/api.js';

const VOICE_KEY = 'tarnwick.voice';
const SHOWN = 3;

export function createMessageBar(store, navigate) {
  const dismissed = new Set();
  const local = [];
  const bar = h('div', { class: 'message-bar', role: 'status', 'aria-live': 'polite', 'data-testid': 'message-bar' });

  function renderNote(note) {
    const text = h('span', { class: 'text' });
    for (const seg of parseMessage(note.text)) {
      if (seg.href === undefined) {
        text.append(seg.text);
        continue;
      }
      const action = actionFor(seg.href);
      if (!action) {
        text.append(seg.text);
        continue;
      }
      text.append(
        h(
          'a',
          {
            href: action.navigate ?? '#',
            class: 'action',
            onclick: async (e) => {
              e.preventDefault();
              if (action.navigate) return navigate(action.navigate);
              const r = await postJson(action.url);
              if (r.ok) dismissed.add(note.id);
              render();
            },
          },
          seg.text,
        ),
      );
    }
    const time = Number.isFinite(note.utcMs) ? new Date(note.utcMs).toISOString().slice(11, 19) + 'Z' : '';
    return h(
      'div',
      { class: `note ${note.kind ?? 'info'}` },
      h('span', { class: 'time' }, time),
      text,
      h('button', { class: 'close', title: 'Dismiss', onclick: () => (dismissed.add(note.id ?? note), render()) }, '×'),
    );
  }

  function render() {
    clear(bar);
    const notes = distinctTexts([...store.notifications, ...local].filter((n) => !dismissed.has(n.id ?? n)))
      .sort((a, b) => (b.utcMs ?? 0) - (a.utcMs ?? 0))
      .slice(0, SHOWN);
    for (const note of notes) bar.append(renderNote(note));
    bar.hidden = notes.length === 0;
  }

  store.on('notification', render);
  store.on('local-message', (s, note) => {
    local.push({ ...note, id: `local-${local.length}`, utcMs: Date.now() });
    render();
  });
  store.on('speak', (s, d) => speak(d?.text));
  render();
  return bar;
}

export function voiceEnabled() {
  return localStorage.getItem(VOICE_KEY) === 'on';
}

// Switches voice output on or off; the browser only speaks after the user
// allowed it with this toggle.
export function setVoiceEnabled(on) {
  localStorage.setItem(VOICE_KEY, on ? 'on' : 'off');
  if (on) speak('Voice on.');
}

function speak(text) {
  if (!voiceEnabled() || typeof text !== 'string' || text === '' || !('speechSynthesis' in window)) return;
  window.speechSynthesis.speak(new SpeechSynthesisUtterance(text));
}
