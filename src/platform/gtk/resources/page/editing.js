// The editing surface's page script, second part: paste, commands, undo of
// our own changes, the kept selection, links, images, fonts and the page's
// colour and detail marks. See state.js for how the parts are run.
/* global CHANNEL, DETAILS_ID, DETAILS_CSS */
// Pasted HTML goes to the surface, which cleans it of the source program's
// markup and hands it back to insertPasted. A clipboard without HTML (plain
// text, or a paste as plain text) keeps the engine's own paste.
document.addEventListener('paste', (event) => {
  const data = event.clipboardData;
  const html = data ? data.getData('text/html') : '';
  if (!html) return;
  event.preventDefault();
  try {
    window.webkit.messageHandlers[CHANNEL].postMessage({paste: html, text: data.getData('text/plain')});
  } catch (e) {}
}, true);

// One editing command, so one undo step; the plain text when the HTML
// cleaned down to nothing.
P.insertPasted = function (html, text) {
  // Chips go in as chips, so the paste stays one undo step.
  if (html) document.execCommand('insertHTML', false, withChips(html));
  else if (text) document.execCommand('insertText', false, text);
  return P.state(false);
};

// The engine makes a list out of a paragraph inside it (<p><ol>), which
// no parser builds: stored, it would come back as two empty paragraphs
// around the list, more on every round trip. Such paragraphs are split
// around the blocks they hold.
const NESTING_COMMANDS = /^(insertOrderedList|insertUnorderedList|indent|outdent)$/;
const BLOCK_ELEMENTS = /^(OL|UL|DL|BLOCKQUOTE|DIV|TABLE|H[1-6]|PRE|P|ADDRESS|HR|CENTER|FORM)$/;

function holdsBlock(p) {
  for (const child of p.children) if (BLOCK_ELEMENTS.test(child.nodeName)) return true;
  return false;
}

function brokenNesting() {
  return document.body ? Array.from(document.body.querySelectorAll('p')).filter(holdsBlock) : [];
}

function mendNesting() {
  const broken = brokenNesting();
  const s = window.getSelection();
  const kept = s && s.rangeCount ? [s.anchorNode, s.anchorOffset, s.focusNode, s.focusOffset] : null;
  const runs = [];
  for (const p of broken) {
    const parent = p.parentNode;
    let run = null;
    for (const child of Array.from(p.childNodes)) {
      if (child.nodeType === 1 && BLOCK_ELEMENTS.test(child.nodeName)) {
        parent.insertBefore(child, p);
        run = null;
      } else {
        if (!run) {
          run = p.cloneNode(false);
          parent.insertBefore(run, p);
          runs.push(run);
        }
        run.appendChild(child);
      }
    }
    p.remove();
  }
  // What was split off around the blocks and shows nothing goes.
  for (const run of runs) {
    if (!/\S/.test(run.textContent) && !run.querySelector('img,br,input,iframe,object,embed')) run.remove();
  }
  if (kept && document.body.contains(kept[0]) && document.body.contains(kept[2])) {
    s.setBaseAndExtent(kept[0], kept[1], kept[2], kept[3]);
  }
}

P.exec = function (name, value) {
  document.execCommand(name, false, value === undefined ? null : value);
  if (NESTING_COMMANDS.test(name) && brokenNesting().length) {
    ownStep(mendNesting, () => { mendUndone = true; });
  }
  return P.state(false);
};

// Delete acts on a selection only; a bare caret deletes nothing.
P.remove = function () {
  const s = selection();
  return s && !s.isCollapsed ? P.exec('delete') : P.state(false);
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

// Inside a link its address changes, and an empty address removes the
// link; otherwise the selection becomes a link.
P.setLink = function (address) {
  const a = linkOf(currentRange());
  if (a && !address) {
    const range = document.createRange();
    range.selectNodeContents(a);
    const s = window.getSelection();
    s.removeAllRanges();
    s.addRange(range);
    return P.exec('unlink');
  }
  if (a) {
    ownStep(() => a.setAttribute('href', address));
    return P.state(false);
  }
  return address ? P.exec('createLink', address) : P.state(false);
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
    ownStep(() => {
      img.setAttribute('src', src);
      for (const name in given) {
        if (given[name]) img.setAttribute(name, given[name]); else img.removeAttribute(name);
      }
    });
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
  document.execCommand('insertHTML', false, html);
  // The engine leaves the caret in the last cell; typing starts in the first.
  const cell = caretCell();
  const table = cell && cell.closest('table');
  if (table && table.rows.length && table.rows[0].cells.length) placeCaret(table.rows[0].cells[0]);
  return P.state(false);
};

P.bgColor = function (value) {
  if (value !== undefined) document.bgColor = value;
  return String(document.bgColor || '');
};

P.details = function (on) {
  let style = document.getElementById(DETAILS_ID);
  if (on && !style) {
    style = document.createElement('style');
    style.id = DETAILS_ID;
    style.textContent = DETAILS_CSS;
    (document.head || document.documentElement).appendChild(style);
  } else if (!on && style) {
    style.remove();
  }
  return !!document.getElementById(DETAILS_ID);
};

P.html = function () {
  return document.documentElement ? document.documentElement.outerHTML : '';
};

// The document in three parts: everything up to and with the body's start
// tag, the body's markup (chips as their stand-ins), and what follows it.
// `asState`: the body as the state's difference against the one the
// surface holds, instead of whole.
P.documentParts = function (asState) {
  const root = document.documentElement;
  const state = asState ? P.state(false) : null;
  if (!root || !document.body) return {before: P.html(), body: '', after: '', state: state};
  const shell = root.cloneNode(false);
  if (document.head) shell.appendChild(document.head.cloneNode(true));
  shell.appendChild(document.body.cloneNode(false));
  const outer = shell.outerHTML;
  const end = outer.lastIndexOf('</body>');
  return {before: outer.slice(0, end), body: asState ? '' : body(), after: outer.slice(end),
          state: state};
};

// Called once a document has loaded: shows its shielded blocks as chips and
// keeps the body as the engine first holds it.
let firstBody = '';
P.settle = function (marker, list) {
  blocks = list.length ? {marker: marker, list: list} : null;
  showChips();
  firstBody = body();
  return true;
};
P.firstBody = function () { return firstBody; };

// `markup` parsed as a body's contents and serialised again, in a document
// of its own that loads nothing, in this document's mode (items have no
// doctype, and in quirks mode a table does not close a paragraph).
P.reparse = function (markup) {
  const doctype = document.compatMode === 'BackCompat' ? '' : '<!DOCTYPE html>';
  const parsed = new DOMParser().parseFromString(doctype + '<body>' + markup, 'text/html');
  return parsed.body ? parsed.body.innerHTML : '';
};
P.parsesTo = function (markup, expected) { return P.reparse(markup) === expected; };

// A caret for keys that arrive before the user put one anywhere.
P.ensureCaret = function () {
  if (!selection() && document.body) placeCaret(document.body);
  return true;
};

function placeCaret(node) {
  const s = window.getSelection();
  const range = document.createRange();
  range.selectNodeContents(node);
  range.collapse(true);
  s.removeAllRanges();
  s.addRange(range);
}


// Pasted and dropped images. An image that arrives as bytes without a file
// (the engine's paste of clipboard image data gives it a blob: address,
// pasted markup may carry data: ones, a file dropped from the file manager
// has no address the page may keep) is handed to the surface, which keeps
// it as a local file and answers the address that shows it; until then it
// shows from its own. The surface awaits `imagesSettled` before it reads
// the document, so no such address is ever handed out while one is taken in.
// An image the surface refuses goes if it was pasted; one the loaded item
// held stays as the author wrote it (the save then names it).
const TEMPORARY_IMAGE = /^(blob|data):/i;
const adopting = new Map();      // id -> the temporary address being taken in
const droppedNames = new Map();  // blob address -> the dropped file's name
const loadedImages = new WeakSet();  // the images the loaded item held
const settledWaiters = [];
let adoptSerial = 0;

function toBase64(buffer) {
  const bytes = new Uint8Array(buffer);
  let binary = '';
  for (let i = 0; i < bytes.length; i += 0x8000) {
    binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
  }
  return btoa(binary);
}

function postToSurface(message) {
  try { window.webkit.messageHandlers[CHANNEL].postMessage(message); } catch (e) {}
}

function adoptImages() {
  if (!document.body) return;
  const busy = new Set(adopting.values());
  for (const img of document.body.querySelectorAll('img')) {
    const src = img.getAttribute('src') || '';
    if (!TEMPORARY_IMAGE.test(src) || busy.has(src)) continue;
    busy.add(src);
    const id = String(++adoptSerial);
    adopting.set(id, src);
    const name = droppedNames.get(src) || '';
    const pasted = !loadedImages.has(img);
    fetch(src).then((answer) => answer.arrayBuffer()).then(
        (buffer) => postToSurface({adopt: id, name: name, pasted: pasted, data: toBase64(buffer)}),
        (error) => postToSurface({adopt: id, name: name, pasted: pasted, failed: String(error)}));
  }
}

// The surface's answer for one image: the address that shows its file, or
// nothing when it was refused, which removes it.
P.adopted = function (id, address) {
  const src = adopting.get(id);
  adopting.delete(id);
  if (src !== undefined && document.body) {
    for (const img of Array.from(document.body.querySelectorAll('img'))) {
      if (img.getAttribute('src') !== src) continue;
      if (address) img.setAttribute('src', address);
      else if (!loadedImages.has(img)) img.remove();
    }
    droppedNames.delete(src);
  }
  if (!adopting.size) settledWaiters.splice(0).forEach((resolve) => resolve(true));
};

// Resolves once no image is being taken in; after a deadline in any case,
// so a fetch that never ends cannot hold a save (the save then refuses the
// temporary address itself).
P.imagesSettled = function () {
  adoptImages();
  if (!adopting.size) return Promise.resolve(true);
  return new Promise((resolve) => {
    settledWaiters.push(resolve);
    setTimeout(() => resolve(false), 15000);
  });
};

const imageWatch = new MutationObserver(adoptImages);
function watchImages() {
  if (document.body) for (const img of document.body.querySelectorAll('img')) loadedImages.add(img);
  adoptImages();
  imageWatch.observe(document, {subtree: true, childList: true, attributes: true, attributeFilter: ['src']});
}
if (document.readyState === 'loading') {
  document.addEventListener('DOMContentLoaded', watchImages);
} else {
  watchImages();
}

// Image files dropped from the file manager go in where they were dropped,
// as images of their own name; other drops keep the engine's way.
document.addEventListener('drop', (event) => {
  const files = event.dataTransfer ? Array.from(event.dataTransfer.files || []) : [];
  const images = files.filter((file) => /^image\//.test(file.type));
  if (!images.length) return;
  event.preventDefault();
  const range = document.caretRangeFromPoint ? document.caretRangeFromPoint(event.clientX, event.clientY) : null;
  if (range) {
    const s = window.getSelection();
    s.removeAllRanges();
    s.addRange(range);
  }
  let html = '';
  for (const file of images) {
    const address = URL.createObjectURL(file);
    droppedNames.set(address, file.name);
    html += '<img src="' + address + '">';
  }
  document.execCommand('insertHTML', false, html);
}, true);
