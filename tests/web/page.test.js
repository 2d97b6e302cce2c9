// The web page in Debian's headless Chromium, driven by puppeteer-core:
// the audio capture gives exactly tev-capture --audio's samples, the pack
// is read by the show's reader with its load log on the console, a show
// whose sound the browser holds back plays silent, and the small server
// keeps to its folder.
//   node page.test.js SITE TEV_CAPTURE
// Exits 77 (skipped) when SITE holds no page: scripts/web builds it.
'use strict';
const assert = require('node:assert/strict');
const { after, before, describe, it } = require('node:test');
const { execFileSync } = require('node:child_process');
const crypto = require('node:crypto');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { pageTestSetup, webglArgs } = require('./setup.js');
const { serve, fileFor } = require('./serve.js');

const { args: [site, capture], puppeteer, chromium } =
    pageTestSetup('page.test.js', ['SITE', 'TEV_CAPTURE']);
const pageBound = 180000;  // the whole music rendered in wasm on a busy machine

// The SHA-256 of the sample data of a WAV file (its "data" chunk).
function wavSamplesSha256(file) {
  const wav = fs.readFileSync(file);
  assert.equal(wav.toString('latin1', 0, 4), 'RIFF');
  assert.equal(wav.toString('latin1', 8, 12), 'WAVE');
  for (let at = 12; at + 8 <= wav.length;) {
    const id = wav.toString('latin1', at, at + 4);
    const size = wav.readUInt32LE(at + 4);
    if (id === 'data') {
      assert.ok(at + 8 + size <= wav.length, 'the data chunk runs past the file');
      return crypto.createHash('sha256').update(wav.subarray(at + 8, at + 8 + size)).digest('hex');
    }
    at += 8 + size + (size & 1);
  }
  throw new Error(`${file} has no data chunk`);
}

function nativeAudioSha256(...span) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'tev-web-'));
  try {
    const wav = path.join(dir, 'music.wav');
    execFileSync(capture, ['--audio', wav, ...span], { stdio: ['ignore', 'ignore', 'inherit'] });
    return wavSamplesSha256(wav);
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

let server, browser, origin;
before(async () => {
  server = await serve(site, 0);
  origin = `http://127.0.0.1:${server.address().port}`;
  browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ['--headless=new', '--no-sandbox', '--autoplay-policy=no-user-gesture-required',
           '--disable-gpu'],
  });
});
after(async () => {
  if (browser) await browser.close();
  if (server) server.close();
});

// Opens `query` on the page; collects console lines, errors and failed
// requests, as seen until `ready` holds in the page.
async function open(query, ready, { on = browser, serveData } = {}) {
  const page = await on.newPage();
  const seen = { logs: [], warnings: [], errors: [] };
  page.on('console', (message) => {
    if (message.type() === 'error') seen.errors.push(message.text());
    else if (message.type() === 'warn') seen.warnings.push(message.text());
    else seen.logs.push(message.text());
  });
  page.on('pageerror', (error) => seen.errors.push(`page error: ${error.message}`));
  page.on('requestfailed', (request) => seen.errors.push(`failed: ${request.url()}`));
  page.on('response', (response) => {
    if (response.status() >= 400) seen.errors.push(`${response.status()}: ${response.url()}`);
  });
  if (serveData) {
    // The data file as the test gives it, in place of the site's.
    await page.setRequestInterception(true);
    page.on('request', async (request) => {
      if (!request.url().endsWith('/tev.data')) return request.continue();
      const original = Buffer.from(await (await fetch(`${origin}/tev.data`)).arrayBuffer());
      request.respond(serveData(original));
    });
  }
  await page.goto(`${origin}/index.html${query}`);
  await page.waitForFunction(ready, { timeout: pageBound, polling: 200 });
  return { page, seen };
}

const captured = 'window.tevCaptureDone === true';
const formShown = "!!window.tev && !document.getElementById('setup').hidden";
const failedToStart =
    "document.getElementById('status').textContent.startsWith('The page could not')";

describe('audio capture', () => {
  it('renders the show\'s span with the same samples as tev-capture --audio', async () => {
    const { page, seen } = await open('?capture=audio', captured);
    const sha = await page.$eval('#audio-sha256', (output) => output.value);
    assert.deepEqual(seen.errors, []);
    assert.match(sha, /^[0-9a-f]{64}$/);
    assert.equal(sha, nativeAudioSha256());
    await page.close();
  });

  it('starts a later span where tev-capture does', async () => {
    const { page, seen } = await open('?capture=audio&from=61.51&to=64', captured);
    const sha = await page.$eval('#audio-sha256', (output) => output.value);
    assert.deepEqual(seen.errors, []);
    assert.equal(sha, nativeAudioSha256('--from', '61.51', '--to', '64'));
    await page.close();
  });

  it('says so when the span holds no frame, and writes no digest', async () => {
    const { page, seen } = await open('?capture=audio&from=5&to=5', failedToStart);
    assert.equal(await page.$eval('#audio-sha256', (output) => output.value), '');
    assert.equal(await page.evaluate(() => window.tevCaptureDone), false);
    assert.equal(seen.errors.length, 1);
    assert.match(seen.errors[0], /no music to capture/);
    await page.close();
  });
});

describe('the page', () => {
  it('reads every picture of the pack with the show\'s reader, its log on the console',
     async () => {
       const { page, seen } = await open('', formShown);
       assert.deepEqual(seen.errors, []);
       assert.equal(await page.$eval('#pack-pictures', (output) => output.value), '17');
       assert.ok(seen.logs.includes('READING::name: PIC15'), seen.logs.join('\n'));
       assert.ok(seen.logs.includes('READING::name: DESTRUCT'));
       assert.equal(seen.logs.filter((line) => line === 'READING::width: 256').length, 17);
       await page.close();
     });
});

describe('bad input', () => {
  const ready = formShown;

  it('goes on without pictures when DATA.PAK is damaged, and says so', async () => {
    const { page, seen } = await open('', ready, {
      serveData: (data) => {
        data.write('JUNK', 0, 'latin1');  // DATA.PAK comes first in the data file
        return { status: 200, contentType: 'application/octet-stream', body: data };
      },
    });
    assert.equal(await page.$eval('#pack-pictures', (output) => output.value), 'no pack');
    assert.ok(seen.warnings.some((line) => /DATA\.PAK cannot be read/.test(line)), seen.warnings);
    assert.deepEqual(seen.errors, []);
    await page.close();
  });

  it('says the page could not start when its data file is missing', async () => {
    const { page, seen } = await open('', failedToStart, {
      serveData: () => ({ status: 404, contentType: 'text/plain', body: 'not found' }),
    });
    assert.ok(seen.errors.some((line) => /404/.test(line)), seen.errors);
    await page.close();
  });

  it('plays the show silent when the browser holds the sound back, and says so', async () => {
    // Sound only after a click on the page, and the show started without
    // one: puppeteer's own evaluations count as clicks, so the page is
    // driven through the protocol with no gesture at all.
    const strict = await puppeteer.launch({
      executablePath: chromium,
      headless: true,
      args: [...webglArgs, '--autoplay-policy=document-user-activation-required'],
    });
    try {
      const page = await strict.newPage();
      const warnings = [], errors = [];
      page.on('console', (message) => {
        if (message.type() === 'warn') warnings.push(message.text());
        if (message.type() === 'error') errors.push(message.text());
      });
      const client = await page.createCDPSession();
      const run = async (expression) => (await client.send('Runtime.evaluate', {
        expression, userGesture: false, returnByValue: true, awaitPromise: true,
      })).result.value;
      await page.goto(`${origin}/index.html`);
      const until = async (expression, bound) => {
        for (const end = Date.now() + bound; !(await run(expression));) {
          assert.ok(Date.now() < end, `not within ${bound} ms: ${expression}`);
          await new Promise((resolve) => setTimeout(resolve, 200));
        }
      };
      await until("!!window.tev && !document.getElementById('setup').hidden", pageBound);
      await run("document.querySelector('#setup button[type=\"submit\"]').click()");
      await until("/plays silent/.test(document.getElementById('status').textContent)", 20000);
      assert.equal(await run('window.tev.tevSound.context.state'), 'suspended');
      for (const end = Date.now() + 10000;
           !warnings.some((line) => /did not start the sound/.test(line));) {
        assert.ok(Date.now() < end, `no warning of the held sound: ${warnings.join('\n')}`);
        await new Promise((resolve) => setTimeout(resolve, 200));
      }
      // The show goes on by the page's clock.
      const clock = "window.tev.ccall('tevShowClock', 'number', [], [])";
      const before = await run(clock);
      await until(`${clock} > ${before} + 1`, 20000);
      assert.deepEqual(errors, []);
    } finally {
      await strict.close();
    }
  });
});

describe('the static server', () => {
  it('serves the page\'s files with the types browsers need', async () => {
    for (const [file, type] of [['index.html', 'text/html'], ['tev.wasm', 'application/wasm'],
                                ['tev.js', 'text/javascript']]) {
      const response = await fetch(`${origin}/${file}`);
      assert.equal(response.status, 200, file);
      assert.ok(response.headers.get('content-type').startsWith(type), file);
    }
  });

  it('serves nothing outside its folder', async () => {
    const root = path.resolve(site);
    for (const url of ['/../CMakeLists.txt', '/%2e%2e/%2e%2e/etc/passwd', '/..%2f..%2fetc/passwd',
                       '/nothing-here', '/%zz', '/a%00b']) {
      assert.equal(fileFor(root, url), null, url);
    }
    assert.equal(fileFor(root, '/'), path.join(root, 'index.html'));
    const response = await fetch(`${origin}/%2e%2e/%2e%2e/etc/passwd`);
    assert.equal(response.status, 404);
  });
});
