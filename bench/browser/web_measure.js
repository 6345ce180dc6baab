// Times the same run in the page (window.torvane.run in headless Chromium, the worker's
// messages and the report's handing over included) and in the console program
// (torvane --raw to /dev/null), on the same matrix: integers from -9 to 9, the diagonal
// nonzero. Prints the page's first run, each later one handed the report of the one before
// as room (as the page's button does), and the median of three of each. Measures only;
// checks nothing.
// Usage: node web_measure.js PAGE TORVANE N [N ...]
'use strict';
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { launchChromium, scratchDirectory } = require('../../tests/browser/chromium.js');
const { matrixText } = require('./bench_matrix.js');

const [pageFile, program, ...orders] = process.argv.slice(2);
const torvane = path.resolve(program);
const work = scratchDirectory('torvane-measure-');  // removed when this process exits

const median = times => times.sort((a, b) => a - b)[Math.floor(times.length / 2)];

function nativeMilliseconds(n, dataFile) {
  const start = process.hrtime.bigint();
  execFileSync('sh', ['-c', `"${torvane}" --raw --dimension ${n} --data-file "${dataFile}" > /dev/null`], { cwd: work });
  return Number(process.hrtime.bigint() - start) / 1e6;
}

async function main() {
  const browser = await launchChromium();
  try {
    const page = await browser.newPage();
    await page.goto('file://' + path.resolve(pageFile));
    await page.waitForSelector('body[data-ready=yes]');
    await page.evaluate(() => window.torvane.run('1', '1'));  // the engine loaded once
    for (const order of orders.map(Number)) {
      const data = matrixText(order, '\r\n');
      const dataFile = path.join(work, 'matrix.txt');
      fs.writeFileSync(dataFile, data);
      const inPage = [], native = [];
      let status = '', bytes = 0, first = 0;
      await page.evaluate(() => { window.lastReport = null; });
      for (let i = 0; i < 4; i++) {
        const run = await page.evaluate(async (n, text) => {
          const start = performance.now();
          const room = window.lastReport && window.lastReport.buffer;
          const answer = await window.torvane.run(String(n), text, { room });
          window.lastReport = answer.report;
          return { ms: performance.now() - start, status: answer.status, bytes: answer.report.length };
        }, order, data);
        if (i === 0) first = run.ms;
        else inPage.push(run.ms);
        ({ status, bytes } = run);
        if (status !== 'completed') break;
        native.push(nativeMilliseconds(order, dataFile));
      }
      console.log(`N=${order}: ${status}, report ${(bytes / 1048576).toFixed(1)} MB; page ${first.toFixed(0)} ms first,` +
        ` ${inPage.length ? median(inPage).toFixed(0) : '-'} ms with the last report's room,` +
        ` console ${native.length ? median(native).toFixed(0) + ' ms' : '-'}`);
    }
  } finally {
    await browser.close();
  }
}

main().catch(error => {
  console.error(error);
  process.exit(1);
});
