// The page used as a person uses the dialog: typing into the boxes, pressing 计算 or Enter,
// reading the result box, downloading the two files, stepping through the working; and
// the same at a phone's width. Run by web_page_test.js with the browser it opened.
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { typeInto, waitForIdle, savedFile } = require('./web_page_helpers.js');

const corpus = path.join(__dirname, '..', 'data', 'reports');
const corpusFile = (name, file) => fs.readFileSync(path.join(corpus, name, file));
// The result box holds the report as text, its labels decoded from GBK; a text box gives
// its line ends back as LF.
const reportText = name => new TextDecoder('gbk').decode(corpusFile(name, 'mat.result')).replace(/\r\n/g, '\n');

const value = (page, id) => page.$eval('#' + id, box => box.value);

async function waitForResult(page, unlike) {
  await page.waitForFunction(old => document.getElementById('result').value !== old &&
    document.getElementById('compute').getAttribute('aria-disabled') !== 'true', { timeout: 120000 }, unlike);
}

// What the step view shows: where it is and the heading of the step.
const stepShown = page => page.$eval('#steps', frame => {
  const view = frame.contentDocument;
  return view && view.getElementById('where') ? view.getElementById('where').textContent : '';
});

// Chromium saves the download into `folder`, where it is read once Chromium says it is
// whole (`session`: Browser.downloadProgress, state "completed"): its name appears, empty,
// before that. Firefox's saving is not reached from the test, which takes what the button
// hands to it.
async function download(page, button, folder, name, session) {
  if (page.browser().protocol !== 'cdp') {
    const saved = await savedFile(page, button);
    assert.equal(saved.name, name);
    return saved.bytes;
  }
  const target = path.join(folder, name);
  fs.rmSync(target, { force: true });
  const whole = new Promise((resolve, reject) => {
    const listener = event => {
      if (event.state === 'inProgress') return;
      session.off('Browser.downloadProgress', listener);
      if (event.state === 'completed') resolve();
      else reject(new Error(`the download of ${name} was ${event.state}`));
    };
    session.on('Browser.downloadProgress', listener);
  });
  await page.click('#' + button);
  await whole;
  return fs.readFileSync(target);
}

async function checkTyped(browser, openPage, work) {
  const { page, problems } = await openPage(browser);
  const labels = await page.$$eval('label', all => all.map(label => label.textContent).join(' '));
  for (const label of ['输入矩阵维数', '输入矩阵数据', '结果输出']) assert.ok(labels.includes(label), label);

  // Pressing the button computes; the result box shows the report.
  await typeInto(page, 'dimension', '3');
  await typeInto(page, 'data', '2 1 1  1 3 2  1 0 0');
  await page.click('#compute');
  await waitForResult(page, '');
  assert.equal(await value(page, 'result'), reportText('backward_phase'));

  // Both files download with the bytes the Linux program writes.
  const folder = path.join(work, 'downloads');
  fs.mkdirSync(folder, { recursive: true });
  let session = null;
  if (page.browser().protocol === 'cdp') {
    session = await page.target().createCDPSession();
    await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: folder, eventsEnabled: true });
  }
  const saved = (button, name) => download(page, button, folder, name, session);
  assert.ok((await saved('download-result', 'mat.result')).equals(corpusFile('backward_phase', 'mat.result')));
  const typed = Buffer.concat([corpusFile('backward_phase', 'dimension'), Buffer.from('\n'), corpusFile('backward_phase', 'data')]);
  assert.ok((await saved('download-data', 'mat.data')).equals(typed));

  // The working: step 1 of 4 first; → on the page moves the step view on.
  assert.equal(await stepShown(page), 'step 1 of 4');
  await page.click('h1');
  await page.keyboard.press('ArrowRight');
  assert.equal(await stepShown(page), 'step 2 of 4');

  // An order of 0 computes nothing: the result box keeps the last report.
  await typeInto(page, 'dimension', '0');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => document.getElementById('message').textContent !== '');
  assert.equal(await value(page, 'result'), reportText('backward_phase'));

  // The boxes' texts are kept in GBK, as the dialog keeps them: a full-width 2 typed into
  // the dimension box is no order, and mat.data holds its two GBK bytes.
  const gbkCase = 'no_order_full_width_gbk';
  await typeInto(page, 'dimension', new TextDecoder('gbk').decode(corpusFile(gbkCase, 'dimension')));
  await typeInto(page, 'data', corpusFile(gbkCase, 'data').toString('latin1'));
  await page.click('#compute');
  await waitForIdle(page);
  const gbkTyped = Buffer.concat([corpusFile(gbkCase, 'dimension'), Buffer.from('\n'), corpusFile(gbkCase, 'data')]);
  assert.ok((await saved('download-data', 'mat.data')).equals(gbkTyped));
  assert.equal(await value(page, 'result'), reportText('backward_phase'));

  // Enter in the dimension box computes too.
  await typeInto(page, 'data', '0 2 1\n1 1 1\n2 1 0');
  await typeInto(page, 'dimension', '3');
  await page.keyboard.press('Enter');
  await waitForResult(page, reportText('backward_phase'));
  assert.equal(await value(page, 'result'), reportText('zero_pivot_order_three'));

  // Too large for the page: a message in the result box, and the page goes on working.
  await typeInto(page, 'dimension', '100000');
  await page.click('#compute');
  await waitForResult(page, reportText('zero_pivot_order_three'));
  assert.match(await value(page, 'result'), /100000/);
  assert.deepEqual(problems, []);
  await page.close();
}

// A long run: the button waits for it, the progress line tells the step, and the page
// still answers meanwhile.
async function checkLongRun(browser, openPage) {
  const { page, problems } = await openPage(browser);
  await typeInto(page, 'dimension', '100');
  await page.$eval('#data', box => { box.value = Array.from({ length: 10000 }, (_, i) => (i % 101 === 0 ? 100 : (i * 7) % 13)).join(' '); });
  await page.click('#compute');
  assert.equal(await page.$eval('#compute', button => button.getAttribute('aria-disabled')), 'true');
  await page.waitForFunction(() => /step \d+ of 198/.test(document.getElementById('progress').textContent), { timeout: 60000 });
  await waitForResult(page, '');
  assert.match(await value(page, 'result'), /^第 1步/);
  assert.equal(await page.$eval('#progress', line => line.textContent), '');
  assert.deepEqual(problems, []);
  await page.close();
}

// At 360 px the page fits the width: no sideways scrolling, every control reachable.
async function checkPhone(browser, openPage) {
  const { page, problems } = await openPage(browser, 360);
  assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= 360), 'no sideways scrolling');
  for (const id of ['dimension', 'data', 'compute', 'result', 'download-result']) {
    const box = await page.$eval('#' + id, element => element.getBoundingClientRect().toJSON());
    assert.ok(box.left >= 0 && box.right <= 360 && box.width > 40, id + ' fits');
  }
  await typeInto(page, 'dimension', '4');
  await typeInto(page, 'data', '4 0 0 0 0 4 0 0 0 0 4 0 0 0 0 4');
  await page.click('#compute');
  await waitForResult(page, '');
  assert.match(await value(page, 'result'), /0\.25/);
  // The step view's buttons are in view, and it offers no address it cannot have inside the page.
  await page.waitForFunction(() => {
    const view = document.getElementById('steps').contentDocument;
    return view && view.getElementById('where') && view.getElementById('where').textContent !== '';
  });
  const view = await page.$eval('#steps', frame => ({ width: frame.contentDocument.documentElement.clientWidth,
    next: frame.contentDocument.getElementById('next').getBoundingClientRect().right,
    hint: frame.contentDocument.body.innerText.includes('#step=') }));
  assert.ok(view.next <= view.width, `the step view's next button is cut at 360 px: ${JSON.stringify(view)}`);
  assert.ok(!view.hint, 'the step view inside the page offers #step=K in the address');
  assert.deepEqual(problems, []);
  await page.close();
}

// On a wide screen the working takes the screen's width, so that a 12 x 12 step view is
// seen whole, not scrolled sideways in a column of 900 px.
async function checkWide(browser, openPage) {
  const { page, problems } = await openPage(browser, 1920);
  await typeInto(page, 'dimension', '12');
  await typeInto(page, 'data', Array.from({ length: 144 }, (_, k) => (k % 13 === 0 ? 7.25 : (k % 5) - 2.125)).join(' '));
  await page.click('#compute');
  await waitForResult(page, '');
  await page.waitForFunction(() => {
    const view = document.getElementById('steps').contentDocument;
    return view && view.getElementById('where');
  });
  const sizes = await page.$eval('#steps', frame => ({ frame: frame.getBoundingClientRect().width,
    content: frame.contentDocument.documentElement.scrollWidth, shown: frame.contentDocument.documentElement.clientWidth }));
  assert.ok(sizes.content <= sizes.shown, `the step view scrolls sideways at 1920 px: ${JSON.stringify(sizes)}`);
  assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth), 'the page itself does not');
  assert.deepEqual(problems, []);
  await page.close();
}

async function checkDialog(browser, openPage, work) {
  await checkTyped(browser, openPage, work);
  await checkLongRun(browser, openPage);
  await checkPhone(browser, openPage);
  await checkWide(browser, openPage);
  console.log('the page works as the dialog does, at 900 and at 360 px');
}

module.exports = { checkDialog };
