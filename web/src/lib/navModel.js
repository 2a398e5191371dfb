// The page's copy of the program's navigation objects: the list, the layers,
// the selected object and the layer new objects go to. Edits go to the
// program and the list is read again after each; a refresh every few seconds
// picks up changes made elsewhere (a MOB mark, boundary alarms, the CLI).

import { readNavObjects } from './navobjects.js';
import { listNavObjects } from './navobjectsApi.js';

const REFRESH_MS = 4000;

// Whether the navigator is typing into a field inside el: a redraw of el
// would take the text away.
export function typingIn(el) {
  const a = globalThis.document?.activeElement;
  return Boolean(a && el.contains(a) && (a.tagName === 'TEXTAREA' || (a.tagName === 'INPUT' && ['text', 'number', 'search', ''].includes(a.type))));
}

export function createNavModel(store) {
  const listeners = new Set();
  const model = {
    objects: [],
    layers: [],
    deleted: [],
    byId: new Map(),
    layersById: new Map(),
    undoLabel: '',
    redoLabel: '',
    selectedId: null,
    targetLayer: '',
    on(fn) {
      listeners.add(fn);
      return () => listeners.delete(fn);
    },
    get selected() {
      return model.byId.get(model.selectedId);
    },
    select(id) {
      model.selectedId = id ?? null;
      emit('select');
    },
    setTargetLayer(name) {
      model.targetLayer = name;
      emit('layers');
    },
    reload,
    // Runs one request that changes the objects; a refusal is shown in the
    // message bar. Resolves to the request's result.
    async edit(request, what) {
      const r = await request();
      if (!r.ok) {
        store.emit('local-message', { kind: 'error', text: what ? `${what}: ${r.error}` : r.error });
        // Redraw even when nothing changed: a refused drag puts the point back.
        lastText = '';
      }
      await reload();
      return r;
    },
  };
  let lastText = '';

  function emit(kind) {
    for (const fn of listeners) {
      try {
        fn(kind);
      } catch (e) {
        console.error('navigation object listener failed', e);
      }
    }
  }

  async function reload() {
    const r = await listNavObjects();
    if (!r.ok || !r.data) return;
    if (r.text === lastText) return;
    lastText = r.text;
    const { objects, layers, deleted, undo, redo } = readNavObjects(r.data);
    model.undoLabel = undo;
    model.redoLabel = redo;
    model.objects = objects;
    model.layers = layers;
    model.deleted = deleted;
    model.byId = new Map([...objects, ...deleted].map((o) => [o.id, o]));
    model.layersById = new Map(layers.map((l) => [l.id, l]));
    if (!model.layersById.has(model.targetLayer)) model.targetLayer = layers.find((l) => l.isDefault)?.id ?? '';
    if (model.selectedId && !model.byId.has(model.selectedId)) model.selectedId = null;
    emit('data');
  }

  setInterval(reload, REFRESH_MS);
  store.on('route', (s, route) => {
    // A route activated or stopped elsewhere changes which route is active.
    if ((route?.routeId ?? null) !== model.activeRouteId) {
      model.activeRouteId = route?.routeId ?? null;
      lastText = '';
      reload();
    }
  });
  reload();
  return model;
}
