// Online pages in a real Chromium, through a real zorbump-server that serves them: two pages meet by
// quick match, share the select screen and play with identical confirmed traces, which the replay
// file each page kept plays again offline; a hidden tab pauses the match on both, Space resumes it;
// a page naming a server that is not a zorbump-server says so
// at once; the server stopped mid-match is said and the title comes back; no error reaches the
// console of a page whose server is a zorbump-server.
'use strict';
const fs = require('fs');
const http = require('http');
const { spawnSync } = require('child_process');
const path = require('path');
const puppeteer = require(path.join(process.env.PUPPETEER_MODULES, 'puppeteer-core'));

const [webDir, serverPort, serverPid, workDir, simPath] = process.argv.slice(2);
let failures = 0;
let passes = 0;
function check(ok, what) {
  if (ok) { passes++; console.log(`ok: ${what}`); } else { failures++; console.log(`FAIL: ${what}`); }
}
const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));

async function canvasState(page) {
  return page.evaluate(() => {
    const c = document.getElementById('canvas');
    return { width: c.width, height: c.height, picture: c.toDataURL(),
             status: document.getElementById('status').textContent, trace: window.zorbumpTrace().length };
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

// The select screen looks at the keys every 100 ms: the action key until the character shows taken.
async function takeCharacter(page) {
  await page.focus('#canvas');
  const free = (await canvasState(page)).picture;
  for (let attempt = 0; attempt < 10; attempt++) {
    await press(page, 'z', 120);
    await sleep(400);
    if ((await canvasState(page)).picture !== free) return true;
  }
  return false;
}

const trace = page => page.evaluate(() => window.zorbumpTrace());

// A page hidden as a browser hides a tab the player left.
async function hide(page) {
  await page.evaluate(() => {
    Object.defineProperty(document, 'hidden', { value: true, configurable: true });
    Object.defineProperty(document, 'visibilityState', { value: 'hidden', configurable: true });
    document.dispatchEvent(new Event('visibilitychange'));
  });
}
async function show(page) {
  await page.evaluate(() => {
    Object.defineProperty(document, 'hidden', { value: false, configurable: true });
    Object.defineProperty(document, 'visibilityState', { value: 'visible', configurable: true });
    document.dispatchEvent(new Event('visibilitychange'));
  });
}

(async () => {
  const base = `http://127.0.0.1:${serverPort}/`;
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: path.join(workDir, 'profile'),
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--autoplay-policy=no-user-gesture-required',
           '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
           '--disable-backgrounding-occluded-windows'],
  });
  const errors = [];
  const watch = page => {
    page.on('console', message => { if (message.type() === 'error') errors.push(message.text()); });
    page.on('pageerror', error => errors.push(String(error)));
  };
  // A plain web server that is not a zorbump-server.
  const plain = http.createServer((request, response) => { response.writeHead(404); response.end(); });
  await new Promise(resolve => plain.listen(0, '127.0.0.1', resolve));
  try {
    // A server that is not a zorbump-server: one line, at once, and the title.
    const stray = await browser.newPage();
    await stray.goto(`${base}index.html?server=127.0.0.1:${plain.address().port}&quick`, { waitUntil: 'load' });
    const strayState = await waitFor(stray, s => /server/.test(s.status), 15000, 'the line about a server that is not one');
    check(/cannot reach the server at 127\.0\.0\.1/.test(strayState.status),
          `a page naming a server that is not a zorbump-server says so: "${strayState.status}"`);
    await stray.close();

    // Two pages meet by quick match.
    const a = await browser.newPage();
    const b = await browser.newPage();
    for (const page of [a, b]) {
      watch(page);
      await page.setViewport({ width: 1280, height: 900 });
    }
    await a.goto(`${base}index.html?quick`, { waitUntil: 'load' });
    await b.goto(`${base}index.html?quick`, { waitUntil: 'load' });
    await waitFor(a, s => s.width === 480 && s.height === 360, 10000, 'the first page\'s shared select screen');
    await waitFor(b, s => s.width === 480 && s.height === 360, 10000, 'the second page\'s shared select screen');
    check(true, 'two pages meet by quick match through the server and reach the shared select screen');
    check(await takeCharacter(a), 'the first page\'s person takes a character');
    check(await takeCharacter(b), 'the second page\'s person takes a character');
    await a.focus('#canvas');
    await press(a, 'Enter');
    await waitFor(a, s => s.trace > 120, 10000, 'the first page\'s confirmed ticks');
    await waitFor(b, s => s.trace > 120, 10000, 'the second page\'s confirmed ticks');
    check(true, 'Enter on one page starts the match on both');
    // Main-thread time of a page in an online match, and the bytes its WebSocket carries (binary
    // frames' payloads, as Chromium reports them in base64).
    const cdp = await a.target().createCDPSession();
    await cdp.send('Network.enable');
    let wsBytes = 0;
    const count = event => { wsBytes += Buffer.from(event.response.payloadData, 'base64').length; };
    cdp.on('Network.webSocketFrameSent', count);
    cdp.on('Network.webSocketFrameReceived', count);
    const before = await a.metrics();
    await sleep(3000);
    const after = await a.metrics();
    const seconds = after.Timestamp - before.Timestamp;
    const busy = (after.TaskDuration - before.TaskDuration) / seconds * 100;
    console.log(`a page's main thread in an online match: ${busy.toFixed(1)}% of one core`);
    console.log(`a page's WebSocket in an online match: ${(wsBytes / seconds).toFixed(0)} bytes/s of messages, both ways`);
    await cdp.detach();

    // The tab hidden: both stop; shown again and Space, both go on.
    await hide(b);
    await sleep(1500);
    const pausedA = (await trace(a)).length, pausedB = (await trace(b)).length;
    await sleep(1000);
    check((await trace(a)).length === pausedA && (await trace(b)).length === pausedB,
          `a hidden tab pauses the match on both pages (at ${pausedA} and ${pausedB} lines)`);
    const told = (await canvasState(a)).status;
    check(/out of sight/.test(told), `the other player is told why in one line: "${told}"`);
    await show(b);
    await b.focus('#canvas');
    await press(b, ' ');
    await sleep(1500);
    check((await trace(a)).length > pausedA && (await trace(b)).length > pausedB, 'the tab shown again, Space resumes it on both');

    const ta = await trace(a), tb = await trace(b);
    const common = Math.min(ta.length, tb.length);
    let same = common > 200;
    for (let i = 0; i < common && same; i++) same = ta[i] === tb[i];
    check(same, `the two pages' confirmed traces are identical (${common} lines in common)`);
    fs.writeFileSync(path.join(workDir, 'page-a.trace'), ta.join('\n') + '\n');
    fs.writeFileSync(path.join(workDir, 'page-b.trace'), tb.join('\n') + '\n');

    // The server stops mid-match: both pages say so and show their title.
    process.kill(Number(serverPid), 'SIGTERM');
    const endA = await waitFor(a, s => s.width === 256 && s.height === 239, 15000, 'the first page\'s title after the server stopped');
    const endB = await waitFor(b, s => s.width === 256 && s.height === 239, 15000, 'the second page\'s title after the server stopped');
    check(/server/.test(endA.status) && /server/.test(endB.status),
          `the server stopped mid-match: both pages say so ("${endA.status}", "${endB.status}") and show their title`);

    // Each page kept what was confirmed of the match, through the pause: its replay file, played
    // again offline by zorbump-sim, is the very trace it confirmed (and the two agree, above).
    for (const [name, page] of [['first', a], ['second', b]]) {
      const whole = await trace(page);
      const records = await page.evaluate(() => window.zorbumpRecords());
      const file = path.join(workDir, `page-${name}.zbr`);
      if (records.length !== 1) {
        check(false, `the ${name} page kept one replay file (it kept ${records.length})`);
        continue;
      }
      fs.writeFileSync(file, Buffer.from(records[0]));
      const replayed = spawnSync(simPath, ['--replay', file, '--trace'], { encoding: 'utf8' });
      const lines = (replayed.stdout || '').split('\n').filter(l => l);
      let same = replayed.status === 0 && lines.length === whole.length && lines.length > 200;
      for (let i = 0; i < lines.length && same; i++) same = lines[i] === whole[i];
      check(same, `the offline replay of the ${name} page's kept file is its trace ` +
                  `(status ${replayed.status}, ${lines.length} lines against ${whole.length}${replayed.stderr ? ': ' + replayed.stderr.trim() : ''})`);
    }
  } catch (error) {
    check(false, String(error));
  } finally {
    await browser.close();
    plain.close();
  }
  check(errors.length === 0, `no error reached the console${errors.length ? ': ' + errors.join(' | ') : ''}`);
  console.log(`${passes} passed, ${failures} failed`);
  process.exit(failures === 0 ? 0 : 1);
})();
