// What a press answers, in each browser alike: mat.data as the dialog writes it from a data
// box of several lines; why nothing was computed and where reading stopped, in the
// console's words, on the page and through torvane.run; the inverse of a large report in
// view. (That torvane.run's bytes are Uint8Arrays is checked on every corpus case.)
// Run by web_page_test.js with the browser it opened.
'use strict';
const assert = require('node:assert/strict');
const { execFileSync, spawnSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { typeInto, waitForIdle, press, savedFile, messageParts } = require('./web_page_helpers.js');

const corpus = path.join(__dirname, '..', 'data', 'reports');
const corpusFile = (name, file) => fs.readFileSync(path.join(corpus, name, file));

// One press through torvane.run, with string texts: what it says of the press.
function runTyped(page, dimension, data) {
  return page.evaluate(async (d, t) => {
    const answer = await window.torvane.run(d, t);
    return { status: answer.status, message: answer.message, note: answer.note };
  }, dimension, data);
}

// What the console says on standard error of the same two texts, without its name.
function consoleSays(torvane, work, dimension, data) {
  const said = spawnSync(torvane, ['--raw', '--dimension', dimension, '--data', data],
    { cwd: work, stdio: ['ignore', 'ignore', 'pipe'], encoding: 'utf8' }).stderr;
  const lines = said.split('\n').filter(line => line.startsWith('torvane: '));
  assert.equal(lines.length, 1, `the console says one thing of ${JSON.stringify([dimension, data])}: ${said}`);
  return lines[0].slice('torvane: '.length);
}

// The data box typed on two lines: mat.data holds CR LF between them, as Torvane.exe writes
// it from its edit control, and the report is the corpus's for that text.
async function checkLineBreaks(page) {
  await typeInto(page, 'dimension', '2');
  await typeInto(page, 'data', '1 2\n3 4');
  assert.equal(await page.$eval('#data', box => box.value), '1 2\n3 4', 'the text area gives LF');
  await page.click('#compute');
  await waitForIdle(page);
  const saved = Buffer.concat([corpusFile('example', 'dimension'), Buffer.from('\n'), corpusFile('example', 'data')]);
  assert.deepEqual(await savedFile(page, 'download-data'), { name: 'mat.data', bytes: saved });
  assert.deepEqual(await savedFile(page, 'download-result'), { name: 'mat.result', bytes: corpusFile('example', 'mat.result') });
  // Blank lines and a line break at the end are line breaks too.
  await typeInto(page, 'data', '1 2\n\n3 4\n');
  await page.click('#compute');
  await waitForIdle(page);
  assert.deepEqual((await savedFile(page, 'download-data')).bytes, Buffer.from('2\n1 2\r\n\r\n3 4\r\n'));
}

// Every way of giving no usable order, each said as the console says it.
const noOrders = [
  ['2', ''],            // the data box empty
  ['', '1 2 3 4'],      // the dimension box empty
  ['', ''],
  ['0', '1'],
  ['-3', '1 2'],
  ['abc', '1 2 3 4'],
  ['99999999999', '1'],
  [' ', ' '],
];

async function checkNoOrder(page, torvane, work) {
  for (const [dimension, data] of noOrders) {
    const expected = consoleSays(torvane, work, dimension, data);
    assert.match(expected, /so nothing was computed$/);
    const answer = await runTyped(page, dimension, data);
    assert.equal(answer.status, 'no_order');
    assert.equal(answer.message, expected, JSON.stringify([dimension, data]));
  }
  // On the page, after a report: the message, its English marked as English.
  await press(page, '2', '1 2 3 4');
  const report = await page.$eval('#result', box => box.value);
  await typeInto(page, 'data', '');
  await page.click('#compute');
  await waitForIdle(page);
  assert.deepEqual(await messageParts(page, 'message'),
    { chinese: '没有计算：', english: consoleSays(torvane, work, '2', ''), lang: 'en' });
  assert.equal(await page.$eval('#result', box => box.value), report, 'the result box keeps its text');
}

// Too few numbers: the report as designed, and the note of where and why reading stopped.
async function checkReadingStop(page, torvane, work) {
  for (const [dimension, data] of [['3', '1 2 3 4'], ['2', '1 2 x 4'], ['2', '1\r\n2,3 4'], ['2', '1 2 3 4e99']]) {
    const answer = await runTyped(page, dimension, data);
    assert.equal(answer.status, 'completed');
    assert.equal(answer.note, consoleSays(torvane, work, dimension, data), JSON.stringify([dimension, data]));
  }
  const full = await runTyped(page, '2', '1 2 3 4');
  assert.equal(full.note, '', 'every entry read: no note');
  // GBK texts: a quoted piece is whole characters.
  const wide = await runTyped(page, '2', '1 x中文中文中文中文');
  assert.equal(wide.note, "reading stopped at 'x中文中文中文' in the data text (character 3) after 1 of 4 entries, " +
    'so the other 3 entries repeat the last value read, 1');

  await press(page, '3', '1 2 3 4');
  const result = await page.$eval('#result', box => box.value);
  assert.match(result, /-nan/, 'the report is the designed one');
  assert.deepEqual((await savedFile(page, 'download-result')).bytes,
    execFileSync(torvane, ['--raw', '--dimension', '3', '--data', '1 2 3 4'], { cwd: work, stdio: ['ignore', 'pipe', 'ignore'] }));
  assert.deepEqual(await messageParts(page, 'message'),
    { chinese: '数据没有全部读入：', english: consoleSays(torvane, work, '3', '1 2 3 4'), lang: 'en' });
  // The next full run clears the note.
  await typeInto(page, 'data', '1 2 3 4 5 6 7 8 10');
  await page.click('#compute');
  await waitForIdle(page);
  assert.equal(await page.$eval('#message', line => line.textContent), '');
}

// A matrix of order n with its diagonal large enough for no row exchange, rows on lines.
const dominantMatrix = n => Array.from({ length: n }, (_, r) =>
  Array.from({ length: n }, (_, c) => (r === c ? n : ((r * 7 + c * 3) % 11) - 5)).join(' ')).join('\r\n');

// A report over the result box's 512 kB (order 60, about 6 MB): the box shows its beginning,
// a note of what is left out, and the whole inverse at the end, as the console wrote it.
async function checkLargeReport(page, torvane, work) {
  const order = 60;
  const data = dominantMatrix(order);
  const report = execFileSync(torvane, ['--raw', '--dimension', String(order), '--data', data],
    { cwd: work, stdio: ['ignore', 'pipe', 'ignore'], maxBuffer: 64 << 20 });
  assert.ok(report.length > (1 << 19), 'the report is larger than the box shows');
  const heading = report.lastIndexOf(Buffer.from([0xc7, 0xf3, 0xc4, 0xe6, 0xbd, 0xe1, 0xb9, 0xfb, 0xa3, 0xba]));
  // A text area's value holds its line breaks as LF.
  const inverse = new TextDecoder('gbk').decode(report.subarray(heading - 26)).replace(/\r\n/g, '\n');
  assert.match(inverse, /^#{24}\n求逆结果：/);

  await typeInto(page, 'dimension', String(order));
  await page.$eval('#data', (box, text) => { box.value = text; }, data);
  await page.click('#compute');
  await waitForIdle(page);
  const shown = await page.$eval('#result', (box, tailLength) =>
    ({ head: box.value.slice(0, 8), tail: box.value.slice(-tailLength), length: box.value.length,
      note: /\u2026 此处略去 \d+ 字节的消元过程/.test(box.value) }), inverse.length);
  assert.equal(shown.head, '第 1步\n60 ', 'the box begins with the first pass');
  assert.ok(shown.note, 'the box says what it leaves out');
  assert.equal(shown.tail, inverse, 'the box ends with the inverse, whole');
  assert.ok(shown.length <= (1 << 19) + 200, 'the box holds no more than 512 kB of the report');
  // Pressed again, the report is written into the last one's memory: the same text.
  const before = await page.$eval('#result', box => box.value);
  await page.click('#compute');
  await waitForIdle(page);
  assert.equal(await page.$eval('#result', box => box.value), before, 'a second press shows the same report');
}

// A report written into the room of a larger one handed back (order 60 into the room of 64)
// has its own bytes and length, as if written afresh; the room handed over is the page's.
async function checkRoomHandedBack(page) {
  const seen = await page.evaluate(async (sixty, sixtyFour) => {
    const fresh = (await window.torvane.run('60', sixty)).report;
    const room = (await window.torvane.run('64', sixtyFour)).report.buffer;
    const roomSize = room.byteLength;
    const reused = (await window.torvane.run('60', sixty, { room })).report;
    return { same: fresh.length === reused.length && fresh.every((byte, k) => byte === reused[k]),
      lengths: [fresh.length, reused.length], inRoom: reused.buffer.byteLength === roomSize, handedOver: room.byteLength === 0 };
  }, dominantMatrix(60), dominantMatrix(64));
  assert.ok(seen.same, `the report in a handed-back room differs: ${JSON.stringify(seen)}`);
  assert.ok(seen.handedOver && seen.inRoom, `the room was not the one handed over: ${JSON.stringify(seen)}`);
}

// A browser without WebAssembly's vectors (here, one whose validator says no to the
// page's probe) is told so as the page opens and at a press, not that memory ran out.
async function checkUnsupportedBrowser(browser, openPage) {
  const { page, problems } = await openPage(browser, 900, () => { WebAssembly.validate = () => false; });
  const said = /^这个浏览器不能运行本页面的计算程序.*\nthis browser cannot run the page's engine, which needs WebAssembly's 128-bit vectors/;
  assert.match(await page.$eval('#result', box => box.value), said);
  await page.$eval('#result', box => { box.value = ''; });
  await press(page, '2', '1 2 3 4');
  assert.match(await page.$eval('#result', box => box.value), said);
  assert.equal(await page.evaluate(async () => (await window.torvane.run('2', '1 2 3 4')).status), 'unsupported_browser');
  assert.deepEqual(problems, []);
  await page.close();
}

async function checkAnswers(browser, openPage, work, torvane) {
  await checkUnsupportedBrowser(browser, openPage);
  const { page, problems } = await openPage(browser);
  await checkLineBreaks(page);
  await checkNoOrder(page, torvane, work);
  await checkReadingStop(page, torvane, work);
  await checkLargeReport(page, torvane, work);
  await checkRoomHandedBack(page);
  assert.deepEqual(problems, []);
  await page.close();
}

module.exports = { checkAnswers };
