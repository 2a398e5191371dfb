// Ports: the instrument connections with their live status; add, edit and
// remove them, with roles, serial line settings and, for the ports that
// listen (UDP, the TCP server), the network they listen on.

import { h, clear } from '../lib/dom.js';
import { getJson, postJson } from '../lib/api.js';

const ROLES = ['listener', 'talker', 'repeater'];
const BAUDS = ['auto', '4800', '9600', '19200', '38400', '57600', '115200'];
const PARITIES = ['None', 'Odd', 'Even', 'Mark', 'Space'];
const STOPS = ['1', '1.5', '2'];
// Drivers with their labels; the program says why one it cannot run is refused.
const DRIVERS = [
  ['nmea', 'NMEA 0183'],
  ['n183-41', 'NMEA 0183 version 4.1'],
  ['navtex', 'NAVTEX receiver (NMEA 0183)'],
  ['nmea-tcp-server', 'NMEA 0183 TCP server'],
  ['actisense', 'Actisense NGT-1 (NMEA 2000)'],
  ['maretron', 'Maretron USB100 (NMEA 2000)'],
  ['none', 'None (port kept, not opened)'],
];

// Serial line settings matter only for COM ports and serial devices.
function isSerial(address) {
  return /^(COM\d+|\/dev\/)/i.test(String(address ?? ''));
}

// UDP ports and the TCP server listen; everything else connects or opens a device.
function listens(address, driver) {
  return /^(x-nmea0183-udp|udp|corvel-udp):\/\//i.test(String(address ?? '')) || driver === 'nmea-tcp-server';
}

function listenText(p) {
  if (!listens(p.address, p.driver)) return '';
  if (!p.interface || p.interface === 'loopback') return 'this computer only';
  return p.interface === 'any' ? 'all networks' : p.interface;
}

export function createPortsPage(store) {
  const tbody = h('tbody', {});
  const message = h('p', { class: 'status' });
  const formBox = h('div', {});
  const element = h(
    'div',
    { class: 'page ports-page' },
    h('h1', {}, 'Ports'),
    h('p', { class: 'muted' }, 'Addresses: COM ports or serial devices ("/dev/ttyUSB0"), "telnet://host:port", "x-nmea0183-udp://*:17608/".'),
    h(
      'table',
      { class: 'list' },
      h('thead', {}, h('tr', {}, ['Address', 'Roles', 'Line', 'Listens on', 'Enabled', 'Status', ''].map((t) => h('th', {}, t)))),
      tbody,
    ),
    h('button', { onclick: () => edit({}) }, 'Add port…'),
    message,
    formBox,
  );
  let ports = [];

  async function load() {
    const r = await getJson('/api/ports');
    if (r.ok && Array.isArray(r.data)) ports = r.data;
    else message.textContent = r.error ?? '';
    render();
  }

  function render() {
    clear(tbody);
    for (const p of ports) {
      tbody.append(
        h(
          'tr',
          { 'data-port': p.id },
          h('td', {}, p.label && p.label !== p.address ? `${p.label} (${p.address})` : (p.address ?? '')),
          h('td', {}, (p.roles ?? []).join(', ')),
          h('td', {}, isSerial(p.address) && p.baud ? `${p.baud} ${p.data ?? 8}${String(p.parity ?? 'none')[0].toUpperCase()}${p.stop ?? 1}` : ''),
          h('td', { class: listenText(p) && listenText(p) !== 'this computer only' ? 'warning' : '' }, listenText(p)),
          h('td', {}, p.enabled === false ? 'no' : 'yes'),
          h('td', { class: `port-status state-${p.state ?? ''}` }, p.status ?? ''),
          h('td', {}, h('button', { class: 'small', onclick: () => edit(p) }, 'Edit'), ' ', h('button', { class: 'small', onclick: () => remove(p) }, 'Remove')),
        ),
      );
    }
  }

  async function remove(p) {
    if (!window.confirm(`Remove the port ${p.address}?`)) return;
    const r = await postJson(`/api/ports/${encodeURIComponent(p.id)}/delete`, {});
    message.textContent = r.ok ? 'Removed.' : r.error;
    load();
  }

  function edit(p) {
    const field = (label, control) => h('label', {}, h('span', {}, label), control);
    const address = h('input', { type: 'text', value: p.address ?? '', required: true, size: 40 });
    const label = h('input', { type: 'text', value: p.label ?? '', size: 30 });
    const roles = ROLES.map((role) => h('input', { type: 'checkbox', value: role, checked: (p.roles ?? ['listener']).includes(role) }));
    const select = (options, value) =>
      h('select', {}, options.map((o) => h('option', { value: o, selected: String(value).toLowerCase() === o.toLowerCase() }, o)));
    const baud = select(BAUDS, p.baud ?? '4800');
    const data = select(['8', '7', '6', '5'], p.data ?? '8');
    const parity = select(PARITIES, p.parity ?? 'None');
    const stop = select(STOPS, p.stop ?? '1');
    const enabled = h('input', { type: 'checkbox', checked: p.enabled !== false });
    const listenOn = h(
      'select',
      { 'data-testid': 'port-interface' },
      h('option', { value: 'loopback' }, 'This computer only (127.0.0.1)'),
      h('option', { value: 'any' }, 'All networks'),
    );
    const listenNote = h('p', { class: 'note' });
    const listenBox = h('fieldset', {}, h('legend', {}, 'Listen on'), listenOn, listenNote);
    const showListen = () => {
      listenBox.hidden = !listens(address.value.trim(), p.driver);
      listenNote.textContent =
        listenOn.value === 'loopback'
          ? 'Only programs on this computer can send to this port. Instruments on the network (a WiFi multiplexer) need a network here.'
          : 'Every computer on that network (the boat\'s or the marina\'s) can send data to this port and so change what the program shows.';
      listenNote.className = listenOn.value === 'loopback' ? 'note' : 'note warning';
    };
    getJson('/api/ports/interfaces').then((r) => {
      for (const i of Array.isArray(r.data) ? r.data : []) {
        if (i.address === '127.0.0.1') continue;
        listenOn.append(h('option', { value: i.address }, `${i.name} (${i.address})`));
      }
      listenOn.value = p.interface ?? 'loopback';
      showListen();
    });
    listenOn.addEventListener('change', showListen);
    address.addEventListener('input', showListen);
    const driver = h(
      'select',
      { 'data-field': 'driver' },
      DRIVERS.map(([value, text]) => h('option', { value, selected: String(p.driver ?? 'nmea').toLowerCase() === value.toLowerCase() }, text)),
    );
    const correction = h('input', { type: 'number', step: '0.1', min: '-180', max: '180', value: String(p.headingCorrection ?? 0), 'data-field': 'headingCorrection', size: 6 });
    const form = h(
      'form',
      { class: 'card port-form' },
      h('h2', {}, p.id ? 'Edit port' : 'Add port'),
      field('Address', address),
      field('Label', label),
      field('Driver', driver),
      h('fieldset', {}, h('legend', {}, 'Roles'), roles.map((box) => h('label', { class: 'inline' }, box, ' ', box.value))),
      h('fieldset', {}, h('legend', {}, 'Serial line'), field('Baud', baud), field('Data bits', data), field('Parity', parity), field('Stop bits', stop)),
      listenBox,
      field('Heading correction (°)', correction),
      field('Open at start-up', enabled),
      h('div', { class: 'buttons' }, h('button', { type: 'submit' }, 'Save'), h('button', { type: 'button', onclick: () => clear(formBox) }, 'Cancel')),
    );
    form.addEventListener('submit', async (e) => {
      e.preventDefault();
      const body = {
        address: address.value.trim(),
        label: label.value.trim(),
        roles: roles.filter((b) => b.checked).map((b) => b.value),
        baud: baud.value === 'auto' ? 'auto' : Number(baud.value),
        data: Number(data.value),
        parity: parity.value,
        stop: stop.value,
        enabled: enabled.checked,
        driver: driver.value,
        headingCorrection: Number(correction.value || 0),
      };
      if (listens(body.address, p.driver)) body.interface = listenOn.value;
      if (p.id) body.id = p.id;
      const r = await postJson('/api/ports', body);
      message.textContent = r.ok ? 'Saved.' : r.error;
      message.className = r.ok ? 'status ok' : 'status error';
      if (r.ok) clear(formBox);
      load();
    });
    formBox.replaceChildren(form);
    showListen();
  }

  store.on('ports', (st, list) => {
    if (Array.isArray(list)) {
      ports = list;
      if (element.isConnected) render();
    }
  });
  return { element, show: load };
}
