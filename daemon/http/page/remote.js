'use strict';
// The remote: the panel's groups built from the daemon's command list, the state shown live
// from its event stream, and a held button's hold renewed for as long as it is held.

// A hold lasts 400 ms unless renewed: four renewals a lease, so that three may be lost.
const RENEW_MS = 100;

// The page's cards, each holding one or more of the panel's groups (by the group's name in
// the command list) as rows; groups not placed here come last, each a card of its own.
const CARDS = [
  ['POWER', ['POWER']],
  ['INPUT MODE SET', ['INPUT MODE SET']],
  ['Zoom', ['Zoom']],
  ['Focus', ['Focus']],
  ['LENS SHIFT', ['LENS SHIFT']],
  ['VOL', ['VOL']],
  ['SOUND MUTE', ['SOUND MUTE']],
  ['NO SHOW', ['NO SHOW']],
  ['FREEZE', ['FREEZE']],
  ['MENU', ['MENU', 'cursor pad']],
  ['Keystone', ['Keystone']],
  ['D.Zoom', ['D.Zoom']],
  ['AV Size', ['AV Size']],
  ['PICTURE MODE', ['picture mode']],
  ['INPUT TYPE', ['input type 1', 'input type 2', 'input type 3']],
  ['LAMP MODE', ['LAMP MODE']],
  ['FAN SPEED', ['FAN SPEED']],
  ['STATUS READ', ['status read']],
  ['MORE', ['right-hand column', '']],
];
// A row's label where the panel has one: the input of each row of input types.
const ROW_LABELS = {'input type 1': '1', 'input type 2': '2', 'input type 3': '3'};
// Arrow captions take their place in a cross, whatever else is in the middle.
const CROSS = {'↑': 'up', '←': 'left', '→': 'right', '↓': 'down'};

const POWER_WORDS = {
  'standby': 'Standby',
  'on': 'On',
  'counting-down': 'Counting down',
  'cooling-down': 'Cooling down',
};

const stops = [];  // what ends each held button's hold
let shown = false;

function element(tag, className, text) {
  const made = document.createElement(tag);
  if (className) made.className = className;
  if (text !== undefined) made.textContent = text;
  return made;
}

// A POST to the daemon; the answer's status and JSON, or status 0 when it cannot be reached.
async function post(path, body) {
  const init = {method: 'POST', keepalive: true, cache: 'no-store', headers: {}};
  if (body) {
    init.headers['Content-Type'] = 'application/json';
    init.body = JSON.stringify(body);
  }
  try {
    const response = await fetch(path, init);
    let json = {};
    try {
      json = await response.json();
    } catch (ignored) {
      // an answer without JSON tells its status alone
    }
    return {ok: response.ok, status: response.status, body: json};
  } catch (unreachable) {
    return {ok: false, status: 0, body: {error: 'the daemon cannot be reached'}};
  }
}

function tell(answer) {
  const line = document.getElementById('outcome');
  const body = answer.body || {};
  let text = body.command ? `${body.command}: ${body.outcome}` : '';
  if (body.error) text += (text ? ' — ' : '') + body.error;
  line.textContent = text || `HTTP ${answer.status}`;
  line.className = answer.ok ? 'ok' : 'failed';
}

function oneShot(button, name) {
  button.addEventListener('click', async () => tell(await post(`api/commands/${name}`)));
}

// Held: the hold starts at once and is renewed until the button is let go, the pointer is
// lost, the page is hidden or left.
function holdToRepeat(button, name) {
  let held = false;
  let hold = null;  // {id, timer} once the daemon has taken it
  const stop = () => {
    if (!held) return;
    held = false;
    button.classList.remove('held');
    if (!hold) return;
    clearInterval(hold.timer);
    const id = hold.id;
    hold = null;
    post(`api/hold/${id}/release`).then(tell);
  };
  const renew = async (id) => {
    const answer = await post(`api/hold/${id}`);
    if (answer.status === 404 && hold && hold.id === id) {
      clearInterval(hold.timer);
      hold = null;
      tell(answer);
    }
  };
  const start = async () => {
    if (held) return;
    held = true;
    button.classList.add('held');
    const answer = await post('api/hold', {command: name});
    if (!answer.ok) {
      held = false;
      button.classList.remove('held');
      return tell(answer);
    }
    const id = answer.body.hold;
    if (!held) return post(`api/hold/${id}/release`).then(tell);
    hold = {id, timer: setInterval(() => renew(id), RENEW_MS)};
  };
  button.addEventListener('pointerdown', (event) => {
    if (event.button !== 0) return;
    event.preventDefault();
    button.setPointerCapture(event.pointerId);
    start();
  });
  for (const type of ['pointerup', 'pointercancel', 'lostpointercapture', 'blur'])
    button.addEventListener(type, stop);
  button.addEventListener('keydown', (event) => {
    if ((event.key === ' ' || event.key === 'Enter') && !event.repeat) {
      event.preventDefault();
      start();
    }
  });
  button.addEventListener('keyup', (event) => {
    if (event.key === ' ' || event.key === 'Enter') stop();
  });
  button.addEventListener('contextmenu', (event) => event.preventDefault());
  stops.push(stop);
}

function button(command) {
  const made = element('button', command.kind === 'repeat' ? 'hold' : 'once', command.caption);
  made.type = 'button';
  made.dataset.command = command.name;
  made.title = command.name;
  if (command.caption === 'ON') made.classList.add('on');
  if (command.caption === 'OFF') made.classList.add('off');
  if (CROSS[command.caption]) made.dataset.place = CROSS[command.caption];
  if (command.kind === 'repeat') holdToRepeat(made, command.name);
  else oneShot(made, command.name);
  return made;
}

function row(group, commands) {
  const made = element('div', 'row');
  if (commands.some((command) => CROSS[command.caption])) made.classList.add('cross');
  if (ROW_LABELS[group]) made.append(element('span', 'row-label', ROW_LABELS[group]));
  for (const command of commands) made.append(button(command));
  return made;
}

function build(commands) {
  const groups = new Map();
  for (const command of commands) {
    if (!groups.has(command.group)) groups.set(command.group, []);
    groups.get(command.group).push(command);
  }
  const cards = CARDS.map(([title, names]) => [title, names.filter((name) => groups.has(name))]);
  const placed = new Set(CARDS.flatMap(([, names]) => names));
  for (const name of groups.keys()) if (!placed.has(name)) cards.push([name, [name]]);
  const main = document.getElementById('groups');
  for (const [title, names] of cards) {
    if (names.length === 0) continue;
    const card = element('section', 'card');
    card.append(element('h2', '', title));
    for (const name of names) card.append(row(name, groups.get(name)));
    main.append(card);
  }
}

function show(read, text, value) {
  const field = document.querySelector(`[data-read="${read}"]`);
  field.textContent = text;
  field.dataset.value = value === null || value === undefined ? '' : String(value);
}

function known(value, text) {
  return value === null || value === undefined ? '–' : text;
}

function render(state) {
  show('state', known(state.power, POWER_WORDS[state.power]), state.power);
  document.body.dataset.power = state.power || '';
  show('input', known(state.input, state.input), state.input);
  const mutes = state.picture_mute === null ? null :
      `NO SHOW ${state.picture_mute ? 'on' : 'off'} · SOUND MUTE ${state.sound_mute ? 'on' : 'off'}`;
  show('mute', known(mutes, mutes), mutes);
  show('lamp-hours', known(state.lamp_hours, `${state.lamp_hours} h`), state.lamp_hours);
  show('lamp-mode', known(state.lamp_mode, state.lamp_mode), state.lamp_mode);
  show('reversal', known(state.reversal, state.reversal), state.reversal);
  const temperatures = state.temperatures && Object.entries(state.temperatures)
      .map(([sensor, celsius]) => `${sensor.toUpperCase()} ${celsius} °C`).join(' · ');
  show('temperatures', known(temperatures, temperatures), temperatures);
  show('pressure', known(state.pressure_hpa, `${state.pressure_hpa} hPa`), state.pressure_hpa);
  show('version', known(state.version, state.version), state.version);
  const failures = [
    [state.temperature_warning, 'temperature warning'],
    [state.lamp_failure, 'lamp failure'],
    [state.power_failure, 'power failure'],
  ].filter(([on]) => on).map(([, word]) => word);
  const line = document.getElementById('failures');
  line.hidden = failures.length === 0;
  line.textContent = failures.join(' · ');
  answering(state.answering ? 'answering' : 'not answering', state.answering);
  if (!shown) {
    shown = true;
    performance.mark('state-shown');
  }
}

function answering(text, good) {
  const badge = document.getElementById('answering');
  badge.textContent = text;
  badge.dataset.answering = String(good);
}

// The live state; a page left for another keeps no stream open, as a browser keeps a page it
// may come back to (and its connections, of which it has six for one host).
function listen() {
  const events = new EventSource('api/events');
  events.addEventListener('state', (event) => render(JSON.parse(event.data)));
  events.addEventListener('error', () => answering('daemon unreachable', false));
  return events;
}

async function main() {
  let events = listen();
  const stopAll = () => stops.forEach((stop) => stop());
  window.addEventListener('pagehide', () => {
    stopAll();
    events.close();
  });
  window.addEventListener('pageshow', (event) => {
    if (event.persisted) events = listen();
  });
  document.addEventListener('visibilitychange', () => document.hidden && stopAll());
  try {
    const response = await fetch('api/commands', {cache: 'no-store'});
    build(await response.json());
  } catch (unreachable) {
    tell({ok: false, status: 0, body: {error: 'the command list cannot be had'}});
  }
}

main();
