// Opens the page that `torvane --html` writes for the 3 x 3 example in the system's
// headless Chromium, from disk, and checks what a reader sees: step 1 first, the -> key
// and #step=2 going to step 2, the entries that pass changed highlighted, no script
// errors. Usage: node page_test.js TORVANE [--screenshot FILE] [--measure N ...]
'use strict';
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { launchChromium } = require('./chromium.js');

const [program, ...rest] = process.argv.slice(2);
const torvane = path.resolve(program);
const option = name => (rest.includes(name) ? rest[rest.indexOf(name) + 1] : undefined);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'torvane-page-'));

function writePage(order, entries) {
  const page = path.join(work, `page-${order}.html`);
  fs.writeFileSync(path.join(work, 'matrix.txt'), `${order}\n${entries}`);
  execFileSync(torvane, ['--html', page, 'matrix.txt'], { cwd: work });
  return 'file://' + page;
}

async function openPage(browser, url, errors) {
  const page = await browser.newPage();
  page.on('pageerror', error => errors.push(String(error)));
  page.on('console', message => message.type() === 'error' && errors.push(message.text()));
  await page.setViewport({ width: 900, height: 370 });
  await page.goto(url);
  await page.waitForSelector('body[data-ready=yes]');
  return page;
}

const shown = page =>
  page.evaluate(() => ({
    where: document.getElementById('where').textContent,
    heading: document.querySelector('#view h2').textContent,
    hash: location.hash,
    pivot: [...document.querySelectorAll('td.pivot')].map(td => td.textContent),
    changed: [...document.querySelectorAll('td.changed')].map(td => td.textContent),
    zeroed: [...document.querySelectorAll('td.zeroed')].map(td => td.textContent),
  }));

async function checkExample(browser) {
  const url = writePage(3, '0 1 2  0 3 4  5 6 8');
  const errors = [];
  const page = await openPage(browser, url, errors);
  const first = await shown(page);
  assert.equal(first.where, 'step 1 of 4');
  assert.equal(first.heading, 'Step 1: forward, pivot column 1');
  assert.deepEqual(first.pivot, ['5']);  // the pivot after row 3 was added to row 1

  await page.keyboard.press('ArrowRight');
  const second = await shown(page);
  assert.equal(second.where, 'step 2 of 4');
  assert.equal(second.hash, '#step=2');
  assert.deepEqual(second.pivot, ['3']);
  // Row 3 += 1/3 x row 2: its last three entries change; the 1e-6 rule zeroes (3, 2).
  assert.deepEqual(second.changed, ['-0.666667', '0.333333']);
  assert.deepEqual(second.zeroed, ['0']);
  if (option('--screenshot')) await page.screenshot({ path: path.resolve(option('--screenshot')) });

  const linked = await openPage(browser, url + '#step=2', errors);
  assert.equal((await shown(linked)).where, 'step 2 of 4');
  assert.deepEqual(errors, []);
}

// Seconds from asking for the page of order n to its first step on screen.
async function openTime(browser, n) {
  const entries = Array.from({ length: n * n }, (_, i) => (((i * 7919) % 2003) / 97 - 10).toFixed(2)).join(' ');
  const url = writePage(n, entries);
  const started = process.hrtime.bigint();
  const page = await openPage(browser, url, []);
  const seconds = Number(process.hrtime.bigint() - started) / 1e9;
  await page.close();
  return { n, seconds, bytes: fs.statSync(url.slice(7)).size };
}

(async () => {
  const browser = await launchChromium();
  try {
    if (option('--measure')) {
      for (const n of rest.slice(rest.indexOf('--measure') + 1).map(Number))
        console.log(JSON.stringify(await openTime(browser, n)));
    } else {
      await checkExample(browser);
      console.log('page test passed');
    }
  } finally {
    await browser.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
})().catch(error => {
  console.error(error);
  process.exit(1);
});
