// The live state of the program, kept current by the server's event stream
// ("/events"). Every part of the state remembers when (client clock) its last
// event arrived, so values can be aged on the client; AIS targets carry the
// time of their last report on the server's clock, aged against that clock as
// the "state" and "ais" events tell it ("serverMs"). Listeners subscribe to
// topics: "ownship", "ais", "route", "notification", "speak", "settings",
// "demo", "connection", "ports", "obstacle" (the look-ahead for dangers),
// "tick" (once a second, for ageing).

import { clientNow } from './lib/values.js';
import { csrfToken, getJson } from './lib/api.js';
import { reportAge } from './lib/targets.js';

export class LiveStore {
  constructor() {
    this.ownship = undefined;
    this.ownshipAt = -Infinity;
    this.targets = new Map(); // mmsi -> {target, at}
    this.serverOffset = undefined; // the server's clock (ms) minus the client clock
    this.route = null;
    this.routeAt = -Infinity;
    this.notifications = [];
    this.demo = null;
    this.settings = new Map(); // name -> value text
    this.connected = false;
    this.ports = undefined;
    this.listeners = new Map();
    this.source = undefined;
    this.tickTimer = undefined;
  }

  // Calls fn(store) on every change of topic; returns the unsubscribe function.
  on(topic, fn) {
    if (!this.listeners.has(topic)) this.listeners.set(topic, new Set());
    this.listeners.get(topic).add(fn);
    return () => this.listeners.get(topic)?.delete(fn);
  }

  emit(topic, detail) {
    for (const fn of this.listeners.get(topic) ?? []) {
      try {
        fn(this, detail);
      } catch (e) {
        console.error(`listener of ${topic} failed`, e);
      }
    }
  }

  // Opens the event stream and loads the settings; re-checks ages once a second.
  start() {
    this.loadSettings();
    this.connect();
    this.tickTimer = setInterval(() => this.emit('tick'), 1000);
  }

  async loadSettings() {
    const result = await getJson('/api/settings');
    if (!result.ok || !Array.isArray(result.data)) return;
    for (const group of result.data) {
      for (const s of group.settings ?? []) this.settings.set(s.name, String(s.value ?? ''));
    }
    this.emit('settings', { all: true });
  }

  setting(name) {
    return this.settings.get(name);
  }

  connect() {
    // The page's token keeps a place free for this stream however many
    // other clients hold streams open.
    const source = new EventSource(`/events?token=${encodeURIComponent(csrfToken())}`);
    this.source = source;
    const handlers = {
      state: (d) => this.applyState(d),
      ownship: (d) => this.applyOwnship(d),
      ais: (d) => this.applyAis(d),
      route: (d) => this.applyRoute(d),
      notification: (d) => this.applyNotification(d),
      speak: (d) => this.emit('speak', d),
      settings: (d) => this.applySetting(d),
      ports: (d) => {
        this.ports = d;
        this.emit('ports', d);
      },
      obstacle: (d) => this.emit('obstacle', d),
    };
    for (const [name, handle] of Object.entries(handlers)) {
      source.addEventListener(name, (event) => {
        let data;
        try {
          data = JSON.parse(event.data);
        } catch {
          console.warn(`unreadable ${name} event`);
          return;
        }
        handle(data);
      });
    }
    source.onopen = () => this.setConnected(true);
    // EventSource reconnects by itself; until the next "state" event every
    // value ages normally, so the panels turn to dashes on their own.
    source.onerror = () => this.setConnected(false);
  }

  setConnected(connected) {
    if (this.connected === connected) return;
    this.connected = connected;
    this.emit('connection', connected);
  }

  // The server's clock read serverMs at client time now.
  noteServerClock(serverMs, now = clientNow()) {
    if (Number.isFinite(serverMs) && Number.isFinite(now)) this.serverOffset = serverMs - now;
  }

  // Age in ms of target's last report (Infinity when unknown).
  targetAge(target, now = clientNow()) {
    return reportAge(target, this.serverOffset, now);
  }

  applyState(d, now = clientNow()) {
    this.noteServerClock(d?.serverMs, now);
    this.setConnected(true);
    this.targets.clear();
    this.applyOwnship(d.ownship ?? undefined, now);
    this.applyAis({ targets: d.ais ?? [], removed: [] }, now);
    this.applyRoute(d.route ?? null, now);
    this.notifications = Array.isArray(d.notifications) ? d.notifications.slice(-20) : [];
    this.emit('notification', { all: true });
    if (Array.isArray(d.ports)) {
      this.ports = d.ports;
      this.emit('ports', d.ports);
    }
    this.demo = d.demo ?? null;
    this.emit('demo', this.demo);
    if (typeof d.colorMode === 'string') this.applySetting({ name: 'S52_ColorMode', value: d.colorMode });
  }

  applyOwnship(d, now = clientNow()) {
    this.ownship = d;
    this.ownshipAt = now;
    this.emit('ownship', d);
  }

  applyAis(d, now = clientNow()) {
    this.noteServerClock(d?.serverMs, now);
    for (const t of d?.targets ?? []) {
      if (Number.isFinite(t?.mmsi)) this.targets.set(t.mmsi, { target: t, at: now });
    }
    for (const mmsi of d?.removed ?? []) this.targets.delete(mmsi);
    this.emit('ais', d);
  }

  applyRoute(d, now = clientNow()) {
    this.route = d && typeof d === 'object' ? d : null;
    this.routeAt = now;
    this.emit('route', this.route);
  }

  applyNotification(note) {
    if (!note || typeof note.text !== 'string') return;
    this.notifications.push(note);
    if (this.notifications.length > 20) this.notifications.shift();
    this.emit('notification', note);
  }

  applySetting(d) {
    if (!d || typeof d.name !== 'string') return;
    this.settings.set(d.name, String(d.value ?? ''));
    this.emit('settings', d);
  }
}

export const store = new LiveStore();
