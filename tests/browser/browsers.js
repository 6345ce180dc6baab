// The two browsers the page is tested in, both Debian's and headless: Chromium (see
// chromium.js) and Firefox ESR, each with a new profile of its own that goes when the test
// process exits, and none of the background connections this machine's closed network
// refuses.
'use strict';
const puppeteer = require('puppeteer-core');
const { launchChromium, scratchDirectory } = require('./chromium.js');

function launchFirefox() {
  return puppeteer.launch({
    browser: 'firefox',
    executablePath: process.env.FIREFOX || '/usr/bin/firefox-esr',
    headless: true,
    userDataDir: scratchDirectory('torvane-firefox-'),
    extraPrefsFirefox: {
      'app.update.enabled': false,
      'browser.safebrowsing.malware.enabled': false,
      'browser.safebrowsing.phishing.enabled': false,
      'datareporting.policy.dataSubmissionEnabled': false,
      'network.captive-portal-service.enabled': false,
      'network.connectivity-service.enabled': false,
      'extensions.update.enabled': false,
    },
  });
}

const launchers = { chromium: launchChromium, firefox: launchFirefox };

// The browsers named in TORVANE_BROWSERS (comma-separated), both by default.
function browserNames() {
  const names = (process.env.TORVANE_BROWSERS || 'chromium,firefox').split(',').filter(Boolean);
  for (const name of names) if (!launchers[name]) throw new Error('no such browser to test in: ' + name);
  return names;
}

module.exports = { launchBrowser: name => launchers[name](), browserNames };
