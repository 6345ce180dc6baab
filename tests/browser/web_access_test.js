// The page for those who use it from the keyboard: the focus kept by a press of 计算. Run by web_page_test.js in each browser.
'use strict';
const assert = require('node:assert/strict');
const { typeInto, waitForIdle } = require('./web_page_helpers.js');

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

async function checkAccess(browser, openPage, pageFile) {
  const { page, problems } = await openPage(browser);
  await checkFocus(page);
  assert.deepEqual(problems, []);
  await page.close();
}

module.exports = { checkAccess };
