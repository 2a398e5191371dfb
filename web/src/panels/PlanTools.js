// The plot's planning tools: add a mark, draw a route point by point, draw
// a boundary (area, line or circle), a range-and-bearing line or an
// annotation (OpenLayers' Draw interaction), undo and redo (also Ctrl+Z and
// Ctrl+Y), and the context menu of an object (activate, navigate to,
// reverse, remove a point, delete, copy, move to another layer, properties,
// export GPX; on open chart: paste).

import Draw from 'ol/interaction/Draw.js';

import { h } from '../lib/dom.js';
import { mercatorScale } from '../lib/geo.js';
import { activate, copyObjects, createObject, deleteObject, gpxUrl, insertPoint, moveToLayer, pasteObjects, redo, removePoint, reverseRoute, undo } from '../lib/navobjectsApi.js';
import { displayName, nearestLeg } from '../lib/navobjects.js';
import { project, unproject } from './NavObjectsLayer.js';

const METRES_PER_NM = 1852;

// Tool: [label, title, Draw geometry type, most points, what to create].
const TOOLS = {
  mark: ['Mark', 'Add a mark: click its position', 'Point', undefined],
  route: ['Route', 'Draw a route: click each point, double-click (or Enter) at the last', 'LineString', undefined],
  area: ['Area', 'Draw a boundary area: click each corner, double-click (or Enter) at the last', 'Polygon', undefined],
  line: ['Line', 'Draw a boundary line: click its two ends', 'LineString', 2],
  circle: ['Circle', 'Draw a boundary circle: click the centre, then the edge', 'Circle', undefined],
  measure: ['Range/Bearing', 'Draw a range and bearing line: click its two ends', 'LineString', 2],
  note: ['Note', 'Place an annotation: click its position', 'Point', undefined],
};

const editing = (target) => target?.closest?.('input, textarea, select, [contenteditable]');

// The request that creates what the tool drew, from its geometry in map metres.
export function createRequest(tool, geometry, text, layer) {
  const withLayer = (body) => (layer ? { ...body, layer } : body);
  const pointsOf = (coords) => coords.map((c) => {
    const p = unproject(c);
    return [p.lat, p.lon];
  });
  switch (tool) {
    case 'mark': {
      const p = unproject(geometry.getCoordinates());
      return withLayer({ type: 'Mark', lat: p.lat, lon: p.lon });
    }
    case 'note': {
      const p = unproject(geometry.getCoordinates());
      return withLayer({ type: 'Annotation', text, lat: p.lat, lon: p.lon });
    }
    case 'route':
      return withLayer({ type: 'Route', points: pointsOf(geometry.getCoordinates()) });
    case 'area':
      return withLayer({ type: 'Boundary', points: pointsOf(geometry.getCoordinates()[0].slice(0, -1)) });
    case 'line':
      return withLayer({ type: 'Boundary', points: pointsOf(geometry.getCoordinates()) });
    case 'measure':
      return withLayer({ type: 'RangeBearing', points: pointsOf(geometry.getCoordinates()) });
    case 'circle': {
      const p = unproject(geometry.getCenter());
      const radiusNm = geometry.getRadius() / mercatorScale(p.lat) / METRES_PER_NM;
      return withLayer({ type: 'BoundaryCircle', lat: p.lat, lon: p.lon, radius: `${radiusNm.toFixed(3)} NM` });
    }
    default:
      return undefined;
  }
}

export function createPlanTools(map, model, layer) {
  let draw;
  let tool;
  const buttons = {};

  function stopDrawing() {
    if (draw) map.removeInteraction(draw);
    draw = undefined;
    tool = undefined;
    for (const b of Object.values(buttons)) b.classList.remove('on');
    layer.select.setActive(true);
    layer.modify.setActive(true);
  }

  function startDrawing(name) {
    const wasOn = tool === name;
    stopDrawing();
    if (wasOn) return;
    const [, , type, maxPoints] = TOOLS[name];
    tool = name;
    buttons[name].classList.add('on');
    layer.select.setActive(false);
    layer.modify.setActive(false);
    draw = new Draw({ type, maxPoints, stopClick: true });
    draw.on('drawend', (e) => {
      const finished = tool;
      const geometry = e.feature.getGeometry();
      // The interaction is removed after this event has run its course.
      setTimeout(() => {
        stopDrawing();
        create(finished, geometry);
      });
    });
    map.addInteraction(draw);
  }

  async function create(name, geometry) {
    let text = '';
    if (name === 'note') {
      text = window.prompt('Annotation text') ?? '';
      if (text.trim() === '') return;
    }
    const body = createRequest(name, geometry, text, model.targetLayer);
    if (!body) return;
    const r = await model.edit(() => createObject(body), `Create ${TOOLS[name][0]}`);
    const id = r.ok ? r.data?.id : undefined;
    if (!id) return;
    model.select(id);
  }

  const run = (request, what) => () => model.edit(request, what);
  const undoButton = h('button', { class: 'small', 'data-testid': 'undo', title: 'Undo (Ctrl+Z)', onclick: run(undo, 'Undo') }, '↶ Undo');
  const redoButton = h('button', { class: 'small', 'data-testid': 'redo', title: 'Redo (Ctrl+Y)', onclick: run(redo, 'Redo') }, '↷ Redo');
  for (const [name, [labelText, title]] of Object.entries(TOOLS)) {
    buttons[name] = h('button', { class: 'small', 'data-tool': name, title, onclick: () => startDrawing(name) }, labelText);
  }
  model.on((kind) => {
    if (kind !== 'data') return;
    undoButton.disabled = model.undoLabel === '';
    redoButton.disabled = model.redoLabel === '';
    undoButton.title = model.undoLabel ? `Undo ${model.undoLabel} (Ctrl+Z)` : 'Nothing to undo';
    redoButton.title = model.redoLabel ? `Redo ${model.redoLabel} (Ctrl+Y)` : 'Nothing to redo';
  });
  const toolbar = h('div', { class: 'plan-tools', role: 'toolbar', 'aria-label': 'Planning tools' }, Object.values(buttons), h('span', { class: 'sep' }), undoButton, redoButton);

  // --- context menu ------------------------------------------------------
  const menu = h('div', { class: 'menu plan-menu', role: 'menu', 'data-testid': 'object-menu', hidden: true });
  function closeMenu() {
    menu.hidden = true;
  }
  function item(text, action) {
    return h('button', { class: 'menu-item', role: 'menuitem', onclick: () => (closeMenu(), action()) }, text);
  }
  function openMenu(hit, pixel) {
    const o = hit.object;
    const items = [h('div', { class: 'menu-title' }, `${o.type}: ${displayName(o)}`)];
    if (o.type === 'Route') {
      items.push(item('Activate', run(() => activate(o.id), 'Activate')));
      if (hit.point?.id) items.push(item(`Navigate to ${hit.point.name || 'this point'}`, run(() => activate(hit.point.id), 'Navigate to')));
      items.push(item('Reverse', run(() => reverseRoute(o.id), 'Reverse')));
    }
    if (o.type === 'Mark') items.push(item('Navigate to', run(() => activate(o.id), 'Navigate to')));
    // A route keeps two points, an area three.
    const fewest = o.type === 'Boundary' && o.closed ? 3 : 2;
    if (hit.point && o.points.length > fewest) {
      items.push(item(o.type === 'Route' ? 'Remove From Route' : 'Remove Point', run(() => removePoint(o.id, hit.index), 'Remove point')));
    }
    if (!hit.point && (o.type === 'Route' || o.type === 'Boundary') && o.points.length > 1) {
      const at = map.getCoordinateFromPixel(pixel);
      const index = nearestLeg(o.points.map((p) => project(p.lat, p.lon)), at, o.closed) + 1;
      const p = unproject(at);
      items.push(item('Insert New Mark', run(() => insertPoint(o.id, index, p.lat, p.lon), 'Insert point')));
    }
    items.push(item('Delete', run(() => deleteObject(o.id), 'Delete')));
    items.push(item('Copy', run(() => copyObjects([o.id]), 'Copy')));
    for (const l of model.layers) {
      if (l.id !== o.layer) items.push(item(`Move to ${l.name}`, run(() => moveToLayer([o.id], l.id), 'Move to layer')));
    }
    items.push(item('Properties', () => model.select(o.id)));
    items.push(item('Export GPX', () => window.open(gpxUrl([o.id]), '_blank')));
    show(items, pixel);
  }
  // On open chart: paste what was copied into the layer new objects go to.
  function openChartMenu(pixel) {
    const layer = model.layersById.get(model.targetLayer);
    show([item(`Paste Objects${layer ? ` into ${layer.name}` : ''}`, run(() => pasteObjects(model.targetLayer), 'Paste'))], pixel);
  }
  function show(items, pixel) {
    menu.replaceChildren(...items);
    menu.hidden = false;
    // Kept inside the plot: opened near an edge, it opens towards the middle.
    const host = menu.parentElement;
    const fit = (at, size, room) => (at + size > room ? Math.max(0, at - size) : at);
    menu.style.left = `${fit(pixel[0], menu.offsetWidth, host?.clientWidth ?? Infinity)}px`;
    menu.style.top = `${fit(pixel[1], menu.offsetHeight, host?.clientHeight ?? Infinity)}px`;
  }
  map.getViewport().addEventListener('contextmenu', (e) => {
    const pixel = map.getEventPixel(e);
    const hit = layer.objectAt(pixel);
    e.preventDefault();
    if (!hit) return openChartMenu(pixel);
    model.select(hit.object.id);
    openMenu(hit, pixel);
  });
  map.on('movestart', closeMenu);
  document.addEventListener('pointerdown', (e) => {
    if (!menu.hidden && !menu.contains(e.target)) closeMenu();
  });

  // --- keys --------------------------------------------------------------
  document.addEventListener('keydown', (e) => {
    if (e.key === 'Escape') {
      closeMenu();
      stopDrawing();
      return;
    }
    if (e.key === 'Enter' && draw && !editing(e.target)) {
      e.preventDefault();
      draw.finishDrawing();
      return;
    }
    if (!(e.ctrlKey || e.metaKey) || e.altKey || editing(e.target)) return;
    const key = e.key.toLowerCase();
    if (key === 'z' && !e.shiftKey) {
      e.preventDefault();
      model.edit(undo, 'Undo');
    } else if (key === 'y' || (key === 'z' && e.shiftKey)) {
      e.preventDefault();
      model.edit(redo, 'Redo');
    }
  });

  return { toolbar, menu, stopDrawing };
}
