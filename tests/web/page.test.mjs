// The page in a real browser: the system's chromium, headless, on the built
// site served from this test. What the page downloads is held against what
// permuto-cli writes for the same patch, and against the file's own bytes.
//
//   PERMUTO_SITE  the built site (build/web by default)
//   PERMUTO_CLI   permuto-cli to compare with (build/test/cli/permuto-cli by default)
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, readdirSync, rmSync, statSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { basename, join, relative, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { launchChromium, serveSite } from './site.mjs';

const root = resolve(fileURLToPath(import.meta.url), '../../..');
const site = resolve(root, process.env.PERMUTO_SITE ?? 'build/web');
const cli = resolve(root, process.env.PERMUTO_CLI ?? 'build/test/cli/permuto-cli');
// The field patches, written by the synthesizer's editor, where they stand
// beside the project (PERMUTO_FIELD_PATCHES elsewhere); patches of our own
// with the same traits where they are not.
const fieldPatches = resolve(process.env.PERMUTO_FIELD_PATCHES ?? resolve(root, '../shared/field-patches'));
const fieldOr = (name, own) => (existsSync(join(fieldPatches, name)) ? join(fieldPatches, name) : own);
// Late connections, a feedback loop.
const fieldPatch = fieldOr('field-18.pch', join(root, 'examples/feedback-loop.pch'));
// Module types that the shipped library describes.
const examplePatch = join(root, 'examples/two-areas-and-maps.pch');
// 8-bit letters, CR LF line ends.
const latinNotes = fieldOr('field-09.pch', join(root, 'tests/data/editor-style.pch'));
// A patch in the editor's older layout (one is written when there is none).
let olderPatch = fieldOr('field-01.pch', null);

let server, origin, context, page, scratch;
const requests = [];

before(async () => {
  for (const needed of [join(site, 'index.html'), cli, fieldPatch])
    assert.ok(statSync(needed, { throwIfNoEntry: false }), `${needed} is missing`);
  ({ server, origin } = await serveSite(site));
  scratch = mkdtempSync(join(tmpdir(), 'permuto-page-'));
  if (!olderPatch) {
    olderPatch = join(scratch, 'older.pch');
    writeFileSync(olderPatch, 'Version=Older 3.0\r\n[Module 1]\r\nType=4\r\nName=Keys\r\n[Module 2]\r\nType=8\r\n');
  }
  context = await launchChromium(join(scratch, 'profile'), { acceptDownloads: true });
  context.on('request', (request) => requests.push(request.url()));
});

after(async () => {
  await context?.close();
  server?.close();
  if (scratch) rmSync(scratch, { recursive: true, force: true });
});

async function freshPage() {
  page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error));
  await page.goto(origin + '/');
  await page.waitForSelector('body[data-ready=true]', { timeout: 30000 });
  assert.deepEqual(errors, []);
  return page;
}

async function open(file, name) {
  const payload = name ? { name, mimeType: 'application/octet-stream', buffer: readFileSync(file) } : file;
  await page.setInputFiles('#patch-file', payload);
}

async function status() {
  return page.locator('#status').textContent();
}

async function downloaded() {
  const [download] = await Promise.all([page.waitForEvent('download'), page.keyboard.press('Control+s')]);
  const path = join(scratch, `download-${Date.now()}`);
  await download.saveAs(path);
  return { name: download.suggestedFilename(), bytes: readFileSync(path) };
}

function cliOutput(...args) {
  const out = join(scratch, `cli-${Date.now()}.pch`);
  execFileSync(cli, [...args, '-o', out], { stdio: ['ignore', 'ignore', 'pipe'] });
  return readFileSync(out);
}

// The rows of one area's table as permuto-cli list prints them (tab-separated).
async function rows(area) {
  return page.$$eval(`#table-${area} tbody tr`, (trs, areaName) =>
    trs.map((tr) => {
      const [index, type, name, x, y] = Array.from(tr.cells, (td) => td.textContent);
      return [areaName, index, type, name, x, y].join('\t');
    }), area);
}

test('a field patch ordered in the page downloads what permuto-cli order writes', async () => {
  await freshPage();
  // The tables show what permuto-cli list prints: the module library was
  // read (its type names), names with 8-bit letters are shown as Latin-1.
  // A module name with a letter beyond ASCII, one byte in the file.
  const latinPatch = join(scratch, 'latin.pch');
  writeFileSync(latinPatch, Buffer.from(readFileSync(examplePatch, 'latin1').replace(' Pulse', ' Puls\u00e9'), 'latin1'));
  for (const file of [latinPatch, fieldPatch]) {
    const name = file.split('/').at(-1);
    await open(file);
    await page.waitForFunction((text) => document.querySelector('#status').textContent.startsWith(text),
      `Loaded ${name}`);
    const listed = execFileSync(cli, ['list', '--library', join(site, 'resources/patch303.txt'), file],
      { stdio: ['ignore', 'pipe', 'ignore'] }).toString('latin1').trimEnd().split('\n');
    if (file === latinPatch)
      assert.ok(listed.some((line) => line.includes('\tPuls\u00e9\t')), name);
    assert.deepEqual([...(await rows('poly')), ...(await rows('common'))], listed);
  }

  // Both areas, as permuto-cli order does; from the keyboard.
  await page.keyboard.press('Control+r');
  assert.match(await status(), /^Order by signal flow \(poly\)/);
  await page.check('input[name=area][value=common]');
  await page.keyboard.press('Control+r');
  const ordered = await downloaded();
  assert.equal(ordered.name, basename(fieldPatch));
  assert.ok(ordered.bytes.equals(cliOutput('order', fieldPatch)), 'the page ordered otherwise than permuto-cli');
  assert.ok(!ordered.bytes.equals(readFileSync(fieldPatch)), 'ordering changed nothing: the test proves nothing');

  // Fewest late in loops, after undoing the orders (one per area that changed).
  while (await page.isEnabled('#undo'))
    await page.click('#undo');
  assert.ok((await downloaded()).bytes.equals(readFileSync(fieldPatch)));
  await page.check('input[name=area][value=poly]');
  await page.keyboard.press('Control+Shift+r');
  await page.check('input[name=area][value=common]');
  await page.keyboard.press('Control+Shift+r');
  assert.ok((await downloaded()).bytes.equals(cliOutput('order', fieldPatch, '--fewest-late')));
  await page.close();
});

test('a swap and its undo give back the original bytes; redo the swap again', async () => {
  await freshPage();
  await open(latinNotes);
  await page.waitForFunction(() => document.querySelector('#status').textContent.startsWith('Loaded'));
  await page.fill('#index1', '1');
  await page.fill('#index2', '3');
  await page.press('#index2', 'Enter');
  assert.equal(await status(), 'Swap 1 and 3 (poly)');
  const swapped = cliOutput('swap', latinNotes, 'poly', '1', '3');
  assert.ok((await downloaded()).bytes.equals(swapped), 'the swap differs from permuto-cli swap');

  await page.locator('#table-poly tbody').focus();
  await page.keyboard.press('Control+z');
  assert.equal(await status(), 'Undone: Swap 1 and 3 (poly)');
  assert.ok((await downloaded()).bytes.equals(readFileSync(latinNotes)), 'undo did not give the original bytes');
  await page.keyboard.press('Control+y');
  assert.ok((await downloaded()).bytes.equals(swapped), 'redo did not give the swap again');

  // A module moved a place later from the keyboard, as permuto-cli move does.
  const first = (await rows('poly'))[0].split('\t')[1];
  const second = (await rows('poly'))[1].split('\t')[1];
  await page.keyboard.press('Control+z');
  await page.locator('#table-poly tbody').focus();
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('Alt+ArrowDown');
  assert.equal(await status(), `Move ${first} to ${second} (poly)`);
  assert.ok((await downloaded()).bytes.equals(cliOutput('move', latinNotes, 'poly', first, second)));
  await page.close();
});

test('files that are no patch show the same message as permuto-cli, and keep the patch shown', async () => {
  await freshPage();
  const notes = join(scratch, 'notes.txt');
  writeFileSync(notes, 'Shopping\r\nbread\r\nmilk\r\n');
  const empty = join(scratch, 'empty.pch');
  writeFileSync(empty, '');
  for (const file of [notes, empty, olderPatch]) {
    const name = file.split('/').at(-1);
    // permuto-cli's message, with the name as the page gives it.
    const run = spawnSync(cli, ['list', name], { cwd: resolve(file, '..') });
    const message = run.stderr.toString().trim().replace(/^permuto-cli: (error: )?/, '');
    assert.ok(message.includes(`"${name}"`), message);
    await open(file);
    await page.waitForFunction((text) => document.querySelector('#status').textContent === text, message,
      { timeout: 5000 }).catch(async () => assert.equal(await status(), message));
    assert.match(await page.locator('#status').getAttribute('class'), /error/);
  }
  // A patch shown stays shown when the next file is no patch.
  await open(fieldPatch);
  await page.waitForFunction(() => document.querySelector('#status').textContent.startsWith('Loaded'));
  await open(notes);
  await page.waitForFunction(() => document.querySelector('#status').textContent.includes('notes.txt'));
  assert.ok((await rows('poly')).length > 0);
  await page.close();
});

test('the page refers to nothing outside its own host', async () => {
  // Every file served, read for addresses of other hosts.
  const files = [];
  const walk = (dir) => {
    for (const entry of readdirSync(dir, { withFileTypes: true }))
      if (entry.isDirectory()) walk(join(dir, entry.name));
      else files.push(join(dir, entry.name));
  };
  walk(site);
  // The SVG namespace's name is a name, never fetched: the core's picture
  // carries it.
  const svgNamespace = 'http://www.w3.org/2000/svg"';
  const outside = /(?:https?:|wss?:|ftp:)?\/\/(?!127\.0\.0\.1|localhost)[a-z0-9-]+(?:\.[a-z0-9-]+)*\.[a-z]{2,}/gi;
  for (const file of files) {
    const text = readFileSync(file, 'latin1').replaceAll(svgNamespace, '');
    assert.deepEqual(text.match(outside) ?? [], [], `${relative(site, file)} names another host`);
  }
  // And every request of the tests above went to the page's own server.
  assert.ok(requests.length > 0);
  const elsewhere = requests.filter((url) => !url.startsWith(origin + '/') && !url.startsWith('blob:' + origin));
  assert.deepEqual(elsewhere, []);
});
