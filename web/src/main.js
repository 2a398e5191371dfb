// The main window: header with the page menu and scheme switch, the demo
// banner, the message bar, the plot view or a page, and the instrument panels.

import './style.css';
import { store } from './live.js';
import { h } from './lib/dom.js';
import { postJson } from './lib/api.js';
import { applyScheme, chooseScheme, currentScheme } from './theme.js';
import { createOwnShipPanel } from './panels/OwnShipPanel.js';
import { createRoutePanel } from './panels/RoutePanel.js';
import { createAisPanel } from './panels/AisPanel.js';
import { createMessageBar, setVoiceEnabled, voiceEnabled } from './panels/MessageBar.js';
import { createPlotView } from './panels/PlotView.js';
import { createSettingsPage } from './pages/SettingsPage.js';
import { createPortsPage } from './pages/PortsPage.js';
import { createMonitorPage } from './pages/MonitorPage.js';
import { createRoutesPage } from './pages/RoutesPage.js';
import { createRecordingsPage } from './pages/RecordingsPage.js';
import { createLogPage } from './pages/LogPage.js';
import { createStoragePage } from './pages/StoragePage.js';
import { createAisTargetPage } from './pages/AisTargetPage.js';
import { createAlarmsPage } from './pages/AlarmsPage.js';
import { createNavtexPage } from './pages/NavtexPage.js';
import { createTideStationPage } from './pages/TideStationPage.js';
import { createTidePanel } from './panels/TidePanel.js';
import { createWeatherPage } from './pages/WeatherPage.js';
import { attachWeather } from './panels/WeatherLayer.js';
import { createChartsPage } from './pages/ChartsPage.js';
import { attachChartPick, fitToExtent } from './panels/ChartInfo.js';
import { attachObstacleLayer } from './panels/ObstacleLayer.js';
import { attachPlanning } from './panels/Planning.js';
import { attachChartLayer } from './panels/ChartLayer.js';

const MENU = [
  ['/', 'Plot'],
  ['/routes', 'Routes'],
  ['/settings', 'Settings'],
  ['/ports', 'Ports'],
  ['/monitor', 'Data'],
  ['/logbook', 'Logbook'],
  ['/alarms', 'Alarms'],
  ['/navtex', 'NAVTEX'],
  ['/recordings', 'Recordings'],
  ['/storage', 'Storage'],
  ['/weather', 'Weather'],
  ['/charts', 'Charts'],
];

function navigate(path) {
  if (path !== location.pathname) history.pushState({}, '', path);
  route();
}

const plot = createPlotView(store);
// The charts under the plot's layers, their outlines, scale, cursor and display settings.
attachChartLayer(plot, store);
// The weather forecast over the plot, with its time bar; its page opens files.
const weather = attachWeather(plot, store);
// The look-ahead's sweep and danger; a click asks the charts what lies there.
attachObstacleLayer(plot.map, store);
// Marks, routes, boundaries... drawn and edited on the plot; man overboard.
// Before the chart pick: a click on an object selects it and picks no chart.
const planning = attachPlanning(plot, store);
attachChartPick(plot.map);
const pages = {
  '/settings': createSettingsPage(store),
  '/ports': createPortsPage(store),
  '/monitor': createMonitorPage(),
  '/routes': createRoutesPage(store, planning.reload),
  '/recordings': createRecordingsPage(),
  '/logbook': createLogPage(),
  '/storage': createStoragePage(),
  '/ais': createAisTargetPage(store),
  '/alarms': createAlarmsPage(),
  '/navtex': createNavtexPage(),
  '/tides': createTideStationPage({
    showOnPlot: (extent) => {
      navigate('/');
      requestAnimationFrame(() => fitToExtent(plot.map, extent));
    },
  }),
  '/weather': createWeatherPage(store, weather),
  '/charts': createChartsPage({
    showOnPlot: (extent) => {
      navigate('/');
      requestAnimationFrame(() => fitToExtent(plot.map, extent));
    },
  }),
};

const menu = h(
  'nav',
  { class: 'menu-bar', 'aria-label': 'Pages' },
  MENU.map(([path, label]) => h('a', { href: path, 'data-link': '' }, label)),
);
const schemeButtons = ['day', 'dusk', 'night'].map((scheme) =>
  h('button', { class: 'small', 'data-choose-scheme': scheme, onclick: () => chooseScheme(scheme).then(markScheme) }, scheme[0].toUpperCase() + scheme.slice(1)),
);
const voice = h('button', { class: 'small', 'data-testid': 'voice', title: 'Speak alerts with the browser voice' });
const connection = h('span', { class: 'connection', 'data-testid': 'connection' });
const banner = h('div', { class: 'demo-banner', 'data-testid': 'demo-banner', hidden: true });
const pageArea = h('main', { class: 'page-area' });
const header = h(
  'header',
  { class: 'top' },
  h('span', { class: 'title' }, 'Tarnwick ECS'),
  menu,
  h('span', { class: 'spacer' }),
  connection,
  planning.mobButton,
  voice,
  h('span', { class: 'scheme-switch', role: 'group', 'aria-label': 'Colour scheme' }, schemeButtons),
);
const side = h(
  'aside',
  { class: 'side' },
  createOwnShipPanel(store),
  createRoutePanel(store),
  planning.propertyPanel,
  planning.layerPanel,
  createTidePanel(store),
  createAisPanel(store, navigate),
);
document.body.replaceChildren(
  header,
  banner,
  planning.mobBanner,
  createMessageBar(store, navigate),
  h('div', { class: 'layout' }, h('div', { class: 'center' }, plot.element, pageArea), side),
);

function markScheme() {
  for (const b of schemeButtons) b.classList.toggle('on', b.dataset.chooseScheme === currentScheme());
}

function renderVoice() {
  voice.textContent = voiceEnabled() ? 'Voice on' : 'Voice off';
  voice.setAttribute('aria-pressed', String(voiceEnabled()));
}
voice.addEventListener('click', () => {
  setVoiceEnabled(!voiceEnabled());
  renderVoice();
});

let current;
function route() {
  const path = location.pathname.replace(/\/+$/, '') || '/';
  const aisMatch = /^\/ais\/(\d+)$/.exec(path);
  const key = aisMatch ? '/ais' : path;
  const page = pages[key];
  if (current && current !== page) current.hide?.();
  current = page;
  for (const a of menu.querySelectorAll('a')) a.classList.toggle('on', a.getAttribute('href') === path);
  plot.element.hidden = Boolean(page);
  pageArea.hidden = !page;
  if (page) {
    pageArea.replaceChildren(page.element);
    page.show?.(aisMatch ? { mmsi: aisMatch[1] } : {});
  } else {
    pageArea.replaceChildren();
    requestAnimationFrame(() => plot.refresh());
  }
}

// Links marked data-link are followed inside the page.
document.addEventListener('click', (e) => {
  const a = e.target.closest?.('a[data-link]');
  if (!a || e.ctrlKey || e.metaKey || e.shiftKey || e.button !== 0) return;
  e.preventDefault();
  navigate(a.getAttribute('href'));
});
window.addEventListener('popstate', route);

store.on('settings', (s, d) => {
  if (d?.all || d?.name === 'S52_ColorMode') {
    applyScheme(store.setting('S52_ColorMode'));
    markScheme();
  }
});
store.on('demo', (s, demo) => {
  banner.hidden = !demo;
  if (!demo) return;
  const list = (items) => (Array.isArray(items) ? items.join('; ') : '');
  const parts = [
    h('strong', {}, 'DEMO — not for navigation. '),
    list(demo.recorded) ? h('span', {}, 'Recorded: ', list(demo.recorded), '. ') : null,
    h('span', {}, 'Simulated: ', list(demo.simulated), '.'),
    demo.chart ? h('span', {}, ' Chart: ', demo.chart, '.') : null,
    demo.loop ? h('span', { class: 'muted' }, ' Plays in a loop.') : null,
    Array.isArray(demo.voyages) && demo.voyages.length > 1 ? voyageSwitch(demo) : null,
  ];
  banner.replaceChildren(...parts.filter(Boolean));
});

// The demo's voyages to switch between; the program answers the new description.
function voyageSwitch(demo) {
  const select = h(
    'select',
    { 'data-testid': 'demo-voyage', 'aria-label': 'Demo voyage' },
    demo.voyages.map((v) => h('option', { value: v.name, selected: v.name === demo.voyage }, v.title)),
  );
  select.value = demo.voyage;
  select.addEventListener('change', async () => {
    select.disabled = true;
    const r = await postJson('/api/demo', { voyage: select.value });
    if (r.ok && r.data) {
      store.demo = r.data;
      store.emit('demo', r.data);
    } else {
      select.disabled = false;
      select.value = demo.voyage;
      banner.append(h('span', { class: 'error' }, ` ${r.error}`));
    }
  });
  return h('label', { class: 'demo-voyage' }, ' Voyage: ', select);
}
store.on('connection', (s, up) => {
  connection.textContent = up ? '' : 'No connection to the program';
  connection.classList.toggle('alarm', !up);
});

applyScheme('');
markScheme();
renderVoice();
route();
store.start();
