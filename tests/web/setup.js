// What every test of the page starts with: its arguments, the page built
// (exit 77, skipped, when it is not: scripts/web builds it), puppeteer-core
// installed, Debian's Chromium, and the switches for WebGL 2 on the CPU.
'use strict';
const fs = require('node:fs');
const path = require('node:path');

// The command line's arguments after the script, `names` of them needed.
function pageTestSetup(script, names) {
  const args = process.argv.slice(2);
  if (args.length < names.length || args.slice(0, names.length).some((a) => !a)) {
    console.error(`usage: node ${script} ${names.join(' ')}`);
    process.exit(2);
  }
  const site = args[0];
  if (!fs.existsSync(path.join(site, 'tev.wasm'))) {
    console.log(`${site} holds no page: run scripts/web`);
    process.exit(77);
  }
  let puppeteer;
  try {
    puppeteer = require('puppeteer-core');
  } catch {
    console.log('puppeteer-core is not installed in tests/web: run scripts/web');
    process.exit(77);
  }
  return { args, puppeteer, chromium: process.env.CHROMIUM || '/usr/bin/chromium' };
}

// WebGL 2 on the CPU: ANGLE over SwiftShader, as on a machine without a GPU.
const webglArgs = ['--headless=new', '--no-sandbox', '--use-angle=swiftshader',
                   '--enable-unsafe-swiftshader', '--ignore-gpu-blocklist'];

module.exports = { pageTestSetup, webglArgs };
