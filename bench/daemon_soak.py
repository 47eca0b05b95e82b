"""pv7100d with every face on, used as a venue uses it, for a set time: PJLink pollers that
connect anew now and then, pages of the remote opened and closed in tabs of a headless
Chromium, held buttons and a dashboard and a Prometheus-like scraper on the JSON API, MQTT
commands through a mosquitto with TLS, the broker restarted every few minutes, the projector
switched off and on, and the simulated projector stopped and started again (the daemon sees
it stop answering and come back). At the end: the connections the daemon holds, its memory,
CPU and lines on standard error, and whether every face still answers; the exit status is 1
when one does not. Built as build-bench/bench/pv7100_bench_daemon_soak.

    pv7100_bench_daemon_soak [--seconds N] ...   (or PV7100_SOAK_SECONDS=N; default 60)

Everything runs on loopback in a temporary folder; every process started here is stopped at
the end (and, should this script be killed, by the kernel: each child has a parent-death
signal). The wire is the simulator's own log (--verbose: "<- C1E" as it takes each line).
"""
import argparse
import collections
import ctypes
import http.client
import json
import math
import os
import random
import re
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time

from process_figures import cpu_seconds, descriptors, free_port, memory_mib, row
NAME = "soak"
TOPIC = "pv7100/" + NAME
LIBC = ctypes.CDLL(None, use_errno=True)


def die_with_parent():
    LIBC.prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def until(check, seconds, step=0.2):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = check()
        if value:
            return value
        time.sleep(step)
    return None


def stop(process, seconds=5):
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(seconds)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


class Tally:
    """Counts by name and the times each face first failed, shared by every thread."""

    def __init__(self, start):
        self.start = start
        self.lock = threading.Lock()
        self.counts = collections.Counter()
        self.times = collections.defaultdict(list)
        self.first_failure = {}

    def add(self, name, value=None):
        with self.lock:
            self.counts[name] += 1
            if value is not None:
                self.times[name].append(value)

    def failed(self, face, what):
        self.add(f"{face}: {what}")
        with self.lock:
            self.first_failure.setdefault(face, (time.monotonic() - self.start, what))


class Simulator:
    """pv7100-sim on a link that stays the same across restarts; the lines it took, stamped."""

    def __init__(self, program, link):
        self.program, self.link = program, link
        self.process = None
        self.lines = []  # (monotonic time, code)
        self.lock = threading.Lock()

    def start(self):
        self.process = subprocess.Popen(
            [self.program, "--link", self.link, "--count-down", "3000", "--cool-down", "3000",
             "--verbose"], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
            preexec_fn=die_with_parent)
        self.process.stdout.readline()
        threading.Thread(target=self.read, args=(self.process,), daemon=True).start()

    def read(self, process):
        for line in process.stderr:
            if line.startswith("<- "):
                with self.lock:
                    self.lines.append((time.monotonic(), line[3:].rstrip("\n")))

    def up(self):
        return self.process is not None and self.process.poll() is None

    def stop(self):
        stop(self.process)
        self.process.stdout.close()
        self.process = None

    def taken(self, code, since):
        """When `code` first reached the wire after `since`, or None."""
        with self.lock:
            return next((t for t, c in self.lines if c == code and t >= since), None)

    def count(self):
        with self.lock:
            return len(self.lines)


class Broker:
    """mosquitto with TLS only, certificates made with openssl; restarted on the same port."""

    def __init__(self, directory, port):
        self.directory, self.port = directory, port
        self.ca = directory + "/ca.pem"
        subprocess.run(["/bin/sh", "-c", """
            key="-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes"
            openssl req -x509 -days 2 $key -subj /CN=soak-ca -keyout ca.key -out ca.pem &&
            openssl req $key -subj /CN=server -keyout server.key -out server.csr &&
            printf 'subjectAltName=IP:127.0.0.1\\n' > san &&
            openssl x509 -req -days 2 -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial \
              -extfile san -out server.pem"""], cwd=directory, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(directory + "/mosquitto.conf", "w") as conf:
            conf.write(f"listener {port} 127.0.0.1\ncafile {self.ca}\n"
                       f"certfile {directory}/server.pem\nkeyfile {directory}/server.key\n"
                       "allow_anonymous true\npersistence false\nuser root\n")
        self.log = open(directory + "/mosquitto.log", "a")
        self.process = None

    def start(self):
        runs = self.count(" running")
        self.process = subprocess.Popen(["/usr/sbin/mosquitto", "-c", self.directory +
                                         "/mosquitto.conf"], stdout=self.log,
                                        stderr=subprocess.STDOUT, preexec_fn=die_with_parent)
        until(lambda: self.count(" running") > runs, 5, 0.05)

    def stop(self):
        stop(self.process)

    def up(self):
        return self.process is not None and self.process.poll() is None

    def tls(self):
        return ["-h", "127.0.0.1", "-p", str(self.port), "--cafile", self.ca]

    def publish(self, topic, payload):
        try:
            return subprocess.run(["/usr/bin/mosquitto_pub", *self.tls(), "-t", topic, "-m",
                                   payload], stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL, timeout=10).returncode == 0
        except subprocess.TimeoutExpired:
            return False

    def count(self, part):
        """Lines of the broker's log that hold `part`."""
        self.log.flush()
        with open(self.log.name) as log:
            return sum(part in line for line in log)


class Daemon:
    """pv7100d with PJLink, the local socket, the web face and MQTT over TLS."""

    def __init__(self, program, directory, link, broker):
        self.pjlink, self.http = free_port(), free_port()
        self.stderr = []  # (monotonic time, line)
        self.process = subprocess.Popen(
            [program, "--config", "/dev/null", "--port", link, "--name", NAME,
             "--listen", f"127.0.0.1:{self.pjlink}", "--socket", directory + "/line.sock",
             "--http", f"127.0.0.1:{self.http}", "--mqtt", f"127.0.0.1:{broker.port}",
             "--mqtt-ca-file", broker.ca], stderr=subprocess.PIPE, text=True,
            preexec_fn=die_with_parent)
        self.url = f"http://127.0.0.1:{self.http}/"
        self.start = time.monotonic()
        threading.Thread(target=self.read, daemon=True).start()

    def read(self):
        """Each line stamped; the first 100 also shown as they come."""
        for line in self.process.stderr:
            self.stderr.append((time.monotonic(), line.rstrip("\n")))
            if len(self.stderr) <= 100:
                print(f"{time.monotonic() - self.start:7.1f} s  {line}", end="", flush=True)

    def lines(self):
        return [line for _, line in list(self.stderr)]

    def on_broker(self):
        """Whether its last word on the broker was that it is connected."""
        said = [line for line in self.lines() if ": MQTT broker " in line]
        return bool(said) and said[-1].endswith(": connected")

    def sample(self):
        """Open descriptors (and how many are sockets), VmRSS and VmHWM in KiB, CPU seconds."""
        pid = self.process.pid
        fds, sockets = descriptors(pid)
        return {"fds": fds, "sockets": sockets, "rss": memory_mib(pid, "VmRSS") * 1024,
                "hwm": memory_mib(pid, "VmHWM") * 1024, "cpu": cpu_seconds(pid)}


class PjlinkClient:
    """A PJLink connection without a password; lines end at CR."""

    def __init__(self, port, timeout=3.0):
        self.socket = socket.create_connection(("127.0.0.1", port), timeout=timeout)
        self.pending = b""
        if self.line() != "PJLINK 0":
            self.socket.close()
            raise OSError("no greeting")

    def line(self):
        while b"\r" not in self.pending:
            got = self.socket.recv(256)
            if not got:
                raise OSError("closed by the daemon")
            self.pending += got
        line, self.pending = self.pending.split(b"\r", 1)
        return line.decode(errors="replace")

    def ask(self, request):
        self.socket.sendall(b"%1" + request.encode() + b"\r")
        return self.line()

    def close(self):
        self.socket.close()


def pjlink_ask(port, request):
    client = PjlinkClient(port)
    try:
        return client.ask(request)
    finally:
        client.close()


def api(daemon, method, path, body=None, timeout=5.0):
    """(status, JSON or text) of one request on a connection of its own."""
    client = http.client.HTTPConnection("127.0.0.1", daemon.http, timeout=timeout)
    try:
        client.request(method, path, body, {"Host": f"127.0.0.1:{daemon.http}"})
        response = client.getresponse()
        text = response.read().decode()
        try:
            return response.status, json.loads(text)
        except ValueError:
            return response.status, text
    finally:
        client.close()


# The users: each runs in a thread of its own until `done` is set, at human rates.

def poller(port, done, tally, period):
    """A control system's poller: POWR ?, INPT ?, AVMT ? every `period` s, a new connection
    after a few rounds (PJLink clients connect per question or keep a connection a while)."""
    while not done.is_set():
        client = None
        try:
            client = PjlinkClient(port)
            tally.add("pjlink: connections")
            for _ in range(random.randint(1, 8)):
                for request in ("POWR ?", "INPT ?", "AVMT ?"):
                    sent = time.monotonic()
                    answer = client.ask(request)
                    if not re.fullmatch(r"%1" + request[:4] + r"=\S+", answer):
                        raise OSError(f"{request} answered {answer[:20]!r}")
                    kind = answer.split("=", 1)[1] if "=ERR" in answer else "a value"
                    tally.add(f"pjlink: {request} answered with {kind}", time.monotonic() - sent)
                if done.wait(period):
                    break
        except OSError as error:
            tally.failed("pjlink", "no answer" if isinstance(error, TimeoutError)
                         else str(error).split(":")[0][:60])
            done.wait(period)
        finally:
            if client:
                client.close()
        done.wait(random.uniform(0.5, 2))


def holder(daemon, done, tally, period):
    """A held button through the API: hold, renew every 100 ms for 1-2 s, release; and a
    dashboard that reads the state every few seconds."""
    while not done.wait(period):
        try:
            status, _ = api(daemon, "GET", "/api/state")
            tally.add(f"api: state {status}")
            status, hold = api(daemon, "POST", "/api/hold", '{"command": "zoom-plus"}')
            tally.add(f"api: hold {status}")
            if status != 200:
                continue
            # The token its start was answered with renews and releases it.
            token = json.dumps({"token": hold["token"]}) if "token" in hold else None
            end = time.monotonic() + random.uniform(1, 2)
            while time.monotonic() < end:
                time.sleep(0.1)
                status, _ = api(daemon, "POST", f"/api/hold/{hold['hold']}", token)
                tally.add(f"api: renew {status}")
                if status != 200:
                    break
            status, outcome = api(daemon, "POST", f"/api/hold/{hold['hold']}/release", token)
            tally.add(f"api: release {status} {outcome.get('outcome', '')}".rstrip()
                      if isinstance(outcome, dict) else f"api: release {status}")
        except (OSError, http.client.HTTPException) as error:
            tally.failed("api", type(error).__name__)


def scraper(daemon, done, tally, period):
    """Prometheus's scrape of /metrics."""
    while not done.wait(period):
        try:
            status, _ = api(daemon, "GET", "/metrics")
            tally.add(f"metrics: {status}")
        except (OSError, http.client.HTTPException) as error:
            tally.failed("metrics", type(error).__name__)


def mqtt_commander(daemon, broker, sim, done, tally, period):
    """A home-automation system sends fan-max and fan-nor in turn over TLS; each should reach
    the wire within 5 s, unless the broker, the projector or the daemon's connection to the
    broker was away meanwhile (commands are not queued for later)."""
    commands = [("fan-max", "CF FANSPEED MAX"), ("fan-nor", "CF FANSPEED NOR")]
    n = 0
    while not done.wait(period):
        name, code = commands[n % 2]
        n += 1
        all_up = daemon.on_broker() and sim.up()
        sent = time.monotonic()
        if not broker.publish(TOPIC + "/set", name):
            tally.add("mqtt: publish refused (broker away)")
            continue
        reached = until(lambda: sim.taken(code, sent), 5, 0.05)
        if reached:
            tally.add("mqtt: command on the wire", reached - sent)
        elif all_up and daemon.on_broker() and sim.up():
            tally.failed("mqtt", "command not on the wire")
        else:
            tally.add("mqtt: command lost: the projector or the daemon's connection away")


class Watcher:
    """mosquitto_sub over TLS on the device's topics: what the daemon publishes, as it comes
    (retained copies at each connection not counted); started again after each broker restart."""

    def __init__(self, broker, tally):
        self.broker, self.tally, self.process = broker, tally, None

    def ensure(self):
        if self.broker.up() and (self.process is None or self.process.poll() is not None):
            self.process = subprocess.Popen(
                ["/usr/bin/mosquitto_sub", *self.broker.tls(), "-R", "-v", "-t", TOPIC + "/#",
                 "-t", f"homeassistant/+/{NAME}/+/config"], stdout=subprocess.PIPE,
                stderr=subprocess.DEVNULL, text=True, preexec_fn=die_with_parent)
            threading.Thread(target=self.read, args=(self.process,), daemon=True).start()

    def read(self, process):
        for line in process.stdout:
            topic = line.split(" ", 1)[0]
            self.tally.add("mqtt message: " + ("discovery" if topic.startswith("homeassistant/")
                                               else topic.removeprefix(TOPIC + "/")))

    def stop(self):
        stop(self.process)


def timed_state(daemon, tally, label, seconds):
    """One more client asks for the state while (or after) a crowd is there."""
    sent = time.monotonic()
    try:
        status, _ = api(daemon, "GET", "/api/state", timeout=seconds)
        tally.add(f"crowd: a client {label}: {status}", time.monotonic() - sent)
    except (OSError, http.client.HTTPException):
        tally.failed("web", f"a client {label}: no answer within {seconds} s")


def crowd(daemon, tally, count, seconds=5):
    """Many browsers at once, each on an address of its own (127.0.0.2, ...) with six
    connections, as a browser keeps: `count` connections each ask for the state, stay open
    `seconds` s, then all close. A client among them should be answered within 10 s, and one
    after them at once."""
    sockets, answered = [], 0
    try:
        for i in range(count):
            s = socket.create_connection(("127.0.0.1", daemon.http), timeout=5,
                                         source_address=(f"127.0.0.{2 + i // 6}", 0))
            sockets.append(s)
            s.sendall(f"GET /api/state HTTP/1.1\r\nHost: 127.0.0.1:{daemon.http}\r\n\r\n"
                      .encode())
        deadline = time.monotonic() + 5
        for s in sockets:
            try:
                s.settimeout(max(0.01, deadline - time.monotonic()))
                answered += s.recv(64).startswith(b"HTTP/1.1 200")
            except OSError:
                pass
        timed_state(daemon, tally, "among them", 10)
        time.sleep(seconds)
    except OSError as error:
        tally.failed("crowd", type(error).__name__)
    finally:
        for s in sockets:
            s.close()
    tally.add(f"crowd: {answered} of {count} connections answered")
    time.sleep(1)
    timed_state(daemon, tally, "1 s after they left", 5)


def chromium(directory):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ["--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update",
                     "--disable-sync", "--window-size=1280,900",
                     "--user-data-dir=" + tempfile.mkdtemp(dir=directory)]:
        options.add_argument(argument)
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.set_page_load_timeout(20)
    return driver


def load_page(driver, url, seconds=20):
    """Loads the remote in the current tab: ms to the first state shown, or None."""
    try:
        driver.get(url)
    except Exception:  # selenium's time-out, or a page that would not load
        return None
    return until(lambda: driver.execute_script(
        "const m = performance.getEntriesByName('state-shown'); return m.length && m[0].startTime"),
        seconds, 0.1)


def browser_user(url, directory, sim, done, tally, tabs, period, box):
    """Keeps `tabs` tabs of the remote open: every `period` s opens a new one, clicks DISPLAY
    CLEAR in it (which should reach the wire within 5 s) and closes the oldest."""
    try:
        driver = box["driver"] = chromium(directory)
        open_tabs = []
        while not done.is_set():
            if open_tabs:
                driver.switch_to.new_window("tab")
            open_tabs.append(driver.current_window_handle)
            shown = load_page(driver, url)
            if shown is None:
                tally.failed("page", "state not shown within 20 s")
            else:
                tally.add("page: loads (to the state shown)", shown / 1000)
                sim_up = sim.up()
                clicked = time.monotonic()
                try:
                    driver.find_element("css selector", '[data-command="display-clear"]').click()
                    reached = until(lambda: sim.taken("C1E", clicked), 5, 0.05)
                except Exception:
                    reached = None
                if reached:
                    tally.add("page: click on the wire", reached - clicked)
                elif sim_up and sim.up():
                    tally.failed("page", "click not on the wire within 5 s")
                else:
                    tally.add("page: click while the projector was away")
            if len(open_tabs) > tabs:
                driver.switch_to.window(open_tabs.pop(0))
                driver.close()
                driver.switch_to.window(open_tabs[-1])
                tally.add("page: tabs closed")
            done.wait(period if len(open_tabs) >= tabs else 1)
    except Exception as error:  # the browser itself failed: told, the others go on
        tally.failed("page", "browser: " + str(error).splitlines()[0][:80])


# What happens to the venue: a schedule of events, the same shape for a minute or an hour.

def schedule(length, every, phase, down):
    """Times (s from the start) at which something is taken away for `down` s: once every
    `every` s, at least once in a short run, each back before the run's end."""
    period = min(every, length)
    times, t = [], phase * period
    while t + down < length - 5:
        times.append(t)
        t += period
    return times


def venue(args, broker, sim, power, start_crowd):
    """What happens to the venue: (time, what, action), in the order of their times."""
    timeline = []
    for t in schedule(args.seconds, args.broker_every, 0.35, 10):
        timeline += [(t, "broker stopped", broker.stop), (t + 10, "broker started", broker.start)]
    for t in schedule(args.seconds, args.simulator_every, 0.6, 15):
        timeline += [(t, "projector gone (simulator stopped)", sim.stop),
                     (t + 15, "projector back (simulator started)", sim.start)]
    for t in schedule(args.seconds, args.crowd_every, 0.7, 5) if args.crowd else []:
        timeline.append((t, f"a crowd of {args.crowd} connections on the web face", start_crowd))
    half = min(args.power_every, args.seconds) / 2
    for t in schedule(args.seconds, args.power_every, 0.05, half):
        timeline += [(t, "", lambda: power(True)), (t + half, "", lambda: power(False))]
    return sorted(timeline, key=lambda event: event[0])


def face_checks(daemon, broker, sim, directory, deadline):
    """Whether each face answers at the end; each tried until `deadline` (monotonic)."""
    results = {}

    def pjlink():
        try:
            answer = pjlink_ask(daemon.pjlink, "POWR ?")
            return answer if re.fullmatch(r"%1POWR=[0-3]", answer) else None
        except OSError:
            return None

    def state():
        try:
            status, body = api(daemon, "GET", "/api/state")
            return status == 200 and isinstance(body, dict) and body.get("answering") and \
                f"200, power {body.get('power')}, answering"
        except (OSError, http.client.HTTPException):
            return None

    def command():
        sent = time.monotonic()
        if not broker.publish(TOPIC + "/set", "fan-max"):
            return None
        reached = until(lambda: sim.taken("CF FANSPEED MAX", sent), 5, 0.05)
        return reached and f"on the wire {1000 * (reached - sent):.0f} ms after its publication"

    for face, check in [("PJLink POWR ?", pjlink), ("web API state", state),
                        ("MQTT command (TLS)", command)]:
        results[face] = until(check, max(1, deadline - time.monotonic()), 1)
    driver = None
    try:
        driver = chromium(directory)
        shown = load_page(driver, daemon.url)
        results["page load (fresh browser)"] = shown and f"state shown after {shown:.0f} ms"
    except Exception as error:
        results["page load (fresh browser)"] = None
        print("browser:", str(error).splitlines()[0], file=sys.stderr)
    finally:
        if driver:
            driver.quit()
    return results


def back_after(daemon, timeline, event, line):
    """For each time `event` happened, the seconds until the daemon's next line with `line`."""
    delays = []
    for at, what in timeline:
        if what != event:
            continue
        later = [t - daemon.start for t, text in list(daemon.stderr)
                 if line in text and t - daemon.start >= at]
        delays.append(f"{later[0] - at:.1f}" if later else "never")
    return ", ".join(delays) or "-"


def report(args, directory, samples, tally, daemon, broker, events, happened, checks):
    length = args.seconds
    first, last = samples[0], samples[-1]
    lines = daemon.lines()
    step = 10 if length <= 300 else 60
    print(f"\n## pv7100d soak, {length} s (every face on)\n")
    print("| Time s | Open fds | Sockets | VmRSS MiB | VmHWM MiB | CPU s/min | CPU % of a core |"
          " stderr lines |\n|---:|---:|---:|---:|---:|---:|---:|---:|")
    shown = [s for s in samples if s is first or s["t"] % step == 0 or s is last]
    for before, now in zip(shown, shown[1:]):
        span = now["t"] - before["t"]
        cpu = now["cpu"] - before["cpu"]
        row(now["t"], now["fds"], now["sockets"], f"{now['rss'] / 1024:.1f}",
            f"{now['hwm'] / 1024:.1f}", f"{cpu * 60 / span:.2f}", f"{cpu / span * 100:.2f}",
            now["lines"] - before["lines"])
    minutes = [(b["cpu"] - a["cpu"]) * 60 / (b["t"] - a["t"])
               for a, b in zip(samples, samples[1:]) if b["t"] > a["t"]]
    cpu = last["cpu"] - first["cpu"]
    print("\n| Figure | Value |\n|---|---|")
    row("open descriptors (start, end, max)",
        f"{first['fds']}, {last['fds']}, {max(s['fds'] for s in samples)}")
    row("of which sockets (start, end, max)",
        f"{first['sockets']}, {last['sockets']}, {max(s['sockets'] for s in samples)}")
    row("VmRSS MiB (start, end, max)", f"{first['rss'] / 1024:.1f}, {last['rss'] / 1024:.1f},"
        f" {max(s['rss'] for s in samples) / 1024:.1f}")
    row("VmHWM MiB at the end", f"{last['hwm'] / 1024:.1f}")
    row("CPU s (utime + stime) from the first sample to the last",
        f"{cpu:.2f} ({cpu / (last['t'] - first['t']) * 100:.2f} % of a core; the busiest 10 s:"
        f" {max(minutes):.2f} s/min)")
    row("lines on standard error", f"{len(lines)} ({len(lines) * 3600 / length:.0f} an hour)")
    row("the daemon's connections to the broker (broker's log)",
        broker.count(f" as pv7100d-{NAME} "))
    for name in sorted(events):
        row(name, events[name])
    row("broker back to the daemon connected, s",
        back_after(daemon, happened, "broker started", "connected"))
    row("projector back to its port open, s",
        back_after(daemon, happened, "projector back (simulator started)", " open at "))
    print("\n| Activity | Count | Median ms | Max ms |\n|---|---:|---:|---:|")
    for name, count in sorted(tally.counts.items()):
        times = tally.times.get(name)
        row(name, count, f"{statistics.median(times) * 1000:.1f}" if times else "",
            f"{max(times) * 1000:.1f}" if times else "")
    print("\nThe daemon's lines on standard error, by kind (numbers as N):\n")
    kinds = collections.Counter(re.sub(r"\b\d+\b", "N", line.replace(directory, "DIR"))
                                for line in lines)
    for text, count in kinds.most_common(12):
        print(f"    {count:6d}  {text[:150]}")
    if tally.first_failure:
        print("\nFirst failure of each face during the run:\n")
        for face, (when, what) in sorted(tally.first_failure.items()):
            print(f"- {face}: at {when:.0f} s, {what}")
    print("\n| Face at the end | Answers |\n|---|---|")
    for face, result in checks.items():
        row(face, result or "**NO**")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--daemon", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--seconds", type=int,
                        default=int(os.environ.get("PV7100_SOAK_SECONDS", "60")))
    parser.add_argument("--pollers", type=int, default=3)
    parser.add_argument("--tabs", type=int, default=4)
    parser.add_argument("--broker-every", type=float, default=180)
    parser.add_argument("--simulator-every", type=float, default=300)
    parser.add_argument("--power-every", type=float, default=120)
    parser.add_argument("--crowd", type=int, default=66, help="connections at once (0: none)")
    parser.add_argument("--crowd-every", type=float, default=300)
    parser.add_argument("--keep", action="store_true", help="keep the folder with the logs")
    args = parser.parse_args()
    if args.seconds < 30:
        parser.error("--seconds: at least 30")
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))

    directory = tempfile.mkdtemp(prefix="pv7100-soak-")
    print(f"pv7100d soak: {args.seconds} s, logs in {directory}", flush=True)
    sim = Simulator(args.sim, directory + "/pty")
    broker = Broker(directory, free_port())
    done = threading.Event()
    threads, daemon, watcher, browser_box = [], None, None, {}
    try:
        sim.start()
        broker.start()
        daemon = Daemon(args.daemon, directory, sim.link, broker)
        if not until(lambda: "connected" in "".join(daemon.lines()), 15):
            print("pv7100d did not reach the broker:", *daemon.lines(), sep="\n", file=sys.stderr)
        until(lambda: sim.count() >= 6, 15)  # its first reads, before the users come
        start = daemon.start
        tally = Tally(start)
        watcher = Watcher(broker, tally)
        watcher.ensure()
        users = [(poller, (daemon.pjlink, done, tally, 3)) for _ in range(args.pollers)]
        users += [(holder, (daemon, done, tally, 8)), (scraper, (daemon, done, tally, 15)),
                  (mqtt_commander, (daemon, broker, sim, done, tally, 10)),
                  (browser_user, (daemon.url, directory, sim, done, tally, args.tabs, 15,
                                  browser_box))]

        def start_user(target, *arguments):
            threads.append(threading.Thread(target=target, args=arguments, daemon=True))
            threads[-1].start()

        for target, arguments in users:
            start_user(target, *arguments)

        # The power through PJLink, as a control system switches it.
        def power(on):
            try:
                answer = pjlink_ask(daemon.pjlink, "POWR " + ("1" if on else "0"))
            except OSError:
                answer = "no answer"
            what = f"power {'on' if on else 'off'} by PJLink: {answer}"
            events[what] += 1
            print(f"{time.monotonic() - start:7.1f} s  {what}", flush=True)

        events = collections.Counter()
        happened = []  # (time, what) of the events above
        timeline = venue(args, broker, sim, power,
                         lambda: start_user(crowd, daemon, tally, args.crowd))
        samples = []
        next_sample = 10 * math.ceil((time.monotonic() - start) / 10)
        while True:
            now = time.monotonic() - start
            while timeline and timeline[0][0] <= now:
                _, what, action = timeline.pop(0)
                action()
                if what:
                    events[what] += 1
                    happened.append((now, what))
                    print(f"{now:7.1f} s  {what}", flush=True)
            if now >= next_sample:
                if daemon.process.poll() is not None:
                    print(f"pv7100d exited ({daemon.process.returncode})", file=sys.stderr)
                    break
                samples.append({"t": next_sample, "lines": len(daemon.lines()),
                                **daemon.sample()})
                next_sample += 10
                watcher.ensure()
            if now >= args.seconds:
                break
            time.sleep(0.2)
        done.set()
        for thread in threads:
            thread.join(30)
        checks = {"pv7100d still running": "yes" if daemon.process.poll() is None else None}
        if checks["pv7100d still running"]:
            checks.update(face_checks(daemon, broker, sim, directory, time.monotonic() + 35))
            samples.append({"t": round(time.monotonic() - start), "lines": len(daemon.lines()),
                            **daemon.sample()})
        report(args, directory, samples, tally, daemon, broker, events, happened, checks)
        return 0 if all(checks.values()) else 1
    finally:
        done.set()
        if browser_box.get("driver"):
            try:
                browser_box["driver"].quit()
            except Exception:
                pass
        if watcher:
            watcher.stop()
        if daemon:
            stop(daemon.process)
        broker.stop()
        if sim.up():
            sim.stop()
        if args.keep:
            print("logs kept in", directory)
        else:
            shutil.rmtree(directory, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
