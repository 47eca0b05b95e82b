"""pv7100d's web face as its users meet it, against pv7100-sim on a pseudo-terminal, all on
loopback: the page in Chromium driven by Selenium, the API and its rules with a plain client,
the metrics through promtool and a Prometheus of the test's own. Every wait is bounded; what a
test starts is stopped when it ends, also when it fails. The wire is read in the traffic log.
"""
import base64
import datetime
import http.client
import json
import os
import signal
import socket
import ssl
import subprocess
import tempfile
import time
import unittest
import urllib.parse

DAEMON = os.environ["PV7100D"]
SIM = os.environ["PV7100_SIM"]
ZOOM_PLUS = " TX C 4 7 CR \n"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def until(check, seconds=10.0):
    """check()'s first true value, polled until `seconds` have passed; None after."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = check()
        if value:
            return value
        time.sleep(0.05)
    return None


class Rig:
    """pv7100-sim and pv7100d with the web face, stopped at the test's end."""

    def __init__(self, test, *daemon_args, count_down="2000"):
        self.dir = tempfile.mkdtemp(prefix="pv7100-http-")
        self.port = free_port()
        link, self.log = self.dir + "/pty", self.dir + "/traffic.log"
        open(self.log, "w").close()
        self.sim = subprocess.Popen([SIM, "--link", link, "--count-down", count_down],
                                    stdout=subprocess.PIPE)
        test.addCleanup(self.sim.stdout.close)
        test.addCleanup(self.stop, self.sim)
        self.sim.stdout.readline()
        self.stderr = open(self.dir + "/stderr", "w+")
        test.addCleanup(self.stderr.close)
        self.daemon = subprocess.Popen(
            [DAEMON, "--config", "/dev/null", "--port", link, "--log", self.log,
             "--listen", f"127.0.0.1:{free_port()}", "--socket", self.dir + "/line.sock",
             "--http", f"127.0.0.1:{self.port}", *daemon_args], stderr=self.stderr)
        test.addCleanup(self.stop, self.daemon)
        test.assertTrue(until(lambda: "the web page on" in self.events()), self.events())
        self.url = f"http://127.0.0.1:{self.port}/"

    @staticmethod
    def stop(process):
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()

    def events(self):
        self.stderr.seek(0)
        return self.stderr.read()

    def wire(self, line):
        """When each `line` went on the wire, in seconds since the epoch."""
        with open(self.log) as log:
            return [datetime.datetime.fromisoformat(entry[:29]).timestamp()
                    for entry in log if entry.endswith(line)]

    def ask(self, method, path, body=None, headers=None, password=None):
        headers = {"Host": f"127.0.0.1:{self.port}", **(headers or {})}
        if password:
            headers["Authorization"] = "Basic " + base64.b64encode(
                b"user:" + password.encode()).decode()
        client = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        client.request(method, path, body, headers)
        response = client.getresponse()
        text = response.read().decode()
        client.close()
        return response.status, text


class PageTest(unittest.TestCase):
    """The remote in a real browser, on a desktop and at a phone's width."""

    def browser(self, phone):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for argument in ["--headless", "--no-sandbox", "--disable-gpu",
                         "--disable-background-networking", "--disable-component-update",
                         "--disable-sync", "--no-first-run", "--window-size=1280,900",
                         "--user-data-dir=" + tempfile.mkdtemp(prefix="pv7100-chromium-")]:
            options.add_argument(argument)
        if phone:  # a headless window is at least 500 px wide
            options.add_experimental_option("mobileEmulation", {
                "deviceMetrics": {"width": 360, "height": 740, "pixelRatio": 3, "touch": True}})
        driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.addCleanup(driver.quit)
        return driver

    def press(self, driver, phone, button, seconds=None):
        """Holds `button` by mouse or finger, `seconds` long, or until the browser goes."""
        from selenium.webdriver.common.actions import interaction
        from selenium.webdriver.common.actions.action_builder import ActionBuilder
        from selenium.webdriver.common.actions.pointer_input import PointerInput
        kind = interaction.POINTER_TOUCH if phone else interaction.POINTER_MOUSE
        actions = ActionBuilder(driver, mouse=PointerInput(kind, "hand"))
        actions.pointer_action.move_to(button).pointer_down()
        if seconds:
            actions.pointer_action.pause(seconds).pointer_up()
        actions.perform()

    def shown(self, driver, read):
        return driver.find_element("css selector", f'[data-read="{read}"]').get_attribute(
            "data-value")

    def run_page(self, phone):
        rig = Rig(self, "--name", "Hall A & B")
        driver = self.browser(phone)
        driver.get(rig.url)
        self.assertTrue(until(lambda: self.shown(driver, "state") == "standby"))
        self.assertEqual(driver.find_element("tag name", "h1").text, "Hall A & B")
        for read in ["state", "input", "lamp-hours", "reversal", "temperatures", "lamp-mode",
                     "version", "mute", "pressure"]:
            self.assertEqual(len(driver.find_elements("css selector", f'[data-read="{read}"]')),
                             1, read)
        self.assertTrue(until(lambda: self.shown(driver, "lamp-hours") == "1234"))
        buttons = driver.find_elements("css selector", "button[data-command]")
        self.assertEqual(len(buttons), 68)
        labels = {b.get_attribute("data-command"): b.get_attribute("aria-label") for b in buttons}
        self.assertEqual(len(set(labels.values())), 68, labels)
        self.assertEqual([labels["power-on"], labels["zoom-plus"], labels["lens-shift-up"]],
                         ["POWER ON", "Zoom +", "LENS SHIFT up"])
        self.assertLessEqual(driver.execute_script("return document.body.scrollWidth"),
                             360 if phone else 1280)
        # A page hidden behind another tab reads no state, and reads again when shown.
        page, streams = driver.current_window_handle, 'pv7100_clients{face="http"} %d\n'
        driver.switch_to.new_window("tab")
        self.assertTrue(until(lambda: streams % 0 in rig.ask("GET", "/metrics")[1], 5))
        driver.close()
        driver.switch_to.window(page)
        self.assertTrue(until(lambda: streams % 1 in rig.ask("GET", "/metrics")[1], 5))

        # The count-down shows without a reload: what this page was told stays.
        driver.execute_script("window.sameDocument = true")
        driver.find_element("css selector", '[data-command="power-on"]').click()
        self.assertTrue(until(lambda: rig.wire(" TX C 0 0 CR \n")))
        outcome = driver.find_element("id", "outcome")
        self.assertTrue(until(lambda: outcome.text == "power-on: ack", 5), outcome.text)
        self.assertTrue(until(lambda: self.shown(driver, "state") == "counting-down"))
        self.assertTrue(until(lambda: self.shown(driver, "state") == "on"))
        self.assertTrue(driver.execute_script("return window.sameDocument"))

        zoom = driver.find_element("css selector", '[data-command="zoom-plus"]')
        self.press(driver, phone, zoom, 1.0)
        released = time.time()
        lines = rig.wire(ZOOM_PLUS)
        self.assertIn(len(lines), range(8, 12), lines)
        periods = [b - a for a, b in zip(lines, lines[1:])]
        self.assertAlmostEqual(sum(periods) / len(periods), 0.105, delta=0.003)
        time.sleep(0.5)
        self.assertEqual(rig.wire(ZOOM_PLUS), lines)
        self.assertLess(lines[-1], released + 0.2)

        # The browser is gone while the button is held: its renewals stop, and so do the lines.
        self.press(driver, phone, zoom)
        self.assertTrue(until(lambda: len(rig.wire(ZOOM_PLUS)) > len(lines) + 2))
        kill_browser(driver)
        gone = time.time()
        time.sleep(1.0)
        self.assertLess(rig.wire(ZOOM_PLUS)[-1], gone + 0.5)
        self.assertTrue(until(lambda: 'pv7100_clients{face="http"} 0\n' in rig.ask(
            "GET", "/metrics")[1], 2))

    def test_desktop(self):
        self.run_page(phone=False)

    def many_tabs(self, web_locks):
        """Eight tabs of one browser: each loads, and a click on the last two goes out at once."""
        rig = Rig(self)
        driver = self.browser(phone=False)
        driver.set_page_load_timeout(10)
        tabs = []
        for _ in range(8):  # a browser keeps six connections to one host
            if tabs:
                driver.switch_to.new_window("window")
            if not web_locks:  # as over plain HTTP beyond loopback
                driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                                       {"source": "delete Navigator.prototype.locks"})
            driver.get(rig.url)
            tabs.append(driver.current_window_handle)
            self.assertEqual(driver.execute_script("return 'locks' in navigator"), web_locks)
            self.assertTrue(until(lambda: self.shown(driver, "state") == "standby", 8))
        self.assertFalse(any(driver.switch_to.window(tab) or driver.execute_script(
            "return document.hidden") for tab in tabs))  # side by side, each visible
        for tab, command, line in [(7, "no-show-on", " TX C 0 D CR \n"),
                                   (6, "no-show-off", " TX C 0 E CR \n")]:
            driver.switch_to.window(tabs[tab])
            self.assertTrue(until(lambda: self.shown(driver, "state") == "standby", 8))
            clicked = time.time()
            driver.find_element("css selector", f'[data-command="{command}"]').click()
            self.assertLess(until(lambda: rig.wire(line), 5)[0] - clicked, 1.0, command)
        self.assertTrue(until(lambda: 'pv7100_clients{face="http"} 1\n' in rig.ask(
            "GET", "/metrics")[1], 8))
        return rig, driver

    def test_many_tabs_without_web_locks(self):
        self.many_tabs(web_locks=False)

    def test_many_tabs_and_a_click_that_happens_now_or_never(self):
        rig, driver = self.many_tabs(web_locks=True)

        # With every connection of the browser taken, a click is shown "not sent" after 2 s
        # and never goes out when a connection is free again.
        driver.execute_script(
            "window.hogs = [...Array(6)].map(() => new EventSource('api/events'))")
        driver.find_element("css selector", '[data-command="power-on"]').click()
        outcome = driver.find_element("id", "outcome")
        self.assertTrue(until(lambda: "not sent" in outcome.text, 4), outcome.text)
        driver.execute_script("window.hogs.forEach((hog) => hog.close())")
        time.sleep(1.5)
        self.assertEqual(rig.wire(" TX C 0 0 CR \n"), [])

        # A projector that stops answering: nothing from before stays on the page.
        self.assertEqual(self.shown(driver, "lamp-hours"), "1234")
        rig.sim.send_signal(signal.SIGSTOP)
        self.addCleanup(rig.sim.send_signal, signal.SIGCONT)
        badge = driver.find_element("id", "answering")
        self.assertTrue(until(lambda: badge.text == "not answering", 15))
        for read in ["state", "lamp-hours", "input", "version"]:
            self.assertEqual((self.shown(driver, read), driver.find_element(
                "css selector", f'[data-read="{read}"]').text), ("", "unknown"), read)
        # Commands taken at once hold no connection while they wait: their number is bounded.
        statuses = [rig.ask("POST", "/api/commands/no-show-on", headers={
            "Prefer": "respond-async"})[0] for _ in range(33)]
        self.assertEqual(statuses, [202] * 32 + [429])

    def test_phone(self):
        self.run_page(phone=True)


def kill_browser(driver):
    """Ends Chromium at once, as a crash or a phone out of reach would: no page unload."""
    driver_pid = driver.service.process.pid
    children = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/stat") as stat:
                children.setdefault(int(stat.read().rsplit(")", 1)[1].split()[1]), []).append(
                    int(pid))
        except OSError:
            pass
    for pid in children.get(driver_pid, []):
        os.kill(pid, signal.SIGKILL)


class ApiTest(unittest.TestCase):
    """The API and the rules for a page that moves a projector, with a plain client."""

    def test_refuses_what_breaks_a_rule_and_puts_nothing_on_the_wire(self):
        password = tempfile.mktemp()
        with open(password, "w") as file:
            file.write("opensesame\n")
        plain = subprocess.run([DAEMON, "--config", "/dev/null", "--port", "/dev/null",
                                "--http", "0.0.0.0:8080", "--http-password-file", password],
                               capture_output=True, text=True, timeout=10)
        self.assertEqual(plain.returncode, 2)
        self.assertIn("a password over plain HTTP on 0.0.0.0", plain.stderr)
        rig = Rig(self, "--http-password-file", password)
        own = {"Origin": f"http://127.0.0.1:{rig.port}"}
        big = json.dumps({"command": "zoom-plus", "pad": "x" * 5000})
        cases = [  # method, path, body, headers, password, status
            ("POST", "/api/commands/power-on", None, {"Origin": "http://evil.example"}, "", 403),
            ("POST", "/api/commands/power-on", None, {"Origin": "null"}, "", 403),
            ("POST", "/api/commands/power-on", None, {"User-Agent": "Mozilla/5.0"}, "", 403),
            ("POST", "/api/commands/power-on", None, {"Sec-Fetch-Site": "cross-site"}, "", 403),
            ("GET", "/api/commands/power-on", None, {}, "", 405),
            ("POST", "/api/commands/power-on", None, {"Host": f"evil.example:{rig.port}"}, "",
             421),
            ("POST", "/api/commands/power-on", None, own, None, 401),
            ("POST", "/api/commands/power-on?password=opensesame", None, own, None, 401),
            ("POST", "/api/hold", big, own, "", 413),
            ("POST", "/api/hold", '{"command": "power-on"}', own, "", 400),
            ("POST", "/api/hold", '{"command": "zoom-plus", "for_ms": 20000}', own, "", 400),
            ("POST", "/api/hold", "{not json", own, "", 400),
            ("POST", "/api/commands/no-such-command", None, own, "", 404),
            ("GET", "/etc/passwd", None, {}, "", 404),
        ]
        for method, path, body, headers, given, status in cases:
            given = "opensesame" if given == "" else given
            self.assertEqual(rig.ask(method, path, body, headers, given)[0], status, path)
        before = time.monotonic()
        for guess in ["guess1", "guess2", "guess3", "guess4"]:
            self.assertEqual(rig.ask("GET", "/api/state", password=guess)[0], 401)
        self.assertGreater(time.monotonic() - before, 1.9)  # the fourth waited its turn
        self.assertIn("wrong password", rig.events())
        self.assertEqual(rig.wire(" TX C 0 0 CR \n") + rig.wire(ZOOM_PLUS), [])

        status, text = rig.ask("POST", "/api/commands/power-on", None, own, "opensesame")
        self.assertEqual((status, json.loads(text)),
                         (200, {"command": "power-on", "outcome": "ack", "error": None}))
        self.assertEqual(len(rig.wire(" TX C 0 0 CR \n")), 1)
        status, text = rig.ask("POST", "/api/hold", '{"command": "zoom-plus", "for_ms": 3000}',
                               own, "opensesame")
        self.assertEqual(status, 200, text)
        hold, token = json.loads(text)["hold"], json.loads(text)["token"]
        self.assertEqual(rig.ask("POST", "/api/hold", '{"command": "focus-plus"}', own,
                                 "opensesame")[0], 409)
        # Another client, without the token the start was answered with, neither renews the
        # hold nor releases it.
        for body, path in [(None, ""), ('{"token": "%032x"}' % (int(token, 16) ^ 1), "/release")]:
            status, text = rig.ask("POST", f"/api/hold/{hold}{path}", body, own, "opensesame")
            self.assertEqual((status, json.loads(text)["error"]), (403, f"hold {hold} is another "
                             "client's: only the token its start was answered with renews or "
                             "releases it"))
        lines = len(rig.wire(ZOOM_PLUS))
        self.assertTrue(until(lambda: len(rig.wire(ZOOM_PLUS)) > lines, 2))
        mine = json.dumps({"token": token})
        self.assertEqual(rig.ask("POST", f"/api/hold/{hold}/release", mine, own,
                                 "opensesame")[0], 200)
        self.assertEqual(rig.ask("POST", f"/api/hold/{hold}", mine, own, "opensesame")[0], 404)
        rig.stop(rig.sim)
        status, text = until(lambda: (lambda answer: answer[0] == 503 and answer)(
            rig.ask("POST", "/api/commands/power-off", None, own, "opensesame")), 5)
        self.assertEqual(json.loads(text)["outcome"], "port-down")

    def test_serves_https_with_its_certificate(self):
        directory = tempfile.mkdtemp()
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days",
                        "2", "-subj", "/CN=localhost", "-addext", "subjectAltName=DNS:localhost",
                        "-keyout", directory + "/key.pem", "-out", directory + "/cert.pem"],
                       check=True, capture_output=True)
        rig = Rig(self, "--http-certificate", directory + "/cert.pem", "--http-key",
                  directory + "/key.pem")
        client = http.client.HTTPSConnection(
            "localhost", rig.port, timeout=10,
            context=ssl.create_default_context(cafile=directory + "/cert.pem"))
        client.request("GET", "/api/state")
        response = client.getresponse()
        self.assertEqual(response.status, 200)
        self.assertEqual(json.loads(response.read())["power"], "standby")


class MetricsTest(unittest.TestCase):
    """The metrics page: promtool finds nothing in it, and a Prometheus scrapes it."""

    def test_promtool_and_prometheus(self):
        rig = Rig(self)
        self.assertTrue(until(lambda: "\npv7100_lamp_on_seconds_total " in rig.ask(
            "GET", "/metrics")[1]))
        text = rig.ask("GET", "/metrics")[1]
        for line in ["pv7100_up 1", 'pv7100_power_state{state="standby"} 1',
                     "pv7100_lamp_on_seconds_total 4442400", 'pv7100_clients{face="http"} 0']:
            self.assertIn(line + "\n", text)
        check = subprocess.run(["promtool", "check", "metrics"], input=text, text=True,
                               capture_output=True, timeout=30)
        self.assertEqual((check.returncode, check.stdout + check.stderr), (0, ""))

        directory = tempfile.mkdtemp(prefix="pv7100-prometheus-")
        with open(directory + "/prometheus.yml", "w") as config:
            config.write("global: {scrape_interval: 1s}\nscrape_configs:\n"
                         f"  - job_name: pv7100\n    static_configs: [{{targets: ['127.0.0.1:"
                         f"{rig.port}']}}]\n")
        web = free_port()
        prometheus = subprocess.Popen(
            ["prometheus", "--config.file=" + directory + "/prometheus.yml",
             "--storage.tsdb.path=" + directory + "/data", f"--web.listen-address=127.0.0.1:{web}"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(Rig.stop, prometheus)

        def up():
            try:
                client = http.client.HTTPConnection("127.0.0.1", web, timeout=5)
                client.request("GET", "/api/v1/query?" + urllib.parse.urlencode(
                    {"query": "pv7100_up"}))
                result = json.loads(client.getresponse().read())["data"]["result"]
                return result and result[0]["value"][1]
            except (OSError, ValueError, KeyError):
                return None
        self.assertEqual(until(up, 60), "1")


if __name__ == "__main__":
    unittest.main()
