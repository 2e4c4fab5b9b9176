// The editing surface's page script, third part: rows, columns and cells of
// the table at the caret, each change one step of the undo history. See state.js
// for how the parts are run.
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

// A new row as wide as `row`.
function rowLike(row) {
  const fresh = document.createElement('tr');
  let width = 0;
  for (const c of row.cells) width += c.colSpan;
  for (let i = 0; i < width; ++i) fresh.appendChild(newCell(row.cells[0]));
  return fresh;
}

const TABLE_OPS = {
  // A row above the caret's.
  insertRow(cell, row) {
    row.parentNode.insertBefore(rowLike(row), row);
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
  ownStep(() => TABLE_OPS[op](cell, row, table));
  return P.state(false);
};

// In a table Tab and Shift+Tab go to the next and the previous cell, as in
// desktop editors (the engine would insert a tab into the cell, and it
// would be stored); Tab in the last cell adds a row. Outside a table Tab
// keeps the engine's way.
function selectCell(cell) {
  const range = document.createRange();
  range.selectNodeContents(cell);
  if (isBlank(cell)) range.collapse(true);
  const s = window.getSelection();
  s.removeAllRanges();
  s.addRange(range);
}

document.addEventListener('keydown', (event) => {
  // Shift+Tab arrives as an unidentified key (its key symbol is the
  // left tab), but its code and key code are the Tab key's.
  const tab = event.key === 'Tab' || event.code === 'Tab' || event.keyCode === 9;
  if (!tab || event.ctrlKey || event.altKey || event.metaKey) return;
  const cell = caretCell();
  if (!cell) return;
  event.preventDefault();
  const table = cell.closest('table');
  const cells = Array.from(table.rows).flatMap((r) => Array.from(r.cells));
  let next = cells[cells.indexOf(cell) + (event.shiftKey ? -1 : 1)];
  if (!next && !event.shiftKey) {
    const row = cell.parentNode;
    const fresh = rowLike(row);
    ownStep(() => row.parentNode.insertBefore(fresh, row.nextSibling));
    next = fresh.cells[0];
  }
  if (next) selectCell(next);
}, true);
