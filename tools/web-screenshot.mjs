// Takes the README's picture of the page: the built site (build/web) in the
// system's chromium, an example patch opened, one module selected.
//   node tools/web-screenshot.mjs [PATCH] [OUT.png]
import { createServer } from 'node:http';
import { mkdtempSync, readFileSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { extname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const root = resolve(fileURLToPath(import.meta.url), '../..');
const site = join(root, 'build/web');
const patch = resolve(process.argv[2] ?? join(root, 'examples/voice-against-the-flow.pch'));
const out = resolve(process.argv[3] ?? join(root, 'docs/page.png'));
const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm' };

const server = createServer((request, response) => {
  let file = resolve(site, '.' + decodeURIComponent(new URL(request.url, 'http://localhost').pathname));
  if (statSync(file, { throwIfNoEntry: false })?.isDirectory()) file = join(file, 'index.html');
  if (!file.startsWith(site) || !statSync(file, { throwIfNoEntry: false })) return response.writeHead(404).end();
  response.writeHead(200, { 'Content-Type': types[extname(file)] ?? 'application/octet-stream' });
  response.end(readFileSync(file));
});
await new Promise((done) => server.listen(0, '127.0.0.1', done));
const profile = mkdtempSync(join(tmpdir(), 'permuto-shot-'));
const context = await chromium.launchPersistentContext(profile, {
  executablePath: '/usr/bin/chromium', headless: true, viewport: { width: 1400, height: 560 },
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
});
try {
  const page = await context.newPage();
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  await page.waitForSelector('body[data-ready=true]');
  await page.setInputFiles('#patch-file', patch);
  await page.waitForSelector('#table-poly tbody tr');
  await page.click('#table-poly tbody tr:nth-child(3)');
  await page.screenshot({ path: out });
  console.log(out);
} finally {
  await context.close();
  server.close();
  rmSync(profile, { recursive: true, force: true });
}
