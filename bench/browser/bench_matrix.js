// The matrix both browser measures use: integers from -9 to 9, the diagonal nonzero, the
// same for every order from one fixed seed; its rows joined by `lineBreak`.
'use strict';

function matrixText(n, lineBreak) {
  let seed = 20261206;
  const rows = [];
  for (let r = 0; r < n; r++) {
    const row = [];
    for (let c = 0; c < n; c++) {
      seed = (seed * 1103515245 + 12345) % 2147483648;
      const value = (seed >> 8) % 19 - 9;
      row.push(r === c && value === 0 ? 1 : value);
    }
    rows.push(row.join(' '));
  }
  return rows.join(lineBreak);
}

module.exports = { matrixText };
