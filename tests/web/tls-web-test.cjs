// Pages over https:// whose game reaches the same server over wss://: two pages meet by quick match
// and play with identical confirmed traces, and no error reaches either console. The certificate is
// the test's own, self-signed: Chromium is told to take it.
'use strict';
const path = require('path');
const puppeteer = require(path.join(process.env.PUPPETEER_MODULES, 'puppeteer-core'));

const [serverPort, workDir] = process.argv.slice(2);
let failures = 0;
let passes = 0;
function check(ok, what) {
  if (ok) { passes++; console.log(`ok: ${what}`); } else { failures++; console.log(`FAIL: ${what}`); }
}
const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));

async function state(page) {
  return page.evaluate(() => {
    const c = document.getElementById('canvas');
    return { width: c.width, height: c.height, picture: c.toDataURL(), trace: window.zorbumpTrace().length };
  });
}
async function waitFor(page, predicate, ms, what) {
  const until = Date.now() + ms;
  for (;;) {
    if (predicate(await state(page))) return;
    if (Date.now() > until) throw new Error(`timed out waiting for ${what}`);
    await sleep(50);
  }
}
async function press(page, key, holdMs = 60) {
  await page.keyboard.down(key);
  await sleep(holdMs);
  await page.keyboard.up(key);
}
async function takeCharacter(page) {
  await page.focus('#canvas');
  const free = (await state(page)).picture;
  for (let attempt = 0; attempt < 10; attempt++) {
    await press(page, 'z', 120);
    await sleep(400);
    if ((await state(page)).picture !== free) return true;
  }
  return false;
}

(async () => {
  const base = `https://localhost:${serverPort}/`;
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: path.join(workDir, 'profile-tls'),
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--ignore-certificate-errors',
           '--disable-background-timer-throttling', '--disable-renderer-backgrounding',
           '--disable-backgrounding-occluded-windows'],
  });
  const errors = [];
  const sockets = [];
  try {
    const a = await browser.newPage();
    const b = await browser.newPage();
    for (const page of [a, b]) {
      page.on('console', message => { if (message.type() === 'error') errors.push(message.text()); });
      page.on('pageerror', error => errors.push(String(error)));
      const cdp = await page.target().createCDPSession();
      await cdp.send('Network.enable');
      cdp.on('Network.webSocketCreated', event => sockets.push(event.url));
    }
    await a.goto(`${base}index.html?quick`, { waitUntil: 'load' });
    await b.goto(`${base}index.html?quick`, { waitUntil: 'load' });
    await waitFor(a, s => s.width === 480 && s.height === 360, 10000, 'the first page\'s shared select screen');
    await waitFor(b, s => s.width === 480 && s.height === 360, 10000, 'the second page\'s shared select screen');
    check(sockets.length === 2 && sockets.every(url => url.startsWith(`wss://localhost:${serverPort}`)),
          `pages over https:// reach their server over wss:// (${sockets.join(', ')})`);
    check(await takeCharacter(a), 'the first page\'s person takes a character');
    check(await takeCharacter(b), 'the second page\'s person takes a character');
    await a.focus('#canvas');
    await press(a, 'Enter');
    await waitFor(a, s => s.trace > 300, 15000, 'the first page\'s confirmed ticks');
    await waitFor(b, s => s.trace > 300, 15000, 'the second page\'s confirmed ticks');
    const ta = await a.evaluate(() => window.zorbumpTrace()), tb = await b.evaluate(() => window.zorbumpTrace());
    const common = Math.min(ta.length, tb.length);
    let same = common > 300;
    for (let i = 0; i < common && same; i++) same = ta[i] === tb[i];
    check(same, `two pages over https:// and wss:// play with identical confirmed traces (${common} lines)`);
  } catch (error) {
    check(false, String(error));
  } finally {
    await browser.close();
  }
  check(errors.length === 0, `no error reached the console over https://${errors.length ? ': ' + errors.join(' | ') : ''}`);
  console.log(`${passes} passed, ${failures} failed`);
  process.exit(failures === 0 ? 0 : 1);
})();
