// End-to-end test of the browser view: starts `vrel-host --serve` on a free
// loopback port with a site and transcript of its own, drives the system
// Chromium headless, and after each step checks what the page shows and what
// the transcript holds. Then the transcript must replay.
//
//   node view.e2e.mjs --host build/vrel-host --out build/tests/web/browser
//
// Screenshots of each panel, of the whole view and of the display wall go to --out. Chromium is
// /usr/bin/chromium unless CHROMIUM names another; nothing is downloaded.
import { spawnSync } from 'node:child_process';
import { copyFileSync, mkdirSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import http from 'node:http';
import { join } from 'node:path';
import assert from 'node:assert/strict';
import { chromium } from 'playwright-core';
import { startServing as startServingHost } from './serve_view.mjs';

const option = (name) => {
  const i = process.argv.indexOf(name);
  if (i < 0 || i + 1 >= process.argv.length) throw new Error('usage: view.e2e.mjs --host VREL_HOST --out DIR');
  return process.argv[i + 1];
};
const host = option('--host');
const out = option('--out');
mkdirSync(out, { recursive: true });
const work = mkdtempSync(join(tmpdir(), 'vrel-view-'));
process.on('exit', () => rmSync(work, { recursive: true, force: true }));
const site = join(work, 'site.json');
const siteAtStart = join(work, 'site-at-start.json');
const transcript = join(work, 'run.log');

const check = (result, what) => assert.equal(result.status, 0, what + ': ' + result.stderr + result.stdout);
check(spawnSync(host, ['--write-site', site], { encoding: 'utf8' }), 'writing the site');
copyFileSync(site, siteAtStart);
const siteAt = (file) => JSON.parse(readFileSync(file, 'utf8'));
const start = siteAt(site);
const device = (s, role) => s.devices.find((d) => d.role === role);

const startServing = (args) => startServingHost(host, args);
const { child: server, ended: serverEnded, url } = await startServing(['--site', site, '--transcript', transcript]);

// Two operator positions on one site, in one page: position 2 opens name
// set 3 in its editor; position 1 renames a source of it and confirms name
// set 3; position 2's list and "Current" follow. Then that session replays.
async function positionsStory(browser) {
  const positionsLog = join(work, 'positions.log');
  const { child: served, ended, url: address } = await startServing(['--instances', '2', '--transcript', positionsLog]);
  try {
    const page = await browser.newPage({ viewport: { width: 1720, height: 1000 } });
    const errors = [];
    page.on('pageerror', (e) => errors.push(e));
    await page.goto(address);
    const at = (position) => page.locator(`#positions [data-position="${position}"]`).click();
    const control = (panel, name) => page.locator(`#panels [data-panel="${panel}"] [data-control="${name}"]`);
    const shows = (panel, name, look) =>
      page.waitForSelector(`#panels [data-panel="${panel}"] [data-control="${name}"].look-${look}`, { timeout: 3000 });

    await page.waitForSelector('#positions [data-position="2"]');
    await at(2);
    await page.waitForSelector('#panels[data-position="2"]');
    await control(1, 'Name_Editor').click();
    await page.waitForSelector('#panels [data-panel="2"].on-screen');
    await control(2, 'NameSet_3').click();
    await shows(2, 'NameSet_3', 'KRSourceSelected');

    await at(1);
    await page.waitForSelector('#panels[data-position="1"] [data-panel="1"].on-screen');
    await control(1, 'Select_3').click();
    await shows(1, 'Select_3', 'KRSourceSelected');
    await control(1, 'Confirm').click();
    await shows(1, 'Select_3', 'KRSourceDeselected');
    const title = await control(1, 'Current').textContent();
    await control(1, 'Name_Editor').click();
    await control(2, 'NameSet_3').click();
    await shows(2, 'NameSet_3', 'KRSourceSelected');
    await control(2, 'SrcName').locator('[data-index="1"]').click();
    await page.waitForSelector('#panels [data-panel="2"] [data-control="KB_1"]:not(.disabled)');
    const old = await control(2, 'KB_1').locator('.typed').textContent();
    for (let i = 0; i < old.length; ++i) await page.keyboard.press('Backspace');
    await page.keyboard.type('Desk 1');
    await page.keyboard.press('Enter');
    await shows(2, 'Update', 'KR_TakeHigh');
    await control(2, 'Update').click();

    await at(2);
    await page.waitForFunction(() => document.querySelector(
      '#panels[data-position="2"] [data-panel="2"] [data-control="SrcName"] [data-index="1"] .name')
      ?.textContent === 'Desk 1', null, { timeout: 3000 });
    assert.equal(await control(1, 'Current').textContent(), title, 'position 2 shows the name set position 1 confirmed');
    assert.equal(await control(2, 'KB_1').locator('.typed').textContent(), '', 'position 2 got position 1\'s keys');
    await page.screenshot({ path: join(out, 'positions.png'), fullPage: true });
    assert.deepEqual(errors, [], 'the page threw');
  } finally {
    served.kill('SIGTERM');
  }
  assert.equal((await ended).code, 0, 'vrel-host --serve --instances 2 did not end well');
  const text = readFileSync(positionsLog, 'utf8');
  assert.ok(text.includes("[1] > RM 60 3 1 'Desk 1' 0\n"), 'position 1 renamed');
  assert.ok(text.includes('[2] < database device 60 database 3 entry 1 "Desk 1"\n'), 'position 2 heard the rename');
  check(spawnSync(host, ['--replay', positionsLog], { encoding: 'utf8' }), 'replay of two positions');
  console.log('two positions on one site: passed, and replayed');
}

// A page loaded while every event stream is taken is refused its own; it
// says so, tries again by itself, and once streams are free it shows a press
// made after that, without a reload.
async function reconnectStory(browser) {
  const { child: served, ended, url: address } = await startServing([]);
  const taken = [];
  try {
    for (let i = 0; i < 32; ++i)
      taken.push(await new Promise((resolve, reject) => {
        const request = http.get(address + 'api/events', (response) => {
          assert.equal(response.statusCode, 200, 'stream ' + (i + 1) + ' of 32 was refused');
          resolve(request);
        });
        request.on('error', reject);
      }));
    const page = await browser.newPage({ viewport: { width: 1720, height: 1000 } });
    await page.goto(address);
    await page.waitForFunction(() => /trying again/.test(document.getElementById('connection').textContent),
      null, { timeout: 5000 });
    for (const request of taken) request.destroy();
    await page.waitForSelector('#connection.online', { timeout: 10000 });
    await page.locator('[data-panel="1"] [data-control="UMDBright_1"]').click();
    await page.waitForSelector('[data-panel="1"] [data-control="UMDBright_1"].look-KRSourceSelected', { timeout: 3000 });
  } finally {
    for (const request of taken) request.destroy();
    served.kill('SIGTERM');
  }
  assert.equal((await ended).code, 0, 'vrel-host --serve did not end well');
  console.log('a page refused its stream came back by itself: passed');
}

// The transcript from the line of the step on: the operator line, then what it caused.
const transcriptText = () => readFileSync(transcript, 'utf8');
let stepStart = 0;
function expectInTranscript(lines) {
  const text = transcriptText().slice(stepStart);
  let at = 0;
  for (const line of lines) {
    const found = text.indexOf(line + '\n', at);
    assert.ok(found >= 0, 'the transcript lacks, in order: ' + line + '\n--- the step wrote:\n' + text.slice(0, 3000));
    at = found + line.length;
  }
}
const nextStep = () => { stepStart = transcriptText().length; };

const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  args: ['--no-sandbox', '--no-proxy-server'],
});
let failed = false;
const latencies = [];
let inPage = [];
const pageErrors = [];
try {
  const page = await browser.newPage({ viewport: { width: 1720, height: 1000 } });
  // Only the view itself is ever asked for.
  await page.route('**/*', (route) => (route.request().url().startsWith(url) ? route.continue() : route.abort()));
  page.on('pageerror', (e) => pageErrors.push(e));
  const opened = await page.goto(url);
  // No page elsewhere may frame the view, and it runs only its own script.
  const headers = opened.headers();
  assert.equal(headers['x-frame-options'], 'DENY');
  assert.match(headers['content-security-policy'], /frame-ancestors 'none'/);
  assert.equal(headers['x-content-type-options'], 'nosniff');
  // A second browser on the same simulation: it must see what the first does.
  const other = await browser.newPage({ viewport: { width: 1720, height: 1000 } });
  other.on('pageerror', (e) => pageErrors.push(e));
  await other.goto(url);
  const control = (panel, name) => page.locator(`[data-panel="${panel}"] [data-control="${name}"]`);
  const hasLook = (panel, name, look) =>
    page.waitForSelector(`[data-panel="${panel}"] [data-control="${name}"].look-${look}`, { timeout: 3000 });
  // A click made in the page and the time until the page draws the look it
  // caused: the press's round trip, the script, the push and the drawing.
  const clickUntilLook = (panel, name, look) => page.evaluate(([panel, name, look]) => new Promise((resolve) => {
    const find = () => document.querySelector(`[data-panel="${panel}"] [data-control="${name}"]`);
    const t0 = performance.now();
    const watch = new MutationObserver(() => {
      if (!find()?.classList.contains('look-' + look)) return;
      watch.disconnect();
      resolve(performance.now() - t0);
    });
    watch.observe(document.getElementById('panels'), { subtree: true, childList: true, attributes: true });
    find().click();
    setTimeout(() => resolve(Infinity), 3000);
  }), [panel, name, look]);
  // A click by the driver and the time until the page shows what it caused.
  async function timed(action, shown) {
    const t0 = Date.now();
    await action();
    await shown();
    latencies.push(Date.now() - t0);
  }

  await page.waitForSelector('[data-panel="1"].on-screen');
  await page.waitForSelector('[data-panel="2"].off-screen');
  assert.equal(await page.locator('#site-file').textContent(), 'site file: ' + site, 'the page names the site file');
  const titles = device(start, 'names').databases['9'];
  assert.equal(await control(1, 'Names_3').textContent(), titles[2], 'panel 1 shows the titles of the demo site');
  assert.equal(await control(1, 'Confirm').isDisabled(), true);

  // 1. Choose name set 3 and confirm it.
  nextStep();
  inPage = [await clickUntilLook(1, 'Select_3', 'KRSourceSelected')];
  expectInTranscript(['press 1 Select_3', '< button panel 1 control Select_3 event "button=released"',
    "> TP 'statesheet=KRSourceSelected' '1' 'Select_3'", "> CE '1' 'Confirm'"]);
  assert.equal(await control(1, 'Confirm').isEnabled(), true);
  nextStep();
  await timed(() => control(1, 'Confirm').click(), () => page.waitForFunction(
    (title) => document.querySelector('[data-panel="1"] [data-control="Current"]').textContent === title,
    titles[2], { timeout: 3000 }));
  expectInTranscript(['press 1 Confirm', "> IW 57 '3' 212 0", "> TP 'text=" + titles[2] + "' '1' 'Current'"]);
  await hasLook(1, 'Select_3', 'KRSourceDeselected');
  await page.waitForSelector('[data-device="57"] [data-slot="212"]:has-text("3")');

  // 2. Brightness: low.
  nextStep();
  inPage.push(await clickUntilLook(1, 'UMDBright_1', 'KRSourceSelected'));
  expectInTranscript(['press 1 UMDBright_1', "> IW 57 '1' 211 0"]);
  await hasLook(1, 'UMDBright_2', 'KRSourceDeselected');
  await page.waitForSelector('[data-device="57"] [data-slot="211"] td:nth-child(2):text-is("1")');
  await page.locator('[data-panel="1"]').screenshot({ path: join(out, 'panel-1.png') });

  // 3. Rename source 17 of name set 3 through the keyboard.
  nextStep();
  await control(1, 'Name_Editor').click();
  await page.waitForSelector('[data-panel="2"].on-screen');
  await page.waitForSelector('[data-panel="1"].off-screen');
  expectInTranscript(['press 1 Name_Editor', "> PR '1'"]);
  nextStep();
  await control(2, 'NameSet_3').click();
  await hasLook(2, 'NameSet_3', 'KRSourceSelected');
  const set3 = device(start, 'names').databases['3'];
  const row17 = control(2, 'SrcName').locator('[data-index="17"] .name');
  await page.waitForFunction(() => /name set 3/.test(
    document.querySelector('[data-panel="2"] [data-control="SrcName"] .caption').textContent));
  await control(2, 'SrcGroup').locator('[data-page="2"]').click();
  await page.waitForSelector('[data-panel="2"] [data-control="SrcName"] [data-index="17"]');
  assert.equal(await row17.textContent(), set3[16], 'the list shows the names of the set being edited');
  expectInTranscript(['press 2 NameSet_3', "> TP 'statesheet=KRSourceSelected' '2' 'NameSet_3'",
    'press 2 SrcGroup page=2', "> TP 'page=2' '2' 'SrcName'"]);

  nextStep();
  await control(2, 'SrcName').locator('[data-index="17"]').click();
  await page.waitForSelector('[data-panel="2"] [data-control="KB_1"]:not(.disabled)');
  assert.equal(await control(2, 'KB_1').locator('.typed').textContent(), set3[16]);
  expectInTranscript(['press 2 SrcName index=17', "> CE '2' 'KB_1'"]);
  // Typed on the computer's keyboard: markup and quotes must come out as text.
  const newName = '<b>&"x';
  for (let i = 0; i < set3[16].length; ++i) await page.keyboard.press('Backspace');
  await page.keyboard.type(newName);
  await page.keyboard.press('Enter');
  await page.waitForFunction((name) =>
    document.querySelector('[data-panel="2"] [data-control="PostEdit"]').textContent === name, newName,
  { timeout: 3000 });
  assert.equal(await page.locator('#panels b').count(), 0, 'a name was read as markup');
  expectInTranscript(['key return', "> TG '2' 'KB_1' 'text'", '= text=' + newName, "> ET 2 500"]);
  await hasLook(2, 'Update', 'KR_TakeHigh');
  await page.waitForSelector('[data-panel="2"] [data-control="Cancel"].look-KR_TakeLow, ' +
    '[data-panel="2"] [data-control="Cancel"].look-KR_TakeHigh');
  await page.locator('[data-panel="2"]').screenshot({ path: join(out, 'panel-2-editing.png') });

  nextStep();
  await timed(() => control(2, 'Update').click(), () => page.waitForFunction((name) =>
    document.querySelector('[data-panel="2"] [data-control="SrcName"] [data-index="17"] .name')
      ?.textContent === name, newName, { timeout: 3000 }));
  expectInTranscript(['press 2 Update', `> RM 60 3 17 '${newName}' 0`]);
  assert.equal(device(siteAt(site), 'names').databases['3'][16], newName, 'the rename is in the site file');
  await page.waitForSelector('[data-panel="2"] [data-control="KB_1"].disabled');
  await page.locator('[data-panel="2"]').screenshot({ path: join(out, 'panel-2.png') });
  await page.screenshot({ path: join(out, 'view.png'), fullPage: true });

  // 4. A name with an accent, typed on the computer's keyboard, reaches the site file byte for byte.
  nextStep();
  await control(2, 'SrcName').locator('[data-index="18"]').click();
  await page.waitForSelector('[data-panel="2"] [data-control="KB_1"]:not(.disabled)');
  for (let i = 0; i < set3[17].length; ++i) await page.keyboard.press('Backspace');
  await page.keyboard.type('Caf');
  // The key of a keyboard whose layout has é (Playwright's own layout has not): a trusted key event.
  const input = await page.context().newCDPSession(page);
  for (const type of ['keyDown', 'keyUp'])
    await input.send('Input.dispatchKeyEvent', { type, key: 'é', text: type === 'keyDown' ? 'é' : undefined });
  await page.waitForFunction(() =>
    document.querySelector('[data-panel="2"] [data-control="KB_1"] .typed').textContent === 'Café', null, { timeout: 3000 });
  await page.keyboard.press('Enter');
  await hasLook(2, 'Update', 'KR_TakeHigh');
  await control(2, 'Update').click();
  await page.waitForFunction(() => document.querySelector(
    '[data-panel="2"] [data-control="SrcName"] [data-index="18"] .name')?.textContent === 'Café', null, { timeout: 3000 });
  expectInTranscript(['key é', "> RM 60 3 18 'Café' 0"]);
  const savedBytes = Buffer.from(device(siteAt(site), 'names').databases['3'][17], 'utf8');
  assert.deepEqual(savedBytes, Buffer.from([0x43, 0x61, 0x66, 0xc3, 0xa9]), 'the site file holds Café in UTF-8');

  // 5. The on-screen keyboard: capitals through shift, and the apostrophe with its warning.
  nextStep();
  await page.waitForSelector('[data-panel="2"] [data-control="KB_1"].disabled');
  await control(2, 'SrcName').locator('[data-index="19"]').click();
  await page.waitForSelector('[data-panel="2"] [data-control="KB_1"]:not(.disabled)');
  const keyOf = (name) => control(2, 'KB_1').locator(`[data-key="${name}"]`);
  for (let i = 0; i < set3[18].length; ++i) await keyOf('backspace').click();
  await keyOf('shift').click();
  await keyOf('O').click();
  await keyOf('shift').click();
  assert.match(await keyOf("'").getAttribute('title'), /warns with a ! line/);
  await keyOf("'").click();
  for (const ch of 'neil') await keyOf(ch).click();
  await page.waitForFunction(() =>
    document.querySelector('[data-panel="2"] [data-control="KB_1"] .typed').textContent === "O'neil", null, { timeout: 3000 });
  await keyOf('return').click();
  await hasLook(2, 'Update', 'KR_TakeHigh');
  await control(2, 'Update').click();
  await page.waitForFunction(() => [...document.querySelectorAll('#notes .note')].some((n) =>
    n.textContent.startsWith('! ambiguous command') && n.textContent.includes("RM 60 3 19 'O'neil' 0")), null, { timeout: 3000 });
  assert.equal(device(siteAt(site), 'names').databases['3'][18], "O'neil");

  // Refused: the keyboard is disabled again, so a key reaches no script; the
  // transcript tells it as it tells a typed line the panel refuses.
  nextStep();
  const refused = await page.evaluate(async () => (await fetch('/api/key', {
    method: 'POST', headers: { 'Content-Type': 'application/json' }, body: '{"key":"a"}' })).status);
  assert.equal(refused, 409);
  expectInTranscript(['key a', '! refused: KB_1 on panel 2 is disabled, so it sends no event']);
  assert.equal(transcriptText().slice(stepStart).includes('< button'), false, 'a refused key reached the script');

  await other.waitForFunction((name) =>
    document.querySelector('[data-panel="2"] [data-control="SrcName"] [data-index="17"] .name')
      ?.textContent === name, newName, { timeout: 3000 });
  assert.equal(await other.locator('[data-panel="1"] [data-control="UMDBright_1"]').getAttribute('class'),
    await control(1, 'UMDBright_1').getAttribute('class'));
  assert.deepEqual(pageErrors, [], 'the page threw');

  // The log pane shows the protocol as it happened.
  await page.waitForFunction((line) => [...document.querySelectorAll('#log div')].some((d) => d.textContent === line),
    `> RM 60 3 17 '${newName}' 0`, { timeout: 3000 });
  console.log('press to page in the page, ms: ' + inPage.map((t) => t.toFixed(1)).join(', '));
  console.log('press to page through the driver, ms: ' + latencies.join(', '));
  assert.ok(Math.max(...inPage) < 500, 'an update took half a second or more to reach the page');
  assert.ok(Math.max(...latencies) < 1000, 'an update took a second or more to reach the page');

  // 6. The display wall, in a window of its own at 1600x1000: what the displays show, followed live.
  const wall = await browser.newPage({ viewport: { width: 1600, height: 1000 } });
  wall.on('pageerror', (e) => pageErrors.push(e));
  await wall.goto(url);
  await wall.locator('#views [data-view="displays"]').click();
  await wall.waitForSelector('#displays[data-drawn="yes"]:not([hidden])');
  const tile = (k) => wall.locator(`#displays [data-source="${k}"] .name`);
  const wallShows = (k, name) => wall.waitForFunction(([k, name]) =>
    document.querySelector(`#displays [data-source="${k}"] .name`)?.textContent === name, [k, name], { timeout: 3000 });
  assert.equal(await wall.locator('#displays .tile').count(), 128);
  assert.match(await wall.locator('#displays .wall-heading').textContent(), new RegExp('Name set 3: ' + titles[2]));
  assert.equal(await tile(17).textContent(), newName, 'the wall shows the rename in the live set');
  assert.equal(await tile(1).textContent(), set3[0]);
  assert.equal(await wall.locator('#displays .wall-tiles').getAttribute('data-brightness'), '1');
  const intensity = () => wall.evaluate(() =>
    getComputedStyle(document.querySelector('#displays [data-source="1"] .name')).opacity);
  assert.ok(Number(await intensity()) < 0.5, 'brightness low dims the tiles');
  // Another set confirmed: every tile follows, and the title above.
  await control(2, 'Nameset_Select').click();
  await page.waitForSelector('[data-panel="1"].on-screen');
  await control(1, 'Select_5').click();
  await hasLook(1, 'Select_5', 'KRSourceSelected');
  await control(1, 'Confirm').click();
  const set5 = device(start, 'names').databases['5'];
  await wallShows(17, set5[16]);
  assert.equal(await tile(1).textContent(), set5[0]);
  assert.match(await wall.locator('#displays .wall-heading').textContent(), new RegExp('Name set 5: ' + titles[4]));
  // A rename of a source of the live set: that tile follows.
  await control(1, 'Name_Editor').click();
  await control(2, 'NameSet_5').click();
  await hasLook(2, 'NameSet_5', 'KRSourceSelected');
  await control(2, 'SrcGroup').locator('[data-page="1"]').click();
  await control(2, 'SrcName').locator('[data-index="2"]').click();
  await page.waitForSelector('[data-panel="2"] [data-control="KB_1"]:not(.disabled)');
  for (let i = 0; i < set5[1].length; ++i) await page.keyboard.press('Backspace');
  await page.keyboard.type('Wall 2');
  await page.keyboard.press('Enter');
  await hasLook(2, 'Update', 'KR_TakeHigh');
  await control(2, 'Update').click();
  await wallShows(2, 'Wall 2');
  // Brightness high: the tiles' intensity follows.
  await control(2, 'Nameset_Select').click();
  await page.waitForSelector('[data-panel="1"].on-screen');
  await control(1, 'UMDBright_3').click();
  await wall.waitForSelector('#displays .wall-tiles[data-brightness="3"]', { timeout: 3000 });
  assert.equal(Number(await intensity()), 1, 'brightness high lights the tiles fully');
  // The whole wall fits the window: no scrolling either way.
  const overflow = await wall.evaluate(() => [document.documentElement.scrollWidth - innerWidth,
    document.documentElement.scrollHeight - innerHeight]);
  assert.deepEqual(overflow.map((n) => n > 0), [false, false], 'the wall scrolls at 1600x1000: ' + overflow);
  await wall.screenshot({ path: join(out, 'displays.png') });
  assert.deepEqual(pageErrors, [], 'the page threw');
  console.log('display wall: follows a confirmed set, a rename and the brightness; fits 1600x1000');

  await positionsStory(browser);
  await reconnectStory(browser);
} catch (e) {
  failed = true;
  console.error(e);
} finally {
  await browser.close();
  server.kill('SIGTERM');
}
const ended = await serverEnded;
assert.equal(failed, false, 'the browser steps failed');
assert.equal(ended.code, 0, 'vrel-host --serve ended with ' + JSON.stringify(ended));
assert.ok(transcriptText().endsWith('> AS\n'), 'the transcript ends with the script destroyed');

// The browser session replays as a typed one, from the site as it was.
check(spawnSync(host, ['--replay', transcript, '--site', siteAtStart], { encoding: 'utf8' }), 'replay');
console.log('replay of the browser session: passed');
console.log('browser test passed; screenshots in ' + out);
