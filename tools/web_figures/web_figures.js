#!/usr/bin/env node
// Prints the web build's figures: what a player downloads, how soon the
// first frame is drawn, and the CPU the page takes while playing.
//
//   node tools/web_figures/web_figures.js [--web-build build/web] [--loads 5] [--seconds 20]
//
// The site (build/web/) is served on 127.0.0.1 and opened in headless
// chromium (puppeteer-core from tests/web/node_modules):
// - download: every file the page fetched, music included (after a key
//   press, once the three pieces have arrived), as served and as gzip would
//   send it;
// - first frame: window.vorneTest.page.firstFrameAt (ms after the page's
//   navigation began) over --loads loads, each in a fresh browser context
//   (nothing cached);
// - CPU: stage 1 played (standing still) for --seconds: the CPU time of all
//   of chromium's processes read from /proc over that interval, as a share
//   of one core, by process type; and page.metrics()'s TaskDuration (the
//   page's main thread busy) over the same interval.
// Headless chromium draws without a GPU, so the compositor's share is what a
// machine without one would pay.
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const {serveSite, launchBrowser, sleep} = require('../../tests/web/harness');

const limit = 20000;
const usage = 'web_figures.js [--web-build DIR] [--loads N] [--seconds S]';

function parseArgs(argv) {
  const options = {web: path.resolve(__dirname, '..', '..', 'build', 'web'), loads: 5, seconds: 20};
  for (let i = 0; i < argv.length; ++i) {
    const value = argv[i + 1];
    if (argv[i] === '--web-build' && value !== undefined) options.web = path.resolve(value);
    else if (argv[i] === '--loads' && Number(value) >= 1) options.loads = Number(value);
    else if (argv[i] === '--seconds' && Number(value) > 0) options.seconds = Number(value);
    else throw new Error(`bad option ${argv[i]} (usage: ${usage})`);
    ++i;
  }
  if (!fs.existsSync(path.join(options.web, 'vorne.wasm'))) {
    throw new Error(`${options.web}/vorne.wasm is missing: ` +
                    'build the site first (cmake --build --preset web)');
  }
  return options;
}

const kib = (bytes) => `${(bytes / 1024).toFixed(1)} KiB`;

async function openGame(context, site) {
  const page = await context.newPage();
  page.setDefaultTimeout(limit);
  await page.goto(`${site.url}index.html?test=1`);
  await page.waitForFunction(() => window.vorneTest && window.vorneTest.page.firstFrameAt > 0);
  return page;
}

async function press(page, code) {
  await page.keyboard.down(code);
  await sleep(150);
  await page.keyboard.up(code);
}

async function download(browser, site, web) {
  const context = await browser.createBrowserContext();
  site.log.length = 0;
  const page = await openGame(context, site);
  await press(page, 'ArrowDown');
  const pieces = fs.readdirSync(path.join(web, 'music')).length;
  const started = Date.now();
  const fetched = () => site.log.filter((r) => r.path.startsWith('/music/')).length;
  while (fetched() < pieces && Date.now() - started < limit) await sleep(100);
  await sleep(500);
  await context.close();
  let total = 0, gzipped = 0;
  const lines = [];
  for (const r of site.log) {
    if (r.status !== 200) {
      lines.push(`  ${r.path}: ${r.status}`);
      continue;
    }
    const packed = zlib.gzipSync(fs.readFileSync(path.join(web, r.path)), {level: 9}).length;
    total += r.bytes;
    gzipped += packed;
    const sizes = `${kib(r.bytes).padStart(12)}  gzip ${kib(packed).padStart(12)}`;
    lines.push(`  ${r.path.padEnd(22)} ${sizes}`);
  }
  console.log(`download: ${site.log.filter((r) => r.status === 200).length} files, ` +
              `${kib(total)} (${(total / 1048576).toFixed(2)} MiB) as served, ` +
              `${kib(gzipped)} (${(gzipped / 1048576).toFixed(2)} MiB) with gzip`);
  for (const line of lines) console.log(line);
}

async function firstFrames(browser, site, loads) {
  const times = [];
  for (let n = 0; n < loads; ++n) {
    const context = await browser.createBrowserContext();
    const page = await openGame(context, site);
    times.push(await page.evaluate(() => window.vorneTest.page.firstFrameAt));
    await context.close();
  }
  const sorted = [...times].sort((a, b) => a - b);
  const median = sorted[Math.floor(sorted.length / 2)];
  console.log(`first frame: median ${median.toFixed(0)} ms over ${loads} loads ` +
              `(${times.map((t) => t.toFixed(0)).join(', ')} ms)`);
}

// Every process under pid (pid included): {pid: {type, ticks}} from /proc,
// ticks being user + system CPU time in clock ticks.
function processTree(root) {
  const parents = new Map(), stats = new Map();
  for (const name of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(name)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${name}/stat`, 'latin1');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      parents.set(Number(name), Number(fields[1]));
      stats.set(Number(name), Number(fields[11]) + Number(fields[12]));
    } catch (e) {
      // gone meanwhile
    }
  }
  const tree = {};
  for (const [pid, ticks] of stats) {
    let p = pid;
    while (p && p !== root) p = parents.get(p);
    if (p !== root) continue;
    let type = 'browser';
    try {
      const match = /--type=([a-z-]+)/.exec(fs.readFileSync(`/proc/${pid}/cmdline`, 'latin1'));
      if (match) type = match[1];
    } catch (e) {
      // gone meanwhile
    }
    tree[pid] = {type, ticks};
  }
  return tree;
}

async function cpuInPlay(browser, site, seconds) {
  const clockTicks = Number(childProcess.execFileSync('getconf', ['CLK_TCK']).toString()) || 100;
  const context = await browser.createBrowserContext();
  const page = await openGame(context, site);
  await press(page, 'KeyZ');
  await page.waitForFunction(() => {
    const s = window.vorneTest.state();
    return s && s.game_state === 0 && s.stage_number === 1;
  });
  await sleep(1000);
  const root = browser.process().pid;
  const before = processTree(root);
  const metricsBefore = await page.metrics();
  const ticksBefore = await page.evaluate(() => window.vorneTest.ticks());
  const started = process.hrtime.bigint();
  await sleep(seconds * 1000);
  const after = processTree(root);
  const metricsAfter = await page.metrics();
  const ticksAfter = await page.evaluate(() => window.vorneTest.ticks());
  const elapsed = Number(process.hrtime.bigint() - started) / 1e9;
  const state = await page.evaluate(() => window.vorneTest.state().game_state);
  await context.close();

  const byType = {};
  let total = 0;
  for (const [pid, {type, ticks}] of Object.entries(after)) {
    const used = (ticks - (before[pid] ? before[pid].ticks : 0)) / clockTicks;
    byType[type] = (byType[type] || 0) + used;
    total += used;
  }
  const share = (s) => `${(100 * s / elapsed).toFixed(1)}%`;
  const task = metricsAfter.TaskDuration - metricsBefore.TaskDuration;
  const rate = (ticksAfter - ticksBefore) / elapsed;
  const playing = state === 0 ? 'yes' : `no, game_state ${state}`;
  console.log(`cpu: stage 1 for ${elapsed.toFixed(1)} s (${rate.toFixed(1)} ticks/s, ` +
              `still playing: ${playing})`);
  const parts = Object.entries(byType).sort((a, b) => b[1] - a[1]);
  console.log(`  chromium's processes: ${share(total)} of one core ` +
              `(${parts.map(([type, used]) => `${type} ${share(used)}`).join(', ')})`);
  console.log(`  page.metrics() TaskDuration: ${task.toFixed(2)} s, ${share(task)} of one core`);
}

async function main() {
  const options = parseArgs(process.argv.slice(2));
  const site = await serveSite(options.web);
  let browser = null;
  try {
    browser = await launchBrowser();
    const cores = require('os').cpus().length;
    console.log(`chromium ${await browser.version()}, headless, on ${cores} cores`);
    await download(browser, site, options.web);
    await firstFrames(browser, site, options.loads);
    await cpuInPlay(browser, site, options.seconds);
  } finally {
    if (browser) await browser.close().catch(() => {});
    await site.close();
  }
}

main().catch((error) => {
  console.error(`web_figures: ${error.message}`);
  process.exitCode = 1;
});
