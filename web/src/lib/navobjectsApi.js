// The program's routes for navigation objects, layers and man overboard.
// Every function resolves to api.js's result object {ok, status, data, error}.

import { deleteJson, getJson, postFile, postJson } from './api.js';

const enc = encodeURIComponent;

export const listNavObjects = () => getJson('/api/navobjects');
// GPX of some objects (all but the deleted ones without ids).
export const gpxUrl = (ids) => (ids?.length ? `/api/navobjects/gpx?ids=${ids.map(enc).join(',')}` : '/api/navobjects/gpx');

// body: {"type":"Mark","lat","lon"}, {"type":"Route","points":[[lat,lon]...]},
// {"type":"BoundaryCircle","lat","lon","radius":"0.5 NM"}... -> 201 {"id"}
export const createObject = (body) => postJson('/api/navobjects', body);
// changes: {PropertyName: value, ...}, one undo step.
export const changeObject = (id, changes) => postJson(`/api/navobjects/${enc(id)}`, changes);
// A route's or boundary's point i to a new place.
export const movePoint = (id, index, lat, lon) => postJson(`/api/navobjects/${enc(id)}/points`, { action: 'move', index, lat, lon });
// A new point before point index (index = count appends).
export const insertPoint = (id, index, lat, lon) => postJson(`/api/navobjects/${enc(id)}/points`, { action: 'insert', index, lat, lon });
export const removePoint = (id, index) => postJson(`/api/navobjects/${enc(id)}/points`, { action: 'remove', index });
export const deleteObject = (id) => deleteJson(`/api/navobjects/${enc(id)}`);
export const restoreObject = (id) => postJson(`/api/navobjects/${enc(id)}/restore`);
export const reverseRoute = (id) => postJson(`/api/navobjects/${enc(id)}/reverse`);
// Copy keeps the objects (with the marks they use) as the program's clipboard; paste puts them into a layer.
export const copyObjects = (ids) => postJson('/api/navobjects/copy', { ids });
export const pasteObjects = (layer) => postJson('/api/navobjects/paste', layer ? { layer } : {});
export const moveToLayer = (ids, layer) => postJson('/api/navobjects/move', { ids, layer });
export const undo = () => postJson('/api/navobjects/undo');
export const redo = () => postJson('/api/navobjects/redo');
export const importGpx = (file, layer) => postFile(layer ? `/api/navobjects/gpx?layer=${enc(layer)}` : '/api/navobjects/gpx', file);

export const createLayer = (name) => postJson('/api/navlayers', name ? { name } : {});
// changes: {name, visible, readOnly, scaleMin, expires}
export const changeLayer = (id, changes) => postJson(`/api/navlayers/${enc(id)}`, changes);
export const deleteLayer = (id) => deleteJson(`/api/navlayers/${enc(id)}`);

export const activate = (id) => postJson('/nav/activate', { id });
export const mobState = () => getJson('/api/mob');
export const manOverboard = () => postJson('/api/mob');
export const acknowledgeMob = () => postJson('/api/mob/acknowledge');
