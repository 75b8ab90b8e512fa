// The page's online window in a real Chromium, through a real zorbump-server that serves the page:
// - a page served elsewhere has the game's own title, without ONLINE; a page the server serves has
//   ONLINE in the title's free row;
// - two pages meet by QUICK MATCH from their online windows and play with identical traces;
// - NEW ROOM says the link that brings a friend in, and the link does;
// - a headless zorbump-sim opens a room, a page joins it by typing its code in JOIN ROOM, and the
//   two play the tool's line-up with identical traces;
// - no error reaches the console.
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');
const { spawn, spawnSync } = require('child_process');
const puppeteer = require(path.join(process.env.PUPPETEER_MODULES, 'puppeteer-core'));

const [webDir, serverPort, simPath, workDir] = process.argv.slice(2);
let failures = 0;
let passes = 0;
function check(ok, what) {
  if (ok) { passes++; console.log(`ok: ${what}`); } else { failures++; console.log(`FAIL: ${what}`); }
}
const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));

async function state(page) {
  return page.evaluate(() => {
    const c = document.getElementById('canvas');
    return { width: c.width, height: c.height, picture: c.toDataURL(),
             status: document.getElementById('status').textContent, trace: window.zorbumpTrace().length };
  });
}
async function waitFor(page, predicate, ms, what) {
  const until = Date.now() + ms;
  for (;;) {
    const now = await state(page);
    if (predicate(now)) return now;
    if (Date.now() > until) throw new Error(`timed out waiting for ${what}`);
    await sleep(50);
  }
}
// Whether the title's free row, between 2PLAYERS GAME and EXIT, has white letters in it.
async function onlineItemShown(page) {
  return page.evaluate(async () => {
    const c = document.getElementById('canvas');
    const picture = new Image();
    picture.src = c.toDataURL();
    await picture.decode();
    const copy = document.createElement('canvas');
    copy.width = c.width;
    copy.height = c.height;
    const g = copy.getContext('2d');
    g.drawImage(picture, 0, 0);
    const d = g.getImageData(76, 192, 109, 17).data;
    for (let i = 0; i < d.length; i += 4) if (d[i] === 255 && d[i + 1] === 255 && d[i + 2] === 255) return true;
    return false;
  });
}
async function keys(page, ...names) {
  await page.focus('#canvas');
  for (const name of names) {
    await page.keyboard.press(name);
    await sleep(80);
  }
}
async function title(page) {
  await waitFor(page, s => s.width === 256 && s.height === 239, 15000, 'the title');
  await sleep(300);
}
// From the title: ONLINE, two rows down; the choice shows for a second.
async function openOnline(page) {
  await title(page);
  await keys(page, 'n', 'n', 'Enter');
  await sleep(1300);
}
async function takeCharacter(page) {
  await page.focus('#canvas');
  const free = (await state(page)).picture;
  for (let attempt = 0; attempt < 10; attempt++) {
    await page.keyboard.down('z');
    await sleep(120);
    await page.keyboard.up('z');
    await sleep(400);
    if ((await state(page)).picture !== free) return true;
  }
  return false;
}
const trace = page => page.evaluate(() => window.zorbumpTrace());
function sameStart(a, b, least) {
  const common = Math.min(a.length, b.length);
  if (common < least) return false;
  for (let i = 0; i < common; i++) if (a[i] !== b[i]) return false;
  return true;
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
  const open = async address => {
    const page = await browser.newPage();
    page.on('console', message => { if (message.type() === 'error') errors.push(message.text()); });
    page.on('pageerror', error => errors.push(String(error)));
    await page.setViewport({ width: 1280, height: 900 });
    await page.goto(address, { waitUntil: 'load' });
    return page;
  };
  // The page's own files from a plain web server that is not a zorbump-server.
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
  const plain = http.createServer((request, response) => {
    const name = path.basename(new URL(request.url, 'http://x').pathname);
    const file = path.join(webDir, name);
    if (!(name in { 'index.html': 1, 'zorbump.js': 1, 'zorbump.wasm': 1 }) || !fs.existsSync(file)) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(name)] });
    response.end(fs.readFileSync(file));
  });
  await new Promise(resolve => plain.listen(0, '127.0.0.1', resolve));
  let tool = null;
  try {
    const elsewhere = await open(`http://127.0.0.1:${plain.address().port}/index.html`);
    await title(elsewhere);
    check(!(await onlineItemShown(elsewhere)), 'a page served by another web server has the game\'s own title, no ONLINE');
    await elsewhere.close();

    // Two pages meet by QUICK MATCH, chosen in their online windows.
    const a = await open(`${base}index.html`);
    const b = await open(`${base}index.html`);
    await title(a);
    check(await onlineItemShown(a), 'a page the server serves has ONLINE in the title\'s free row');
    for (const page of [a, b]) {
      await openOnline(page);
      await keys(page, 'Enter'); // QUICK MATCH, the first item
    }
    await waitFor(a, s => s.width === 480 && s.height === 360, 15000, 'the first page\'s shared select screen');
    await waitFor(b, s => s.width === 480 && s.height === 360, 15000, 'the second page\'s shared select screen');
    check(await takeCharacter(a) && await takeCharacter(b), 'two pages meet by QUICK MATCH from the online window');
    await keys(a, 'Enter');
    await waitFor(a, s => s.trace > 150, 15000, 'the first page\'s confirmed ticks');
    await waitFor(b, s => s.trace > 150, 15000, 'the second page\'s confirmed ticks');
    check(sameStart(await trace(a), await trace(b), 150), 'the two pages play one match with identical traces');
    await a.close();
    await b.close();

    // NEW ROOM says the link that brings a friend in; the friend's page follows it.
    const host = await open(`${base}index.html`);
    await openOnline(host);
    await keys(host, 'n', 'Enter');
    const said = await waitFor(host, s => /\?room=[A-Z]{4}/.test(s.status), 10000, 'the room\'s link');
    const link = said.status.match(/(http\S*\?room=[A-Z]{4})/)[1];
    check(link.startsWith(base), `NEW ROOM shows the link that brings a friend in: ${link}`);
    const friend = await open(link);
    await waitFor(host, s => s.width === 480 && s.height === 360, 15000, 'the room host\'s select screen');
    await waitFor(friend, s => s.width === 480 && s.height === 360, 15000, 'the friend\'s select screen');
    check(true, 'the link brings the friend into the room');
    await host.close();
    await friend.close();

    // A room zorbump-sim opens: the page types its code in JOIN ROOM and plays the tool's line-up.
    const toolOut = fs.openSync(path.join(workDir, 'tool.trace'), 'w');
    const toolErr = path.join(workDir, 'tool.err');
    const record = path.join(workDir, 'tool.zbr');
    tool = spawn(simPath, ['--server', `127.0.0.1:${serverPort}`, '--new-room', '--ticks', '300', '--trace', '--record', record],
                 { stdio: ['ignore', toolOut, fs.openSync(toolErr, 'w')] });
    const toolEnded = new Promise(resolve => tool.on('exit', code => resolve(code)));
    let code = '';
    for (let i = 0; i < 100 && !code; i++) {
      await sleep(50);
      const m = fs.readFileSync(toolErr, 'utf8').match(/^room ([A-Z]{4})$/m);
      if (m) code = m[1];
    }
    if (!code) throw new Error('the tool opened no room');
    const guest = await open(`${base}index.html`);
    await openOnline(guest);
    await keys(guest, 'n', 'n', 'Enter'); // JOIN ROOM
    await sleep(1300);
    await keys(guest, ...code.toLowerCase().split(''), 'Enter');
    const status = await Promise.race([toolEnded, sleep(30000).then(() => 'late')]);
    check(status === 0, `the tool plays its room's match with the page to the end (status ${status})`);
    tool = null;
    await waitFor(guest, s => s.trace >= 301, 10000, 'the page\'s whole trace of the tool\'s match');
    const toolLines = fs.readFileSync(path.join(workDir, 'tool.trace'), 'utf8').split('\n').filter(l => l);
    const pageLines = await trace(guest);
    check(toolLines.length === 301 && sameStart(pageLines, toolLines, 301),
          `the page and zorbump-sim have identical traces (${toolLines.length} lines of the tool's, ${pageLines.length} of the page's)`);
    // The tool's record played again offline: the very trace both machines confirmed.
    const replayed = spawnSync(simPath, ['--replay', record, '--trace'], { encoding: 'utf8' });
    const replayLines = (replayed.stdout || '').split('\n').filter(l => l);
    check(replayed.status === 0 && replayLines.length === 301 && sameStart(pageLines, replayLines, 301),
          `the offline replay of the tool's record is the page's trace (status ${replayed.status}, ${replayLines.length} lines)`);
    await guest.close();
  } catch (error) {
    check(false, String(error));
  } finally {
    if (tool) tool.kill();
    await browser.close();
    plain.close();
  }
  check(errors.length === 0, `no error reached the console${errors.length ? ': ' + errors.join(' | ') : ''}`);
  console.log(`${passes} passed, ${failures} failed`);
  process.exit(failures === 0 ? 0 : 1);
})();
