// The show's frames drawn by the page (the GL subset over WebGL 2, in
// Debian's headless Chromium) against tev-capture's of the same show times:
// Mesa's own pipeline, and the same subset over Mesa's OpenGL ES 3, which
// tells the subset's faults from the browser's rasteriser's.
//   node frames.test.js SITE TEV_CAPTURE
// Exits 77 (skipped) when SITE holds no page: scripts/web builds it.
// TEV_FRAMES_REPORT=FILE writes every frame's numbers there as JSON.
'use strict';
const assert = require('node:assert/strict');
const { after, before, describe, it } = require('node:test');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { pageTestSetup, webglArgs } = require('./setup.js');
const { serve } = require('./serve.js');
const { decodePng, compare } = require('./png.js');

const { args: [site, capture], puppeteer, chromium } =
    pageTestSetup('frames.test.js', ['SITE', 'TEV_CAPTURE']);
const pageBound = 300000;  // the show played unseen to its end in wasm on a busy machine

const times = ['0.5', '5', '12', '20', '33', '47', '57', '70', '90', '101', '111', '125'];
const size = '640x480';
// What the page's frames may differ from the desktop's by, in each frame.
const tolerance = { levels: 8, offShare: 0.01, mean: 1.5 };

function nativeFrames(at, ...options) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'tev-frames-'));
  try {
    execFileSync(capture, ['--at', at.join(','), '--size', size, '--out', dir, ...options],
                 { stdio: ['ignore', 'ignore', 'inherit'] });
    return Object.fromEntries(
        at.map((t) => [t, decodePng(fs.readFileSync(path.join(dir, `t${t}.png`)))]));
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

let server, browser, origin;
before(async () => {
  server = await serve(site, 0);
  origin = `http://127.0.0.1:${server.address().port}`;
  browser = await puppeteer.launch({ executablePath: chromium, headless: true, args: webglArgs });
});
after(async () => {
  if (browser) await browser.close();
  if (server) server.close();
});

async function open(query, ready, on = browser) {
  const page = await on.newPage();
  const errors = [];
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(message.text());
  });
  page.on('pageerror', (error) => errors.push(`page error: ${error.message}`));
  await page.goto(`${origin}/index.html${query}`);
  await page.waitForFunction(ready, { timeout: pageBound, polling: 250 });
  return { page, errors };
}

const failedToStart =
    "document.getElementById('status').textContent.startsWith('The page could not')";

describe('frame capture', () => {
  const shuffled = [...times.slice(6), ...times.slice(0, 6), times[3]];  // any order, twice
  let urls, errors;
  const report = [];
  before(async () => {
    const opened =
        await open(`?capture=${shuffled.join(',')}&size=${size}`, 'window.tevCaptureDone === true');
    urls = await opened.page.$$eval('img.frame', (images) =>
        images.map((image) => [image.dataset.t, image.src]));
    errors = opened.errors;
    await opened.page.close();
    const web = {};
    for (const [t, url] of urls) {
      web[t] = decodePng(Buffer.from(url.slice(url.indexOf(',') + 1), 'base64'));
    }
    const native = nativeFrames(times);
    const subset = nativeFrames(times, '--gl', 'subset');
    for (const t of times) {
      report.push({
        t,
        vsNative: compare(web[t], native[t], tolerance.levels),
        vsSubset: compare(web[t], subset[t], tolerance.levels),
        subsetVsNative: compare(subset[t], native[t], tolerance.levels),
      });
    }
    const pct = (share) => `${(share * 100).toFixed(2)} %`;
    console.log('# t      page-native off/mean/max     page-subset off/mean/max' +
                '     subset-native off/mean/max');
    for (const { t, vsNative: a, vsSubset: b, subsetVsNative: c } of report) {
      console.log(`# ${t.padEnd(6)} ${[a, b, c].map((r) => `${pct(r.offShare).padStart(8)} ` +
          `${r.mean.toFixed(3).padStart(6)} ${String(r.most).padStart(3)}`).join('    ')}`);
    }
    if (process.env.TEV_FRAMES_REPORT) {
      fs.writeFileSync(process.env.TEV_FRAMES_REPORT, JSON.stringify(report, null, 1));
    }
  });
  const beyond = (which) => report.filter(({ [which]: r }) =>
      r.offShare > tolerance.offShare || r.mean > tolerance.mean).map(({ t }) => t);

  it('puts every frame asked for in the page, in the order asked, with no error', () => {
    assert.deepEqual(errors, []);
    assert.deepEqual(urls.map(([t]) => t), shuffled);
    assert.ok(urls.every(([, url]) => url.startsWith('data:image/png;base64,')));
  });

  it('draws what the same GL subset draws over Mesa (tev-capture --gl subset)', () => {
    assert.deepEqual(beyond('vsSubset'), [], 'frames beyond the tolerance');
  });

  it('draws the frames of tev-capture --at (Mesa\'s own pipeline) within the tolerance', () => {
    assert.deepEqual(beyond('vsNative'), [], 'frames beyond the tolerance');
  });
});

describe('16-bit frame capture', () => {
  // The page's 16-bit picture is a 5-6-5 buffer that the browser's GPU
  // rounds and blends (SwiftShader here), not llvmpipe: one step of 5 bits
  // apart on many pixels, so only the mean is held to the desktop's.
  const at = ['5', '47', '101'];
  let web, errors;
  before(async () => {
    const opened = await open(`?capture=${at.join(',')}&size=${size}&bits=16`,
                              'window.tevCaptureDone === true');
    errors = opened.errors;
    web = Object.fromEntries(await opened.page.$$eval('img.frame', (images) =>
        images.map((image) => [image.dataset.t, image.src])));
    await opened.page.close();
    for (const t of at) {
      web[t] = decodePng(Buffer.from(web[t].slice(web[t].indexOf(',') + 1), 'base64'));
    }
  });

  it('holds only the colours of a 5-6-5 buffer', () => {
    assert.deepEqual(errors, []);
    // A level of n bits read as 8, by bit replication or by rounding.
    const levels = (bits) => {
      const all = new Set();
      const top = (1 << bits) - 1;
      for (let v = 0; v <= top; ++v) {
        all.add((v << (8 - bits)) | (v >> (2 * bits - 8)));
        all.add(Math.round((v * 255) / top));
      }
      return all;
    };
    const five = levels(5), six = levels(6);
    for (const t of at) {
      const { rgb } = web[t];
      let strays = 0;
      for (let i = 0; i < rgb.length; i += 3) {
        if (!five.has(rgb[i]) || !six.has(rgb[i + 1]) || !five.has(rgb[i + 2])) ++strays;
      }
      assert.equal(strays, 0, `${t} s: ${strays} pixels of more than 16 bits`);
    }
  });

  it('is within a step of 5 bits of tev-capture --bits 16 on the mean', () => {
    const native = nativeFrames(at, '--bits', '16');
    for (const t of at) {
      const r = compare(web[t], native[t], tolerance.levels);
      console.log(`# 16 bits ${t.padEnd(4)} ${(r.offShare * 100).toFixed(2)} % ` +
                  `mean ${r.mean.toFixed(3)} most ${r.most}`);
      assert.ok(r.mean <= 4, `${t} s: mean ${r.mean.toFixed(2)} levels`);
    }
  });
});

describe('bad input', () => {
  it('says the page could not start for a time outside the show or a bad size', async () => {
    for (const query of ['?capture=5,abc', '?capture=131', '?capture=5&size=640', '?capture=',
                         '?capture=5&bits=24']) {
      const { page, errors } = await open(query, failedToStart);
      assert.equal(await page.evaluate(() => window.tevCaptureDone), false, query);
      assert.equal(errors.length, 1, query);
      assert.match(errors[0], /is not/, query);
      await page.close();
    }
  });

  it('says the page could not start without WebGL 2', async () => {
    const plain = await puppeteer.launch({
      executablePath: chromium, headless: true,
      args: ['--headless=new', '--no-sandbox', '--disable-webgl2'],
    });
    try {
      const { page, errors } = await open('?capture=5', failedToStart, plain);
      const status = await page.$eval('#status', (p) => p.textContent);
      assert.match(status, /no WebGL 2/);
      assert.equal(errors.length, 1);
    } finally {
      await plain.close();
    }
  });
});
