// The editing surface's page script, fifth part: finding and replacing the
// text as it is shown (counts.js, which runs after it, watches the changes
// that make the text read afresh).
//
// The text as shown is the body's text nodes in document order, their
// white space collapsed as the page shows it (kept inside PRE), with a line
// break between blocks; formatting in the middle of a word does not break
// it. Each text node's part of it is a segment that maps the shown text
// back to the node's offsets, so a match becomes a DOM range.
/* global CHIP_CLASS, chipFor, ownStep, noteChanges, Highlight, CSSStyleSheet, StaticRange */

const SHOWN_BLOCKS = /^(ADDRESS|ARTICLE|ASIDE|BLOCKQUOTE|BODY|CAPTION|CENTER|DD|DIV|DL|DT|FIELDSET|FIGCAPTION|FIGURE|FOOTER|FORM|H[1-6]|HEADER|HR|LI|MAIN|NAV|OL|P|PRE|SECTION|TABLE|TBODY|TD|TFOOT|TH|THEAD|TR|UL)$/;
const NOT_SHOWN = /^(SCRIPT|STYLE|NOSCRIPT|TEMPLATE|TITLE)$/;
const KEPT_SPACE = /^(PRE|TEXTAREA|LISTING|XMP)$/;
const SPACES = /[ \t\n\r\f]+/g;
const WORD_CHAR = /[\p{L}\p{N}_]/u;

// A chip stands for a block of server code: no text of the item.
function isChip(element) {
  return element.className === CHIP_CLASS && !!chipFor(element.dataset.block || '');
}

// --- the text as shown -------------------------------------------------------

let shown = null;  // {text, folded, segments: [{node, at, end, runs}]}

function collectShown() {
  const pieces = [];
  const segments = [];
  let length = 0, pendingBreak = false, lastSpace = true, kept = 0;
  const lineBreak = () => { if (length > 0) pendingBreak = true; };
  const addText = (node) => {
    const data = node.data;
    if (!data) return;
    if (pendingBreak) lastSpace = true;
    let out = data, runs = null;
    if (!kept) {
      // Runs of white space shown as one space; `runs` maps the shown
      // offsets back where they no longer match the node's.
      out = '';
      let from = 0;
      SPACES.lastIndex = 0;
      for (let m = SPACES.exec(data); m; m = SPACES.exec(data)) {
        if (m.index > from) { out += data.slice(from, m.index); lastSpace = false; }
        if (!lastSpace) { out += ' '; lastSpace = true; }
        from = m.index + m[0].length;
        if (!runs) runs = [];
        runs.push(out.length, from);
      }
      if (from < data.length) { out += data.slice(from); lastSpace = false; }
      if (runs && runs.every((v, i) => i % 2 === 1 || v === runs[i + 1])) runs = null;
    } else {
      lastSpace = false;
    }
    if (!out) return;
    if (pendingBreak) { pieces.push('\n'); ++length; pendingBreak = false; }
    segments.push({node: node, at: length, end: length + out.length, runs: runs});
    pieces.push(out);
    length += out.length;
  };
  const walk = (parent) => {
    for (let child = parent.firstChild; child; child = child.nextSibling) {
      if (child.nodeType === 3) { addText(child); continue; }
      if (child.nodeType !== 1) continue;
      const tag = child.tagName;
      if (NOT_SHOWN.test(tag) || isChip(child)) continue;
      if (tag === 'BR') { lineBreak(); continue; }
      const block = SHOWN_BLOCKS.test(tag);
      const keeps = KEPT_SPACE.test(tag);
      if (block) lineBreak();
      if (keeps) ++kept;
      walk(child);
      if (keeps) --kept;
      if (block) lineBreak();
    }
  };
  if (document.body) walk(document.body);
  const text = pieces.join('');
  return {text: text, folded: folded(text), segments: segments};
}

// Lower case of the same length, so offsets stay the same.
function folded(text) {
  const lower = text.toLowerCase();
  if (lower.length === text.length) return lower;
  let out = '';
  for (const c of text) {
    const l = c.toLowerCase();
    out += l.length === c.length ? l : c;
  }
  return out;
}

function shownText() {
  noteChanges();
  if (!shown) shown = collectShown();
  return shown;
}

// The node offset of the segment's `k`th shown character.
function nodeOffset(segment, k) {
  const runs = segment.runs;
  if (!runs) return k;
  // runs: pairs (shown offset, node offset) where a collapsed run ended.
  let node = k, i = 0;
  while (i < runs.length && runs[i] <= k) {
    node = runs[i + 1] + (k - runs[i]);
    i += 2;
  }
  return Math.min(node, segment.node.data.length);
}

function segmentAt(segments, index) {
  let lo = 0, hi = segments.length - 1;
  while (lo < hi) {
    const mid = (lo + hi + 1) >> 1;
    if (segments[mid].at <= index) lo = mid; else hi = mid - 1;
  }
  return segments[lo];
}

// The shown text [from, to) as a static range: the engine keeps live
// ranges up to date at every change of the document, which thousands of
// matches would make cost at every keystroke.
function rangeOf(from, to) {
  const segments = shown.segments;
  const first = segmentAt(segments, from), last = segmentAt(segments, to - 1);
  return new StaticRange({startContainer: first.node, startOffset: nodeOffset(first, from - first.at),
                          endContainer: last.node, endOffset: nodeOffset(last, to - 1 - last.at) + 1});
}

function liveRange(r) {
  const range = document.createRange();
  range.setStart(r.startContainer, r.startOffset);
  range.setEnd(r.endContainer, r.endOffset);
  return range;
}

function isWordAt(text, i) {
  return i >= 0 && i < text.length && WORD_CHAR.test(text[i]);
}

// Where `query` occurs in the text as shown, as [start, end) pairs.
function occurrences(query, matchCase, wholeWords) {
  const s = shownText();
  const hay = matchCase ? s.text : s.folded;
  const needle = matchCase ? query : folded(query);
  const found = [];
  if (!needle) return found;
  for (let i = hay.indexOf(needle); i >= 0; i = hay.indexOf(needle, i + 1)) {
    const end = i + needle.length;
    if (wholeWords && ((isWordAt(s.text, i - 1) && isWordAt(s.text, i)) ||
                       (isWordAt(s.text, end - 1) && isWordAt(s.text, end)))) {
      continue;
    }
    found.push(i, end);
    i = end - 1;
  }
  return found;
}

// --- finding ---------------------------------------------------------------------

const HAS_HIGHLIGHTS = typeof Highlight === 'function' && typeof CSS !== 'undefined' && !!CSS.highlights;
const search = {key: null, args: null, ranges: [], current: -1};
let marks = null;  // {found, current}: the two highlights, registered once

// The marks live in the page's highlight registry and a style sheet of
// their own, neither of which is part of the document: nothing of them is
// saved. Each highlight is one object changed in place, as the engine
// repaints the ranges a highlight loses only then.
function showHighlights() {
  if (!HAS_HIGHLIGHTS) return;
  if (!marks) {
    marks = {found: new Highlight(), current: new Highlight()};
    CSS.highlights.set('pellora-found', marks.found);
    CSS.highlights.set('pellora-current', marks.current);
    if (document.adoptedStyleSheets) {
      const sheet = new CSSStyleSheet();
      sheet.replaceSync('::highlight(pellora-found){background-color:#fce94f;color:#000}' +
                        '::highlight(pellora-current){background-color:#f57900;color:#fff}');
      document.adoptedStyleSheets = document.adoptedStyleSheets.concat([sheet]);
    }
  }
  marks.found.clear();
  marks.current.clear();
  for (const range of search.ranges) marks.found.add(range);
  const current = search.ranges[search.current];
  if (current) marks.current.add(current);
}

function clearHighlights() {
  if (!marks) return;
  marks.found.clear();
  marks.current.clear();
}

function searchFor(query, matchCase, wholeWords) {
  search.args = [query, matchCase, wholeWords];
  noteChanges();
  const key = JSON.stringify([query, matchCase, wholeWords]);
  if (search.key === key && shown) return;
  const found = occurrences(query, matchCase, wholeWords);
  search.ranges = [];
  for (let i = 0; i < found.length; i += 2) search.ranges.push(rangeOf(found[i], found[i + 1]));
  search.key = key;
  search.current = -1;
}

function selectedRange() {
  const s = selection();
  return s ? s.getRangeAt(0) : null;
}

function sameRange(a, b) {
  return !!a && !!b && a.startContainer === b.startContainer && a.startOffset === b.startOffset &&
      a.endContainer === b.endContainer && a.endOffset === b.endOffset;
}

// The first match that starts at or after the selection's start (direction
// 0), the same but past a match that is the selection (1), or the last one
// that starts before the selection (-1).
function matchNearSelection(direction) {
  const ranges = search.ranges;
  const at = selectedRange();
  if (!at) return direction < 0 ? ranges.length - 1 : 0;
  const start = at.cloneRange();
  start.collapse(true);
  let lo = 0, hi = ranges.length;
  while (lo < hi) {
    const mid = (lo + hi) >> 1;
    // Where the match starts, against the selection's start.
    const order = start.comparePoint(ranges[mid].startContainer, ranges[mid].startOffset);
    if (order < 0 || (order === 0 && direction > 0 && sameRange(ranges[mid], at))) lo = mid + 1;
    else hi = mid;
  }
  if (direction < 0) return (lo - 1 + ranges.length) % ranges.length;
  return lo % ranges.length;
}

function selectMatch(index) {
  search.current = index;
  const range = search.ranges[index];
  if (!range) return;
  const s = window.getSelection();
  s.removeAllRanges();
  const live = liveRange(range);
  s.addRange(live);
  const box = live.getBoundingClientRect();
  if (box.top < 0 || box.bottom > window.innerHeight) window.scrollBy(0, box.top - window.innerHeight / 3);
  if (box.left < 0 || box.right > window.innerWidth) window.scrollBy(box.left - window.innerWidth / 3, 0);
}

function answer(replaced) {
  return {count: search.ranges.length, index: search.current + 1, replaced: replaced || 0};
}

// Finds `query` and selects a match: `step` 0 the first from the selection
// on, 1 the next, -1 the one before. Answers the count and the match's
// number (1-based).
P.find = function (query, matchCase, wholeWords, step) {
  if (!query) {
    P.endFind();
    return answer();
  }
  const before = search.key;
  searchFor(query, matchCase, wholeWords);
  const n = search.ranges.length;
  if (n) {
    const current = search.ranges[search.current];
    if (search.key === before && current && step !== 0 && sameRange(current, selectedRange())) {
      selectMatch((search.current + step + n) % n);
    } else {
      selectMatch(matchNearSelection(step === 0 ? 0 : step));
    }
  }
  showHighlights();
  return answer();
};

// Replaces the selected match as typing would (one step of the engine's
// undo history) and selects the next; without a match selected, only
// selects the next.
P.replace = function (query, matchCase, wholeWords, text) {
  searchFor(query, matchCase, wholeWords);
  const current = search.ranges[search.current];
  if (!current || !sameRange(current, selectedRange())) return P.find(query, matchCase, wholeWords, 0);
  if (text) document.execCommand('insertText', false, text);
  else document.execCommand('delete');
  noteChanges();
  searchFor(query, matchCase, wholeWords);
  if (search.ranges.length) selectMatch(matchNearSelection(0));
  showHighlights();
  return answer(1);
};

// A match across formatting leaves the formatting of its end empty: it
// goes, up to the block.
function dropEmpty(node) {
  while (node && node !== document.body && node.parentNode &&
         (node.nodeType === 3 ? !node.data : !node.firstChild && INLINE_FORMAT.test(node.tagName))) {
    const parent = node.parentNode;
    node.remove();
    node = parent;
  }
}
const INLINE_FORMAT = /^(A|ABBR|B|BIG|CITE|CODE|EM|FONT|I|KBD|MARK|Q|S|SAMP|SMALL|SPAN|STRIKE|STRONG|SUB|SUP|TT|U|VAR)$/;

// Replaces every match as one step of the undo history.
P.replaceAll = function (query, matchCase, wholeWords, text) {
  searchFor(query, matchCase, wholeWords);
  const ranges = search.ranges.slice();
  if (!ranges.length) return answer();
  ownStep(() => {
    // Last first: the ranges before stay where they are.
    for (let i = ranges.length - 1; i >= 0; --i) {
      const range = liveRange(ranges[i]);
      const node = range.startContainer, offset = range.startOffset, last = range.endContainer;
      range.deleteContents();
      if (text) node.insertData(offset, text);
      if (last !== node) dropEmpty(last);
    }
  });
  const s = window.getSelection();
  const last = ranges[ranges.length - 1];
  if (last.startContainer.isConnected) s.collapse(last.startContainer, Math.min(last.startOffset + text.length, last.startContainer.length));
  noteChanges();
  searchFor(query, matchCase, wholeWords);
  showHighlights();
  return answer(ranges.length);
};

// The bar closed: no more marks; the selection stays where it is.
P.endFind = function () {
  search.args = null;
  clearHighlights();
  search.key = null;
  search.ranges = [];
  search.current = -1;
};
