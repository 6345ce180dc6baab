// Debian's Chromium, headless, as every browser test starts it: no sandbox (the tests run
// as root), none of the background connections this machine's closed network refuses, and
// a new profile of its own.

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

// A new folder in the system's temporary folder, removed when this process exits, however
// the test ended (but for SIGKILL): the tests leave the host as they found it.
function scratchDirectory(prefix) {
  const directory = fs.mkdtempSync(path.join(os.tmpdir(), prefix));
  process.on('exit', () => fs.rmSync(directory, { recursive: true, force: true }));
  // Stopped by ctest's time limit or Ctrl-C: exit, so that the folders go too.
  if (process.listenerCount('SIGTERM') === 0)
    for (const [signal, status] of [['SIGTERM', 143], ['SIGINT', 130]])
      process.on(signal, () => process.exit(status));
  return directory;
}

function launchChromium() {
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: scratchDirectory('torvane-chromium-'),
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
}

module.exports = { launchChromium, scratchDirectory };
