"""pv7100d's web face in Chromium against pv7100-sim: the page's load to the first state shown,
a click to its line on the wire, hold periods through the browser, and the daemon's CPU and
memory with ten pages open. Built as build-bench/bench/pv7100_bench_http (python3-selenium,
chromium-driver); every figure is printed as a Markdown table row.

The wire is the simulator's own log (--verbose: "<- C1E" as each line is taken), stamped on
arrival by a reader thread; the browser stamps its events with performance.timeOrigin + now(),
the same wall clock.
"""
import argparse
import statistics
import subprocess
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains

from process_figures import cpu_seconds, free_port, memory_mib, row


class Wire:
    """pv7100-sim, and when each line reached it."""

    def __init__(self, sim, directory):
        self.link = directory + "/pty"
        self.process = subprocess.Popen([sim, "--link", self.link, "--count-down", "3000",
                                         "--cool-down", "3000", "--verbose"],
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.process.stdout.readline()
        self.lines = []
        threading.Thread(target=self.read, daemon=True).start()

    def read(self):
        for line in self.process.stderr:
            if line.startswith("<- "):
                self.lines.append((time.time(), line[3:].strip()))

    def times(self, code, since=0.0):
        return [stamp for stamp, line in list(self.lines) if line == code and stamp >= since]


def browser():
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ["--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update",
                     "--disable-sync", "--window-size=1280,900",
                     "--user-data-dir=" + tempfile.mkdtemp(prefix="pv7100-bench-")]:
        options.add_argument(argument)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))]


def wait_for(driver, script, seconds=20):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = driver.execute_script(script)
        if value:
            return value
        time.sleep(0.02)
    raise RuntimeError("timed out: " + script)


def load_times(driver, url, runs):
    shown, loaded = [], []
    for _ in range(runs):
        driver.get("about:blank")
        driver.get(url)
        shown.append(wait_for(driver, "const m = performance.getEntriesByName('state-shown');"
                                      "return m.length && m[0].startTime"))
        loaded.append(driver.execute_script(
            "return performance.getEntriesByType('navigation')[0].domContentLoadedEventEnd"))
    row("Page load: DOMContentLoaded", f"{statistics.median(loaded):.1f}",
        f"{percentile(loaded, 0.99):.1f}", runs)
    row("Page load: first state shown", f"{statistics.median(shown):.1f}",
        f"{percentile(shown, 0.99):.1f}", runs)


def click_to_wire(driver, wire, runs):
    button = driver.find_element("css selector", '[data-command="display-clear"]')
    driver.execute_script("document.addEventListener('pointerdown', () => window.pressedAt ="
                          " performance.timeOrigin + performance.now(), true)")
    delays = []
    for _ in range(runs):
        before = len(wire.times("C1E"))
        button.click()
        pressed = wait_for(driver, "return window.pressedAt") / 1000
        end = time.monotonic() + 5
        while len(wire.times("C1E")) == before and time.monotonic() < end:
            time.sleep(0.005)
        delays.append((wire.times("C1E")[-1] - pressed) * 1000)
        driver.execute_script("window.pressedAt = 0")
        time.sleep(0.2)
    row("Click to line on the wire", f"{statistics.median(delays):.1f}",
        f"{percentile(delays, 0.99):.1f}", runs)


def hold_periods(driver, wire, holds, seconds):
    for name, code, period in [("zoom-plus", "C47", 105), ("vol-plus", "C09", 250),
                               ("cursor-select", "C3F", 500)]:
        button = driver.find_element("css selector", f'[data-command="{name}"]')
        periods, after = [], 0
        for _ in range(holds):
            start = time.time()
            ActionChains(driver).click_and_hold(button).pause(seconds).release().perform()
            released = time.time()  # the page has had the release by now
            time.sleep(1)
            lines = wire.times(code, start)
            periods += [(b - a) * 1000 for a, b in zip(lines, lines[1:])]
            after += sum(1 for line in lines if line > released)
        deviation = [abs(p - period) for p in periods]
        row(f"Hold {name} ({period} ms)", f"{statistics.mean(periods):.2f}",
            f"{percentile(deviation, 0.99):.2f}", f"{max(deviation):.2f}", len(periods),
            f"{after:.0f}")


def ten_pages(daemon, url, seconds):
    pid = daemon.pid
    drivers = [browser(), browser()]
    for driver in drivers:  # five tabs each: a browser keeps six connections to one host
        for tab in range(5):
            if tab:
                driver.switch_to.new_window("tab")
            driver.get(url)
            wait_for(driver, "return performance.getEntriesByName('state-shown').length")
    for label, action in [("at rest", None), ("power on, then off", "cycle")]:
        cpu = cpu_seconds(pid)
        if action:
            drivers[0].find_element("css selector", '[data-command="power-on"]').click()
            time.sleep(seconds / 2)
            drivers[0].find_element("css selector", '[data-command="power-off"]').click()
            time.sleep(seconds / 2)
        else:
            time.sleep(seconds)
        rss, peak = memory_mib(pid, "VmRSS"), memory_mib(pid, "VmHWM")
        row(f"Ten pages open, {label}", f"{(cpu_seconds(pid) - cpu) / seconds * 100:.2f} %",
            f"{rss:.1f}", f"{peak:.1f}")
    for driver in drivers:
        driver.quit()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--daemon", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--runs", type=int, default=30)
    parser.add_argument("--holds", type=int, default=5)
    parser.add_argument("--seconds", type=float, default=60)
    args = parser.parse_args()
    directory = tempfile.mkdtemp(prefix="pv7100-bench-http-")
    wire = Wire(args.sim, directory)
    port = free_port()
    daemon = subprocess.Popen([args.daemon, "--config", "/dev/null", "--port", wire.link,
                               "--listen", f"127.0.0.1:{free_port()}",
                               "--socket", directory + "/line.sock",
                               "--http", f"127.0.0.1:{port}"], stderr=subprocess.DEVNULL)
    url = f"http://127.0.0.1:{port}/"
    time.sleep(1)
    try:
        cpu = cpu_seconds(daemon.pid)
        time.sleep(args.seconds)
        rest = (cpu_seconds(daemon.pid) - cpu) / args.seconds * 100
        rss, peak = memory_mib(daemon.pid, "VmRSS"), memory_mib(daemon.pid, "VmHWM")
        print("| Figure | Median ms | p99 ms | Runs |\n|---|---:|---:|---:|")
        driver = browser()
        load_times(driver, url, args.runs)
        click_to_wire(driver, wire, args.runs)
        print("\n| Hold | Mean period ms | p99 abs. dev. ms | Max abs. dev. ms | Periods |"
              " Lines after the release |\n|---|---:|---:|---:|---:|---:|")
        driver.find_element("css selector", '[data-command="power-on"]').click()
        time.sleep(4)
        hold_periods(driver, wire, args.holds, 3)
        driver.find_element("css selector", '[data-command="power-off"]').click()
        driver.quit()
        print("\n| Daemon | CPU (one core) | RSS MiB | Peak RSS MiB |\n|---|---:|---:|---:|")
        row("No page open, at rest", f"{rest:.2f} %", f"{rss:.1f}", f"{peak:.1f}")
        ten_pages(daemon, url, args.seconds)
    finally:
        daemon.terminate()
        wire.process.terminate()


if __name__ == "__main__":
    main()
