// The key-value store: its domains, the names and values of one domain, and
// editing or removing one value.

import { h, clear } from '../lib/dom.js';
import { getJson, postJson } from '../lib/api.js';

export function createStoragePage() {
  const body = h('div', {});
  const title = h('h1', {}, 'Storage');
  const element = h('div', { class: 'page storage-page' }, title, body);

  async function showDomains() {
    title.textContent = 'Storage';
    const r = await getJson('/api/storage');
    clear(body);
    if (!r.ok) return body.append(h('p', { class: 'error' }, r.error));
    const domains = Array.isArray(r.data) ? r.data : (r.data?.domains ?? []);
    body.append(
      h(
        'div',
        { class: 'card' },
        h('h2', {}, 'Domains'),
        domains.length === 0 ? h('p', { class: 'muted' }, 'The store is empty.') : null,
        h('ul', {}, domains.map((d) => h('li', {}, h('a', { href: '#', onclick: (e) => (e.preventDefault(), showDomain(String(d))) }, String(d))))),
      ),
    );
  }

  async function showDomain(domain) {
    title.textContent = `Storage: ${domain}`;
    const r = await getJson(`/api/storage?domain=${encodeURIComponent(domain)}`);
    clear(body);
    if (!r.ok) return body.append(h('p', { class: 'error' }, r.error));
    const items = entries(r.data).sort((a, b) => a.name.localeCompare(b.name));
    const readOnly = r.data?.readOnly === true;
    body.append(
      h('p', {}, h('a', { href: '#', onclick: (e) => (e.preventDefault(), showDomains()) }, '← Domains')),
      h(
        'table',
        { class: 'list' },
        h('thead', {}, h('tr', {}, h('th', {}, 'Name'), h('th', {}, 'Value'))),
        h(
          'tbody',
          {},
          items.map((it) =>
            h(
              'tr',
              {},
              h('td', {}, h('a', { href: '#', onclick: (e) => (e.preventDefault(), edit(domain, it.name, it.value, readOnly)) }, it.name)),
              h('td', { class: 'value' }, it.value.length > 120 ? it.value.slice(0, 120) + '…' : it.value),
            ),
          ),
        ),
      ),
    );
  }

  function edit(domain, name, value, readOnly) {
    title.textContent = `Storage: ${domain} / ${name}`;
    const text = h('textarea', { name: 'value', rows: 20, cols: 80, readonly: readOnly });
    text.value = value;
    const status = h('span', { class: 'status' });
    const save = async () => {
      const r = await postJson('/api/storage', { domain, name, value: text.value });
      status.textContent = r.ok ? 'Saved' : r.error;
    };
    const remove = async () => {
      if (!window.confirm(`Remove ${name} from ${domain}?`)) return;
      const r = await postJson('/api/storage', { domain, name, delete: true });
      if (r.ok) showDomain(domain);
      else status.textContent = r.error;
    };
    body.replaceChildren(
      h('p', {}, h('a', { href: '#', onclick: (e) => (e.preventDefault(), showDomain(domain)) }, `← ${domain}`)),
      text,
      readOnly
        ? h('p', { class: 'muted' }, 'This domain is read-only here; settings change on the Settings page.')
        : h('div', { class: 'buttons' }, h('button', { onclick: save }, 'Save'), h('button', { onclick: remove }, 'Remove'), status),
    );
  }

  return { element, show: showDomains };
}

// Name and value pairs of a domain answer {"domain","readOnly","entries":[{name, value}]}.
function entries(data) {
  const list = Array.isArray(data?.entries) ? data.entries : [];
  return list.map((it) => ({ name: String(it.name ?? ''), value: String(it.value ?? '') }));
}
