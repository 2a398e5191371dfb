// Requests to the program's HTTP server. Every function resolves to a result
// object and never throws: {ok, status, data|text, error}.
//
// The server takes changes only from its own page: each request other than a
// read carries the per-run token that the server put into the page's
// <meta name="csrf-token">, as X-CSRF-Token, with a JSON body (raw bytes for a
// file).

export function csrfToken() {
  return globalThis.document?.querySelector('meta[name="csrf-token"]')?.getAttribute('content') ?? '';
}

async function request(url, options = {}) {
  const method = (options.method ?? 'GET').toUpperCase();
  const headers = method === 'GET' || method === 'HEAD' ? options.headers : { ...options.headers, 'X-CSRF-Token': csrfToken() };
  try {
    const response = await fetch(url, { cache: 'no-store', ...options, headers });
    const text = await response.text();
    let data;
    if ((response.headers.get('content-type') || '').includes('json')) {
      try {
        data = JSON.parse(text);
      } catch {
        data = undefined;
      }
    }
    const error = response.ok ? undefined : errorText(response.status, data, text);
    return { ok: response.ok, status: response.status, data, text, error };
  } catch (e) {
    return { ok: false, status: 0, error: `The program does not answer (${e.message}).` };
  }
}

function errorText(status, data, text) {
  if (data && typeof data.error === 'string') return data.error;
  const plain = (text || '').replace(/<[^>]*>/g, ' ').replace(/\s+/g, ' ').trim();
  return plain !== '' ? plain.slice(0, 200) : `HTTP ${status}`;
}

export function getJson(url) {
  return request(url, { headers: { Accept: 'application/json' } });
}

// A page the program renders (its HTML in result.text).
export function getPage(url) {
  return request(url, { headers: { Accept: 'text/html' } });
}

export function postJson(url, body) {
  return request(url, {
    method: 'POST',
    headers: { 'Content-Type': 'application/json', Accept: 'application/json' },
    body: JSON.stringify(body ?? {}),
  });
}

// Writes one setting through "/options"; resolves to the request result.
export function setSetting(name, value) {
  return postJson('/options', { name, value: String(value) });
}

// A DELETE carries an empty JSON body: the server takes changes only as JSON.
export function deleteJson(url) {
  return request(url, {
    method: 'DELETE',
    headers: { 'Content-Type': 'application/json', Accept: 'application/json' },
    body: '{}',
  });
}

// A file's bytes (a Blob or File) as the body.
export function postFile(url, file) {
  return request(url, {
    method: 'POST',
    headers: { 'Content-Type': 'application/octet-stream', Accept: 'application/json' },
    body: file,
  });
}
