// Takes the README's picture of the page: the built site (build/web) in the
// system's chromium, an example patch opened, one module selected.
//   node tools/web-screenshot.mjs [PATCH] [OUT.png]
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { launchChromium, serveSite } from '../tests/web/site.mjs';

const root = resolve(fileURLToPath(import.meta.url), '../..');
const site = join(root, 'build/web');
const patch = resolve(process.argv[2] ?? join(root, 'examples/voice-against-the-flow.pch'));
const out = resolve(process.argv[3] ?? join(root, 'docs/page.png'));
const { server, origin } = await serveSite(site);
const profile = mkdtempSync(join(tmpdir(), 'permuto-shot-'));
const context = await launchChromium(profile, { viewport: { width: 1400, height: 560 } });
try {
  const page = await context.newPage();
  await page.goto(origin + '/');
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
