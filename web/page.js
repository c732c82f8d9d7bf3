// The page: opens a patch into the core (permuto.js, WebAssembly), shows its
// two areas, the late connections and the patch view, runs the renumbering
// commands with undo and redo, and downloads the result. Everything happens
// in this page; nothing is sent anywhere.
//
// A patch is bytes: they go to the core as a Uint8Array and come back as one;
// only names for display are text. Undo and redo keep the patch's bytes
// before and after each command (real patches are small) and read them anew.
'use strict';

const AREAS = ['poly', 'common'];
const COLUMNS = ['index', 'type', 'name', 'x', 'y', 'late'];
const NUMERIC = new Set(['index', 'x', 'y', 'late']);

const $ = (id) => document.getElementById(id);

const state = {
  core: null,
  name: '',          // the patch's file name, as the download is named
  opened: null,      // the bytes as opened
  bytes: null,       // the bytes now
  undo: [],          // {bytes, text}: the bytes before each command
  redo: [],          // {bytes, text}: the bytes after each command undone
  areas: [],
  sort: { poly: null, common: null },   // {column, descending}; null: processing order
  selected: { poly: null, common: null }, // module index selected in each table
};

function say(text, kind = '') {
  const status = $('status');
  status.textContent = text;
  status.className = 'status' + (kind ? ' ' + kind : '');
}

function chosenArea() {
  return document.querySelector('input[name=area]:checked').value;
}

function chooseArea(area) {
  document.querySelector(`input[name=area][value=${area}]`).checked = true;
}

function sameBytes(a, b) {
  if (a.length !== b.length) return false;
  for (let i = 0; i < a.length; i++) if (a[i] !== b[i]) return false;
  return true;
}

// --- Showing the patch -------------------------------------------------------

function lateLine(shown) {
  if (!shown.complete) return `${shown.area}: too many feeds to count`;
  if (shown.insideLoops === 0) return `${shown.area}: ${shown.late} late`;
  return `${shown.area}: ${shown.late} late (${shown.insideLoops} in loops)`;
}

function showLate() {
  const late = $('late');
  late.replaceChildren();
  for (const shown of state.areas) {
    const line = document.createElement('p');
    line.textContent = lateLine(shown);
    line.className = 'late-count';
    late.append(line);
    if (shown.latePairs.length > 0) {
      const pairs = document.createElement('details');
      const summary = document.createElement('summary');
      summary.textContent = `Late connections (${shown.area})`;
      const list = document.createElement('p');
      list.className = 'pairs';
      list.textContent = shown.latePairs.map(([source, destination]) => `${source} → ${destination}`).join(', ');
      pairs.append(summary, list);
      late.append(pairs);
    }
    if (shown.loops.length > 0) {
      const loops = document.createElement('details');
      const summary = document.createElement('summary');
      summary.textContent = `Feedback loops (${shown.area}): ${shown.loops.length}`;
      const list = document.createElement('ul');
      for (const members of shown.loops) {
        const item = document.createElement('li');
        item.textContent = members.join(' ');
        list.append(item);
      }
      loops.append(summary, list);
      late.append(loops);
    }
  }
}

function sortedModules(shown) {
  const modules = shown.modules.slice();
  const sort = state.sort[shown.area];
  if (sort) {
    const { column, descending } = sort;
    const compare = NUMERIC.has(column)
      ? (a, b) => a[column] - b[column]
      : (a, b) => a[column].localeCompare(b[column]);
    modules.sort((a, b) => (descending ? -compare(a, b) : compare(a, b)) || a.index - b.index);
  }
  return modules;
}

function showTable(shown) {
  const table = $(`table-${shown.area}`);
  const sort = state.sort[shown.area];
  const head = document.createElement('thead');
  const headRow = document.createElement('tr');
  for (const column of COLUMNS) {
    const th = document.createElement('th');
    th.scope = 'col';
    if (NUMERIC.has(column)) th.className = 'number';
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = column;
    button.title = column === 'late'
      ? `Inputs whose signal comes from a module with a higher index, a sample late: ${shown.late} in this area, ` +
        `${shown.insideLoops} of them inside feedback loops`
      : `Sort by ${column}; a third click goes back to processing order`;
    button.addEventListener('click', () => {
      const now = state.sort[shown.area];
      if (!now || now.column !== column) state.sort[shown.area] = { column, descending: false };
      else if (!now.descending) state.sort[shown.area] = { column, descending: true };
      else state.sort[shown.area] = null;
      showTable(shown);
      table.querySelector(`thead th:nth-child(${COLUMNS.indexOf(column) + 1}) button`).focus();
    });
    th.setAttribute('aria-sort', sort && sort.column === column ? (sort.descending ? 'descending' : 'ascending') : 'none');
    th.append(button);
    headRow.append(th);
  }
  head.append(headRow);

  const body = document.createElement('tbody');
  body.tabIndex = 0;
  body.setAttribute('aria-label', `${shown.area} modules: arrow keys select, Alt+arrow moves`);
  for (const module of sortedModules(shown)) {
    const row = document.createElement('tr');
    row.dataset.index = module.index;
    if (state.selected[shown.area] === module.index) row.setAttribute('aria-selected', 'true');
    for (const column of COLUMNS) {
      const td = document.createElement('td');
      if (NUMERIC.has(column)) td.className = 'number';
      const value = module[column];
      td.textContent = column === 'late' && value === 0 ? '' : String(value);
      if (column === 'late' && value > 0) td.classList.add('is-late');
      row.append(td);
    }
    row.addEventListener('click', () => select(shown.area, module.index));
    body.append(row);
  }
  body.addEventListener('keydown', (event) => tableKey(event, shown.area, body));
  body.addEventListener('focus', () => chooseArea(shown.area));
  table.replaceChildren(head, body);
}

function select(area, index) {
  state.selected[area] = index;
  chooseArea(area);
  const body = $(`table-${area}`).tBodies[0];
  for (const row of body.rows) {
    if (Number(row.dataset.index) === index) {
      row.setAttribute('aria-selected', 'true');
      row.scrollIntoView({ block: 'nearest' });
    } else {
      row.removeAttribute('aria-selected');
    }
  }
  updateButtons();
}

function tableKey(event, area, body) {
  if (event.altKey || event.ctrlKey || event.metaKey) return;
  const rows = Array.from(body.rows);
  if (rows.length === 0) return;
  const at = rows.findIndex((row) => Number(row.dataset.index) === state.selected[area]);
  let next = at;
  if (event.key === 'ArrowDown') next = Math.min(rows.length - 1, at + 1);
  else if (event.key === 'ArrowUp') next = Math.max(0, at < 0 ? 0 : at - 1);
  else if (event.key === 'Home') next = 0;
  else if (event.key === 'End') next = rows.length - 1;
  else return;
  event.preventDefault();
  select(area, Number(rows[next].dataset.index));
}

function showPicture() {
  const picture = $('picture');
  const svg = state.core.picture();
  if (!svg) {
    picture.replaceChildren();
    return;
  }
  // The core writes a whole SVG document; it is parsed, never run.
  const parsed = new DOMParser().parseFromString(svg, 'image/svg+xml').documentElement;
  picture.replaceChildren(document.importNode(parsed, true));
}

function showAll() {
  // The tables are made anew: a table that had the focus gets it back.
  const focused = document.activeElement?.closest?.('table')?.id;
  state.areas = state.core.areas();
  for (const shown of state.areas) {
    if (!shown.modules.some((module) => module.index === state.selected[shown.area])) state.selected[shown.area] = null;
    showTable(shown);
  }
  showLate();
  showPicture();
  updateButtons();
  if (focused) $(focused).tBodies[0].focus();
  document.title = state.name ? `${state.name}${state.undo.length ? ' *' : ''} - Permuto` : 'Permuto';
}

function updateButtons() {
  const loaded = state.bytes !== null;
  for (const id of ['download', 'swap', 'order', 'order-fewest']) $(id).disabled = !loaded;
  const selected = loaded && state.selected[chosenArea()] !== null;
  $('move-up').disabled = !selected;
  $('move-down').disabled = !selected;
  $('undo').disabled = state.undo.length === 0;
  $('redo').disabled = state.redo.length === 0;
  $('undo').title = state.undo.length ? `Undo ${state.undo.at(-1).text} (Ctrl+Z)` : 'Undo (Ctrl+Z)';
  $('redo').title = state.redo.length ? `Redo ${state.redo.at(-1).text} (Ctrl+Y)` : 'Redo (Ctrl+Y)';
}

// --- Opening -----------------------------------------------------------------

async function openPatch(file) {
  const bytes = new Uint8Array(await file.arrayBuffer());
  const result = state.core.open(file.name, bytes);
  if (!result.ok) {
    say(result.message, 'error'); // the patch shown, if any, stays
    return;
  }
  Object.assign(state, { name: file.name, opened: bytes, bytes, undo: [], redo: [] });
  state.selected = { poly: null, common: null };
  showAll();
  $('table-poly').tBodies[0].focus();
  say(result.message);
  if (result.warning) say(`${result.message}. ${result.warning}`, 'warning');
}

async function chooseLibrary(file) {
  const result = file
    ? state.core.useLibrary(file.name, new Uint8Array(await file.arrayBuffer()))
    : state.core.useLibrary('', new Uint8Array());
  if (state.bytes !== null) showAll();
  say(result.message, result.ok ? '' : 'warning');
}

// --- Commands ----------------------------------------------------------------

// Runs a command of the core and gives its result; one that changed the
// patch can be undone, under the name of its step.
function run(command) {
  if (state.bytes === null) return;
  const before = state.bytes;
  const result = command();
  if (result.ok) {
    state.bytes = state.core.bytes();
    state.undo.push({ bytes: before, text: result.step });
    state.redo = [];
    showAll();
  }
  if (result.message) say(result.message, result.ok ? '' : 'error');
  return result;
}

function swap() {
  if (state.bytes === null) return;
  const first = $('index1').value;
  const second = $('index2').value;
  const problem = state.core.indexProblem(first, second);
  if (problem) {
    say(problem, 'error');
    return;
  }
  run(() => state.core.swap(chosenArea(), Number(first), Number(second)));
}

function order(fewest) {
  run(() => state.core.order(chosenArea(), fewest));
}

function moveStep(step) {
  const area = chosenArea();
  const selected = state.selected[area];
  if (state.bytes === null || selected === null) return;
  // The selection follows the module to the index it now has.
  const result = run(() => state.core.moveStep(area, selected, step));
  if (result?.ok) select(area, result.to);
  $(`table-${area}`).tBodies[0].focus();
}

function reread(bytes) {
  const result = state.core.open(state.name, bytes);
  if (!result.ok) throw new Error(result.message);
  state.bytes = bytes;
  showAll();
}

function undo() {
  const step = state.undo.pop();
  if (!step) return;
  state.redo.push({ bytes: state.bytes, text: step.text });
  reread(step.bytes);
  say(`Undone: ${step.text}`);
}

function redo() {
  const step = state.redo.pop();
  if (!step) return;
  state.undo.push({ bytes: state.bytes, text: step.text });
  reread(step.bytes);
  say(step.text);
}

function download() {
  if (state.bytes === null) return;
  const losses = state.core.saveLosses(!sameBytes(state.bytes, state.opened));
  if (losses && !window.confirm(`${losses}.\n\nSave all the same?`)) return;
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([state.bytes], { type: 'application/octet-stream' }));
  link.download = state.name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
  say(`Saved ${state.name}`);
}

// --- Wiring ------------------------------------------------------------------

function wire() {
  $('open').addEventListener('click', () => $('patch-file').click());
  $('patch-file').addEventListener('change', (event) => {
    const [file] = event.target.files;
    event.target.value = '';
    if (file) openPatch(file);
  });
  $('library').addEventListener('click', () => $('library-file').click());
  $('library-file').addEventListener('change', (event) => {
    const [file] = event.target.files;
    event.target.value = '';
    if (file) chooseLibrary(file);
  });
  $('default-library').addEventListener('click', () => chooseLibrary(null));
  $('download').addEventListener('click', download);
  $('undo').addEventListener('click', undo);
  $('redo').addEventListener('click', redo);
  $('panel').addEventListener('submit', (event) => {
    event.preventDefault();
    swap();
  });
  $('order').addEventListener('click', () => order(false));
  $('order-fewest').addEventListener('click', () => order(true));
  $('move-up').addEventListener('click', () => moveStep(-1));
  $('move-down').addEventListener('click', () => moveStep(1));
  for (const radio of document.querySelectorAll('input[name=area]')) radio.addEventListener('change', updateButtons);

  document.addEventListener('keydown', (event) => {
    const control = event.ctrlKey || event.metaKey;
    const key = event.key.toLowerCase();
    const typing = event.target instanceof HTMLInputElement && event.target.type !== 'radio';
    let action = null;
    if (control && key === 'o') action = () => $('patch-file').click();
    else if (control && key === 's') action = download;
    else if (control && key === 'r') action = () => order(event.shiftKey);
    else if (control && !typing && ((key === 'z' && event.shiftKey) || key === 'y')) action = redo;
    else if (control && !typing && key === 'z') action = undo;
    else if (event.altKey && event.key === 'ArrowUp') action = () => moveStep(-1);
    else if (event.altKey && event.key === 'ArrowDown') action = () => moveStep(1);
    if (action) {
      event.preventDefault();
      action();
    }
  });

  // A patch dropped anywhere on the page is opened.
  let depth = 0;
  const drop = $('drop');
  document.addEventListener('dragenter', (event) => {
    if (!event.dataTransfer.types.includes('Files')) return;
    depth++;
    drop.hidden = false;
  });
  document.addEventListener('dragleave', () => {
    if (--depth <= 0) {
      depth = 0;
      drop.hidden = true;
    }
  });
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    depth = 0;
    drop.hidden = true;
    const [file] = event.dataTransfer.files;
    if (file) openPatch(file);
  });
}

async function start() {
  wire();
  try {
    state.core = await PermutoCore();
    const library = await fetch('resources/patch303.txt');
    if (!library.ok) throw new Error(`resources/patch303.txt: ${library.status} ${library.statusText}`);
    const result = state.core.useShippedLibrary(new Uint8Array(await library.arrayBuffer()));
    if (!result.ok) say(result.message, 'error');
    document.body.dataset.ready = 'true';
  } catch (error) {
    say(String(error.message ?? error), 'error');
  }
  updateButtons();
}

start();
