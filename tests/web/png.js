// Decodes the PNG files the tests compare: 8 bits a channel, RGB or RGBA,
// not interlaced (what tev-capture and a canvas's toDataURL write), into RGB.
'use strict';
const zlib = require('node:zlib');

function decodePng(bytes) {
  const signature = '89504e470d0a1a0a';
  if (bytes.subarray(0, 8).toString('hex') !== signature) throw new Error('not a PNG file');
  let width = 0, height = 0, channels = 0;
  const data = [];
  for (let at = 8; at + 8 <= bytes.length;) {
    const size = bytes.readUInt32BE(at);
    const type = bytes.toString('latin1', at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + size);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      const [depth, colour, , , interlace] = body.subarray(8, 13);
      if (depth !== 8 || (colour !== 2 && colour !== 6) || interlace !== 0) {
        throw new Error(`unsupported PNG: depth ${depth}, colour type ${colour}`);
      }
      channels = colour === 2 ? 3 : 4;
    } else if (type === 'IDAT') {
      data.push(body);
    } else if (type === 'IEND') {
      break;
    }
    at += 12 + size;
  }
  if (!channels) throw new Error('a PNG file without its header');
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  if (raw.length < (stride + 1) * height) throw new Error('a PNG file cut short');
  const rows = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    const out = y * stride;
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? rows[out + x - channels] : 0;
      const b = y > 0 ? rows[out - stride + x] : 0;
      const c = x >= channels && y > 0 ? rows[out - stride + x - channels] : 0;
      let predicted;
      switch (filter) {
        case 0: predicted = 0; break;
        case 1: predicted = a; break;
        case 2: predicted = b; break;
        case 3: predicted = (a + b) >> 1; break;
        case 4: {
          const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
          predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
          break;
        }
        default: throw new Error(`a PNG row with filter ${filter}`);
      }
      rows[out + x] = (line[x] + predicted) & 0xff;
    }
  }
  const rgb = Buffer.alloc(width * height * 3);
  for (let i = 0, j = 0; i < rgb.length; i += 3, j += channels) {
    rgb[i] = rows[j];
    rgb[i + 1] = rows[j + 1];
    rgb[i + 2] = rows[j + 2];
  }
  return { width, height, rgb };
}

// How far two pictures of the same size are apart: the share of pixels off
// by more than `tolerance` levels in any channel, the mean absolute
// difference over every channel, and the largest.
function compare(a, b, tolerance) {
  if (a.width !== b.width || a.height !== b.height) {
    throw new Error(`sizes differ: ${a.width}x${a.height} and ${b.width}x${b.height}`);
  }
  let off = 0, sum = 0, most = 0;
  for (let i = 0; i < a.rgb.length; i += 3) {
    let worst = 0;
    for (let k = 0; k < 3; ++k) {
      const d = Math.abs(a.rgb[i + k] - b.rgb[i + k]);
      sum += d;
      worst = Math.max(worst, d);
    }
    if (worst > tolerance) ++off;
    most = Math.max(most, worst);
  }
  const pixels = a.width * a.height;
  return { offShare: off / pixels, mean: sum / (pixels * 3), most };
}

module.exports = { decodePng, compare };
