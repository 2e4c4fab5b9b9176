#include "platform/gtk/surface_scripts.h"

#include <cstdio>

namespace pellora::gtk {

namespace {

// `@IDS@` and `@DETAILS@` are filled in by pageScript().
constexpr std::string_view kPageScriptTemplate = R"JS((function () {
'use strict';
const IDS = [@IDS@];
const ENGINE = {
  5000: 'bold', 5023: 'italic', 5048: 'underline',
  5024: 'justifyCenter', 5025: 'justifyLeft', 5026: 'justifyRight',
  5030: 'insertOrderedList', 5051: 'insertUnorderedList',
  5018: 'indent', 5031: 'outdent', 5035: 'selectAll',
  5011: 'formatBlock', 5043: 'formatBlock',
  5016: 'createLink', 5017: 'insertImage', 5009: 'fontName', 5022: 'insertHTML'
};
const P = {};
window.pellora = P;
const pageId = Math.random().toString(36).slice(2) + Date.now().toString(36);
let version = 0;
let sent = null;   // the body text the surface holds (version `version`)
let text = '';     // the body as last read
let dirty = true;  // the document changed since `text` was read
let posting = false;
// Changes made by our own table scripts, which the engine's undo does not
// know: the body before and after each.
const ownUndo = [];

const observer = new MutationObserver(() => { dirty = true; schedule(); });
// While the document is parsed it is dirty anyway; watching it only from
// then on spares a record per parsed node of a large item.
function watch() {
  dirty = true;
  observer.observe(document, {subtree: true, childList: true, characterData: true, attributes: true});
}
if (document.readyState === 'loading') {
  document.addEventListener('DOMContentLoaded', watch);
} else {
  watch();
}

function body() {
  if (observer.takeRecords().length) dirty = true;
  if (dirty) {
    text = document.body ? document.body.innerHTML : '';
    dirty = false;
  }
  return text;
}

function selection() {
  const s = window.getSelection();
  if (!s || !s.rangeCount || !document.body || !document.body.contains(s.anchorNode)) return null;
  return s;
}

function engineStatus(name) {
  try {
    if (!document.queryCommandSupported(name)) return 0;
    if (!document.queryCommandEnabled(name)) return 1;
    if (document.queryCommandIndeterm(name)) return 11;
    if (document.queryCommandState(name)) return 7;
    return 3;
  } catch (e) {
    return 0;
  }
}

function cellOf(node) {
  if (!node) return null;
  const element = node.nodeType === 1 ? node : node.parentElement;
  const cell = element && element.closest('td,th');
  return cell && document.body.contains(cell) ? cell : null;
}

function caretCell() {
  const s = selection();
  return s ? cellOf(s.focusNode) || cellOf(s.anchorNode) : null;
}

// The cells a merge joins: the selected cells of one row, or the caret cell
// and its right neighbour.
function mergeCells() {
  const s = selection();
  if (!s) return null;
  const range = s.getRangeAt(0);
  const a = cellOf(range.startContainer), b = cellOf(range.endContainer);
  if (!a || !b || a.parentNode !== b.parentNode) return null;
  if (a === b) {
    const next = a.nextElementSibling;
    return next && (next.tagName === 'TD' || next.tagName === 'TH') ? [a, next] : null;
  }
  const cells = Array.from(a.parentNode.cells);
  const i = cells.indexOf(a), j = cells.indexOf(b);
  return cells.slice(Math.min(i, j), Math.max(i, j) + 1);
}

function status(id) {
  const s = selection();
  switch (id) {
    case 5002: case 5003: return s && !s.isCollapsed ? 3 : 1;
    case 5004: return s && !s.isCollapsed ? 3 : 1;
    case 5032: return s ? 3 : 1;
    case 5049: {
      const top = ownUndo[ownUndo.length - 1];
      if (top && top.after === body()) return 3;
      return engineStatus('undo');
    }
    case 5006: case 5007: case 5020: case 5021: case 5047: return caretCell() ? 3 : 1;
    case 5029: return caretCell() && mergeCells() ? 3 : 1;
  }
  const name = ENGINE[id];
  return name ? engineStatus(name) : 0;
}

P.statusOf = status;

// Everything a display change needs. The body is a difference against the
// text sent last (see the header of this script's owner).
P.state = function (full) {
  const st = IDS.map(status);
  let blk = '';
  try { blk = String(document.queryCommandValue('formatBlock') || ''); } catch (e) {}
  const cur = body();
  let b = null;
  if (full || sent === null) {
    b = {base: -1, v: ++version, p: 0, s: 0, mid: cur};
  } else if (cur !== sent) {
    const d = difference(sent, cur);
    b = {base: version, v: ++version, p: d.p, s: d.s, mid: d.mid};
  }
  if (b) sent = cur;
  return {page: pageId, v: version, st: st, blk: blk, body: b};
};

function isHigh(c) { return c >= 0xd800 && c <= 0xdbff; }
function isLow(c) { return c >= 0xdc00 && c <= 0xdfff; }

function utf8Length(str, from, to) {
  if (!/[^\x00-\x7f]/.test(str.slice(from, to))) return to - from;
  let n = 0;
  for (let i = from; i < to; ++i) {
    const c = str.charCodeAt(i);
    if (c < 0x80) n += 1;
    else if (c < 0x800) n += 2;
    else if (isHigh(c) && i + 1 < to && isLow(str.charCodeAt(i + 1))) { n += 4; ++i; }
    else n += 3;
  }
  return n;
}

// Common start and end of two texts, in UTF-8 bytes, and the new middle.
// Never splits a surrogate pair.
function difference(old, cur) {
  const n = Math.min(old.length, cur.length);
  const block = 4096;
  let p = 0;
  while (p + block <= n && old.substr(p, block) === cur.substr(p, block)) p += block;
  while (p < n && old.charCodeAt(p) === cur.charCodeAt(p)) ++p;
  if (p > 0 && isHigh(cur.charCodeAt(p - 1))) --p;
  const room = n - p;
  let s = 0;
  while (s + block <= room && old.substr(old.length - s - block, block) === cur.substr(cur.length - s - block, block)) s += block;
  while (s < room && old.charCodeAt(old.length - 1 - s) === cur.charCodeAt(cur.length - 1 - s)) ++s;
  if (s > 0 && isLow(cur.charCodeAt(cur.length - s))) --s;
  return {p: utf8Length(cur, 0, p), s: utf8Length(cur, cur.length - s, cur.length),
          mid: cur.slice(p, cur.length - s)};
}

function schedule() {
  if (posting || document.readyState === 'loading') return;
  posting = true;
  Promise.resolve().then(() => {
    posting = false;
    try { window.webkit.messageHandlers.@CHANNEL@.postMessage(P.state(false)); } catch (e) {}
  });
}
document.addEventListener('selectionchange', schedule);
document.addEventListener('input', schedule);
document.addEventListener('DOMContentLoaded', schedule);

// Pasted HTML goes to the surface, which cleans it of the source program's
// markup and hands it back to insertPasted. A clipboard without HTML (plain
// text, or a paste as plain text) keeps the engine's own paste.
document.addEventListener('paste', (event) => {
  const data = event.clipboardData;
  const html = data ? data.getData('text/html') : '';
  if (!html) return;
  event.preventDefault();
  try {
    window.webkit.messageHandlers.@CHANNEL@.postMessage({paste: html, text: data.getData('text/plain')});
  } catch (e) {}
}, true);

// One editing command, so one undo step; the plain text when the HTML
// cleaned down to nothing.
P.insertPasted = function (html, text) {
  if (html) document.execCommand('insertHTML', false, html);
  else if (text) document.execCommand('insertText', false, text);
  return P.state(false);
};

P.exec = function (name, value) {
  document.execCommand(name, false, value === undefined ? null : value);
  return P.state(false);
};

// Delete acts on a selection only; a bare caret deletes nothing.
P.remove = function () {
  const s = selection();
  return s && !s.isCollapsed ? P.exec('delete') : P.state(false);
};

P.undo = function () {
  const top = ownUndo[ownUndo.length - 1];
  if (top && top.after === body()) {
    ownUndo.pop();
    document.body.innerHTML = top.before;
    placeCaret(document.body);
    return P.state(false);
  }
  ownUndo.length = 0;
  return P.exec('undo');
};

// Our own last change, when the body still shows its result; false when
// there is none to undo (the engine's undo comes next).
P.undoOwn = function () {
  const top = ownUndo[ownUndo.length - 1];
  if (!top || top.after !== body()) {
    ownUndo.length = 0;
    return false;
  }
  ownUndo.pop();
  document.body.innerHTML = top.before;
  placeCaret(document.body);
  return true;
};

// The selection a dialog acts on: the dialog takes the focus, so the range
// is kept before it opens and put back before its answer is applied, or
// when it is cancelled.
let kept = null;
P.keep = function () {
  const s = selection();
  kept = s ? s.getRangeAt(0).cloneRange() : null;
  return !!kept;
};

P.restore = function () {
  const range = kept;
  kept = null;
  if (range && document.body && document.body.contains(range.startContainer) &&
      document.body.contains(range.endContainer)) {
    const s = window.getSelection();
    s.removeAllRanges();
    s.addRange(range);
  }
  return P.state(false);
};

function currentRange() {
  const s = selection();
  return s ? s.getRangeAt(0) : null;
}

// The one element a range spans exactly (an image the user clicked).
function spannedElement(range) {
  if (!range || range.startContainer !== range.endContainer) return null;
  const container = range.startContainer;
  if (container.nodeType !== 1 || range.endOffset - range.startOffset !== 1) return null;
  const node = container.childNodes[range.startOffset];
  return node && node.nodeType === 1 ? node : null;
}

function linkOf(range) {
  if (!range) return null;
  const spanned = spannedElement(range);
  if (spanned && spanned.matches('a[href]')) return spanned;
  const node = range.commonAncestorContainer;
  const element = node.nodeType === 1 ? node : node.parentElement;
  const a = element && element.closest('a[href]');
  return a && document.body.contains(a) ? a : null;
}

P.link = function () {
  const a = linkOf(currentRange());
  return a ? a.getAttribute('href') : '';
};

// Inside a link its address changes; otherwise the selection becomes a link.
P.setLink = function (address) {
  const a = linkOf(currentRange());
  if (a) {
    a.setAttribute('href', address);
    return P.state(false);
  }
  return P.exec('createLink', address);
};

function selectedImage() {
  const element = spannedElement(currentRange());
  return element && element.tagName === 'IMG' ? element : null;
}

P.image = function () {
  const img = selectedImage();
  if (!img) return null;
  const text = name => img.getAttribute(name) || '';
  return {src: text('src'), alt: text('alt'), width: text('width'), height: text('height')};
};

// A selected image keeps all its other attributes; otherwise a new one.
// Empty alternative text or size: the attribute goes.
P.setImage = function (src, alt, width, height) {
  const given = {alt: alt || '', width: width || '', height: height || ''};
  const img = selectedImage();
  if (img) {
    img.setAttribute('src', src);
    for (const name in given) {
      if (given[name]) img.setAttribute(name, given[name]); else img.removeAttribute(name);
    }
    return P.state(false);
  }
  if (!given.alt && !given.width && !given.height) return P.exec('insertImage', src);
  const fresh = document.createElement('img');
  fresh.setAttribute('src', src);
  for (const name in given) {
    if (given[name]) fresh.setAttribute(name, given[name]);
  }
  return P.exec('insertHTML', fresh.outerHTML);
};

function hexColor(value) {
  const m = /^rgba?\((\d+),\s*(\d+),\s*(\d+)/.exec(value);
  if (!m) return /^#[0-9a-f]{6}$/i.test(value) ? value.toLowerCase() : '';
  return '#' + [m[1], m[2], m[3]].map(n => ('0' + Number(n).toString(16)).slice(-2)).join('');
}

// The face, size (1..7, 0 unknown) and colour at the selection.
P.fontState = function () {
  let face = '', size = 0, color = '';
  try { face = String(document.queryCommandValue('fontName') || ''); } catch (e) {}
  try { size = parseInt(document.queryCommandValue('fontSize'), 10) || 0; } catch (e) {}
  try { color = hexColor(String(document.queryCommandValue('foreColor') || '')); } catch (e) {}
  face = face.split(',')[0].trim().replace(/^["']|["']$/g, '');
  return {face: face, size: size, color: color};
};

P.font = function (family, size, color) {
  if (family) document.execCommand('fontName', false, family);
  if (size) document.execCommand('fontSize', false, String(size));
  if (color) document.execCommand('foreColor', false, color);
  return P.state(false);
};

P.insertTable = function (rows, cols, attrs) {
  const row = '<tr>' + '<td><br></td>'.repeat(cols) + '</tr>';
  const html = '<table' + attrs + '><tbody>' + row.repeat(rows) + '</tbody></table>';
  return P.exec('insertHTML', html);
};

P.bgColor = function (value) {
  if (value !== undefined) document.bgColor = value;
  return String(document.bgColor || '');
};

P.details = function (on) {
  let style = document.getElementById('@DETAILS_ID@');
  if (on && !style) {
    style = document.createElement('style');
    style.id = '@DETAILS_ID@';
    style.textContent = @DETAILS@;
    (document.head || document.documentElement).appendChild(style);
  } else if (!on && style) {
    style.remove();
  }
  return !!document.getElementById('@DETAILS_ID@');
};

P.html = function () {
  return document.documentElement ? document.documentElement.outerHTML : '';
};

function placeCaret(node) {
  const s = window.getSelection();
  const range = document.createRange();
  range.selectNodeContents(node);
  range.collapse(true);
  s.removeAllRanges();
  s.addRange(range);
}

function newCell(like) {
  const cell = document.createElement(like && like.tagName === 'TH' ? 'th' : 'td');
  cell.appendChild(document.createElement('br'));
  return cell;
}

// Columns count by the cells' spans.
function columnOf(cell) {
  let i = 0;
  for (const c of cell.parentNode.cells) {
    if (c === cell) return i;
    i += c.colSpan;
  }
  return i;
}

function cellAt(row, column) {
  let i = 0;
  for (const c of row.cells) {
    if (column < i + c.colSpan) return c;
    i += c.colSpan;
  }
  return null;
}

function isBlank(cell) {
  return cell.textContent.trim() === '' && !cell.querySelector('img,table,hr,input');
}

const TABLE_OPS = {
  // A row above the caret's, as wide as it.
  insertRow(cell, row) {
    const fresh = document.createElement('tr');
    let width = 0;
    for (const c of row.cells) width += c.colSpan;
    for (let i = 0; i < width; ++i) fresh.appendChild(newCell(row.cells[0]));
    row.parentNode.insertBefore(fresh, row);
  },
  deleteRows(cell, row, table) {
    const column = columnOf(cell);
    const next = row.nextElementSibling || row.previousElementSibling;
    row.remove();
    if (!table.rows.length) {
      const after = table.parentNode;
      table.remove();
      placeCaret(after);
    } else if (next) {
      placeCaret(cellAt(next, column) || next.cells[0] || next);
    }
  },
  // A column left of the caret's.
  insertColumn(cell, row, table) {
    const column = columnOf(cell);
    for (const r of Array.from(table.rows)) {
      const at = cellAt(r, column);
      r.insertBefore(newCell(at), at);
    }
  },
  deleteColumns(cell, row, table) {
    const column = columnOf(cell);
    let caret = null;
    for (const r of Array.from(table.rows)) {
      const at = cellAt(r, column);
      if (!at) continue;
      if (at.colSpan > 1) {
        at.colSpan -= 1;
      } else {
        at.remove();
      }
      if (!r.cells.length) r.remove();
    }
    if (!table.rows.length) {
      const after = table.parentNode;
      table.remove();
      placeCaret(after);
      return;
    }
    caret = cellAt(row, column) || cellAt(row, column - 1) || table.rows[0].cells[0];
    if (caret) placeCaret(caret);
  },
  merge(cell) {
    const cells = mergeCells();
    if (!cells) return;
    const first = cells[0];
    let span = first.colSpan;
    for (const c of cells.slice(1)) {
      span += c.colSpan;
      if (!isBlank(c)) {
        if (isBlank(first)) first.textContent = '';
        while (c.firstChild) first.appendChild(c.firstChild);
      }
      c.remove();
    }
    first.colSpan = span;
    placeCaret(first);
  },
  // A spanned cell gives up one column; any other cell gets a new
  // neighbour to its right.
  split(cell) {
    if (cell.colSpan > 1) cell.colSpan -= 1;
    cell.parentNode.insertBefore(newCell(cell), cell.nextSibling);
  }
};

P.table = function (op) {
  const cell = caretCell();
  if (!cell || !TABLE_OPS[op]) return P.state(false);
  const row = cell.parentNode;
  const table = row.closest('table');
  const before = body();
  TABLE_OPS[op](cell, row, table);
  ownUndo.push({before: before, after: body()});
  return P.state(false);
};
})();
)JS";

constexpr std::string_view kDetailsStyleSheet =
    "p,div,h1,h2,h3,h4,h5,h6,pre,address,blockquote,ol,ul,li,form{"
    "outline:1px dotted #808080;outline-offset:1px}"
    "table:not([border]) td,table:not([border]) th,"
    "table[border=\"0\"] td,table[border=\"0\"] th{border:1px dotted #808080}";

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

std::string buildPageScript() {
  std::string ids;
  for (int id : kStatusIds) {
    if (!ids.empty()) ids += ',';
    ids += std::to_string(id);
  }
  std::string script(kPageScriptTemplate);
  replaceAll(script, "@IDS@", ids);
  replaceAll(script, "@CHANNEL@", kMessageChannel);
  replaceAll(script, "@DETAILS_ID@", kDetailsStyleId);
  replaceAll(script, "@DETAILS@", jsString(kDetailsStyleSheet));
  return script;
}

}  // namespace

const std::string& pageScript() {
  static const std::string script = buildPageScript();
  return script;
}

std::string jsString(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + 2);
  out += '"';
  for (char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (byte < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\x%02x", byte);
          out += escape;
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

}  // namespace pellora::gtk
