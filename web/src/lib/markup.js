// Message texts may carry actions as "[[address|label]]"; a text that does
// starts with "#". parseMessage splits such a text into plain segments and
// link segments; anything that is not well-formed markup stays plain text.

// Result: array of {text} and {text, href} segments, in order.
export function parseMessage(raw) {
  let text = typeof raw === 'string' ? raw : '';
  if (text.startsWith('#')) text = text.slice(1);
  const segments = [];
  let pos = 0;
  while (pos < text.length) {
    const open = text.indexOf('[[', pos);
    const close = open < 0 ? -1 : text.indexOf(']]', open + 2);
    if (open < 0 || close < 0) {
      pushText(segments, text.slice(pos));
      break;
    }
    pushText(segments, text.slice(pos, open));
    const inner = text.slice(open + 2, close);
    const bar = inner.indexOf('|');
    const href = (bar < 0 ? inner : inner.slice(0, bar)).trim();
    const label = (bar < 0 ? inner : inner.slice(bar + 1)).trim();
    if (href === '') pushText(segments, label);
    else segments.push({ text: label || href, href });
    pos = close + 2;
  }
  return segments;
}

function pushText(segments, text) {
  if (text === '') return;
  const last = segments[segments.length - 1];
  if (last && last.href === undefined) last.text += text;
  else segments.push({ text });
}

// The request behind an action address: {method, url} for the program's own
// "app://" actions, {navigate} for the page's own paths, undefined for
// anything else (foreign links are never followed from a message).
export function actionFor(href) {
  switch (href) {
    case 'app://stop_navigation':
      return { method: 'POST', url: '/nav/stop' };
    case 'app://next_waypoint':
      return { method: 'POST', url: '/nav/next_wp' };
    case 'app://previous_waypoint':
      return { method: 'POST', url: '/nav/prev_wp' };
    default:
      if (typeof href === 'string' && href.startsWith('/') && !href.startsWith('//')) {
        return { navigate: href };
      }
      return undefined;
  }
}

// A text posted both for the bar and as a spoken text shows once: the
// newest note of each text, preferring the one that is not the spoken copy.
export function distinctTexts(notes) {
  const byText = new Map();
  for (const note of notes) {
    const seen = byText.get(note.text);
    if (!seen || (seen.spoken && !note.spoken) || (seen.spoken === note.spoken && (note.utcMs ?? 0) >= (seen.utcMs ?? 0))) {
      byText.set(note.text, note);
    }
  }
  return [...byText.values()];
}
