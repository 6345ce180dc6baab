// Opens the page scripts/web builds (dist/web/index.html) from disk in the system's
// headless Chromium and Firefox ESR and uses it as a program and as a person would: every
// case of the report corpus through window.torvane.run, byte for byte; the boxes typed into
// and the button pressed; the downloads; the step view, which must be the very page
// TORVANE --html writes; what the page says of a press, as the console says it; a phone's
// width; the page read by ear and used from the keyboard. Nothing may be fetched.
// TORVANE_BROWSERS=chromium (or firefox) tests in one of them only.
// Usage: node web_page_test.js PAGE CORPUS_DIR TORVANE
'use strict';
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { scratchDirectory } = require('./chromium.js');
const { launchBrowser, browserNames } = require('./browsers.js');

const [pageFile, corpusDir, program] = process.argv.slice(2);
const corpus = path.resolve(corpusDir);
const torvane = path.resolve(program);
const pageUrl = 'file://' + path.resolve(pageFile);
const work = scratchDirectory('torvane-web-');

// 64-bit FNV-1a, as the corpus gives for reports too large to keep.
function fnv1a(bytes) {
  let hash = 0xcbf29ce484222325n;
  for (const byte of bytes) hash = BigInt.asUintN(64, (hash ^ BigInt(byte)) * 0x100000001b3n);
  return hash.toString(16).padStart(16, '0');
}

// `before`, when given, runs in the page before its own scripts.
async function openPage(browser, width = 900, before = null) {
  const page = await browser.newPage();
  if (before) await page.evaluateOnNewDocument(before);
  const problems = [];
  page.on('pageerror', error => problems.push(String(error)));
  page.on('console', message => message.type() === 'error' && problems.push(message.text()));
  // Anything asked of the network or the disk but the page itself and the worker's
  // script, which the page makes from its own text.
  const asked = url => {
    if (url !== pageUrl && !url.startsWith('blob:') && url !== 'data:,') problems.push('fetched ' + url.slice(0, 80));
  };
  page.on('request', request => asked(request.url()));
  // The worker's requests (its engine loading itself, say) do not pass through the page;
  // Chromium shows them to the test.
  if (browser.protocol === 'cdp') page.on('workercreated', worker => {
    worker.client.on('Network.requestWillBeSent', event => asked(event.request.url));
    worker.client.send('Network.enable').catch(error => problems.push('cannot watch the worker: ' + error.message));
  });
  await page.setViewport({ width, height: 800 });
  await page.goto(pageUrl);
  await page.waitForSelector('body[data-ready=yes]');
  return { page, problems };
}

// torvane.run in the page, with the corpus case's box texts as bytes. Its files' bytes must
// be Uint8Arrays in the page, as it promises: an Int8Array's would be negative above 0x7f.
// A report of megabytes is summed there (FNV-1a, as the corpus keeps it), not handed over:
// Firefox's remote protocol chokes on so long a list of numbers.
async function runInPage(page, dimension, data) {
  const answer = await page.evaluate(async (d, t) => {
    const result = await window.torvane.run(Uint8Array.from(d), Uint8Array.from(t), { working: true });
    const kinds = [result.report, result.data, ...(result.latex ? [result.latex] : [])].map(bytes => Object.prototype.toString.call(bytes));
    const large = result.report.length > 1 << 20;
    let hi = 0xcbf29ce4, lo = 0x84222325;  // the 64-bit hash in two halves
    for (const byte of large ? result.report : []) {
      lo = (lo ^ byte) >>> 0;
      const low = (lo & 0xffff) * 0x1b3, high = (lo >>> 16) * 0x1b3 + (low >>> 16);
      hi = (Math.imul(hi, 0x1b3) + (high >>> 16) + (lo << 8)) >>> 0;  // times 2^40 + 0x1b3
      lo = ((high & 0xffff) << 16 | (low & 0xffff)) >>> 0;
    }
    return { ...result, kinds, report: large ? null : Array.from(result.report), data: Array.from(result.data),
      reportSize: result.report.length, reportHash: hi.toString(16).padStart(8, '0') + lo.toString(16).padStart(8, '0'),
      working: large ? null : result.working, latex: result.latex ? Array.from(result.latex) : null };
  }, [...dimension], [...data]);
  assert.ok(answer.kinds.every(kind => kind === '[object Uint8Array]'), 'the bytes come as Uint8Arrays: ' + answer.kinds);
  return { ...answer, report: answer.report && Buffer.from(answer.report), data: Buffer.from(answer.data),
    latex: answer.latex ? Buffer.from(answer.latex) : null };
}

// What the console program writes for a case, made once for both browsers.
const made = new Map();
function once(key, make) {
  if (!made.has(key)) made.set(key, make());
  return made.get(key);
}

// The page `torvane --html` writes for the case, or null when the order is beyond its limit.
const nativeWorkingPage = (dir, dimension) => once('html ' + dir, () => writeWorkingPage(dir, dimension));
function writeWorkingPage(dir, dimension) {
  const page = path.join(work, 'working.html');
  fs.rmSync(page, { force: true });
  try {
    execFileSync(torvane, ['--html', page, '--dimension', dimension.toString('latin1'), '--data-file', path.join(dir, 'data')],
      { cwd: work, stdio: 'ignore' });
  } catch (refused) {
    if (refused.status === 2) return null;  // an order beyond the limit of --html
    throw refused;
  }
  return fs.readFileSync(page, 'utf8');
}

// The LaTeX document in fractions that `torvane --latex FILE --exact` writes for the case.
const nativeLatex = (dir, dimension) => once('latex ' + dir, () => writeLatex(dir, dimension));
function writeLatex(dir, dimension) {
  const file = path.join(work, 'working.tex');
  execFileSync(torvane, ['--latex', file, '--exact', '--dimension', dimension.toString('latin1'), '--data-file',
    path.join(dir, 'data')], { cwd: work, stdio: 'ignore' });
  return fs.readFileSync(file);
}

async function checkCorpus(page) {
  const cases = fs.readdirSync(corpus).filter(name => fs.statSync(path.join(corpus, name)).isDirectory());
  assert.ok(cases.length > 40, 'the corpus is there');
  for (const name of cases) {
    const dir = path.join(corpus, name);
    const dimension = fs.readFileSync(path.join(dir, 'dimension'));
    const data = fs.readFileSync(path.join(dir, 'data'));
    const answer = await runInPage(page, dimension, data);
    const expectedData = dimension.length ? Buffer.concat([dimension, Buffer.from('\n'), data]) : Buffer.alloc(0);
    assert.ok(answer.data.equals(expectedData), `${name}: mat.data holds the box texts`);
    if (fs.existsSync(path.join(dir, 'mat.result'))) {
      const expected = fs.readFileSync(path.join(dir, 'mat.result'));
      assert.ok(answer.report && answer.report.equals(expected), `${name}: the report differs from the corpus's (${answer.report.length} bytes, ${expected.length} expected)`);
      assert.equal(answer.status, expected.length ? 'completed' : 'no_order', name);
      // The step view is the page of --html, from the same code: the same text.
      if (answer.status === 'completed' && !dimension.includes(0))
        assert.equal(answer.working, nativeWorkingPage(dir, dimension), `${name}: the step view differs from --html's page`);
      // Its download in fractions, up to the order a LaTeX page holds, is that of --latex --exact.
      if (answer.status === 'completed' && !dimension.includes(0))
        assert.deepEqual(answer.latex, answer.order <= 16 ? nativeLatex(dir, dimension) : null, `${name}: the LaTeX differs`);
    } else {
      const [size, hash] = fs.readFileSync(path.join(dir, 'mat.result.fnv1a'), 'utf8').trim().split(/\s+/);
      assert.equal(answer.reportSize, Number(size), name);
      assert.equal(answer.report ? fnv1a(answer.report) : answer.reportHash, hash.toLowerCase(), name);
    }
  }
  return cases.length;
}

module.exports = { openPage, runInPage, work };

async function main() {
  for (const name of browserNames()) {
    const browser = await launchBrowser(name);
    try {
      const { page, problems } = await openPage(browser);
      const count = await checkCorpus(page);
      assert.deepEqual(problems, []);
      await page.close();
      console.log(`${name}: ${count} corpus cases gave the same bytes in the page`);
      await require('./web_dialog_test.js').checkDialog(browser, openPage, work);
      await require('./web_answers_test.js').checkAnswers(browser, openPage, work, torvane);
      console.log(`${name}: torvane.run gives Uint8Arrays; mat.data as the dialog saves it; the console's words`);
      await require('./web_access_test.js').checkAccess(browser, openPage, pageFile);
      console.log(`${name}: English marked, downloads named, focus kept, the step view explained, no icon fetched`);
    } finally {
      await browser.close();
    }
  }
}

if (require.main === module)
  main().catch(error => {
    console.error(error);
    process.exit(1);
  });
