// The page in a real Chromium: the title appears, Enter and the action key lead to a match whose
// frames change, Space freezes them, Escape returns to the title, keys go by their place (code)
// and not by what they type (key) on the title and in a match, the self-check agrees with the
// native tool, a page from disk says it must be served, and no error reaches the console.
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');
const puppeteer = require(path.join(process.env.PUPPETEER_MODULES, 'puppeteer-core'));

const [webDir, summaryFile, finalFile, workDir] = process.argv.slice(2);
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
let failures = 0;
let passes = 0;
function check(ok, what) {
  if (ok) { passes++; console.log(`ok: ${what}`); } else { failures++; console.log(`FAIL: ${what}`); }
}
const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));

function serve() {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname).replace(/^\/+/, '') || 'index.html';
    const file = path.join(webDir, path.basename(name));
    fs.readFile(file, (error, data) => {
      if (error) { response.writeHead(404); response.end(); return; }
      response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
      response.end(data);
    });
  });
  return new Promise(resolve => server.listen(0, '127.0.0.1', () => resolve(server)));
}

async function canvasState(page) {
  return page.evaluate(() => {
    const c = document.getElementById('canvas');
    return { width: c.width, height: c.height, picture: c.toDataURL(), cssWidth: c.style.width };
  });
}

async function waitFor(page, predicate, ms, what) {
  const until = Date.now() + ms;
  for (;;) {
    const state = await canvasState(page);
    if (predicate(state)) return state;
    if (Date.now() > until) throw new Error(`timed out waiting for ${what}`);
    await sleep(50);
  }
}

async function press(page, key, holdMs = 60) {
  await page.keyboard.down(key);
  await sleep(holdMs);
  await page.keyboard.up(key);
}

// A key as a keyboard of another layout sends it: the key at the place `code` names, typing `key`
// (its legacy key code is the letter typed, as browsers give it). Returns what the page saw.
async function pressAt(page, code, key, holdMs = 60) {
  const cdp = await page.target().createCDPSession();
  const keyCode = key.toUpperCase().charCodeAt(0);
  await page.evaluate(() => {
    window.lastKey = null;
    addEventListener('keydown', e => { window.lastKey = { code: e.code, key: e.key, keyCode: e.keyCode }; }, { once: true, capture: true });
  });
  await cdp.send('Input.dispatchKeyEvent', { type: 'keyDown', code, key, text: key, windowsVirtualKeyCode: keyCode });
  await sleep(holdMs);
  await cdp.send('Input.dispatchKeyEvent', { type: 'keyUp', code, key, windowsVirtualKeyCode: keyCode });
  await cdp.detach();
  return page.evaluate(() => window.lastKey);
}

// The pixels of one part of the game's picture, as a string to compare.
async function pixelsOf(page, x, y, width, height) {
  return page.evaluate((x, y, width, height) => {
    const c = document.getElementById('canvas');
    const copy = document.createElement('canvas');
    copy.width = c.width;
    copy.height = c.height;
    const context = copy.getContext('2d');
    context.drawImage(c, 0, 0);
    return context.getImageData(x, y, width, height).data.join(',');
  }, x, y, width, height);
}

// From the title: 1PLAYER GAME, the first character taken on the select screen, Enter; returns once
// the match's frames change.
async function startMatch(page) {
  await press(page, 'Enter');
  await waitFor(page, s => s.width === 480 && s.height === 360, 3000, 'the select screen');
  await sleep(300);
  // The select screen looks at the keys every 100 ms, and each look that finds the action key
  // down takes or drops the character: a press shorter than one look, until it shows taken.
  const free = (await canvasState(page)).picture;
  for (let attempt = 0; attempt < 8; attempt++) {
    await press(page, 'z', 60);
    await sleep(400);
    if ((await canvasState(page)).picture !== free) break;
  }
  const taken = (await canvasState(page)).picture;
  await press(page, 'Enter');
  await waitFor(page, s => s.picture !== taken, 3000, 'the match');
}

(async () => {
  const server = await serve();
  const base = `http://127.0.0.1:${server.address().port}/`;
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: path.join(workDir, 'profile'),
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--autoplay-policy=no-user-gesture-required'],
  });
  const errors = [];
  try {
    // The game: title, select, match, pause, Escape.
    const page = await browser.newPage();
    page.on('console', message => { if (message.type() === 'error') errors.push(message.text()); });
    page.on('pageerror', error => errors.push(String(error)));
    await page.setViewport({ width: 1280, height: 900 });
    const started = Date.now();
    await page.goto(base, { waitUntil: 'load' });
    const loaded = Date.now();
    const blank = await page.evaluate(() => { const c = document.createElement('canvas'); c.width = 256; c.height = 239; return c.toDataURL(); });
    const title = await waitFor(page, s => s.width === 256 && s.height === 239 && s.picture !== blank, 5000, 'the title');
    const titleMs = Date.now() - loaded;
    console.log(`the title appeared ${titleMs} ms after the page loaded (${Date.now() - started} ms after the request)`);
    check(titleMs <= 1000, `the title within 1 s of the load (${titleMs} ms)`);
    check(title.cssWidth === `${256 * 3}px`, `the title shown at the largest whole scale that fits 1280x900: ${title.cssWidth}`);
    await page.setViewport({ width: 800, height: 600 });
    await sleep(200);
    check((await canvasState(page)).cssWidth === `${256 * 2}px`, 'resizing the browser rescales the picture at once');
    await page.focus('#canvas');
    await startMatch(page);
    const a = await canvasState(page);
    await sleep(400);
    const b = await canvasState(page);
    check(a.width === 480 && a.picture !== b.picture, 'Enter and the action key lead to a match whose frames change');
    // The processor the page takes in a match, from Chromium's own count of its main thread's work.
    const before = await page.metrics();
    await sleep(3000);
    const after = await page.metrics();
    const busy = (after.TaskDuration - before.TaskDuration) / (after.Timestamp - before.Timestamp) * 100;
    console.log(`the page's main thread in a match: ${busy.toFixed(1)}% of one core`);
    await press(page, ' ');
    await sleep(200);
    const c = await canvasState(page);
    await sleep(500);
    const d = await canvasState(page);
    check(c.picture === d.picture, 'Space freezes the match');
    await press(page, ' ');
    await sleep(300);
    const e = await canvasState(page);
    await sleep(300);
    check(e.picture !== (await canvasState(page)).picture, 'Space again resumes it');
    await press(page, 'Escape');
    await waitFor(page, s => s.width === 256 && s.height === 239, 3000, 'the title after Escape');
    check(true, 'Escape returns to the title');

    // Keys by their place: a German keyboard types z with the key where Y is on a US keyboard, and y
    // with the key where Z is. On the title Y moves up (from 1PLAYER GAME to EXIT), and N down again.
    await sleep(300);
    const menu = (await canvasState(page)).picture;
    const labelledY = await pressAt(page, 'KeyZ', 'y');
    check(labelledY && labelledY.code === 'KeyZ' && labelledY.key === 'y', `the page saw code KeyZ typing y: ${JSON.stringify(labelledY)}`);
    await sleep(300);
    check((await canvasState(page)).picture === menu, 'on the title the key labelled Y on a German keyboard is not Y');
    const labelledZ = await pressAt(page, 'KeyY', 'z');
    check(labelledZ && labelledZ.code === 'KeyY' && labelledZ.key === 'z', `the page saw code KeyY typing z: ${JSON.stringify(labelledZ)}`);
    await sleep(300);
    check((await canvasState(page)).picture !== menu, 'on the title the key at Y\'s place moves up, whatever it types');
    await pressAt(page, 'KeyN', 'n');
    await sleep(300);
    check((await canvasState(page)).picture === menu, 'N moves back down to 1PLAYER GAME');

    // In a match, the air just above the person's character (on the left, x 104 to 135, standing at
    // y 265): a jump rises into it at once, and nothing else comes there in the first second, while
    // the computer serves from the far left (the serve passes higher). Each key gets a match of its
    // own, started afresh.
    const air = [104, 205, 32, 58];
    const airChanges = async (code, key) => {
      await startMatch(page);
      const before = await pixelsOf(page, ...air);
      await pressAt(page, code, key, 200);
      let changed = false;
      for (let look = 0; look < 8 && !changed; look++) {
        changed = (await pixelsOf(page, ...air)) !== before;
        await sleep(30);
      }
      await press(page, 'Escape');
      await waitFor(page, s => s.width === 256 && s.height === 239, 3000, 'the title after Escape');
      await sleep(300);
      return changed;
    };
    check(!(await airChanges('KeyZ', 'y')), 'in a match the key labelled Y on a German keyboard does not jump');
    check(await airChanges('KeyY', 'z'), 'in a match the key at Y\'s place, typing z, jumps');

    // The self-check against the native tool.
    const selfPage = await browser.newPage();
    selfPage.on('console', message => { if (message.type() === 'error') errors.push(message.text()); });
    selfPage.on('pageerror', error => errors.push(String(error)));
    const checkStarted = Date.now();
    await selfPage.goto(`${base}?selfcheck`, { waitUntil: 'load' });
    await selfPage.waitForFunction(() => document.body.dataset.selfcheck === 'done', { timeout: 60000 });
    console.log(`the self-check played the whole match in ${Date.now() - checkStarted} ms, load included`);
    const lines = await selfPage.evaluate(() => [...document.querySelectorAll('pre.selfcheck')].map(p => p.textContent));
    const summary = fs.readFileSync(summaryFile, 'utf8').trim();
    const final = fs.readFileSync(finalFile, 'utf8').trim();
    check(lines[0] === summary, `the self-check's summary is the native tool's: "${lines[0]}"`);
    check(lines[1] === final, 'the self-check ends on the native tool\'s final trace object, byte for byte');

    // A page opened from disk.
    const diskPage = await browser.newPage();
    await diskPage.goto('file://' + path.join(webDir, 'index.html'), { waitUntil: 'load' });
    const said = await diskPage.evaluate(() => document.getElementById('status').textContent);
    check(/must be served/.test(said), `a page opened from disk says so: "${said}"`);
  } catch (error) {
    check(false, String(error));
  } finally {
    await browser.close();
    server.close();
  }
  check(errors.length === 0, `no error reached the console${errors.length ? ': ' + errors.join(' | ') : ''}`);
  console.log(`${passes} passed, ${failures} failed`);
  process.exit(failures === 0 ? 0 : 1);
})();
