// The layers of navigation objects: which one new objects go to; create,
// rename, show or hide, lock (read-only), delete; the smallest scale at which
// a layer is drawn and when it expires. The default layer and the deleted
// objects' layer cannot be deleted (the program refuses). Hidden objects can
// be shown again, deleted objects restored, and a GPX file imported into the
// chosen layer.

import { h, clear } from '../lib/dom.js';
import { changeLayer, changeObject, createLayer, deleteLayer, gpxUrl, importGpx, restoreObject } from '../lib/navobjectsApi.js';
import { displayName } from '../lib/navobjects.js';
import { typingIn } from '../lib/navModel.js';

const MAX_GPX_BYTES = 8 * 1024 * 1024;

export function createLayerPanel(model) {
  const list = h('tbody', {});
  const deletedList = h('ul', { class: 'deleted-list', 'data-testid': 'deleted-list' });
  const hiddenList = h('ul', { class: 'deleted-list', 'data-testid': 'hidden-list' });
  const status = h('span', { class: 'status' });
  const gpxInput = h('input', { type: 'file', accept: '.gpx,application/gpx+xml', 'aria-label': 'Import GPX', 'data-testid': 'gpx-file' });
  const newName = h('input', { type: 'text', placeholder: 'New layer name', 'aria-label': 'New layer name' });
  const panel = h(
    'section',
    { class: 'panel layers', 'aria-label': 'Layers', 'data-testid': 'layer-panel' },
    h('header', {}, h('h2', {}, 'Layers')),
    h(
      'table',
      { class: 'list layer-table' },
      h('thead', {}, h('tr', {}, h('th', { title: 'New objects go to this layer' }, 'To'), h('th', {}, 'Name'), h('th', {}, 'Shown'), h('th', {}, 'Locked'), h('th', { title: 'Drawn only at this scale (1:n) or larger; 0 always' }, 'Scale min'), h('th', { title: 'When the layer expires; 0 never' }, 'Expires'), h('th', {}))),
      list,
    ),
    h('div', { class: 'buttons' }, newName, h('button', { class: 'small', onclick: addLayer }, 'Create layer')),
    h('div', { class: 'buttons' }, h('label', {}, 'Import GPX: ', gpxInput), h('a', { href: gpxUrl(), download: 'navobjects.gpx' }, 'Export all as GPX'), status),
    h('details', {}, h('summary', {}, 'Hidden objects'), hiddenList),
    h('details', {}, h('summary', {}, 'Deleted objects'), deletedList),
  );

  const say = (r, done) => {
    status.textContent = r.ok ? done : r.error;
    status.className = r.ok ? 'status ok' : 'status error';
  };

  async function addLayer() {
    const name = newName.value.trim();
    const r = await model.edit(() => createLayer(name), 'Create layer');
    say(r, 'Layer created.');
    if (r.ok) newName.value = '';
  }

  gpxInput.addEventListener('change', async () => {
    const file = gpxInput.files?.[0];
    if (!file) return;
    if (file.size > MAX_GPX_BYTES) {
      status.textContent = `${file.name} is larger than 8 MB.`;
      status.className = 'status error';
      return;
    }
    const r = await model.edit(() => importGpx(file, model.targetLayer || undefined), 'Import GPX');
    const skipped = r.data?.skippedPoints > 0 ? ` (${r.data.skippedPoints} points without a position skipped)` : '';
    say(r, `${file.name}: ${r.data?.ids?.length ?? 0} objects imported${skipped}.`);
    gpxInput.value = '';
  });

  function layerRow(l) {
    const change = (changes) => model.edit(() => changeLayer(l.id, changes), `Layer ${l.name}`);
    const number = (key, value, title) =>
      h('input', {
        type: 'number', min: '0', step: '1', value: String(value), title, 'aria-label': `${l.name} ${key}`, class: 'narrow',
        onchange: (e) => Number.isFinite(e.target.valueAsNumber) && e.target.valueAsNumber >= 0 && change({ [key]: e.target.valueAsNumber }),
      });
    const name = h('input', {
      type: 'text', value: l.name, 'aria-label': 'Layer name',
      onchange: () => name.value.trim() && name.value !== l.name && change({ name: name.value.trim() }),
    });
    return h(
      'tr',
      { 'data-layer': l.id },
      h('td', {}, h('input', { type: 'radio', name: 'target-layer', checked: model.targetLayer === l.id, 'aria-label': `New objects to ${l.name}`, onchange: () => model.setTargetLayer(l.id) })),
      h('td', {}, name, l.isDefault ? h('span', { class: 'muted' }, ' default') : null, Number.isFinite(l.count) ? h('span', { class: 'muted' }, ` ${l.count}`) : null),
      h('td', {}, h('input', { type: 'checkbox', checked: l.visible, 'aria-label': `Show ${l.name}`, onchange: (e) => change({ visible: e.target.checked }) })),
      h('td', {}, h('input', { type: 'checkbox', checked: l.readOnly, 'aria-label': `Lock ${l.name}`, onchange: (e) => change({ readOnly: e.target.checked }) })),
      h('td', {}, number('scaleMin', l.scaleMin, 'Drawn only at this scale (1:n) or larger; 0 always')),
      h('td', {}, number('expires', l.expires, 'When the layer expires; 0 never')),
      h(
        'td',
        {},
        h('button', {
          class: 'small', title: 'Delete the layer and its objects',
          onclick: () => window.confirm(`Delete the layer ${l.name} and its objects?`) && model.edit(() => deleteLayer(l.id), 'Delete layer'),
        }, '✕'),
      ),
    );
  }

  function render(kind) {
    if (kind === 'select') return;
    // A field being typed into keeps its text until it is left.
    if (typingIn(panel)) return;
    clear(list);
    for (const l of model.layers) list.append(layerRow(l));
    clear(hiddenList);
    const hidden = model.objects.filter((o) => o.hidden);
    if (hidden.length === 0) hiddenList.append(h('li', { class: 'muted' }, 'None.'));
    for (const o of hidden) {
      hiddenList.append(
        h('li', { 'data-hidden': o.id }, `${o.type}: ${displayName(o)} `, h('button', { class: 'small', onclick: () => model.edit(() => changeObject(o.id, { Hidden: false }), 'Show') }, 'Show')),
      );
    }
    clear(deletedList);
    if (model.deleted.length === 0) deletedList.append(h('li', { class: 'muted' }, 'None.'));
    for (const o of model.deleted) {
      deletedList.append(
        h('li', { 'data-deleted': o.id }, `${o.type}: ${displayName(o)}`, o.from ? h('span', { class: 'muted' }, ` from ${model.layersById.get(o.from)?.name ?? o.from} `) : ' ', h('button', { class: 'small', onclick: () => model.edit(() => restoreObject(o.id), 'Restore') }, 'Restore')),
      );
    }
  }

  model.on(render);
  render('data');
  return panel;
}
