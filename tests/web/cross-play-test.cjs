// The page's side of a whole match against the real desktop game (cross-play-xvfb.sh runs the game,
// the server and this script): the page goes straight to a quick match by its link, where the game
// already waits, so the page's person is the second; on the shared select screen it moves one face
// to the right and takes the character on the game's person's side, and plays with random held keys
// until the game says the match has ended. Then its confirmed trace must be the offline replay of the game's record, line
// for line, ending with a side at 15; and no error may reach the console. Then the tab is closed.
// Usage: node cross-play-test.cjs BASE-ADDRESS WORK-FOLDER (the game's side talks through files there:
// page-took when the page holds its character, desktop-ended once replay.trace is written).
'use strict';
const fs = require('fs');
const path = require('path');
const kit = require('./page-kit.cjs');

const [base, workDir] = process.argv.slice(2);
const { check, finish } = kit.checks();
const inWork = name => path.join(workDir, name);
const PlayingLimitMs = 150000;

// Random held keys of the letter set, a new set every tenth to half of a second.
async function playUntilEnded(page) {
  const names = ['y', 'n', 'g', 'j', 'z'];
  let held = [];
  const until = Date.now() + PlayingLimitMs;
  while (!fs.existsSync(inWork('desktop-ended')) && Date.now() < until) {
    const next = names.filter(() => Math.random() < 0.3);
    for (const name of held) if (!next.includes(name)) await page.keyboard.up(name);
    for (const name of next) if (!held.includes(name)) await page.keyboard.down(name);
    held = next;
    await kit.sleep(100 + Math.random() * 400);
  }
  for (const name of held) await page.keyboard.up(name);
  return fs.existsSync(inWork('desktop-ended'));
}

// On the select screen: the cursor one face to the right, a press shorter than a tick of the screen
// at a time until the picture shows it moved.
async function nextFace(page) {
  await page.focus('#canvas');
  const before = await kit.settled(page);
  for (let attempt = 0; attempt < 10; attempt++) {
    await page.keyboard.down('j');
    await kit.sleep(40);
    await page.keyboard.up('j');
    await kit.sleep(400);
    if ((await kit.pageState(page)).picture !== before) return true;
  }
  return false;
}

// The last line's scores, from the teams' records in it.
function scores(line) {
  const found = [...line.matchAll(/"Score":(-?\d+)/g)].map(m => Number(m[1]));
  return found;
}

(async () => {
  const errors = [];
  const browser = await kit.launchBrowser(workDir);
  try {
    const page = await kit.openPage(browser, `${base}index.html?quick`, errors);
    await kit.waitFor(page, s => s.width === 480 && s.height === 360, 60000, 'the shared select screen');
    check(await nextFace(page) && await kit.takeCharacter(page),
          'the page meets the desktop game by quick match and takes the character beside the game\'s');
    fs.writeFileSync(inWork('page-took'), '');
    await kit.waitFor(page, s => s.trace > 0, 60000, 'the match to start');
    const started = Date.now();
    const ended = await playUntilEnded(page);
    check(ended, `the desktop game ended the match within ${PlayingLimitMs / 1000} s of play`);
    if (!ended) throw new Error(`the match went on past ${PlayingLimitMs / 1000} s: ` +
                                `scores ${scores((await page.evaluate(() => window.zorbumpTrace())).pop() || '')}`);
    const replayed = fs.readFileSync(inWork('replay.trace'), 'utf8').split('\n').filter(l => l);
    // The page confirms the last ticks a moment after the game does.
    await kit.waitFor(page, s => s.trace >= replayed.length, 10000, 'the page\'s whole trace');
    const lines = await page.evaluate(() => window.zorbumpTrace());
    let first = -1;
    for (let i = 0; i < Math.max(lines.length, replayed.length) && first < 0; i++) if (lines[i] !== replayed[i]) first = i;
    check(first < 0, `the page's confirmed trace is the offline replay of the game's record (${lines.length} lines ` +
                     `of the page's, ${replayed.length} of the replay's${first < 0 ? '' : `; they differ from line ${first}`})`);
    if (first >= 0) {
      console.log(`  the page's line ${first}:   ${(lines[first] || '(none)').slice(0, 600)}`);
      console.log(`  the replay's line ${first}: ${(replayed[first] || '(none)').slice(0, 600)}`);
    }
    const people = (JSON.parse(lines[0] || '{}').Gl_Players || []).filter(p => p.Control === 1);
    check(people.length === 2 && people[0].Side === people[1].Side,
          `the two people play on one side, the page's choice on the game's select screen too (sides ${people.map(p => p.Side)})`);
    const last = scores(replayed[replayed.length - 1] || '');
    check(last.includes(15), `the match ended with a side at 15 (scores ${last.join('-')}, ` +
                             `${replayed.length - 1} ticks in ${((Date.now() - started) / 1000).toFixed(0)} s)`);
    // The player closes the tab: the game is told (the runner checks what it says).
    await page.close();
  } catch (error) {
    check(false, String(error));
  } finally {
    await browser.close();
  }
  check(errors.length === 0, `no error reached the console${errors.length ? ': ' + errors.join(' | ') : ''}`);
  finish();
})();
