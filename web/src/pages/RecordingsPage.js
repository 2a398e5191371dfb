// Voyage recordings: the program's list of recorded days (its play links and
// "Show Files" work here), and player controls (play, pause, stop, speed,
// seek) over "/api/player".

import { h } from '../lib/dom.js';
import { getJson, getPage, postJson } from '../lib/api.js';
import { commandAt, playStart, showServerPage } from '../lib/serverPage.js';

const DEFAULT_SPEEDS = [1, 2, 5, 10, 30, 60, 100];

function utcText(ms) {
  return Number.isFinite(ms) ? new Date(ms).toISOString().replace('T', ' ').slice(0, 19) + 'Z' : '---';
}

export function createRecordingsPage() {
  const state = h('span', { class: 'player-state', 'data-testid': 'player-state' }, '---');
  const time = h('span', { class: 'num', 'data-testid': 'player-time' }, '---');
  const day = h('select', { 'aria-label': 'Day' });
  const speed = h('select', { 'aria-label': 'Speed' });
  let speeds = [];
  const setSpeeds = (list) => {
    if (list.join() === speeds.join()) return;
    speeds = list;
    speed.replaceChildren(...list.map((s) => h('option', { value: String(s) }, `${s}×`)));
  };
  setSpeeds(DEFAULT_SPEEDS);
  const seek = h('input', { type: 'range', min: '0', max: '1000', value: '0', 'aria-label': 'Position in the recording', class: 'seek' });
  const message = h('span', { class: 'status' });
  const send = async (body) => {
    const r = await postJson('/api/player', body);
    message.textContent = r.ok ? '' : r.error;
    message.className = r.ok ? 'status' : 'status error';
    poll();
  };
  const controls = h(
    'div',
    { class: 'card player' },
    h('h2', {}, 'Player'),
    h(
      'div',
      { class: 'toolbar' },
      day,
      h('button', { 'data-testid': 'player-play', onclick: () => send({ action: 'play', day: day.value || undefined }) }, '▶ Play'),
      h('button', { 'data-testid': 'player-pause', onclick: () => send({ action: 'pause' }) }, '❚❚ Pause'),
      h('button', { onclick: () => send({ action: 'stop' }) }, '■ Stop'),
      speed,
      state,
      time,
      message,
    ),
    seek,
  );
  const list = h('div', { class: 'server-page recording-days', 'data-testid': 'recording-days' });
  const listStatus = h('p', { class: 'status', 'data-testid': 'recordings-folder' });
  const element = h('div', { class: 'page recordings-page' }, h('h1', {}, 'Voyage recordings'), controls, list, listStatus);
  let player;
  let timer;
  let dragging = false;

  speed.addEventListener('change', () => send({ action: 'speed', speed: Number(speed.value) }));
  seek.addEventListener('input', () => (dragging = true));
  seek.addEventListener('change', () => {
    dragging = false;
    if (!player || !Number.isFinite(player.startUtcMs) || !Number.isFinite(player.endUtcMs)) return;
    const t = player.startUtcMs + ((player.endUtcMs - player.startUtcMs) * Number(seek.value)) / 1000;
    send({ action: 'seek', timeUtcMs: Math.round(t) });
  });

  async function poll() {
    const r = await getJson('/api/player');
    if (!r.ok || !r.data) {
      state.textContent = '---';
      return;
    }
    player = r.data;
    state.textContent = player.available === false ? 'no player' : (player.state ?? '---');
    time.textContent = utcText(player.timeUtcMs);
    if (player.day && document.activeElement !== day && [...day.options].some((o) => o.value === player.day)) day.value = player.day;
    if (Array.isArray(player.speeds) && player.speeds.length) setSpeeds(player.speeds.filter(Number.isFinite));
    if (Number.isFinite(player.speed) && document.activeElement !== speed) {
      const near = speeds.reduce((a, b) => (Math.abs(b - player.speed) < Math.abs(a - player.speed) ? b : a));
      speed.value = String(near);
    }
    const span = player.endUtcMs - player.startUtcMs;
    if (!dragging && span > 0) seek.value = String(Math.round((1000 * (player.timeUtcMs - player.startUtcMs)) / span));
  }

  // The list's play links (one a day, at its first record's minute) play the
  // day from its first record, or go on where a paused playback of it stopped; "Show
  // Files" opens the recordings folder in the desktop's file browser and says
  // where it is.
  list.addEventListener('click', async (e) => {
    const command = commandAt(e.target);
    if (command === undefined) return;
    e.preventDefault();
    const start = playStart(command);
    if (start !== undefined) {
      send({ action: 'play', day: new Date(start).toISOString().slice(0, 10) });
      return;
    }
    if (command === 'show-voyage-recording-files') {
      const r = await postJson('/browser/voyage_recordings/show-voyage-recording-files', {});
      const folder = (r.text ?? '').replace(/^cannot show /, '').trim();
      listStatus.textContent = r.ok
        ? `Recordings folder: ${folder} (opened in the file browser)`
        : `Recordings folder: ${folder || '---'} (${r.status === 0 ? r.error : 'no file browser could be opened here'})`;
      listStatus.className = r.ok ? 'status ok' : 'status error';
    }
  });

  async function loadList() {
    const r = await getPage('/browser/voyage_recordings');
    if (r.ok) showServerPage(list, r.text);
    else list.replaceChildren(h('p', { class: 'error' }, r.error));
  }

  async function loadDays() {
    const r = await getJson('/api/recordings');
    const days = Array.isArray(r.data?.days) ? r.data.days : [];
    day.replaceChildren(
      ...days.map((d) => h('option', { value: d.day }, `${d.day}  ${utcText(d.startUtcMs).slice(11)}–${utcText(d.endUtcMs).slice(11)}`)),
    );
    if (days.length === 0) day.append(h('option', { value: '' }, 'No recordings'));
  }

  return {
    element,
    show() {
      loadList();
      loadDays();
      poll();
      timer = setInterval(poll, 1000);
    },
    hide() {
      clearInterval(timer);
    },
  };
}
