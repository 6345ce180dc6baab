// One press of 计算 in the page, as a user makes it (the step view asked for, the report
// shown in the result box), in a new headless Chromium for each order: the browser's peak
// memory, the sum of the peak resident size of every process of its tree (an upper bound:
// each process's peak is counted as if all came at once), and the longest time the page's
// main thread was busy without a break while the run ended and its report was shown.
// Measures only; checks nothing.
// Usage: node web_memory.js PAGE N [N ...]
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const { launchChromium } = require('../../tests/browser/chromium.js');
const { matrixText } = require('./bench_matrix.js');

const [pageFile, ...orders] = process.argv.slice(2);

// Every process below `root`, itself included.
function processTree(root) {
  const children = new Map();
  for (const entry of fs.readdirSync('/proc').filter(name => /^\d+$/.test(name))) {
    try {
      const parent = Number(fs.readFileSync(`/proc/${entry}/stat`, 'utf8').replace(/^.*\) /s, '').split(' ')[1]);
      if (!children.has(parent)) children.set(parent, []);
      children.get(parent).push(Number(entry));
    } catch (gone) { /* ended meanwhile */ }
  }
  const tree = [root];
  for (let i = 0; i < tree.length; i++) tree.push(...(children.get(tree[i]) || []));
  return tree;
}

function peakKilobytes(pid) {
  try {
    const match = /VmHWM:\s+(\d+) kB/.exec(fs.readFileSync(`/proc/${pid}/status`, 'utf8'));
    return match ? Number(match[1]) : 0;
  } catch (gone) {
    return 0;
  }
}

async function pressOnce(order) {
  const browser = await launchChromium();
  try {
    const page = await browser.newPage();
    await page.goto('file://' + path.resolve(pageFile));
    await page.waitForSelector('body[data-ready=yes]');
    await page.$eval('#dimension', (box, n) => { box.value = n; }, String(order));
    await page.$eval('#data', (box, text) => { box.value = text; }, matrixText(order, '\n'));
    const longest = await page.evaluate(() => new Promise(resolve => {
      let longestTask = 0;
      new PerformanceObserver(list => {
        for (const task of list.getEntries()) longestTask = Math.max(longestTask, task.duration);
      }).observe({ type: 'longtask' });
      const start = performance.now();
      // The run is over when the progress line is emptied; the page is drawn after that.
      new MutationObserver((changes, observer) => {
        if (document.getElementById('progress').textContent !== '') return;
        observer.disconnect();
        requestAnimationFrame(() => setTimeout(() => resolve({ longestTask, ms: performance.now() - start }), 0));
      }).observe(document.getElementById('progress'), { childList: true, subtree: true, characterData: true });
      document.getElementById('compute').click();
    }));
    const report = await page.$eval('#result', box => (/the report is ([\d.]+ MB)/.exec(box.value) || ['', 'under 1 MB'])[1]);
    const browserPeak = processTree(browser.process().pid).reduce((sum, pid) => sum + peakKilobytes(pid), 0);
    console.log(`N=${order}: report ${report}, ${longest.ms.toFixed(0)} ms to the report in view;` +
      ` longest busy main thread ${longest.longestTask.toFixed(0)} ms; browser peak ${(browserPeak / 1024).toFixed(0)} MB`);
  } finally {
    await browser.close();
  }
}

(async () => {
  for (const order of orders.map(Number)) await pressOnce(order);
})().catch(error => {
  console.error(error);
  process.exit(1);
});
