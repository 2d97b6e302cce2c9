// Takes docs/web-page.png: the page in Debian's headless Chromium with the
// show running, SECONDS (default 8) after its start button.
//   node tests/web/screenshot.js SITE OUT.png [SECONDS]
'use strict';
const puppeteer = require('puppeteer-core');
const { serve } = require('./serve.js');

const [site, out, seconds = '8'] = process.argv.slice(2);
(async () => {
  const server = await serve(site, 0);
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true,
    args: ['--headless=new', '--no-sandbox', '--use-angle=swiftshader',
           '--enable-unsafe-swiftshader', '--ignore-gpu-blocklist',
           '--autoplay-policy=no-user-gesture-required'],
  });
  try {
    const page = await browser.newPage();
    await page.setViewport({ width: 720, height: 620 });
    await page.goto(`http://127.0.0.1:${server.address().port}/index.html`);
    await page.waitForFunction(() => !document.getElementById('setup').hidden);
    await page.click('#setup button[type="submit"]');
    await new Promise((resolve) => setTimeout(resolve, Number(seconds) * 1000));
    await page.screenshot({ path: out });
  } finally {
    await browser.close();
    server.close();
  }
})().catch((error) => {
  console.error(error.message);
  process.exit(1);
});
