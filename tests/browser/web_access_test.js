// The page for those who read it in another language, by ear or from the keyboard, and what
// it shows beside the report: English marked as English, download buttons that say what
// they download, the focus kept by a press from the keyboard, the step view of an earlier
// run gone after a press that computed nothing and a word of why when an order is too
// large for it, and no icon asked of a server. Run by web_page_test.js in each browser.
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const http = require('node:http');
const { typeInto, waitForIdle, press } = require('./web_page_helpers.js');

// From the page's start on: every text the page shows, then or later, that has two English
// words in a row outside an element marked lang="en" (the result box, a text area, holds
// the report and is left out).
function watchUnmarkedEnglish(page) {
  return page.evaluate(() => {
    window.torvaneUnmarked = [];
    const english = /[A-Za-z]{2,}[\s,;:']+[A-Za-z]{2,}/;
    const look = node => {
      if (node.nodeType === Node.TEXT_NODE) {
        const holder = node.parentElement;
        if (holder && !holder.closest('script, style, textarea') && english.test(node.textContent) &&
            (holder.closest('[lang]') || document.documentElement).lang !== 'en')
          window.torvaneUnmarked.push(node.textContent);
      } else node.childNodes.forEach(look);
    };
    look(document.body);
    new MutationObserver(changes => changes.forEach(change => {
      if (change.type === 'characterData') look(change.target);
      change.addedNodes.forEach(look);
    })).observe(document.body, { subtree: true, childList: true, characterData: true });
  });
}

// The name a reader by ear hears for the element: from the browser's accessibility tree
// where the test can reach it (Chromium); in Firefox, from the button's text, which names it
// when no label is set.
async function accessibleName(page, selector) {
  const element = await page.$(selector);
  if (page.browser().protocol === 'cdp') return (await page.accessibility.snapshot({ root: element })).name;
  return page.$eval(selector, button => (button.getAttribute('aria-label') ? '(labelled)' : button.textContent));
}

const workingShown = page => page.$eval('#working', section => getComputedStyle(section).display !== 'none');

// 计算 pressed from the keyboard keeps the focus, or hands it to the report.
async function checkFocus(page) {
  await typeInto(page, 'dimension', '2');
  await typeInto(page, 'data', '1 2\n3 4');
  await page.focus('#compute');
  await page.keyboard.press('Enter');
  await waitForIdle(page);
  assert.match(await page.$eval('#result', box => box.value), /^第 1步/);
  assert.ok(['compute', 'result'].includes(await page.evaluate(() => document.activeElement.id)), 'the focus stays');
  await page.keyboard.press(' ');
  await waitForIdle(page);
  assert.ok(['compute', 'result'].includes(await page.evaluate(() => document.activeElement.id)), 'the focus stays');
}

// Each download button says what it downloads, in words beyond the file's name.
async function checkNames(page) {
  for (const [id, file, what] of [['download-data', 'mat.data', /input/], ['download-result', 'mat.result', /report/],
    ['download-latex', 'working.tex', /working/]]) {
    const name = await accessibleName(page, '#' + id);
    assert.ok(name.includes(file) && /download|下载/i.test(name) && what.test(name), `${id} is named "${name}"`);
  }
}

async function checkStepView(page) {
  // The step view of the last run goes with a press that computes nothing.
  await press(page, '2', '1 2 3 4');
  assert.ok(await workingShown(page));
  await press(page, '0', '1 2 3 4');
  assert.equal(await workingShown(page), false, 'no step view after order 0');
  assert.equal(await page.$eval('#steps', frame => frame.contentDocument.body.innerHTML), '');
  assert.match(await page.$eval('#result', box => box.value), /^第 1步/, 'the result box keeps the report');

  // Above the step view's orders, the page says why there is none.
  await press(page, '2', '1 2 3 4');
  assert.ok(await workingShown(page));
  await press(page, '121', '0');
  assert.equal(await workingShown(page), false);
  const why = await page.$eval('#working-note', note => ({ text: note.textContent, english: note.querySelector('[lang=en]') !== null }));
  assert.match(why.text, /120/);
  assert.match(why.text, /121/);
  assert.ok(why.english, 'its English is marked');
  await press(page, '2', '1 2 3 4');
  assert.ok(await workingShown(page));
  assert.equal(await page.$eval('#working-note', note => note.textContent), '', 'the word goes with the next step view');
}

// A long run's progress line, and all said since watchUnmarkedEnglish: English marked.
async function checkMarks(page) {
  await page.evaluate(() => {
    window.torvaneProgress = [];
    const line = document.getElementById('progress');
    new MutationObserver(() => window.torvaneProgress.push(line.textContent)).observe(line, { childList: true, subtree: true });
  });
  await typeInto(page, 'dimension', '60');
  await typeInto(page, 'data', '1 2 3 4');
  await page.click('#compute');
  await waitForIdle(page);
  assert.ok((await page.evaluate(() => window.torvaneProgress)).some(text => /step \d+ of 118/.test(text)), 'the steps were counted');
  assert.deepEqual(await page.evaluate(() => window.torvaneUnmarked), []);
}

// Served over http, the page asks the server for nothing but itself: a browser asks for
// /favicon.ico when a page names no icon of its own.
async function checkServed(browser, pageFile) {
  const asked = [];
  const server = http.createServer((request, response) => {
    asked.push(request.url);
    if (request.url !== '/') {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8' });
    fs.createReadStream(pageFile).pipe(response);
  });
  await new Promise(resolve => server.listen(0, '127.0.0.1', resolve));
  try {
    const page = await browser.newPage();
    await page.goto(`http://127.0.0.1:${server.address().port}/`, { waitUntil: 'load' });
    await page.waitForSelector('body[data-ready=yes]');
    assert.equal(await page.evaluate(() => {
      const icon = document.querySelector('link[rel~=icon]');
      return icon && icon.href.startsWith('data:');
    }), true, 'the page names its own icon, inline');
    await press(page, '2', '1 2 3 4');
    await page.close();
    assert.deepEqual(asked, ['/']);
  } finally {
    server.close();
  }
}

async function checkAccess(browser, openPage, pageFile) {
  const { page, problems } = await openPage(browser);
  assert.equal(await page.evaluate(() => document.documentElement.lang), 'zh-CN');
  await watchUnmarkedEnglish(page);
  await checkFocus(page);
  await checkNames(page);
  await checkStepView(page);
  await checkMarks(page);
  assert.deepEqual(problems, []);
  await page.close();
  await checkServed(browser, pageFile);
}

module.exports = { checkAccess };
