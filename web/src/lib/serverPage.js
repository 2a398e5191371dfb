// Pages the program renders itself (the logbook, the voyage recordings list)
// shown inside the main window. Their HTML is taken in without scripts, styles
// or event attributes; their links and buttons name commands in the program's
// own address forms ("browser:log?page=1", "play?vessel=&start=...",
// <input ref="...">), which the page that shows them carries out.

// Replaces container's content with the body of html.
export function showServerPage(container, html) {
  const doc = new DOMParser().parseFromString(String(html ?? ''), 'text/html');
  for (const el of doc.querySelectorAll('script, link, style, iframe, object, embed, meta, base')) el.remove();
  for (const el of doc.body.querySelectorAll('*')) {
    for (const attr of [...el.attributes]) {
      if (/^on/i.test(attr.name) || /^\s*javascript:/i.test(attr.value)) el.removeAttribute(attr.name);
    }
  }
  container.replaceChildren(...[...doc.body.childNodes].map((node) => document.importNode(node, true)));
}

// The command of a clicked link (href) or button (ref) inside such a page, or
// undefined when the click was on something else.
export function commandAt(target) {
  const el = target?.closest?.('a[href], input[ref], button[ref]');
  if (!el) return undefined;
  return el.getAttribute('href') ?? el.getAttribute('ref') ?? undefined;
}

// "browser:log?page=2&parent=17" -> {page: 2, parent: '17'}; undefined for
// other commands. A missing page is 0; parent stays undefined when not given.
export function logQuery(command) {
  const m = /^browser:log(?:\?(.*))?$/.exec(String(command ?? ''));
  if (!m) return undefined;
  const params = new URLSearchParams(m[1] ?? '');
  const page = Number.parseInt(params.get('page') ?? '0', 10);
  const query = { page: Number.isFinite(page) && page > 0 ? page : 0 };
  if (params.has('parent')) query.parent = params.get('parent');
  return query;
}

// The "/browser/log" address of a query.
export function logAddress(query) {
  const params = new URLSearchParams();
  if (query?.page > 0) params.set('page', String(query.page));
  if (query?.parent !== undefined) params.set('parent', String(query.parent));
  const text = params.toString();
  return text ? `/browser/log?${text}` : '/browser/log';
}

// "play?vessel=self&start=20210612T083000" -> the start as UTC ms; undefined
// for other commands or a start that is not a time.
export function playStart(command) {
  const m = /^play\?(.*)$/.exec(String(command ?? ''));
  if (!m) return undefined;
  const start = new URLSearchParams(m[1]).get('start') ?? '';
  const t = /^(\d{4})(\d{2})(\d{2})T(\d{2})(\d{2})(\d{2})$/.exec(start);
  if (!t) return undefined;
  const [year, month, day, hour, minute, second] = t.slice(1).map(Number);
  const ms = Date.UTC(year, month - 1, day, hour, minute, second);
  const back = new Date(ms);
  if (back.getUTCMonth() !== month - 1 || back.getUTCDate() !== day || hour > 23 || minute > 59 || second > 59) return undefined;
  return ms;
}
