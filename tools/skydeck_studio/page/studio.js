'use strict';
// The studio's page. Everything it knows of the files comes from the studio's server, which
// reads and writes them through the plug-in's own readers; the page only edits the model it was
// given and asks the server for findings, pictures and lit lenses.

const key = new URLSearchParams(location.search).get('key') || sessionStorage.getItem('studio-key') || '';
sessionStorage.setItem('studio-key', key);

// What each lamp condition shows, one line each.
const EXPLAIN = {
  GearUp: 'gear fully up', GearDown: 'gear down and locked', GearUnsafe: 'gear in transit',
  EngineFire: 'single engine: engine fire', LeftEngineFire: 'twin: left engine fire', RightEngineFire: 'twin: right engine fire',
  Engine1Fire: 'four engines: engine 1 fire', Engine2Fire: 'four engines: engine 2 fire', Engine3Fire: 'four engines: engine 3 fire', Engine4Fire: 'four engines: engine 4 fire',
  OilPressure: 'oil pressure low on any engine', Engine1OilPressure: 'engine 1 oil pressure low', Engine2OilPressure: 'engine 2 oil pressure low',
  Engine3OilPressure: 'engine 3 oil pressure low', Engine4OilPressure: 'engine 4 oil pressure low',
  EngineOilTemp: 'oil hot on any engine', Engine1OilTemp: 'engine 1 oil hot', Engine2OilTemp: 'engine 2 oil hot', Engine3OilTemp: 'engine 3 oil hot', Engine4OilTemp: 'engine 4 oil hot',
  FuelLow: 'fuel quantity annunciator', LeftFuelLow: 'first tank below 10 %', CentreFuelLow: 'a middle tank below 10 %', RightFuelLow: 'last tank below 10 %',
  LowPressure: 'fuel pressure low', FuelCrossFeed: 'fuel cross-feed on', Up: 'gear up (second lens)', Down: 'gear down (second lens)',
  BeaconLight: 'beacon on', LandingLights: 'landing lights on', ParkingBrakes: 'parking brake set', PitotHeat: 'pitot heat on',
  RotorLowRpm: 'helicopter: rotor speed low', StallWarning: 'stall warning', DoorWarning: 'cabin door open', VacLow: 'vacuum low',
  AutoPilot: 'autopilot on', APMaster: 'autopilot on (second lens)', StrobeLight: 'strobes on',
  NAV1: 'NAV1 audio selected', NAV2: 'NAV2 audio selected', COM1: 'COM1 audio selected', COM2: 'COM2 audio selected', Both: 'COM1 and COM2 audio selected',
  ADF: 'ADF audio selected', DME: 'DME audio on', MKR: 'marker audio on', GPS: 'HSI source is GPS', NAV: 'HSI source is NAV',
  MasterCaution: 'any amber lens lit', MasterWarning: 'any red lens lit',
};
const COLOURS = ['Green', 'Red', 'Amber'];
const TYPES = ['Key', 'Button', 'Command', 'VInput', 'String'];
const TYPE_LIST = { Key: 'names-key', Button: 'names-button', Command: 'names-command', VInput: 'names-vinput' };

const S = {
  names: null,
  lamp: null, panels: [], serial: 0, lens: 0, lit: new Set(),
  config: null, gauges: [], pages: [], gauge: 0,
  values: {}, variables: [], hotasValues: {},
  profiles: [], profileIndex: 0,
  findings: { lamp: [], config: [] },
};
window.studioTimings = [];

// ---- helpers ----------------------------------------------------------------------------------

function el(tag, attrs, ...children) {
  const node = document.createElement(tag);
  for (const [name, value] of Object.entries(attrs || {})) {
    if (name === 'class') node.className = value;
    else if (name.startsWith('on')) node.addEventListener(name.slice(2), value);
    else if (value === true) node.setAttribute(name, '');
    else if (value !== false && value !== null && value !== undefined) node.setAttribute(name, value);
  }
  for (const child of children.flat()) {
    if (child !== null && child !== undefined && child !== false) node.append(child instanceof Node ? child : String(child));
  }
  return node;
}
const $ = (id) => document.getElementById(id);
// A condition's name may wrap between its words (StallWarning: Stall|Warning).
const wordBreaks = (name) => name.replace(/([a-z])([A-Z0-9])/g, '$1\u200b$2');
const clone = (value) => JSON.parse(JSON.stringify(value));

async function call(path, body) {
  const options = { method: body === undefined ? 'GET' : 'POST', headers: { 'X-Studio-Key': key } };
  if (body !== undefined) {
    options.headers['Content-Type'] = 'application/json';
    options.body = JSON.stringify(body);
  }
  const response = await fetch(path, options);
  let data = {};
  if ((response.headers.get('Content-Type') || '').startsWith('application/json')) data = await response.json();
  return { status: response.status, data, response };
}

function debounce(fn, ms) {
  let timer = 0;
  return (...args) => { clearTimeout(timer); timer = setTimeout(() => fn(...args), ms); };
}

function ask(title, body, okLabel = 'OK', input = null) {
  const dialog = $('dialog');
  $('dialog-title').textContent = title;
  const holder = $('dialog-body');
  holder.replaceChildren(...(Array.isArray(body) ? body : [body]).map((part) => (part instanceof Node ? part : el('p', {}, part))));
  let field = null;
  if (input !== null) {
    field = el('input', { type: 'text', value: input, id: 'dialog-input' });
    holder.append(field);
  }
  $('dialog-ok').textContent = okLabel;
  dialog.showModal();
  if (field) field.focus();
  return new Promise((resolve) => {
    dialog.addEventListener('close', () => {
      const ok = dialog.returnValue === 'ok';
      resolve(input !== null ? (ok ? field.value : null) : ok);
    }, { once: true });
  });
}

function status(id, text, kind = '') {
  const node = $(id);
  node.textContent = text;
  node.className = 'status ' + kind;
}

function findingNode(finding) {
  const where = finding.line ? `${finding.file.split(/[\\/]/).pop()}:${finding.line}` : finding.file.split(/[\\/]/).pop();
  return el('div', { class: 'finding ' + finding.severity }, el('span', { class: 'where' }, where), finding.text);
}

function showFindings(id, findings) {
  $(id).replaceChildren(...findings.filter((f) => f.severity !== 'note' || id === 'lamp-findings').map(findingNode));
}

// ---- tabs -------------------------------------------------------------------------------------

for (const button of document.querySelectorAll('#tabs button')) {
  button.addEventListener('click', () => {
    for (const other of document.querySelectorAll('#tabs button')) other.classList.toggle('active', other === button);
    for (const page of document.querySelectorAll('.page')) page.classList.toggle('hidden', page.id !== 'page-' + button.dataset.page);
    if (button.dataset.page === 'hotas') refreshHotas();
    if (button.dataset.page === 'gauges') selectGauge(S.gauge);
    if (button.dataset.page === 'profiles') loadProfiles();
  });
}

$('quit').addEventListener('click', async () => {
  if (await ask('End the studio?', 'Unsaved changes are lost.', 'Quit')) {
    await call('/api/quit', {});
    document.body.replaceChildren(el('main', {}, el('h2', {}, 'The studio has ended. You can close this tab.')));
  }
});

// ---- lamp panel -------------------------------------------------------------------------------

function panel() { return S.panels[S.serial]; }
function tilesOnLens(lens) {
  const current = panel();
  if (!current) return [];
  return Object.entries(current.tiles).filter(([, tile]) => tile.lens === lens).map(([name]) => name);
}
// Of the conditions sharing a lens, the one the frame writes last decides it.
function decider(names) {
  const order = S.names.tiles.map((tile) => tile.name);
  return names.slice().sort((a, b) => order.indexOf(a) - order.indexOf(b)).pop();
}

async function loadLamp() {
  const { status: code, data } = await call('/api/lamp');
  if (code !== 200) { status('lamp-status', data.error || 'the lens file cannot be read', 'bad'); return; }
  S.lamp = data;
  S.panels = clone(data.panels);
  S.serial = Math.min(S.serial, Math.max(0, S.panels.length - 1));
  S.findings.lamp = data.findings;
  $('lamp-file').textContent = (data.exists ? '' : 'New file: ') + data.file + (data.editable ? '' : ' — read only: ' + data.why);
  $('lamp-save').disabled = !data.editable;
  renderLamp();
}

function renderLamp() {
  const serials = $('serials');
  serials.replaceChildren(...S.panels.map((p, index) => el('button', {
    class: index === S.serial ? 'active' : '', onclick: () => { S.serial = index; renderLamp(); light(); },
  }, p.serial || '(no serial)')));
  if (S.panels.length === 0) serials.append(el('span', { class: 'status' }, 'No panel is programmed yet: add one by its serial number.'));
  $('remove-panel').disabled = S.panels.length === 0;
  renderGrid();
  renderEditor();
  renderLitList();
  showFindings('lamp-findings', S.findings.lamp);
}

function findingsFor(tile) {
  const current = panel();
  return S.findings.lamp.filter((f) => f.where && f.where.tile === tile && current && f.where.serial === current.serial && f.severity !== 'note');
}

function renderGrid(lit = S.litLenses || []) {
  const grid = $('lens-grid');
  grid.replaceChildren();
  for (let lens = 0; lens < 24; ++lens) {
    const names = tilesOnLens(lens);
    const name = names.length ? decider(names) : '';
    const colour = name ? panel().tiles[name].colour.toLowerCase() : '';
    const flags = names.flatMap(findingsFor);
    const node = el('div', {
      class: ['lens', colour, lit[lens] ? 'lit-' + lit[lens] : '', lens === S.lens ? 'selected' : ''].join(' '),
      'data-lens': lens, title: names.join(', '),
      onclick: () => { S.lens = lens; renderGrid(); renderEditor(); },
    }, el('span', { class: 'number' }, lens), el('span', { class: 'name' + (name.length > 12 ? ' long' : '') }, wordBreaks(name) + (names.length > 1 ? ` +${names.length - 1}` : '')));
    if (flags.length) node.append(el('span', { class: 'flag ' + (flags.some((f) => f.severity === 'error') ? '' : 'warning') }));
    grid.append(node);
  }
}

function renderEditor() {
  const current = panel();
  const names = tilesOnLens(S.lens);
  const name = names.length ? decider(names) : '';
  $('lens-title').textContent = `Lens ${S.lens}` + (name ? `: ${name}` : ' (dark)');
  const colour = name ? current.tiles[name].colour : '';
  $('colours').replaceChildren(...COLOURS.map((c) => el('button', {
    class: c.toLowerCase() + (c === colour ? ' active' : ''), disabled: !name,
    onclick: () => { for (const n of names) current.tiles[n].colour = c; changedLamp(); },
  }, c)));
  const filter = $('condition-search').value.trim().toLowerCase();
  const list = $('conditions');
  list.replaceChildren();
  for (const tile of S.names.tiles) {
    const text = EXPLAIN[tile.name] || (tile.profile ? 'an aircraft profile\'s condition' : '');
    if (filter && !tile.name.toLowerCase().includes(filter) && !text.toLowerCase().includes(filter)) continue;
    const where = current && current.tiles[tile.name];
    list.append(el('li', {
      class: names.includes(tile.name) ? 'chosen' : '', 'data-tile': tile.name,
      onclick: () => assign(tile.name),
    }, where ? el('em', {}, `lens ${where.lens}`) : null, el('b', {}, tile.name), el('span', {}, text)));
  }
  $('lens-clear').disabled = !names.length;
}

function assign(name) {
  const current = panel();
  if (!current) { status('lamp-status', 'Add a panel first', 'bad'); return; }
  const names = tilesOnLens(S.lens);
  const colour = names.length ? current.tiles[decider(names)].colour : (current.tiles[name] ? current.tiles[name].colour : 'Green');
  // A lens shows one condition here: the others on it make way.
  for (const other of names) if (other !== name) delete current.tiles[other];
  current.tiles[name] = { colour, lens: S.lens };
  changedLamp();
}

function renderLitList() {
  const current = panel();
  const holder = $('lit-list');
  holder.replaceChildren();
  if (!current) return;
  const programmed = S.names.tiles.map((t) => t.name).filter((n) => current.tiles[n] && n !== 'MasterCaution' && n !== 'MasterWarning');
  for (const name of programmed) {
    const box = el('input', { type: 'checkbox', checked: S.lit.has(name), 'data-lit': name });
    box.addEventListener('change', () => { box.checked ? S.lit.add(name) : S.lit.delete(name); renderLitList(); light(); });
    holder.append(el('label', { class: S.lit.has(name) ? 'on' : '' }, box, name));
  }
  if (!programmed.length) holder.append(el('span', { class: 'status' }, 'Program a lens to try it.'));
}

async function light() {
  const current = panel();
  if (!current) { S.litLenses = []; renderGrid(); return; }
  const { status: code, data } = await call('/api/lamp/light', {
    panel: current, lit: [...S.lit], engines: Number($('engines').value), helicopter: $('helicopter').checked,
  });
  if (code === 200) { S.litLenses = data.lenses; renderGrid(); }
}

const checkLamp = debounce(async () => {
  const { status: code, data } = await call('/api/lamp/check', { panels: S.panels });
  if (code === 200) { S.findings.lamp = data.findings; renderGrid(); showFindings('lamp-findings', data.findings); }
}, 300);

function changedLamp() {
  status('lamp-status', 'Unsaved changes');
  renderLamp();
  light();
  checkLamp();
}

$('condition-search').addEventListener('input', renderEditor);
$('lens-clear').addEventListener('click', () => { for (const n of tilesOnLens(S.lens)) delete panel().tiles[n]; changedLamp(); });
$('engines').addEventListener('change', light);
$('helicopter').addEventListener('change', light);
$('light-none').addEventListener('click', () => { S.lit.clear(); renderLitList(); light(); });
$('add-panel').addEventListener('click', async () => {
  const serial = await ask('Add a lamp panel', 'Its USB serial number, as the trace or the panel\'s label gives it:', 'Add', '');
  if (serial === null || serial.trim() === '') return;
  if (S.panels.some((p) => p.serial === serial.trim())) { S.serial = S.panels.findIndex((p) => p.serial === serial.trim()); renderLamp(); return; }
  S.panels.push({ serial: serial.trim(), tiles: {} });
  S.serial = S.panels.length - 1;
  changedLamp();
});
$('remove-panel').addEventListener('click', async () => {
  if (!panel() || !(await ask('Remove this panel?', `The programming of ${panel().serial} goes when you save.`, 'Remove'))) return;
  S.panels.splice(S.serial, 1);
  S.serial = Math.max(0, S.serial - 1);
  changedLamp();
});
$('lamp-save').addEventListener('click', () => save('lamp'));

// ---- saving (both files) ----------------------------------------------------------------------

async function save(which, confirm = false) {
  const lamp = which === 'lamp';
  const statusId = lamp ? 'lamp-status' : which === 'hotas' ? 'hotas-status' : 'config-status';
  const body = lamp ? { panels: S.panels } : { gauges: S.gauges, pages: S.pages };
  body.version = (lamp ? S.lamp : S.config).version;
  body.confirm = confirm;
  status(statusId, 'Saving…');
  const { status: code, data } = await call(lamp ? '/api/lamp/save' : '/api/config/save', body);
  if (code === 200) {
    status(statusId, 'Saved', 'good');
    if (lamp) { S.lamp = data; S.panels = clone(data.panels); S.findings.lamp = data.findings; renderLamp(); }
    else { adoptConfig(data); }
    return;
  }
  if (code === 422 && data.confirm) {
    showFindings(lamp ? 'lamp-findings' : 'config-findings', data.findings);
    const errors = data.findings.filter((f) => f.severity === 'error');
    const ok = await ask('The plug-in would misread this file', [
      'As saved, the plug-in would ignore, skip or misread this:',
      el('div', {}, errors.slice(0, 6).map(findingNode)),
      'Save it all the same?'], 'Save anyway');
    if (ok) return save(which, true);
    status(statusId, 'Not saved', 'bad');
    return;
  }
  if (code === 409 && data.changed) {
    status(statusId, 'The file changed on disk', 'bad');
    if (await ask('The file changed on disk', 'Another program changed it since the studio read it. Reload it? Your unsaved changes here are lost.', 'Reload')) {
      lamp ? await loadLamp() : await loadConfig();
      status(statusId, 'Reloaded');
    }
    return;
  }
  status(statusId, data.error || 'Not saved', 'bad');
}

// ---- screen gauges ----------------------------------------------------------------------------

function adoptConfig(data) {
  S.config = data;
  S.gauges = clone(data.configuration.gauges);
  S.pages = clone(data.configuration.pages);
  S.findings.config = data.findings;
  $('config-file').textContent = (data.exists ? '' : 'New file: ') + data.file + (data.editable ? '' : ' — read only: ' + data.why);
  for (const id of ['config-save', 'hotas-save']) $(id).disabled = !data.editable;
  S.gauge = Math.min(S.gauge, Math.max(0, S.gauges.length - 1));
  renderGauges();
  if (!$('page-gauges').classList.contains('hidden')) selectGauge(S.gauge);
  if (!$('page-hotas').classList.contains('hidden')) refreshHotas();
}

async function loadConfig() {
  const { status: code, data } = await call('/api/config');
  if (code !== 200) { status('config-status', data.error || 'the configuration cannot be read', 'bad'); return; }
  adoptConfig(data);
}

function gaugeTitle(gauge) {
  return gauge.file ? gauge.file.split(/[\\/]/).pop().replace(/\.xml$/i, '') : '(no File)';
}

function gaugeFindings(index) {
  return S.findings.config.filter((f) => f.where && f.where.gauges && f.where.gauges.includes(index) && f.severity !== 'note');
}

function renderGauges() {
  const list = $('gauge-list');
  list.replaceChildren(...S.gauges.map((gauge, index) => {
    const problems = gaugeFindings(index);
    const move = (step) => (event) => {
      event.stopPropagation();
      const target = index + step;
      if (target < 0 || target >= S.gauges.length) return;
      [S.gauges[index], S.gauges[target]] = [S.gauges[target], S.gauges[index]];
      if (S.gauge === index) S.gauge = target; else if (S.gauge === target) S.gauge = index;
      changedConfig();
    };
    return el('li', { class: index === S.gauge ? 'selected' : '', 'data-gauge': index, onclick: () => selectGauge(index) },
      el('span', { class: 'title', title: gauge.file || '' }, `${index + 1}. ${gaugeTitle(gauge)}`),
      problems.length ? el('span', { class: 'badge ' + (problems.some((f) => f.severity === 'error') ? '' : 'warning') }, problems.length) : null,
      el('button', { class: 'mini quiet', title: 'Up', onclick: move(-1) }, '▲'),
      el('button', { class: 'mini quiet', title: 'Down', onclick: move(1) }, '▼'),
      el('button', { class: 'mini quiet', title: 'Remove', onclick: async (event) => {
        event.stopPropagation();
        S.gauges.splice(index, 1);
        S.gauge = Math.max(0, Math.min(S.gauge, S.gauges.length - 1));
        changedConfig();
        selectGauge(S.gauge);
      } }, '✕'));
  }));
  const choice = $('gauge-file-choice');
  choice.replaceChildren(...S.names.gaugeFiles.map((file) => el('option', { value: file }, file)));
  renderButtons();
  showFindings('config-findings', S.findings.config);
}

function renderButtons() {
  const gauge = S.gauges[S.gauge];
  $('buttons-title').textContent = gauge ? `Buttons of ${gaugeTitle(gauge)}` : 'Buttons';
  const rows = $('button-rows');
  rows.replaceChildren();
  if (!gauge) return;
  const problems = gaugeFindings(S.gauge);
  for (let id = 1; id <= 12; ++id) {
    const button = gauge.buttons[id - 1];
    const set = (name, value) => {
      if (!gauge.buttons[id - 1]) gauge.buttons[id - 1] = {};
      if (value === null) delete gauge.buttons[id - 1][name]; else gauge.buttons[id - 1][name] = value;
      // Typing keeps its field: the table is drawn again for the other changes only.
      changedConfig(name === 'Type' || name === 'Visible');
    };
    const type = button ? button.Type : undefined;
    const typeSelect = el('select', { 'data-field': 'Type' },
      el('option', { value: '-' }, '— not bound'),
      el('option', { value: '' }, '(no type)'),
      TYPES.map((t) => el('option', { value: t }, t)),
      type !== undefined && !TYPES.includes(type) ? el('option', { value: type }, type) : null);
    typeSelect.value = !button ? '-' : type === undefined ? '' : type;
    typeSelect.addEventListener('change', () => {
      if (typeSelect.value === '-') { gauge.buttons[id - 1] = null; changedConfig(); return; }
      set('Type', typeSelect.value === '' ? null : typeSelect.value);
    });
    const name = el('input', { type: 'text', value: button && button.Name !== undefined ? button.Name : '', 'data-field': 'Name', placeholder: id <= 6 ? 'label' : '' });
    name.addEventListener('input', () => set('Name', name.value === '' && !(button && button.Name !== undefined) ? null : name.value));
    const event = el('input', { type: 'text', value: button && button.Event !== undefined ? button.Event : '', 'data-field': 'Event', list: TYPE_LIST[type] || null, placeholder: type === 'String' ? 'words to speak' : '' });
    event.addEventListener('input', () => set('Event', event.value));
    const visible = el('select', { 'data-field': 'Visible' }, el('option', { value: '' }, 'default'), el('option', { value: 'yes' }, 'yes'), el('option', { value: 'no' }, 'no'),
      button && button.Visible !== undefined && !['yes', 'no'].includes(button.Visible) ? el('option', { value: button.Visible }, button.Visible) : null);
    visible.value = button && button.Visible !== undefined ? button.Visible : '';
    visible.addEventListener('change', () => set('Visible', visible.value === '' ? null : visible.value));
    const mine = problems.filter((f) => f.where.button === id);
    const row = el('tr', { class: (id <= 6 ? 'soft ' : '') + (mine.some((f) => f.severity === 'error') ? 'bad' : ''), 'data-button': id },
      el('td', { class: 'id' }, id), el('td', { class: 'name' }, name), el('td', { class: 'type' }, typeSelect),
      el('td', {}, event, mine.map((f) => el('div', { class: 'inline-finding ' + f.severity }, f.text))), el('td', { class: 'visible' }, visible));
    rows.append(row);
  }
}

const checkConfig = debounce(async () => {
  const { status: code, data } = await call('/api/config/check', { gauges: S.gauges, pages: S.pages });
  if (code === 200) {
    S.findings.config = data.findings;
    const focused = document.activeElement;
    const field = focused && focused.dataset.field;
    const row = focused && focused.closest('tr') && focused.closest('tr').dataset.button;
    const at = focused && focused.selectionStart;
    renderGauges();
    if (field && row) {
      const again = document.querySelector(`tr[data-button="${row}"] [data-field="${field}"]`);
      if (again) { again.focus(); if (at !== undefined && again.setSelectionRange) again.setSelectionRange(at, at); }
    }
  }
}, 350);

function changedConfig(redraw = true) {
  status('config-status', 'Unsaved changes');
  status('hotas-status', 'Unsaved changes');
  if (redraw) renderGauges();
  checkConfig();
  if (!$('page-gauges').classList.contains('hidden')) refreshPreview();
  if (!$('page-hotas').classList.contains('hidden')) refreshHotas();
}

async function selectGauge(index) {
  S.gauge = index;
  renderGauges();
  const gauge = S.gauges[index];
  const holder = $('variables');
  if (!gauge || !gauge.file) { holder.replaceChildren(); $('preview').removeAttribute('src'); return; }
  const { status: code, data } = await call('/api/gauge', { file: gauge.file, buttons: gauge.buttons });
  if (code !== 200) {
    S.variables = [];
    holder.replaceChildren(el('p', { class: 'left-out' }, data.error === 'the gauge does not load' ? 'The plug-in does not load this gauge: it is left out of the list.' : data.error));
    $('preview').removeAttribute('src');
    return;
  }
  S.variables = data.variables;
  const values = S.values[gauge.file] || (S.values[gauge.file] = {});
  holder.replaceChildren(...data.variables.map((variable) => {
    if (values[variable.name] === undefined) values[variable.name] = variable.low + (variable.high - variable.low) / 2;
    const step = variable.high - variable.low <= 2 ? 0.01 : 1;
    const range = el('input', { type: 'range', min: variable.low, max: variable.high, step, value: values[variable.name], 'data-variable': variable.name });
    const number = el('input', { type: 'number', step: 'any', value: values[variable.name] });
    const apply = (value, from) => {
      values[variable.name] = value;
      if (from !== range) range.value = value;
      if (from !== number) number.value = value;
      refreshPreview(performance.now());
    };
    range.addEventListener('input', () => apply(Number(range.value), range));
    number.addEventListener('input', () => { if (number.value !== '' && isFinite(Number(number.value))) apply(Number(number.value), number); });
    const path = variable.name.split('/');
    return el('div', { class: 'variable' },
      el('label', { title: `${variable.name}, ${variable.unit}` }, el('b', {}, path.pop()), ` ${path.join('/')} · ${variable.unit}`), range, number);
  }));
  refreshPreview(performance.now());
}

// One picture in flight at a time; a change meanwhile asks for the newest values once it is back.
const picture = { busy: false, again: null };
async function refreshPreview(started = performance.now()) {
  if (picture.busy) { picture.again = Math.min(picture.again ?? started, started); return; }
  const gauge = S.gauges[S.gauge];
  if (!gauge || !gauge.file) return;
  picture.busy = true;
  try {
    const { status: code, response } = await call('/api/gauge/picture', { file: gauge.file, buttons: gauge.buttons, values: S.values[gauge.file] || {} });
    if (code === 200) {
      const blob = await response.blob();
      const image = $('preview');
      const old = image.src;
      image.src = URL.createObjectURL(blob);
      await image.decode();
      if (old) URL.revokeObjectURL(old);
      const leds = (response.headers.get('X-Leds') || '').split(',').filter(Boolean).map(Number);
      renderLeds(leds);
      const ms = performance.now() - started;
      const drawn = /dur=([0-9.]+)/.exec(response.headers.get('Server-Timing') || '');
      window.studioTimings.push(ms);
      window.studioDrawTimings = (window.studioDrawTimings || []).concat(drawn ? [Number(drawn[1])] : []);
      $('preview-time').textContent = `picture in ${ms.toFixed(0)} ms`;
    }
  } finally {
    picture.busy = false;
    if (picture.again !== null) { const next = picture.again; picture.again = null; refreshPreview(next); }
  }
}

function renderLeds(leds) {
  $('softkeys').replaceChildren(...[1, 2, 3, 4, 5, 6].map((n) => el('span', { class: 'led' + (leds.includes(n) ? ' on' : ''), title: `button ${n}`, 'data-led': n })));
  $('statusleds').replaceChildren(...[7, 8].map((n) => el('span', { class: 'led' + (leds.includes(n) ? ' on' : ''), title: `LED ${n}`, 'data-led': n })));
}

$('add-gauge').addEventListener('click', () => {
  const file = $('gauge-file-choice').value;
  if (!file) return;
  S.gauges.push({ ref: null, file, buttons: Array(12).fill(null) });
  S.gauge = S.gauges.length - 1;
  changedConfig();
  selectGauge(S.gauge);
});
$('config-save').addEventListener('click', () => save('config'));

// ---- hotas ------------------------------------------------------------------------------------

function renderPages() {
  const list = $('page-list');
  list.replaceChildren(...S.pages.map((page, index) => {
    const move = (step) => () => {
      const target = index + step;
      if (target < 0 || target >= S.pages.length) return;
      [S.pages[index], S.pages[target]] = [S.pages[target], S.pages[index]];
      changedConfig();
    };
    let radio = null;
    if (page.name === 'ComNav') {
      radio = el('select', { 'data-radio': index }, el('option', { value: 'true' }, 'COM1 / NAV1'), el('option', { value: 'false' }, 'COM2 / NAV2'),
        page.radio1 === null || page.radio1 === undefined ? el('option', { value: '' }, '(no radio1)') : null,
        page.radio1 && !['true', 'false'].includes(page.radio1) ? el('option', { value: page.radio1 }, page.radio1) : null);
      radio.value = page.radio1 ?? '';
      radio.addEventListener('change', () => { page.radio1 = radio.value === '' ? null : radio.value; changedConfig(); });
    }
    return el('li', {}, el('span', { class: 'title' }, `${index + 1}. ${page.name}`), radio,
      el('button', { class: 'mini quiet', onclick: move(-1) }, '▲'), el('button', { class: 'mini quiet', onclick: move(1) }, '▼'),
      el('button', { class: 'mini quiet', onclick: () => { S.pages.splice(index, 1); changedConfig(); } }, '✕'));
  }));
  $('page-choice').replaceChildren(...S.names.pages.map((name) => el('option', { value: name }, name)));
}

async function refreshHotas() {
  renderPages();
  const { status: code, data } = await call('/api/hotas/lines', { pages: S.pages.map(({ name, radio1 }) => ({ name, radio1 })), values: S.hotasValues });
  if (code !== 200) return;
  $('displays').replaceChildren(...data.pages.map((shown, index) => {
    const title = el('h3', {}, `${index + 1}. ${S.pages[index].name}` + (S.pages[index].radio1 ? ` (radio1 ${S.pages[index].radio1})` : ''));
    if (!shown) return el('div', { class: 'display' }, title, el('p', { class: 'left-out' }, 'The plug-in leaves this page out (see the findings).'));
    const reads = shown.reads.map((read) => {
      const input = el('input', { type: 'number', step: read.integer ? 1 : 'any', value: S.hotasValues[read.path] ?? 0, 'data-path': read.path });
      input.addEventListener('change', () => { S.hotasValues[read.path] = Number(input.value); refreshHotas(); });
      return el('label', { title: read.path }, input, el('span', {}, read.path.replace(/^sim\//, '')));
    });
    return el('div', { class: 'display', 'data-page': index }, title, el('div', { class: 'lcd' }, shown.lines.map((line) => line.padEnd(16)).join('\n')), el('div', { class: 'reads' }, reads));
  }));
}

$('add-page').addEventListener('click', () => {
  const name = $('page-choice').value;
  S.pages.push({ ref: null, name, radio1: name === 'ComNav' ? 'true' : null });
  changedConfig();
});
$('hotas-save').addEventListener('click', () => save('hotas'));

// ---- aircraft profiles ------------------------------------------------------------------------

const MATCH_FIELDS = ['File', 'PathContains', 'Icao'];
function profile() { return S.profiles[S.profileIndex]; }

async function loadProfiles(keep = profile() && profile().file) {
  const { status: code, data } = await call('/api/profiles');
  if (code !== 200) { status('profile-status', data.error || 'the profiles cannot be read', 'bad'); return; }
  adoptProfiles(data, keep);
}

function adoptProfiles(data, keep) {
  $('names-dataref').replaceChildren(...data.dataRefs.map((n) => el('option', { value: n })));
  S.profileFolder = data.folder;
  S.profiles = data.profiles.map((p) => ({ ...p, draft: clone(p.profile) }));
  S.profileIndex = Math.max(0, S.profiles.findIndex((p) => p.file === keep));
  renderProfiles();
}

// A row's fields: each edits one attribute of entry (an emptied field drops it).
function entryField(entry, name, attrs) {
  const input = el('input', { type: 'text', value: entry[name] ?? '', 'data-field': name, ...attrs });
  input.addEventListener('input', () => { if (input.value === '') delete entry[name]; else entry[name] = input.value; changedProfile(false); });
  return input;
}

function inline(items, where, index) {
  return items.filter((f) => f.where && f.where[where] === index).map((f) => el('div', { class: 'inline-finding ' + f.severity }, f.text));
}

function renderProfiles() {
  const current = profile();
  $('profile-tabs').replaceChildren(...S.profiles.map((p, index) => el('button', {
    class: index === S.profileIndex ? 'active' : '', onclick: () => { S.profileIndex = index; renderProfiles(); },
  }, p.file.replace(/\.xml$/i, ''), p.findings.some((f) => f.severity === 'error') ? el('span', { class: 'badge' }, '!') : null)));
  if (!S.profiles.length) $('profile-tabs').append(el('span', { class: 'status' }, 'No aircraft profile yet: add one.'));
  $('profile-save').disabled = !current || !current.editable;
  $('profile-file').textContent = current ? (current.exists ? '' : 'New file: ') + current.shown + (current.editable ? '' : ' — read only: ' + current.why) : S.profileFolder || '';
  const draft = current ? current.draft : { name: null, matches: [], uses: [] };
  $('profile-name').value = draft.name ?? '';
  $('match-rows').replaceChildren(...draft.matches.map((match, index) => el('tr', { 'data-match': index },
    MATCH_FIELDS.map((name) => el('td', {}, entryField(match, name, { placeholder: 'any' }))),
    el('td', {}, el('button', { class: 'mini quiet', title: 'Remove', onclick: () => { draft.matches.splice(index, 1); changedProfile(); } }, '✕'),
      inline(current.findings, 'match', index)))));
  $('use-rows').replaceChildren(...draft.uses.map((use, index) => {
    const kind = el('select', { 'data-field': 'element' }, el('option', { value: 'Command' }, 'Command'), el('option', { value: 'DataRef' }, 'DataRef'));
    kind.value = use.element;
    kind.addEventListener('change', () => { use.element = kind.value; changedProfile(); });
    return el('tr', { 'data-use': index }, el('td', {}, kind),
      el('td', {}, entryField(use, 'Path', { list: use.element === 'Command' ? 'names-command' : 'names-dataref', placeholder: 'sim/…' }),
        inline(current.findings, 'use', index), inline(current.notes, 'use', index)),
      el('td', {}, entryField(use, 'Use', { placeholder: 'the aircraft\'s path' })),
      el('td', {}, el('button', { class: 'mini quiet', title: 'Remove', onclick: () => { draft.uses.splice(index, 1); changedProfile(); } }, '✕')));
  }));
  const rest = (items) => (current ? items.filter((f) => !f.where) : []);
  $('profile-notes').replaceChildren(...rest(current ? current.notes : []).map((f) => el('p', { class: 'note' }, f.text)));
  if (current && !rest(current.notes).length) $('profile-notes').append(el('p', { class: 'status' }, 'Nothing else: the shared programming stays.'));
  showFindings('profile-findings', rest(current ? current.findings : []));
}

const checkProfile = debounce(async () => {
  const current = profile();
  if (!current) return;
  const { status: code, data } = await call('/api/profiles/check', { file: current.file, profile: current.draft });
  if (code !== 200 || current !== profile()) return;
  current.findings = data.findings;
  current.notes = data.notes;
  const focused = document.activeElement;
  const row = focused && focused.closest('tr');
  const at = focused && focused.selectionStart;
  const place = row && (row.dataset.match !== undefined ? `tr[data-match="${row.dataset.match}"]` : `tr[data-use="${row.dataset.use}"]`);
  renderProfiles();
  const again = place && document.querySelector(`${place} [data-field="${focused.dataset.field}"]`);
  if (again) { again.focus(); if (at !== undefined && again.setSelectionRange) again.setSelectionRange(at, at); }
}, 350);

function changedProfile(redraw = true) {
  status('profile-status', 'Unsaved changes');
  if (redraw) renderProfiles();
  checkProfile();
}

async function saveProfile(confirm = false) {
  const current = profile();
  status('profile-status', 'Saving…');
  const { status: code, data } = await call('/api/profiles/save', { file: current.file, profile: current.draft, version: current.version, confirm });
  if (code === 200) { adoptProfiles(data, current.file); status('profile-status', 'Saved', 'good'); return; }
  if (code === 422 && data.confirm) {
    current.findings = data.findings;
    renderProfiles();
    const ok = await ask('The plug-in would misread this file', [
      'As saved, the plug-in would ignore, skip or misread this:',
      el('div', {}, data.findings.filter((f) => f.severity === 'error').slice(0, 6).map(findingNode)),
      'Save it all the same?'], 'Save anyway');
    if (ok) return saveProfile(true);
    status('profile-status', 'Not saved', 'bad');
    return;
  }
  if (code === 409 && data.changed) {
    status('profile-status', 'The file changed on disk', 'bad');
    if (await ask('The file changed on disk', 'Another program changed it since the studio read it. Reload it? Your unsaved changes here are lost.', 'Reload')) {
      await loadProfiles(current.file);
      status('profile-status', 'Reloaded');
    }
    return;
  }
  status('profile-status', data.error || 'Not saved', 'bad');
}

$('profile-name').addEventListener('input', () => { if (profile()) { profile().draft.name = $('profile-name').value || null; changedProfile(false); } });
$('add-match').addEventListener('click', () => { if (profile()) { profile().draft.matches.push({ ref: null, element: 'Match' }); changedProfile(); } });
$('add-use').addEventListener('click', () => { if (profile()) { profile().draft.uses.push({ ref: null, element: 'Command' }); changedProfile(); } });
$('profile-save').addEventListener('click', () => saveProfile());
$('add-profile').addEventListener('click', async () => {
  const name = await ask('Add an aircraft profile', 'The file\'s name in the aircraft folder (profiles are tried in name order):', 'Add', '');
  if (name === null || name.trim() === '') return;
  const file = /\.xml$/i.test(name.trim()) ? name.trim() : name.trim() + '.xml';
  const found = S.profiles.findIndex((p) => p.file.toLowerCase() === file.toLowerCase());
  if (found < 0) {
    const draft = { name: file.replace(/\.xml$/i, ''), matches: [{ ref: null, element: 'Match' }], uses: [] };
    S.profiles.push({ file, shown: file, exists: false, version: '', editable: true, profile: draft, draft: clone(draft), findings: [], notes: [] });
  }
  S.profileIndex = found < 0 ? S.profiles.length - 1 : found;
  changedProfile();
});

// ---- start ------------------------------------------------------------------------------------

async function start() {
  const { status: code, data } = await call('/api/names');
  if (code !== 200) {
    document.body.replaceChildren(el('main', {}, el('h2', {}, 'This page needs the address skydeck-studio printed.'), el('p', {}, data.error || '')));
    return;
  }
  S.names = data;
  $('folders').textContent = `data: ${data.dataFolder}   ·   profile: ${data.profileFolder}`;
  const fill = (id, names) => $(id).replaceChildren(...names.map((n) => el('option', { value: n })));
  fill('names-key', data.keys);
  fill('names-button', data.buttons);
  fill('names-command', data.commands);
  fill('names-vinput', data.virtualKeys);
  await Promise.all([loadLamp(), loadConfig()]);
  light();
  document.body.dataset.ready = 'yes';
}
start();
