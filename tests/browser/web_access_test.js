// The page for those who read it in another language, by ear or from the keyboard, and what
// it shows beside the report: the focus kept by a press from the keyboard, the step view of an earlier
// run gone after a press that computed nothing and a word of why when an order is too
// large for it. Run by web_page_test.js in each browser.
'use strict';
const assert = require('node:assert/strict');
const { typeInto, waitForIdle } = require('./web_page_helpers.js');

async function press(page, dimension, data) {
  await typeInto(page, 'dimension', dimension);
  await typeInto(page, 'data', data);
  await page.click('#compute');
  await waitForIdle(page);
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

async function checkStepView(page) {
  // The step view of the last run goes with a press that computes nothing.
  await press(page, '2', '1 2 3 4');
  assert.ok(await workingShown(page));
  await press(page, '0', '1 2 3 4');
  assert.equal(await workingShown(page), false, 'no step view after order 0');
  assert.equal(await page.$eval('#steps', frame => frame.srcdoc), '');
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

async function checkAccess(browser, openPage, pageFile) {
  const { page, problems } = await openPage(browser);
  await checkFocus(page);
  await checkStepView(page);
  assert.deepEqual(problems, []);
  await page.close();
}

module.exports = { checkAccess };
