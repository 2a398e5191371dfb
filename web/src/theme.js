// Day, dusk and night colour schemes. The scheme follows the setting
// S52_ColorMode; the page sets it on <html data-scheme> and the map reads the
// palette of the current scheme from here.

import { colorScheme } from './lib/settings.js';
import { setSetting } from './lib/api.js';

// Map colours per scheme. Night uses only dim reds and ambers (no white and
// no blue light on the bridge at night).
export const PALETTES = {
  day: {
    sea: '#c9e4f5', land: '#e8d9a8', coast: '#7a6a3a', ownShip: '#000000', heading: '#000000',
    predictor: '#000000', track: '#b000b0', target: '#1a6a1a', danger: '#e00000', lost: '#808080',
    route: '#d02020', leg: '#ff6000', mark: '#202020', text: '#000000', halo: '#ffffff',
  },
  dusk: {
    sea: '#25405a', land: '#5a4e30', coast: '#a89060', ownShip: '#f0e0a0', heading: '#f0e0a0',
    predictor: '#f0e0a0', track: '#d070d0', target: '#70c070', danger: '#ff4040', lost: '#909090',
    route: '#ff6060', leg: '#ffa040', mark: '#e0d0a0', text: '#f0e0a0', halo: '#1a2a38',
  },
  night: {
    sea: '#000000', land: '#2a0c00', coast: '#6a2800', ownShip: '#b04000', heading: '#b04000',
    predictor: '#803000', track: '#702000', target: '#905000', danger: '#ff2000', lost: '#402010',
    route: '#a02000', leg: '#c05000', mark: '#904000', text: '#a04000', halo: '#000000',
  },
};

let current = 'day';
const listeners = new Set();

export function currentScheme() {
  return current;
}

export function palette() {
  return PALETTES[current];
}

// Calls fn(scheme) whenever the scheme changes.
export function onSchemeChange(fn) {
  listeners.add(fn);
}

// Applies the scheme of an S52_ColorMode text to the page.
export function applyScheme(settingText) {
  const scheme = colorScheme(settingText);
  document.documentElement.dataset.scheme = scheme;
  if (scheme === current) return;
  current = scheme;
  for (const fn of listeners) fn(scheme);
}

// Switches the scheme by writing the setting (the program tells every page
// through its settings event); applies it at once on this page too.
export async function chooseScheme(scheme) {
  applyScheme(scheme);
  return setSetting('S52_ColorMode', scheme);
}
