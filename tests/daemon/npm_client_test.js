// The npm "pjlink" client, which nobody here wrote, against pv7100d on pv7100-sim: every call
// it offers, with and without a password, and what reaches the simulated projector's line.
// Usage: node npm_client_test.js PV7100_SIM PV7100D CLIENT_DIR
'use strict';
const assert = require('assert');
const childProcess = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const [simPath, daemonPath, clientDir] = process.argv.slice(2);
const PJLink = require(path.resolve(clientDir, 'node_modules', 'pjlink'));

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Calls method `name` of `client`; resolves with the values its callback gives, or rejects.
function call(client, name, ...args) {
  return new Promise((resolve, reject) => {
    client[name](...args, (error, ...values) => (error ? reject(error) : resolve(values)));
  });
}

// Resolves with the first line a child process writes on `stream`.
function firstLine(stream) {
  return new Promise((resolve, reject) => {
    let text = '';
    stream.on('data', (chunk) => {
      text += chunk;
      if (text.includes('\n')) resolve(text.split('\n')[0]);
    });
    setTimeout(() => reject(new Error('no line within 5 s')), 5000);
  });
}

// pv7100-sim on a pseudo-terminal, the codes it takes recorded from --verbose.
async function startProjector() {
  const sim = childProcess.spawn(
      simPath, ['--verbose', '--count-down', '2000', '--cool-down', '2000'], {stdio: 'pipe'});
  sim.taken = [];
  let partial = '';  // a chunk may end inside a line
  sim.stderr.on('data', (chunk) => {
    const lines = (partial + chunk.toString()).split('\n');
    partial = lines.pop();
    for (const line of lines)
      if (line.startsWith('<- ')) sim.taken.push(line.slice(3));
  });
  sim.device = await firstLine(sim.stdout);
  return sim;
}

async function startDaemon(device, port, passwordFile) {
  const args = ['--config', '/dev/null', '--port', device, '--listen', `127.0.0.1:${port}`,
                '--name', 'Hall-A', '--socket',
                path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'pv7100d-npm-')), 'line.sock')];
  if (passwordFile) args.push('--password-file', passwordFile);
  const daemon = childProcess.spawn(daemonPath, args, {stdio: ['ignore', 'ignore', 'pipe']});
  const ready = await firstLine(daemon.stderr);
  assert.match(ready, /open at 19200 baud/);
  return daemon;
}

// Waits until the projector has taken `code` `count` times in all.
async function taken(sim, code, count) {
  for (let i = 0; i < 50 && sim.taken.filter((c) => c === code).length < count; ++i)
    await sleep(20);
  assert.strictEqual(sim.taken.filter((c) => c === code).length, count, `${code} on the line`);
}

async function everyCall(port, password) {
  const sim = await startProjector();
  const daemon = await startDaemon(sim.device, port, password && writePasswordFile(password));
  try {
    const client = new PJLink('127.0.0.1', port, password);
    assert.deepStrictEqual(await call(client, 'getClass'), ['2']);
    assert.deepStrictEqual(await call(client, 'getName'), ['Hall-A']);
    assert.deepStrictEqual(await call(client, 'getManufacturer'), ['QUIVA']);
    assert.deepStrictEqual(await call(client, 'getModel'), ['PV7100']);
    assert.deepStrictEqual(await call(client, 'getInfo'), ['PV7100', 'SIM', 'V1.00']);
    const [inputs] = await call(client, 'getInputs');
    assert.deepStrictEqual(inputs.map((input) => input.code),
                           ['11', '12', '21', '22', '23', '24', '25', '31', '32', '51']);
    assert.deepStrictEqual(await call(client, 'getLamps'), [[{hours: 1234, on: false}]]);
    assert.deepStrictEqual(await call(client, 'getErrors'), [null]);
    assert.deepStrictEqual(await call(client, 'getPowerState'), [0]);

    await call(client, 'powerOn');
    await taken(sim, 'C00', 1);
    assert.deepStrictEqual(await call(client, 'getPowerState'), [3]);
    await assert.rejects(call(client, 'setInput', '31'), /Unavailable time/);
    let power = 3;
    for (let i = 0; i < 40 && power === 3; ++i) {
      await sleep(100);
      [power] = await call(client, 'getPowerState');
    }
    assert.strictEqual(power, 1);
    assert.deepStrictEqual(await call(client, 'getLamps'), [[{hours: 1234, on: true}]]);

    // Each asked at once, as a client does, before the daemon may read it back (one read a
    // second).
    await call(client, 'setInput', {source: 'digital', channel: 1});
    assert.strictEqual((await call(client, 'getInput'))[0].code, '31');
    await call(client, 'setMute', {audio: true, video: true});
    assert.deepStrictEqual(await call(client, 'getMute'), [{audio: true, video: true}]);
    await taken(sim, 'C52', 1);
    await taken(sim, 'C0D', 1);
    await taken(sim, 'C0B', 1);

    await call(client, 'powerOff');
    await taken(sim, 'C01', 1);
    assert.deepStrictEqual(await call(client, 'getPowerState'), [2]);
    client.disconnect();
    if (password) {
      const intruder = new PJLink('127.0.0.1', port, 'not the password');
      await assert.rejects(call(intruder, 'getPowerState'), /Authorization failed/);
      intruder.disconnect();
    }
  } finally {
    daemon.kill('SIGTERM');
    sim.kill('SIGTERM');
  }
}

function writePasswordFile(password) {
  const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'pv7100d-npm-')), 'password');
  fs.writeFileSync(file, password + '\n', {mode: 0o600});
  return file;
}

(async () => {
  // Ports of their own, so that this test runs beside the others.
  await everyCall(43520 + (process.pid % 400), null);
  await everyCall(43920 + (process.pid % 400), 'JBMIAProjectorLink');
  console.log('the npm pjlink client got every answer, with and without a password');
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
