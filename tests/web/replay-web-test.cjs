// Kept matches in a real Chromium: ?replay=ID shows the server's kept match in the viewer (its
// canvas, the picture moving, Space pausing it, the right arrow stepping one tick), ?tick=N opens it
// paused; an id the server does not keep, and a file that is not a replay, are said in one line; the
// replay file dropped on a page plays; no error reaches the console.
'use strict';
const fs = require('fs');
const path = require('path');
const puppeteer = require(path.join(process.env.PUPPETEER_MODULES, 'puppeteer-core'));

const [serverPort, replayId, replayFile, workDir] = process.argv.slice(2);
let failures = 0;
let passes = 0;
function check(ok, what) {
  if (ok) { passes++; console.log(`ok: ${what}`); } else { failures++; console.log(`FAIL: ${what}`); }
}
const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));
const ViewerWidth = 480, ViewerHeight = 376; // the match's picture and the viewer's line below it

async function state(page) {
  return page.evaluate(() => {
    const c = document.getElementById('canvas');
    return { width: c.width, height: c.height, picture: c.toDataURL(), status: document.getElementById('status').textContent };
  });
}
async function waitFor(page, predicate, ms, what) {
  const until = Date.now() + ms;
  for (;;) {
    const s = await state(page);
    if (predicate(s)) return s;
    if (Date.now() > until) throw new Error(`timed out waiting for ${what} (status "${s.status}", ${s.width}x${s.height})`);
    await sleep(50);
  }
}
async function press(page, key) {
  await page.keyboard.down(key);
  await sleep(60);
  await page.keyboard.up(key);
}
const isViewer = s => s.width === ViewerWidth && s.height === ViewerHeight;

// Drops a file on the page as a person drags one from a file manager.
async function drop(page, bytes, name) {
  await page.evaluate((base64, fileName) => {
    const data = Uint8Array.from(atob(base64), c => c.charCodeAt(0));
    const transfer = new DataTransfer();
    transfer.items.add(new File([data], fileName, { type: 'application/octet-stream' }));
    for (const type of ['dragenter', 'dragover', 'drop']) {
      document.getElementById('canvas').dispatchEvent(new DragEvent(type, { bubbles: true, cancelable: true, dataTransfer: transfer }));
    }
  }, Buffer.from(bytes).toString('base64'), name);
}

(async () => {
  const base = `http://127.0.0.1:${serverPort}/`;
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: path.join(workDir, 'profile'),
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--autoplay-policy=no-user-gesture-required',
           '--disable-background-timer-throttling', '--disable-renderer-backgrounding'],
  });
  const errors = [];
  const watch = page => {
    page.on('console', message => { if (message.type() === 'error') errors.push(message.text()); });
    page.on('pageerror', error => errors.push(String(error)));
  };
  try {
    // The kept match from a link.
    const page = await browser.newPage();
    watch(page);
    await page.goto(`${base}index.html?replay=${replayId}`, { waitUntil: 'load' });
    const first = await waitFor(page, isViewer, 15000, 'the viewer');
    check(true, `?replay=ID shows the kept match in the viewer (${first.width}x${first.height})`);
    await sleep(500);
    const later = await state(page);
    check(later.picture !== first.picture, 'the kept match plays');
    await page.focus('#canvas');
    await press(page, ' ');
    await sleep(300);
    const paused = await state(page);
    await sleep(500);
    check((await state(page)).picture === paused.picture, 'Space pauses the viewer');
    await press(page, 'ArrowRight');
    await sleep(300);
    check((await state(page)).picture !== paused.picture, 'the right arrow steps while paused');
    await page.close();

    // Opened paused at a tick: twice the same picture.
    const atTick = await browser.newPage();
    watch(atTick);
    await atTick.goto(`${base}index.html?replay=${replayId}&tick=200`, { waitUntil: 'load' });
    const opened = await waitFor(atTick, isViewer, 15000, 'the viewer at tick 200');
    await sleep(600);
    check((await state(atTick)).picture === opened.picture, '?tick=N opens the viewer paused');
    await atTick.close();

    // An id the server does not keep, and one that is no id: one line each, no viewer.
    for (const id of ['0123456789abcdef', '..%2F..%2Fetc']) {
      const stray = await browser.newPage();
      await stray.goto(`${base}index.html?replay=${id}`, { waitUntil: 'load' });
      const said = await waitFor(stray, s => /Zorbump/.test(s.status), 10000, 'the line about a missing replay');
      check(!isViewer(said) && /no match|not the id/.test(said.status), `?replay=${id} is said: "${said.status}"`);
      await stray.close();
    }

    // A replay file dropped on a page that shows the title.
    const dropped = await browser.newPage();
    watch(dropped);
    await dropped.goto(`${base}index.html`, { waitUntil: 'load' });
    await waitFor(dropped, s => s.width === 256 && s.height === 239, 10000, 'the title');
    await drop(dropped, fs.readFileSync(replayFile), 'match.zbr');
    await dropped.waitForNavigation({ waitUntil: 'load', timeout: 10000 });
    const shown = await waitFor(dropped, isViewer, 15000, 'the viewer of the dropped file');
    await sleep(500);
    check(isViewer(shown) && (await state(dropped)).picture !== shown.picture, 'a replay file dropped on the page plays');
    // A dropped file that is not a replay: said in one line.
    await drop(dropped, Buffer.from('not a replay at all'), 'notes.txt');
    await dropped.waitForNavigation({ waitUntil: 'load', timeout: 10000 });
    const refused = await waitFor(dropped, s => /replay:/.test(s.status), 15000, 'the line about a file that is not a replay');
    check(/not a replay/.test(refused.status), `a dropped file that is not a replay is said: "${refused.status}"`);
    await dropped.close();
  } catch (error) {
    check(false, String(error));
  } finally {
    await browser.close();
  }
  check(errors.length === 0, `no error reached the console${errors.length ? ': ' + errors.join(' | ') : ''}`);
  console.log(`${passes} passed, ${failures} failed`);
  process.exit(failures === 0 ? 0 : 1);
})();
