// The program's routes for navigation objects, layers and man overboard.
// Every function resolves to api.js's result object {ok, status, data, error}.

import { deleteJson, getJson, postJson } from './api.js';

const enc = encodeURIComponent;

export const listNavObjects = () => getJson('/api/navobjects');
// One object with all its class's properties: {class, id, properties: {...}, legs?}.
export const objectDetails = (id) => getJson(`/documents/objects/${enc(id)}?format=json`);
export const gpxUrl = (id) => `/documents/objects/${enc(id)}?format=gpx`;

// body: {"type":"Mark","name","lat","lon"}, {"type":"Route","points":[[lat,lon]...]}... -> 201 {"id"}
export const createObject = (body) => postJson('/api/navobjects', body);
// changes: {PropertyName: value, ...}
export const changeObject = (id, changes) => postJson(`/api/navobjects/${enc(id)}`, changes);
export const deleteObject = (id) => deleteJson(`/api/navobjects/${enc(id)}`);
export const restoreObject = (id) => postJson(`/api/navobjects/${enc(id)}/restore`);
export const reverseRoute = (id) => postJson(`/api/navobjects/${enc(id)}/reverse`);
export const undo = () => postJson('/api/navobjects/undo');
export const redo = () => postJson('/api/navobjects/redo');

export const createLayer = (name) => postJson('/api/navobjects/layers', { name });
// changes: {Name, Visible, ReadOnly, ScaleMin, Expires}
export const changeLayer = (name, changes) => postJson(`/api/navobjects/layers/${enc(name)}`, changes);
export const deleteLayer = (name) => deleteJson(`/api/navobjects/layers/${enc(name)}`);
// A GPX file's text into a layer (the current one when none is named).
export const importGpx = (text, fileName, layer) => postJson('/api/navobjects/import', { format: 'gpx', name: fileName, layer, data: text });

export const activate = (id) => postJson('/nav/activate', { id });
export const manOverboard = () => postJson('/api/mob');
export const acknowledgeMob = () => postJson('/api/mob/acknowledge');
