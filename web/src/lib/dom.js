// Small helpers to build the page without a framework.

// Element tag with attributes (class, data-*, on* handlers, other attributes)
// and children (nodes, texts; null/undefined/false are skipped).
export function h(tag, attrs = {}, ...children) {
  const el = document.createElement(tag);
  for (const [key, value] of Object.entries(attrs ?? {})) {
    if (value === undefined || value === null || value === false) continue;
    if (key.startsWith('on') && typeof value === 'function') {
      el.addEventListener(key.slice(2).toLowerCase(), value);
    } else if (key === 'class') {
      el.className = value;
    } else if (key === 'value' && 'value' in el) {
      el.value = value;
    } else if (key === 'checked' || key === 'disabled' || key === 'selected') {
      el[key] = Boolean(value);
    } else {
      el.setAttribute(key, value === true ? '' : String(value));
    }
  }
  append(el, children);
  return el;
}

function append(el, children) {
  for (const child of children) {
    if (child === undefined || child === null || child === false) continue;
    if (Array.isArray(child)) append(el, child);
    else el.append(child instanceof Node ? child : String(child));
  }
}

// Replaces the text of el only when it changed (keeps selections and avoids
// needless layout work at 10 updates a second).
export function setText(el, text) {
  if (el.textContent !== text) el.textContent = text;
}

export function clear(el) {
  while (el.firstChild) el.removeChild(el.firstChild);
}
