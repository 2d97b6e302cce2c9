// A small static server for build-web/: files under ROOT on 127.0.0.1 only,
// nothing outside ROOT, the types browsers need (wasm is compiled while it
// downloads only when served as application/wasm).
//   node serve.js ROOT [PORT]     serves and prints the address (PORT 0:
//                                 any free port)
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.png': 'image/png',
  '.css': 'text/css; charset=utf-8',
};

// The file under `root` that `url` names, or null for none (a path that
// leaves the root, a folder without index.html, a name that is not there).
function fileFor(root, url) {
  let name;
  try {
    name = decodeURIComponent(new URL(url, 'http://127.0.0.1').pathname);
  } catch {
    return null;
  }
  if (name.includes('\0')) return null;
  let file = path.join(root, path.normalize(name));
  if (file !== root && !file.startsWith(root + path.sep)) return null;
  try {
    if (fs.statSync(file).isDirectory()) file = path.join(file, 'index.html');
    return fs.statSync(file).isFile() ? file : null;
  } catch {
    return null;
  }
}

function serve(root, port = 0) {
  root = path.resolve(root);
  const server = http.createServer((request, response) => {
    if (request.method !== 'GET' && request.method !== 'HEAD') {
      response.writeHead(405, { Allow: 'GET, HEAD' }).end();
      return;
    }
    const file = fileFor(root, request.url);
    if (!file) {
      response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
      return;
    }
    response.writeHead(200, {
      'Content-Type': types[path.extname(file)] || 'application/octet-stream',
      'Content-Length': fs.statSync(file).size,
      'Cache-Control': 'no-cache',
    });
    if (request.method === 'HEAD') response.end();
    else fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => resolve(server));
  });
}

module.exports = { serve, fileFor };

if (require.main === module) {
  const [root, port] = process.argv.slice(2);
  if (!root || !fs.existsSync(path.join(root, 'index.html'))) {
    const where = root || '(no folder given)';
    console.error(`serve.js: no index.html in ${where}: run scripts/web first`);
    process.exit(2);
  }
  serve(root, Number(port || 0)).then((server) => {
    console.log(`Serving ${path.resolve(root)} at http://127.0.0.1:${server.address().port}/`);
    console.log('Stop with Ctrl+C.');
  }, (error) => {
    console.error(`serve.js: ${error.message}`);
    process.exit(1);
  });
}
