// The editing surface's page script, sixth part: the counts of the editor's
// status line, and the watch on changes that find.js and the counts share.
//
// Counts are kept per block (its own text, nested blocks apart) and summed;
// a change recounts only the blocks it touched, once the page is idle, and
// posts the counts on the CHANNEL + '-counts' channel. Marks of a search
// that edits moved are set anew at the same time.
/* global CHANNEL, SHOWN_BLOCKS, NOT_SHOWN, SPACES, isChip, shown, search, searchFor, showHighlights, selection */

const blockCounts = new Map();  // block element -> {words, chars} of its own text
const dirtyBlocks = new Set();
let totals = {words: 0, chars: 0};
let counted = false;
let countTimer = 0;
const COUNT_DELAY_MS = 250;

function isBlock(element) {
  return element === document.body || SHOWN_BLOCKS.test(element.tagName);
}

function blockOf(node) {
  for (let e = node.nodeType === 1 ? node : node.parentElement; e; e = e.parentElement) {
    if (isBlock(e)) return e;
  }
  return null;
}

// Words and characters of text whose white space is already collapsed.
function countText(text) {
  const trimmed = text.trim();
  if (!trimmed) return {words: 0, chars: 0};
  const words = (trimmed.match(/\S+/g) || []).length;
  let chars = trimmed.length;
  for (let i = 0; i < trimmed.length; ++i) {
    const c = trimmed.charCodeAt(i);
    if (c >= 0xd800 && c <= 0xdbff) --chars;
  }
  return {words: words, chars: chars};
}

// A block's own text: nested blocks apart, a line break as a space.
function ownCounts(block) {
  const pieces = [];
  const walk = (parent) => {
    for (let child = parent.firstChild; child; child = child.nextSibling) {
      if (child.nodeType === 3) { pieces.push(child.data); continue; }
      if (child.nodeType !== 1) continue;
      if (child.tagName === 'BR') { pieces.push(' '); continue; }
      if (isBlock(child) || NOT_SHOWN.test(child.tagName) || isChip(child)) {
        pieces.push(' ');
        continue;
      }
      walk(child);
    }
  };
  walk(block);
  return countText(pieces.join('').replace(SPACES, ' '));
}

function recount(block) {
  const before = blockCounts.get(block);
  if (before) { totals.words -= before.words; totals.chars -= before.chars; }
  if (!block.isConnected || !document.body || !document.body.contains(block)) {
    blockCounts.delete(block);
    return;
  }
  const now = ownCounts(block);
  blockCounts.set(block, now);
  totals.words += now.words;
  totals.chars += now.chars;
}

function countAll() {
  blockCounts.clear();
  dirtyBlocks.clear();
  totals = {words: 0, chars: 0};
  if (!document.body) return;
  recount(document.body);
  for (const e of document.body.getElementsByTagName('*')) if (SHOWN_BLOCKS.test(e.tagName)) recount(e);
  counted = true;
}

// Whether nodes added or removed change their parent block's own text:
// blocks do not, nor does blank text that a block or the block's own edge
// stands beside (a new paragraph in a body of thousands leaves the body's
// own text alone).
function touchesOwnText(record) {
  const edge = (node) => !node || (node.nodeType === 1 && isBlock(node));
  const blankHarmless = isBlock(record.target) &&
      (edge(record.previousSibling) || edge(record.nextSibling));
  const touches = (node) => node.nodeType === 3 ? !blankHarmless || /\S/.test(node.data)
      : node.nodeType === 1 && !isBlock(node) && !NOT_SHOWN.test(node.tagName);
  for (const node of record.removedNodes) if (touches(node)) return true;
  for (const node of record.addedNodes) if (touches(node)) return true;
  return false;
}

function forgetBlocksIn(node) {
  if (node.nodeType !== 1) return;
  if (blockCounts.has(node)) dirtyBlocks.add(node);
  for (const e of node.getElementsByTagName('*')) if (blockCounts.has(e)) dirtyBlocks.add(e);
}

function noteBlocksIn(node) {
  if (node.nodeType !== 1) return;
  if (isBlock(node)) dirtyBlocks.add(node);
  for (const e of node.getElementsByTagName('*')) if (SHOWN_BLOCKS.test(e.tagName)) dirtyBlocks.add(e);
}

// What changed since: the shown text is read afresh, the blocks it
// touched are counted again later.
function takeRecords(records) {
  if (!records.length) return;
  shown = null;
  search.key = null;
  for (const r of records) {
    if (r.type === 'attributes') continue;
    if (r.type !== 'childList' || touchesOwnText(r)) {
      const block = blockOf(r.target);
      if (block) dirtyBlocks.add(block);
    }
    if (r.type !== 'childList') continue;
    for (const node of r.removedNodes) forgetBlocksIn(node);
    for (const node of r.addedNodes) noteBlocksIn(node);
  }
}

const changeWatch = new MutationObserver((records) => {
  takeRecords(records);
  scheduleCounts();
});

function noteChanges() {
  takeRecords(changeWatch.takeRecords());
}

function selectionCounts() {
  const s = selection();
  if (!s || s.isCollapsed) return null;
  return countText(s.toString().replace(SPACES, ' '));
}

function currentCounts() {
  noteChanges();
  if (!counted) countAll();
  for (const block of dirtyBlocks) recount(block);
  dirtyBlocks.clear();
  const selected = selectionCounts();
  return {words: totals.words, chars: totals.chars,
          selWords: selected ? selected.words : -1, selChars: selected ? selected.chars : -1};
}
P.counts = currentCounts;

// The counts from scratch, for comparison with the kept ones.
P.countsAfresh = function () {
  countAll();
  return {words: totals.words, chars: totals.chars};
};

// Marks of a search that edits moved, set anew once the page rests.
function remark() {
  if (!search.args || search.key) return;
  searchFor(...search.args);
  showHighlights();
}

function postCounts() {
  countTimer = 0;
  remark();
  try {
    window.webkit.messageHandlers[CHANNEL + '-counts'].postMessage(currentCounts());
  } catch (e) {}
}

// Counted once the page has rested a moment: never within a keystroke.
function scheduleCounts() {
  if (document.readyState !== 'complete') return;
  if (countTimer) clearTimeout(countTimer);
  countTimer = setTimeout(postCounts, COUNT_DELAY_MS);
}

function startCounting() {
  // Attributes count nothing, but the surface hears of their change and
  // expects the counts after it.
  changeWatch.observe(document, {subtree: true, childList: true, characterData: true, attributes: true});
  scheduleCounts();
}
if (document.readyState === 'complete') startCounting();
else window.addEventListener('load', startCounting);
document.addEventListener('selectionchange', scheduleCounts);
