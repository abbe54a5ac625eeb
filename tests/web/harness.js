// What the browser test and the figures share: the web build's site served
// on 127.0.0.1, and Debian's chromium driven by puppeteer-core.
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');

// The types a plain static server gives; streaming compilation of
// WebAssembly wants application/wasm.
const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.dat': 'application/octet-stream',
  '.ogg': 'audio/ogg',
  '.png': 'image/png',
};

// The site served from its folder on a free port: no caching headers, nothing
// outside the folder. Resolves to {url, log, close()}; the log holds
// {path, status, bytes} per request, so the callers can name a file that went
// missing or add up a player's download.
function serveSite(root) {
  root = path.resolve(root);
  const log = [];
  const server = http.createServer((request, response) => {
    let name;
    try {
      name = decodeURIComponent(new URL(request.url, 'http://site').pathname);
    } catch (e) {
      name = null;
    }
    const file = name && path.join(root, name);
    const send = (status, body, type) => {
      log.push({path: name || request.url, status, bytes: body.length});
      response.writeHead(status, {'Content-Type': type, 'Content-Length': body.length});
      response.end(request.method === 'HEAD' ? undefined : body);
    };
    if (!file || (file !== root && !file.startsWith(root + path.sep))) {
      send(403, Buffer.from('outside the site\n'), 'text/plain');
      return;
    }
    fs.readFile(file, (error, body) => {
      if (error) send(404, Buffer.from('not found\n'), 'text/plain');
      else send(200, body, types[path.extname(file)] || 'application/octet-stream');
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const url = `http://127.0.0.1:${server.address().port}/`;
      resolve({
        url,
        log,
        close: () => new Promise((done) => {
          server.closeAllConnections();
          server.close(() => done());
        }),
      });
    });
  });
}

const chromium = process.env.VORNE_CHROMIUM || '/usr/bin/chromium';

// puppeteer-core from tests/web/node_modules, or a message saying how to get it.
function loadPuppeteer() {
  try {
    return require(path.join(__dirname, 'node_modules', 'puppeteer-core'));
  } catch (e) {
    throw new Error(`puppeteer-core is not installed in ${__dirname}/node_modules ` +
                    `(run: cd ${__dirname} && PUPPETEER_SKIP_DOWNLOAD=1 npm ci): ${e.message}`);
  }
}

// Headless chromium as root can run only without its sandbox. Sound waits
// for a key press, as in a player's browser.
async function launchBrowser() {
  if (!fs.existsSync(chromium))
    throw new Error(`${chromium} is missing (apt-get install chromium)`);
  return loadPuppeteer().launch({
    executablePath: chromium,
    headless: true,
    args: ['--no-sandbox', '--autoplay-policy=document-user-activation-required', '--mute-audio'],
    protocolTimeout: 30000,
  });
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

module.exports = {serveSite, launchBrowser, sleep};
