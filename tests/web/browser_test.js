#!/usr/bin/env node
// The web build's page in headless chromium, played as a player would:
//
//   node tests/web/browser_test.js [--web-build build/web]
//
// Serves the site (build/web/) on 127.0.0.1 and opens index.html?test=1,
// whose window.vorneTest shows the world, the ticks run and the sound's
// state. Each check gets a fresh page; a check that fails names itself and
// the others still run. Exit status 0 when every check passes.
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const zlib = require('zlib');
const {serveSite, launchBrowser, sleep} = require('./harness');

// The title's text boxes: where the native build draws the two hint lines
// (9 pt bold gothic at (48,130) and (48,150)) and the web build may draw its
// own glyphs or none. Outside them the two frames are the same.
const textBoxes = [
  {name: 'Z hint', x: 46, y: 129, width: 92, height: 16},
  {name: 'X hint', x: 46, y: 148, width: 109, height: 17},
];

// A stage of the player's own, for the file picker: walls around, the
// player, a coin and the door on the floor.
const chosenStage = ['aaaaa', 'azzza', 'azzza', 'abdfa', 'aaaaa'];

const stateTitle = 1;
const statePlay = 0;
const limit = 15000;  // ms any one wait may take
const watchdog = 100000;  // ms the whole run may take

function parseArgs(argv) {
  let web = path.resolve(__dirname, '..', '..', 'build', 'web');
  for (let i = 0; i < argv.length; ++i) {
    if (argv[i] === '--web-build' && i + 1 < argv.length) web = path.resolve(argv[++i]);
    else throw new Error(`unknown option ${argv[i]} (usage: browser_test.js [--web-build DIR])`);
  }
  return web;
}

// An 8-bit RGBA PNG, not interlaced, as the native screenshots are: its
// pixels, row by row.
function readPng(file) {
  const bytes = fs.readFileSync(file);
  let width = 0, height = 0, type = -1, depth = 0, interlace = 0;
  const data = [];
  for (let at = 8; at + 8 <= bytes.length;) {
    const length = bytes.readUInt32BE(at);
    const chunk = bytes.toString('latin1', at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (chunk === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      depth = body[8];
      type = body[9];
      interlace = body[12];
    } else if (chunk === 'IDAT') {
      data.push(body);
    }
    at += 12 + length;
  }
  if (depth !== 8 || type !== 6 || interlace !== 0)
    throw new Error(`${file}: not an 8-bit RGBA PNG without interlacing`);
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * 4;
  const pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    const out = y * stride;
    for (let x = 0; x < stride; ++x) {
      const a = x >= 4 ? pixels[out + x - 4] : 0;
      const b = y > 0 ? pixels[out - stride + x] : 0;
      const c = x >= 4 && y > 0 ? pixels[out - stride + x - 4] : 0;
      let predicted = 0;
      if (filter === 1) predicted = a;
      else if (filter === 2) predicted = b;
      else if (filter === 3) predicted = (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      } else if (filter !== 0) {
        throw new Error(`${file}: unknown row filter ${filter}`);
      }
      pixels[out + x] = (line[x] + predicted) & 255;
    }
  }
  return {width, height, pixels};
}

// The desktop build's headless title frame after that tick.
function nativeTitle(web, tick, folder) {
  const program = path.join(web, 'host', 'bin', 'vorne1.0');
  const out = path.join(folder, `title-${tick}.png`);
  const args = ['--headless', '--ticks', String(tick), '--screenshot', `${tick}:${out}`];
  childProcess.execFileSync(program, args, {stdio: ['ignore', 'ignore', 'pipe'], timeout: limit});
  return readPng(out);
}

function boxAt(x, y) {
  return textBoxes.find((b) => x >= b.x && x < b.x + b.width && y >= b.y && y < b.y + b.height);
}

// A reader over the page's own DevTools session: the value of an
// expression, evaluated as the page's own script would, without the user
// gesture puppeteer's evaluate() grants (that would let the sound start
// before any key press).
function makeReader(session) {
  return async (expression) => {
    const reply = await session.send('Runtime.evaluate',
                                     {expression, returnByValue: true, userGesture: false});
    const thrown = reply.exceptionDetails;
    if (thrown) throw new Error(`${expression}: ${thrown.exception?.description ?? thrown.text}`);
    return reply.result.value;
  };
}

// Waits until read(expression) satisfies test; fails naming what it waited
// for and what it saw last.
async function waitFor(read, what, expression, test, describe = JSON.stringify) {
  const started = Date.now();
  let last;
  while (Date.now() - started < limit) {
    last = await read(expression);
    if (test(last)) return last;
    await sleep(50);
  }
  throw new Error(`${what} did not happen within ${limit / 1000} s (last seen: ${describe(last)})`);
}

// Waits until the page's world satisfies test(state).
function waitForState(read, what, test) {
  const describe = (s) =>
    s ? `game_state ${s.game_state}, stage_number ${s.stage_number}` : 'no game';
  return waitFor(read, what, 'window.vorneTest.state()', (s) => s && test(s), describe);
}

// A key held long enough for the game to see it (a tick is 40 ms).
async function press(page, code, ms = 150) {
  await page.keyboard.down(code);
  await sleep(ms);
  await page.keyboard.up(code);
}

async function startStage1(page, read) {
  await press(page, 'KeyZ');
  return waitForState(read, 'stage 1 starting after Z',
                      (s) => s.game_state === statePlay && s.stage_number === 1);
}

const nonZero = (table) => table.filter((rect) => rect.some((v) => v !== 0)).length;

function checks(web, work) {
  return [
    ['title', async ({read}) => {
      // The ticks and the pixels from one task of the page: the canvas shows
      // the frame of the tick counted.
      await waitFor(read, 'the first tick', 'window.vorneTest.ticks()', (n) => n >= 1);
      const shown = await read(`(() => {
        const canvas = document.getElementById('screen');
        const image = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
        return {tick: window.vorneTest.ticks(), width: image.width, height: image.height,
                pixels: Array.from(image.data)};
      })()`);
      const native = nativeTitle(web, shown.tick, work);
      if (shown.width !== native.width || shown.height !== native.height)
        throw new Error(`the canvas is ${shown.width} x ${shown.height}, ` +
                        `the native frame ${native.width} x ${native.height}`);
      const inside = new Map(textBoxes.map((b) => [b, 0]));
      let outside = 0, firstOutside = null;
      for (let y = 0; y < native.height; ++y) {
        for (let x = 0; x < native.width; ++x) {
          const at = (y * native.width + x) * 4;
          let same = true;
          for (let k = 0; k < 4; ++k) same = same && shown.pixels[at + k] === native.pixels[at + k];
          if (same) continue;
          const box = boxAt(x, y);
          if (box) {
            inside.set(box, inside.get(box) + 1);
          } else {
            ++outside;
            if (!firstOutside) firstOutside = `(${x},${y})`;
          }
        }
      }
      if (outside > 0)
        throw new Error(`${outside} pixels differ from the native title (tick ${shown.tick}) ` +
                        `outside the text boxes, the first at ${firstOutside}`);
      const counts = textBoxes.map((b) => `${b.name} ${inside.get(b)} of ${b.width * b.height}`);
      return `tick ${shown.tick}: equal outside the text boxes; ` +
             `pixels differing inside them: ${counts.join(', ')}`;
    }],

    ['play', async ({page, read}) => {
      const before = await startStage1(page, read);
      await page.keyboard.down('ArrowRight');
      await sleep(1000);
      await page.keyboard.up('ArrowRight');
      const after = await read('window.vorneTest.state()');
      if (!after || after.game_state !== statePlay)
        throw new Error(`play stopped while walking (game_state ${after && after.game_state})`);
      const from = before.player_rect[0], to = after.player_rect[0];
      if (!(to > from))
        throw new Error(`the player did not walk right in a second of the right arrow (x ${from} -> ${to})`);
      return `stage 1 started; the player walked from x ${from} to ${to}`;
    }],

    ['esc', async ({page, read}) => {
      await startStage1(page, read);
      await press(page, 'Escape');
      await waitFor(read, 'the "game ended" panel showing after Esc',
                    'document.getElementById("ended").hidden', (hidden) => hidden === false);
      await page.click('#again');
      await waitForState(read, 'the title after "Play again"', (s) => s.game_state === stateTitle);
      if (!(await read('document.getElementById("ended").hidden')))
        throw new Error('the "game ended" panel stayed up');
      return 'the panel showed, and "Play again" brought the title back';
    }],

    ['file', async ({page, read, session}) => {
      const file = path.join(work, 'mine.dat');
      fs.writeFileSync(file, `${chosenStage.length}\r\n${chosenStage.join('\r\n')}\r\n`);
      // The picker is caught on the page's own session, set to catch it
      // before the key goes down: page.waitForFileChooser() sends the same
      // command without waiting for it, and a picker the game opens a tick
      // after the key can come first and be cancelled by headless chromium.
      await session.send('Page.enable');
      await session.send('Page.setInterceptFileChooserDialog', {enabled: true});
      let timer;
      const opened = new Promise((resolve, reject) => {
        session.once('Page.fileChooserOpened', resolve);
        timer = setTimeout(() => reject(new Error('X on the title opened no file picker')), limit);
      });
      await press(page, 'KeyX');
      const chooser = await opened.finally(() => clearTimeout(timer));
      // The player takes a while to choose: the page's garbage is collected
      // meanwhile, and the picker's input must outlive that.
      await session.send('HeapProfiler.collectGarbage');
      const choice = {files: [file], backendNodeId: chooser.backendNodeId};
      await session.send('DOM.setFileInputFiles', choice)
          .catch((error) => {
            throw new Error(`the picker's input is gone before the choice (${error.message})`);
          });
      const grid = chosenStage.join('\n');
      const s = await waitForState(read, 'stage 1 of the chosen file starting',
                                   (s) => s.game_state === statePlay && s.stage_number === 1 &&
                                       s.stage_grid.join('\n') === grid);
      const letters = chosenStage.join('');
      const walls = letters.split('a').length - 1, coins = letters.split('d').length - 1;
      if (nonZero(s.wall_table) !== walls || nonZero(s.coin_table) !== coins)
        throw new Error(`the game built ${nonZero(s.wall_table)} walls and ` +
                        `${nonZero(s.coin_table)} coins, the file has ${walls} and ${coins}`);
      return `playing its stage 1: ${walls} walls, ${coins} coin`;
    }],

    ['gamepad', async ({page, read}) => {
      // A standard pad as the browser's Gamepad API gives it, plugged in
      // while the title shows; its buttons are set from here.
      await page.evaluate(() => {
        const pad = {id: 'test pad', index: 0, connected: true, mapping: 'standard',
                     timestamp: 0, axes: [0, 0, 0, 0],
                     buttons: Array.from({length: 17}, () => ({pressed: false, value: 0}))};
        window.testPad = pad;
        navigator.getGamepads = () => [pad];
        const event = new Event('gamepadconnected');
        event.gamepad = pad;
        window.dispatchEvent(event);
      });
      const hold = async (button, ms) => {
        const set = (b, on) => page.evaluate((b, on) => {
          window.testPad.buttons[b] = {pressed: on, value: on ? 1 : 0};
          window.testPad.timestamp += 1;
        }, b, on);
        await set(button, true);
        await sleep(ms);
        await set(button, false);
      };
      await sleep(200);  // the game takes the pad up on its next tick
      await hold(0, 150);  // south: Z
      const before = await waitForState(read, 'stage 1 starting after the south button',
                                        (s) => s.game_state === statePlay && s.stage_number === 1);
      await hold(15, 1000);  // the d-pad's right
      const after = await read('window.vorneTest.state()');
      const from = before.player_rect[0], to = after.player_rect[0];
      if (!(to > from))
        throw new Error(`the player did not walk right in a second of the d-pad's right (x ${from} -> ${to})`);
      return `the south button started stage 1; the d-pad walked the player from x ${from} to ${to}`;
    }],

    ['sound', async ({page, read}) => {
      const before = await read('window.vorneTest.audioState()');
      await press(page, 'ArrowDown');
      await waitFor(read, 'the AudioContext running after the first key press',
                    'window.vorneTest.audioState()', (state) => state === 'running');
      return `the AudioContext was ${before} before the first key press, running after it`;
    }],
  ];
}

// A fresh page of the site with the test hook, its first frame drawn: the
// page, its DevTools session and the reader over it.
async function openPage(browser, site, problems) {
  const page = await browser.newPage();
  page.setDefaultTimeout(limit);
  page.on('pageerror', (error) => problems.push(`error on the page: ${error.message}`));
  page.on('response', (response) => {
    const url = new URL(response.url());
    if (response.status() >= 400 && url.pathname !== '/favicon.ico')
      problems.push(`${url.pathname}: ${response.status()}`);
  });
  await page.setViewport({width: 900, height: 800});
  const session = await page.createCDPSession();
  const read = makeReader(session);
  await page.goto(`${site.url}index.html?test=1`, {timeout: limit});
  await waitFor(read, 'the first frame',
                'window.vorneTest ? window.vorneTest.page.firstFrameAt : 0', (at) => at > 0);
  return {page, read, session};
}

async function main() {
  const web = parseArgs(process.argv.slice(2));
  for (const name of ['index.html', 'vorne.js', 'vorne.wasm', 'vorne.data', 'host/bin/vorne1.0']) {
    if (!fs.existsSync(path.join(web, name))) {
      throw new Error(`${path.join(web, name)} is missing: ` +
                      'build the site first (cmake --build --preset web)');
    }
  }
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'vorne-browser-'));
  const site = await serveSite(web);
  let browser = null;
  const timer = setTimeout(() => {
    console.error(`web_browser: the run took more than ${watchdog / 1000} s; stopped`);
    if (browser && browser.process()) browser.process().kill('SIGKILL');
    process.exit(1);
  }, watchdog);
  let passed = 0, failed = 0;
  try {
    browser = await launchBrowser();
    for (const [name, check] of checks(web, work)) {
      const problems = [];
      let page = null;
      try {
        const opened = await openPage(browser, site, problems);
        page = opened.page;
        const said = await check(opened);
        if (problems.length) throw new Error(problems.join('; '));
        console.log(`ok ${name}: ${said}`);
        ++passed;
      } catch (error) {
        const also = problems.length ? ` (${problems.join('; ')})` : '';
        console.log(`FAILED ${name}: ${error.message}${also}`);
        ++failed;
      } finally {
        if (page) await page.close().catch(() => {});
      }
    }
  } finally {
    if (browser) await browser.close().catch(() => {});
    await site.close();
    fs.rmSync(work, {recursive: true, force: true});
    clearTimeout(timer);
  }
  console.log(`${passed} passed, ${failed} failed`);
  return failed === 0 ? 0 : 1;
}

main().then((status) => { process.exitCode = status; }, (error) => {
  console.error(`web_browser: ${error.message}`);
  process.exitCode = 1;
});
