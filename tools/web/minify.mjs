// Makes the program's JavaScript (emscripten's glue with the page's host around it) smaller
// in place with terser (Debian's node-terser): emscripten takes out only spaces and comments,
// terser also shortens local names and folds what is constant. Names the program and the page
// reach from outside (Module's properties, the imports the .wasm names) are strings or
// top-level names, which terser leaves as they are.
//   node tools/web/minify.mjs FILE.js
import fs from 'node:fs';
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);
let terser;
try {
  terser = require('terser');
} catch {
  terser = require('/usr/share/nodejs/terser');
}
const file = process.argv[2];
if (!file) {
  console.error('usage: node tools/web/minify.mjs FILE.js');
  process.exit(2);
}
const code = fs.readFileSync(file, 'utf8');
const out = await terser.minify(code, { compress: { passes: 2 }, mangle: true, ecma: 2017 });
if (!out.code) {
  console.error(`minify: terser gave nothing for ${file}`);
  process.exit(1);
}
fs.writeFileSync(`${file}.part`, out.code);
fs.renameSync(`${file}.part`, file);
console.log(`minify: ${file} ${code.length} -> ${out.code.length} bytes`);
