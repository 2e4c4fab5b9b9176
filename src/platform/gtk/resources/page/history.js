// The editing surface's page script, fourth part: one undo history. Our own
// changes (table steps, a link's address, an image's attributes, mended
// list nesting) go onto the engine's own undo stack as items of their own,
// so undo and redo take the user's edits back in the order they were made,
// whoever made them. An item takes back exactly the mutations its change
// made, to the same nodes, so the engine's steps around it still find the
// nodes they refer to. See state.js for how the parts are run.
/* global UndoItem */

// What takes back one recorded mutation; applying it gives what takes that
// back in turn.
function inverseOf(record) {
  switch (record.type) {
    case 'attributes':
      return {kind: 'attr', target: record.target, name: record.attributeName, value: record.oldValue};
    case 'characterData':
      return {kind: 'text', target: record.target, value: record.oldValue};
    default:
      return {kind: 'nodes', parent: record.target, next: record.nextSibling,
              insert: Array.from(record.removedNodes), remove: Array.from(record.addedNodes)};
  }
}

function applyMutation(m) {
  switch (m.kind) {
    case 'attr': {
      const now = m.target.getAttribute(m.name);
      if (m.value === null) m.target.removeAttribute(m.name); else m.target.setAttribute(m.name, m.value);
      return {kind: 'attr', target: m.target, name: m.name, value: now};
    }
    case 'text': {
      const now = m.target.data;
      m.target.data = m.value;
      return {kind: 'text', target: m.target, value: now};
    }
    default:
      for (const node of m.remove) node.remove();
      for (const node of m.insert) m.parent.insertBefore(node, m.next && m.next.parentNode === m.parent ? m.next : null);
      return {kind: 'nodes', parent: m.parent, next: m.next, insert: m.remove, remove: m.insert};
  }
}

// Takes a change back: its inverses last first. Gives what redoes it.
function undoAll(inverses) {
  const redo = [];
  for (let i = inverses.length - 1; i >= 0; --i) redo.unshift(applyMutation(inverses[i]));
  return redo;
}

// Makes a change again: its mutations first first. Gives their inverses.
function redoAll(mutations) {
  return mutations.map(applyMutation);
}

function keptRange() {
  const s = selection();
  return s ? s.getRangeAt(0).cloneRange() : null;
}

function putRange(range) {
  if (!range || !document.body.contains(range.startContainer) ||
      !document.body.contains(range.endContainer)) {
    return;
  }
  const s = window.getSelection();
  s.removeAllRanges();
  s.addRange(range);
}

const HAS_UNDO_ITEMS = typeof UndoItem === 'function' && !!document.undoManager;

// Runs `change` (which mutates the document) as one step of the history.
// `onUndo` runs after the step was taken back.
function ownStep(change, onUndo) {
  const recorder = new MutationObserver(() => {});
  recorder.observe(document, {subtree: true, childList: true, attributes: true,
                              attributeOldValue: true, characterData: true, characterDataOldValue: true});
  const rangeBefore = keptRange();
  let records;
  try {
    change();
  } finally {
    records = recorder.takeRecords();
    recorder.disconnect();
  }
  if (!records.length || !HAS_UNDO_ITEMS) return;
  const rangeAfter = keptRange();
  let undo = records.map(inverseOf);
  let redo = null;
  document.undoManager.addItem(new UndoItem({
    label: '',
    undo: () => {
      redo = undoAll(undo);
      putRange(rangeBefore);
      if (onUndo) onUndo();
    },
    redo: () => {
      undo = redoAll(redo);
      putRange(rangeAfter);
    }
  }));
}

// A list command followed by the mending of its nesting is one step for the
// user: taking the mend back takes the command back with it, and redoing
// the command redoes the mend.
let mendUndone = false;
P.undo = function () {
  mendUndone = false;
  document.execCommand('undo');
  if (mendUndone) {
    mendUndone = false;
    document.execCommand('undo');
  }
  return P.state(false);
};

P.redo = function () {
  document.execCommand('redo');
  if (brokenNesting().length && document.queryCommandEnabled('redo')) document.execCommand('redo');
  return P.state(false);
};
