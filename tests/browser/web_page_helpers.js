// What the browser tests of the page do with it as a person would, the same in Chromium
// and Firefox: type into a box, wait for a press to be over, take a download's bytes.
'use strict';
const assert = require('node:assert/strict');

// Replaces the box's text by typing; a line feed in `text` is the Enter key.
async function typeInto(page, id, text) {
  await page.focus('#' + id);
  await page.$eval('#' + id, box => box.select());
  await page.keyboard.press('Backspace');
  if (text) await page.type('#' + id, text);
}

// The press made by the last click or key is over: 计算 no longer says it is busy. (It says
// so from the press itself, before the click or key's events have all been handed out.) A
// disabled button counts as busy too, so that the tests judge an older page rightly.
async function waitForIdle(page) {
  await page.waitForFunction(() => {
    const button = document.getElementById('compute');
    return !button.disabled && button.getAttribute('aria-disabled') !== 'true';
  }, { timeout: 120000 });
}

// Both boxes typed, 计算 clicked, and the press over.
async function press(page, dimension, data) {
  await typeInto(page, 'dimension', dimension);
  await typeInto(page, 'data', data);
  await page.click('#compute');
  await waitForIdle(page);
}

// What a download button hands the browser to save: the file's name and bytes, taken from
// the link the page clicks, whose saving is called off.
async function savedFile(page, id) {
  assert.equal(await page.$eval('#' + id, button => button.disabled), false, id + ' can be pressed');
  await page.evaluate(() => {
    window.torvaneSaved = new Promise(resolve => {
      document.addEventListener('click', function take(event) {
        const link = event.target.closest && event.target.closest('a[download]');
        if (!link) return;
        event.preventDefault();
        document.removeEventListener('click', take, true);
        resolve(link);
      }, true);
    });
  });
  await page.click('#' + id);
  const { name, bytes } = await page.evaluate(async () => {
    const link = await window.torvaneSaved;
    const contents = new Uint8Array(await (await fetch(link.href)).arrayBuffer());
    return { name: link.download, bytes: Array.from(contents) };
  });
  return { name, bytes: Buffer.from(bytes) };
}

// A line that says something in Chinese and then in English: the two, and the English
// part's language.
function messageParts(page, id) {
  return page.$eval('#' + id, line => {
    const english = line.querySelector('span');
    return { chinese: line.firstChild ? line.firstChild.textContent.trim() : '', english: english ? english.textContent : '',
      lang: english ? english.lang : '' };
  });
}

module.exports = { typeInto, waitForIdle, press, savedFile, messageParts };
