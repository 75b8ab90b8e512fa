// What the tests of the page in Chromium share: Debian's Chromium through puppeteer-core (whose
// folder PUPPETEER_MODULES names), pages that count every error on their console, the canvas's
// state, waits, keys pressed as a player presses them, and the passed and failed checks.
'use strict';
const path = require('path');
const puppeteer = require(path.join(process.env.PUPPETEER_MODULES, 'puppeteer-core'));

const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));

// A headless Chromium with a profile in the test's folder; timers in background pages run at full
// speed, as a player's page in front does.
function launchBrowser(workDir) {
  return puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: path.join(workDir, 'profile'),
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--autoplay-policy=no-user-gesture-required',
           '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
           '--disable-backgrounding-occluded-windows'],
  });
}

// A page at ADDRESS whose console errors and uncaught exceptions land in ERRORS.
async function openPage(browser, address, errors) {
  const page = await browser.newPage();
  page.on('console', message => { if (message.type() === 'error') errors.push(message.text()); });
  page.on('pageerror', error => errors.push(String(error)));
  await page.setViewport({ width: 1280, height: 900 });
  await page.goto(address, { waitUntil: 'load' });
  return page;
}

// The canvas's size and picture, the status line, and how many confirmed lines the online trace has.
function pageState(page) {
  return page.evaluate(() => {
    const c = document.getElementById('canvas');
    return { width: c.width, height: c.height, picture: c.toDataURL(),
             status: document.getElementById('status').textContent, trace: window.zorbumpTrace().length };
  });
}

async function waitFor(page, predicate, ms, what) {
  const until = Date.now() + ms;
  for (;;) {
    const now = await pageState(page);
    if (predicate(now)) return now;
    if (Date.now() > until) throw new Error(`timed out waiting for ${what}`);
    await sleep(50);
  }
}

// Waits until the canvas's picture stays the same for half a second (a window that has just taken
// the canvas is still drawing its first pictures).
async function settled(page, ms = 10000) {
  const until = Date.now() + ms;
  let then = (await pageState(page)).picture;
  for (;;) {
    await sleep(500);
    const now = (await pageState(page)).picture;
    if (now === then) return now;
    if (Date.now() > until) throw new Error('the picture did not settle');
    then = now;
  }
}

// On the select screen: a press of the action key as long as a tick of it, until the picture shows
// the character taken (a press two ticks see takes it and lets it go again).
async function takeCharacter(page) {
  await page.focus('#canvas');
  const free = (await pageState(page)).picture;
  for (let attempt = 0; attempt < 10; attempt++) {
    await page.keyboard.down('z');
    await sleep(120);
    await page.keyboard.up('z');
    await sleep(400);
    if ((await pageState(page)).picture !== free) return true;
  }
  return false;
}

// check(ok, what) prints the line; finish() prints the count and ends the script with its status.
function checks() {
  let passes = 0;
  let failures = 0;
  return {
    check(ok, what) {
      if (ok) { passes++; console.log(`ok: ${what}`); } else { failures++; console.log(`FAIL: ${what}`); }
    },
    finish() {
      console.log(`${passes} passed, ${failures} failed`);
      process.exit(failures === 0 && passes > 0 ? 0 : 1);
    },
  };
}

module.exports = { sleep, launchBrowser, openPage, pageState, waitFor, settled, takeCharacter, checks };
