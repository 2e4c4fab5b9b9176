// The editing surface's page script, third part: rows, columns and cells of
// the table at the caret, each change one step of our own undo. See state.js
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
