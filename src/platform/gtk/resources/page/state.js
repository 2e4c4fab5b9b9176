// The editing surface's page script, first part: the page's identity, the
// watch on its document, command states and the body sent to the surface.
//
// The surface runs state.js, editing.js, tables.js, history.js, find.js and
// counts.js as one function in a script world of its own, after constants
// it makes from its command table:
// CMD (command ids by name), STATUS (command states by name), ENGINE (the
// engine command behind a command's state, by id), IDS (the ids `state()`
// answers, in order), CHANNEL (the message channel to the surface),
// DETAILS_ID and DETAILS_CSS (the style element of the detail marks),
// POLICY_ID (the element that carries the number of the surface's put that
// made this page).
/* global CMD, STATUS, ENGINE, IDS, CHANNEL, POLICY_ID */
const P = {};
window.pellora = P;
const pageId = Math.random().toString(36).slice(2) + Date.now().toString(36);
let version = 0;
let sent = null;   // the body text the surface holds (version `version`)
let text = '';     // the body as last read
let dirty = true;  // the document changed since `text` was read
let changes = 0;   // batches of document changes seen, for the surface
let posting = false;

function changed() { dirty = true; ++changes; }
const observer = new MutationObserver(() => { changed(); schedule(); });
// While the document is parsed it is dirty anyway; watching it only from
// then on spares a record per parsed node of a large item.
function watch() {
  changed();
  observer.observe(document, {subtree: true, childList: true, characterData: true, attributes: true});
}
if (document.readyState === 'loading') {
  document.addEventListener('DOMContentLoaded', watch);
} else {
  watch();
}

// Server script and comments reach the page as stand-in comments (the
// surface keeps their code). Where text may stand, each shows as a chip
// naming its kind; markup leaving the page always holds the stand-ins, so
// the surface can put the code back.
const CHIP_CLASS = 'pellora-chip';
const CHIP_STYLE = 'display:inline-block;margin:0 1px;padding:0 3px;border:1px dotted #7a7a9a;' +
    'border-radius:3px;background:#eeeef6;color:#334;font:bold 10px sans-serif;' +
    'vertical-align:middle;-webkit-user-select:all;user-select:all';
// Parents in which a chip would be moved out by the parser or not shown.
const NO_CHIP_PARENTS = /^(TABLE|TBODY|THEAD|TFOOT|TR|COLGROUP|SELECT|HEAD|HTML)$/;
let blocks = null;  // {marker, list: [{kind, code}]} of this page, or null
let chipsShown = false;

// The chip for a stand-in comment's text, or null for no block of ours.
function chipFor(data) {
  if (!blocks || !data.startsWith(blocks.marker)) return null;
  const block = blocks.list[parseInt(data.slice(blocks.marker.length), 10)];
  if (!block || !block.kind) return null;
  const chip = document.createElement('span');
  chip.className = CHIP_CLASS;
  chip.contentEditable = 'false';
  chip.dataset.block = data;
  chip.title = block.code;
  chip.setAttribute('style', CHIP_STYLE);
  chip.textContent = block.kind;
  return chip;
}

// Markup to insert with its stand-ins as chips.
function withChips(html) {
  if (!blocks) return html;
  return html.replace(/<!--([a-z0-9-]+)-->/g, (whole, data) => {
    const chip = chipFor(data);
    if (!chip) return whole;
    chipsShown = true;
    return chip.outerHTML;
  });
}

function showChips() {
  if (!blocks || !document.body) return;
  const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_COMMENT);
  const found = [];
  for (let node = walker.nextNode(); node; node = walker.nextNode()) found.push(node);
  for (const node of found) {
    if (!node.parentNode || NO_CHIP_PARENTS.test(node.parentNode.nodeName)) continue;
    const chip = chipFor(node.data);
    if (!chip) continue;
    node.replaceWith(chip);
    chipsShown = true;
  }
}

// The markup of `root`'s children with every chip as its stand-in.
// A chip is known by its block, whatever editing did to its class or style.
function markupOf(root) {
  if (!chipsShown || !root.querySelector('span[data-block]')) return root.innerHTML;
  const copy = root.cloneNode(true);
  for (const chip of copy.querySelectorAll('span[data-block]')) {
    if (chipFor(chip.dataset.block)) chip.replaceWith(document.createComment(chip.dataset.block));
  }
  return copy.innerHTML;
}

function body() {
  if (observer.takeRecords().length) changed();
  if (dirty) {
    text = document.body ? markupOf(document.body) : '';
    dirty = false;
  }
  return text;
}
P.body = body;

function selection() {
  const s = window.getSelection();
  if (!s || !s.rangeCount || !document.body || !document.body.contains(s.anchorNode)) return null;
  return s;
}

function engineStatus(name) {
  try {
    if (!document.queryCommandSupported(name)) return STATUS.NOTSUPPORTED;
    if (!document.queryCommandEnabled(name)) return STATUS.DISABLED;
    if (document.queryCommandIndeterm(name)) return STATUS.NINCHED;
    if (document.queryCommandState(name)) return STATUS.LATCHED;
    return STATUS.ENABLED;
  } catch (e) {
    return STATUS.NOTSUPPORTED;
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

// Commands the engine cannot answer for have rules of their own; the
// others ask the engine about the command behind them.
function status(id) {
  const s = selection();
  const enabledIf = (yes) => yes ? STATUS.ENABLED : STATUS.DISABLED;
  switch (id) {
    case CMD.COPY: case CMD.CUT: return enabledIf(s && !s.isCollapsed);
    case CMD.DELETE: return enabledIf(s && !s.isCollapsed);
    case CMD.PASTE: return enabledIf(s);
    case CMD.DELETECOLS: case CMD.DELETEROWS: case CMD.INSERTCOL: case CMD.INSERTROW:
    case CMD.SPLITCELL:
      return enabledIf(caretCell());
    case CMD.MERGECELLS: return enabledIf(caretCell() && mergeCells());
    case CMD.UNDERLINE: {
      // A link is drawn underlined, which the engine takes for the format.
      const state = engineStatus('underline');
      return state === STATUS.LATCHED && s && inLinkNotUnderlined(s.focusNode) ? STATUS.ENABLED : state;
    }
  }
  const name = ENGINE[id];
  return name ? engineStatus(name) : STATUS.NOTSUPPORTED;
}

// Whether `node` is in a link and nothing but the link's own look
// underlines it.
function inLinkNotUnderlined(node) {
  let inLink = false;
  for (let e = node && (node.nodeType === 1 ? node : node.parentElement); e && e !== document.body;
       e = e.parentElement) {
    if (e.tagName === 'U' || e.tagName === 'INS' || /underline/.test(e.style.textDecoration)) return false;
    if (e.tagName === 'A' && e.hasAttribute('href')) inLink = true;
  }
  return inLink;
}

P.statusOf = status;

// Everything a display change needs. The body is a difference against the
// text sent last (see the header of this script's owner); `changesOnly`
// leaves it out and tells only the count of changes, so an edit does not
// serialise the whole document: the surface asks for the body when it
// needs it.
P.state = function (full, changesOnly) {
  const st = IDS.map(status);
  let blk = '';
  try { blk = String(document.queryCommandValue('formatBlock') || ''); } catch (e) {}
  let b = null;
  if (!changesOnly) {
    const cur = body();
    if (full || sent === null) {
      b = {base: -1, v: ++version, p: 0, s: 0, mid: cur};
    } else if (cur !== sent) {
      const d = difference(sent, cur);
      b = {base: version, v: ++version, p: d.p, s: d.s, mid: d.mid};
    }
    if (b) sent = cur;
  } else if (observer.takeRecords().length) {
    changed();
  }
  return {page: pageId, v: version, g: changes, st: st, blk: blk, body: b};
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

// What the last report saw: the count of changes and the selection. A key
// typed changes both, and the engine reports the moved caret again after
// the input; that second report would tell the surface nothing new.
let reported = null;
function unreported() {
  if (observer.takeRecords().length) changed();
  const s = window.getSelection();
  const now = s ? [changes, s.anchorNode, s.anchorOffset, s.focusNode, s.focusOffset] : [changes];
  const same = reported && reported.length === now.length && now.every((v, i) => v === reported[i]);
  reported = now;
  return !same;
}

function schedule() {
  // A report asks the engine for command states, which lays the whole
  // document out; before the load has finished that would hold the finish
  // back (a quarter of a 1 MB load). The surface asks once it is loaded.
  if (posting || document.readyState !== 'complete') return;
  posting = true;
  Promise.resolve().then(() => {
    posting = false;
    if (!unreported()) return;
    try { window.webkit.messageHandlers[CHANNEL].postMessage(P.state(false, true)); } catch (e) {}
  });
}
document.addEventListener('selectionchange', schedule);
document.addEventListener('input', schedule);
// As soon as the document is parsed, the surface learns which of its puts
// made this page, so it need not ask once WebKit reports the load finished.
// The number of the surface's put that made this page, as text.
P.putNumber = function () {
  return String((document.getElementById(POLICY_ID) || {dataset: {}}).dataset.put);
};
document.addEventListener('DOMContentLoaded', () => {
  try { window.webkit.messageHandlers[CHANNEL].postMessage({loaded: P.putNumber(), page: pageId}); } catch (e) {}
});

