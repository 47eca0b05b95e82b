'use strict';
// The remote: the panel's groups built from the daemon's command list, the state shown live
// from its event stream, and a held button's hold renewed for as long as it is held.

// A hold lasts 400 ms unless renewed: four renewals a lease, so that three may be lost.
const RENEW_MS = 100;
// A click happens now or never: what has not reached the daemon by then is abandoned in the
// browser (a request the browser still queues, waiting for a free connection, never leaves).
const SEND_MS = 2000;

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
// A button's name for assistive technology is its group's and its caption ("Zoom +", "POWER
// ON", "LENS SHIFT up"): the group as spoken where its name is the command list's own.
const SPOKEN_GROUPS = {
  'cursor pad': 'cursor',
  'picture mode': 'PICTURE MODE',
  'status read': 'STATUS READ',
  'input type 1': 'INPUT TYPE 1',
  'input type 2': 'INPUT TYPE 2',
  'input type 3': 'INPUT TYPE 3',
  'right-hand column': '',
};

const POWER_WORDS = {
  'standby': 'Standby',
  'on': 'On',
  'counting-down': 'Counting down',
  'cooling-down': 'Cooling down',
};

const stops = [];  // what ends each held button's hold
let shown = false;  // the first state is on the page

function element(tag, className, text) {
  const made = document.createElement(tag);
  if (className) made.className = className;
  if (text !== undefined) made.textContent = text;
  return made;
}

// A request to the daemon: the answer's status and JSON; status 0 and `notSent` when no
// answer began within SEND_MS (`wait` ms for a read that changes nothing) and it was abandoned.
async function ask(path, {method = 'POST', body, headers = {}, wait = SEND_MS, keepalive} = {}) {
  const init = {method, cache: 'no-store', headers, keepalive};
  if (body) {
    init.headers['Content-Type'] = 'application/json';
    init.body = JSON.stringify(body);
  }
  const controller = new AbortController();
  init.signal = controller.signal;
  const timer = setTimeout(() => controller.abort(), wait);
  let response;
  try {
    response = await fetch(path, init);
  } catch (failed) {
    const error = controller.signal.aborted ? `the daemon did not answer within ${wait / 1000} s` :
                                              'the daemon cannot be reached';
    return {ok: false, status: 0, notSent: true, body: {outcome: 'not sent', error}};
  } finally {
    clearTimeout(timer);
  }
  let json = {};
  try {
    json = await response.json();
  } catch (ignored) {
    // an answer without JSON tells its status alone
  }
  return {ok: response.ok, status: response.status, body: json};
}

function tell(answer, name) {
  const line = document.getElementById('outcome');
  const body = answer.body || {};
  const what = body.command || name;
  let text = what ? `${what}: ${body.outcome || `HTTP ${answer.status}`}` : '';
  if (body.error) text += (text ? ' — ' : '') + body.error;
  line.textContent = text || `HTTP ${answer.status}`;
  line.className = answer.ok ? 'ok' : 'failed';
}

// The daemon takes the command at once and tells its outcome when the projector has answered,
// so the page knows within SEND_MS whether the click reached it.
function oneShot(button, name) {
  button.addEventListener('click', async () => {
    const taken = await ask(`api/commands/${name}`, {headers: {'Prefer': 'respond-async'}});
    if (taken.status !== 202) return tell(taken, name);
    tell({ok: true, body: {command: name, outcome: 'sent, waiting for the projector'}});
    const outcome = await ask(`api/outcomes/${taken.body.ticket}`, {method: 'GET', wait: 30000});
    tell(outcome.notSent ? {ok: false, body: {outcome: 'sent', error: 'its outcome is not known'}} :
                           outcome, name);
  });
}

// Held: the hold starts at once and is renewed until the button is let go, the pointer is
// lost, the page is hidden or left.
function holdToRepeat(button, name) {
  let held = false;
  let hold = null;  // {id, token, timer, renewing} once the daemon has taken it
  // Sent even as the page goes: the hold would end by itself, only later.
  const release = async ({id, token}) =>
    tell(await ask(`api/hold/${id}/release`, {body: {token}, keepalive: true}), name);
  const stop = () => {
    if (!held) return;
    held = false;
    button.classList.remove('held');
    if (!hold) return;
    clearInterval(hold.timer);
    release(hold);
    hold = null;
  };
  // One renewal on its way at a time: a lease holds four, so a slow one costs no stutter.
  const renew = async (current) => {
    if (current.renewing) return;
    current.renewing = true;
    const answer = await ask(`api/hold/${current.id}`, {body: {token: current.token}});
    current.renewing = false;
    if (answer.status === 404 && hold === current) {
      clearInterval(current.timer);
      hold = null;
      tell(answer, name);
    }
  };
  const start = async () => {
    if (held) return;
    held = true;
    button.classList.add('held');
    const answer = await ask('api/hold', {body: {command: name}});
    if (!answer.ok) {
      held = false;
      button.classList.remove('held');
      return tell(answer, name);
    }
    const current = {id: answer.body.hold, token: answer.body.token, renewing: false};
    if (!held) return release(current);
    hold = current;
    current.timer = setInterval(() => renew(current), RENEW_MS);
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
  const group = command.group in SPOKEN_GROUPS ? SPOKEN_GROUPS[command.group] : command.group;
  made.setAttribute('aria-label',
                    [group, CROSS[command.caption] || command.caption].filter(Boolean).join(' '));
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
    const heading = element('h2', '', title);
    heading.id = `group-${main.children.length}`;
    card.setAttribute('role', 'group');
    card.setAttribute('aria-labelledby', heading.id);
    card.append(heading);
    for (const name of names) card.append(row(name, groups.get(name)));
    main.append(card);
  }
}

// What the daemon does not know now (null), and everything while the projector does not
// answer or the daemon is out of reach, is shown as unknown: never a value from before.
function show(read, text, value) {
  const field = document.querySelector(`[data-read="${read}"]`);
  const unknown = value === null || value === undefined;
  field.textContent = unknown ? 'unknown' : text;
  field.classList.toggle('unknown', unknown);
  field.dataset.value = unknown ? '' : String(value);
}

function onOff(value) {
  return value === null || value === undefined ? 'unknown' : value ? 'on' : 'off';
}

function render(state) {
  const known = state && state.answering === true ? state : {};
  show('state', POWER_WORDS[known.power], known.power);
  document.body.dataset.power = known.power || '';
  show('input', known.input, known.input);
  const muted = [known.picture_mute, known.sound_mute].some((mute) => typeof mute === 'boolean');
  const mutes = muted ?
      `NO SHOW ${onOff(known.picture_mute)} · SOUND MUTE ${onOff(known.sound_mute)}` : null;
  show('mute', mutes, mutes);
  show('lamp-hours', `${known.lamp_hours} h`, known.lamp_hours);
  show('lamp-mode', known.lamp_mode, known.lamp_mode);
  show('reversal', known.reversal, known.reversal);
  const temperatures = known.temperatures && Object.entries(known.temperatures)
      .map(([sensor, celsius]) =>
        `${sensor.toUpperCase()} ${celsius === null ? 'unknown' : `${celsius} °C`}`)
      .join(' · ');
  show('temperatures', temperatures, temperatures);
  show('pressure', `${known.pressure_hpa} hPa`, known.pressure_hpa);
  show('version', known.version, known.version);
  const failures = [
    [known.temperature_warning, 'temperature warning'],
    [known.lamp_failure, 'lamp failure'],
    [known.power_failure, 'power failure'],
  ].filter(([on]) => on === true).map(([, word]) => word);
  const line = document.getElementById('failures');
  line.hidden = failures.length === 0;
  line.textContent = failures.join(' · ');
  if (state) answering(state.answering ? 'answering' : 'not answering', state.answering === true);
  if (state && !shown) {
    shown = true;
    performance.mark('state-shown');
  }
}

function answering(text, good) {
  const badge = document.getElementById('answering');
  badge.textContent = text;
  badge.dataset.answering = String(good);
}

// The live state, one event stream for the whole browser: one visible tab reads it and tells
// the browser's other tabs on a BroadcastChannel, so that any number of tabs takes one of the
// six connections a browser keeps to the daemon, and commands never wait behind streams. The
// reader is the tab that holds a Web Lock; where there are no Web Locks (a browser gives them
// to HTTPS and loopback pages only), the tabs agree on the channel: the reader says so twice a
// second, a visible tab that has heard none for 3 s (less after a reader left) starts reading,
// and of two readers the one with the higher number stops. Without a BroadcastChannel each
// visible tab reads its own. A hidden tab reads none.
const channel = 'BroadcastChannel' in window ? new BroadcastChannel('pv7100d-state') : null;
const locks = channel && 'locks' in navigator;
const me = Math.random();  // this tab's number among the reader's candidates
const SILENCE_MS = 3000;
let heard = 0;      // when this tab last heard a reader (without Web Locks)
let stream = null;  // this tab's EventSource, while it reads the state
let latest = null;  // what it told last: {state} or {unreachable}, for a tab that comes later
let resign = null;  // ends this tab's reading, or its wait for its turn

function told(message) {
  render(message.state || null);
  if (!message.state) answering('daemon unreachable', false);
}

function openStream() {
  stream = new EventSource('api/events');
  const pass = (message) => {
    latest = {...message, from: me};
    told(message);
    if (channel) channel.postMessage(latest);
  };
  stream.addEventListener('state', (event) => pass({state: JSON.parse(event.data)}));
  stream.addEventListener('error', () => pass({unreachable: true}));
}

function closeStream(leaving) {
  if (!stream) return;
  stream.close();
  stream = latest = null;
  if (leaving && channel && !locks) channel.postMessage({left: true});
}

function lead() {
  if (resign) return;
  if (!channel) {
    openStream();
    resign = () => {
      closeStream(true);
      resign = null;
    };
    return;
  }
  channel.postMessage({hello: true});
  const controller = new AbortController();
  let letGo = () => {};
  let ticker = null;
  if (locks) {
    navigator.locks.request('pv7100d-events', {signal: controller.signal}, () =>
      new Promise((resolve) => {
        letGo = resolve;
        openStream();
      })).catch(() => {});  // given up while waiting for its turn
  } else {
    ticker = setInterval(() => {
      if (stream) channel.postMessage({from: me});
      else if (Date.now() - heard > SILENCE_MS * (1 + me)) openStream();
    }, SILENCE_MS / 6);
  }
  resign = () => {
    controller.abort();
    letGo();
    clearInterval(ticker);
    closeStream(true);
    resign = null;
  };
}

if (channel) {
  channel.addEventListener('message', ({data}) => {
    if (data.hello) {
      if (latest) channel.postMessage(latest);
      return;
    }
    // A reader left: another takes over within SILENCE_MS * me.
    heard = data.left ? Date.now() - SILENCE_MS : Date.now();
    if (stream && !locks && data.from < me) closeStream();
    if (!stream && (data.state || data.unreachable)) told(data);
  });
}

async function main() {
  const stopAll = () => stops.forEach((stop) => stop());
  // A hidden tab may hear nothing more: what it shows when shown again must be told anew.
  const leave = () => {
    stopAll();
    if (resign) resign();
    render(null);
    answering('connecting…', '');
  };
  window.addEventListener('pagehide', leave);
  window.addEventListener('pageshow', (event) => event.persisted && !document.hidden && lead());
  document.addEventListener('visibilitychange', () => (document.hidden ? leave() : lead()));
  if (!document.hidden) lead();
  else if (channel) channel.postMessage({hello: true});
  const list = await ask('api/commands', {method: 'GET', wait: 10000});
  if (list.ok) build(list.body);
  else tell({ok: false, status: list.status, body: {error: 'the command list cannot be had'}});
}

main();
