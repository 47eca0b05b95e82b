#!/usr/bin/python3
"""Makes the documentation's pictures anew from the programs built in BUILD (default: build):

  docs/panel-full.png    the panel's whole window under openbox on the simulated projector,
                         after a read of the air pressure typed on the manual command line
  docs/http-phone.png    the remote page at a phone's 360 px (twice the pixels), and
  docs/http-desktop.png  on a desktop at 1280 px, the whole page: headless Chromium against
                         pv7100d (named Hall A) on pv7100-sim, the projector on

Needs Debian's xvfb, openbox, xdotool, x11-utils, imagemagick, chromium, chromium-driver and
python3-selenium (run it with Debian's /usr/bin/python3). Everything runs on a display and
loopback ports of its own, so the pictures can be made again whenever the window or the page
changes:

  docs/screenshots.py [BUILD]
"""
import os
import socket
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build"))
DOCS = os.path.join(ROOT, "docs")


def until(check, seconds=20):
    end = time.time() + seconds
    while time.time() < end:
        if check():
            return True
        time.sleep(0.1)
    raise SystemExit(f"screenshots: gave up waiting for {check.__doc__}")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Processes:
    """Started programs, ended in the reverse order when the block ends."""

    def __init__(self):
        self.started = []

    def start(self, *args, **kwargs):
        process = subprocess.Popen(args, **kwargs)
        self.started.append(process)
        return process

    def __enter__(self):
        return self

    def __exit__(self, *_):
        for process in reversed(self.started):
            process.terminate()
            process.wait(10)


def panel():
    with Processes() as run:
        xvfb = run.start("Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten",
                         "tcp", stdout=subprocess.PIPE)
        env = dict(os.environ, DISPLAY=":" + xvfb.stdout.readline().decode().strip())

        def x(*args):
            return subprocess.run(args, env=env, check=True, capture_output=True,
                                  text=True).stdout.split()

        run.start("openbox", env=env, stderr=subprocess.DEVNULL)
        run.start(os.path.join(BUILD, "pv7100-panel"), "--simulate", env=env)
        window = x("xdotool", "search", "--sync", "--onlyvisible", "--name", "QUIVA  PV7100")[0]

        def framed():
            """openbox to frame the panel"""
            return x("xprop", "-id", window, "_NET_FRAME_EXTENTS")[-1] != "found."
        until(framed)
        x("xdotool", "windowactivate", "--sync", window)
        # Ctrl+H opens the data band, a double-click on the picture at the top right the whole
        # panel; then CR PRESSURE typed on the manual command line and sent (client coordinates).
        x("xdotool", "key", "ctrl+h")
        time.sleep(0.5)
        x("xdotool", "mousemove", "--window", window, "582", "24", "click", "--repeat", "2",
          "--delay", "100", "1")
        time.sleep(0.5)
        x("xdotool", "mousemove", "--window", window, "217", "559", "click", "1")
        x("xdotool", "type", "--delay", "30", "CR PRESSURE")
        x("xdotool", "mousemove", "--window", window, "415", "561", "click", "1")
        time.sleep(1.5)
        x("xdotool", "mousemove", "1000", "750")  # no hover left on a button
        time.sleep(0.3)
        x("import", "-frame", "-window", window, os.path.join(DOCS, "panel-full.png"))


def browser(phone):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ["--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                     "--disable-background-networking", "--disable-component-update",
                     "--disable-sync", "--no-first-run", "--window-size=1280,900",
                     "--user-data-dir=" + tempfile.mkdtemp(prefix="pv7100-shots-")]:
        options.add_argument(argument)
    if phone:  # a headless window is at least 500 px wide: the phone is emulated
        options.add_experimental_option("mobileEmulation", {
            "deviceMetrics": {"width": 360, "height": 780, "pixelRatio": 2, "touch": True}})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def page():
    with tempfile.TemporaryDirectory() as tmp, Processes() as run:
        line, sock = os.path.join(tmp, "sim"), os.path.join(tmp, "hall.sock")
        http = free_port()
        run.start(os.path.join(BUILD, "pv7100-sim"), "--link", line, "--count-down", "2000",
                  stdout=subprocess.DEVNULL)
        until(lambda: os.path.exists(line))
        run.start(os.path.join(BUILD, "pv7100d"), "--port", line, "--socket", sock,
                  "--listen", f"127.0.0.1:{free_port()}", "--http", f"127.0.0.1:{http}",
                  "--name", "Hall A",
                  stderr=subprocess.DEVNULL)
        until(lambda: os.path.exists(sock))
        ctl = os.path.join(BUILD, "pv7100ctl")
        subprocess.run([ctl, "--port", "unix:" + sock, "power-on"], check=True)
        subprocess.run([ctl, "--port", "unix:" + sock, "wait", "on"], check=True)
        for phone, name in [(True, "http-phone.png"), (False, "http-desktop.png")]:
            driver = browser(phone)
            try:
                driver.get(f"http://127.0.0.1:{http}/")

                def shown():
                    """the page to show the projector on, its lamp hours and temperatures"""
                    values = [driver.find_element("css selector", f'[data-read="{read}"]')
                              .get_attribute("data-value")
                              for read in ["state", "lamp-hours", "temperatures"]]
                    return values[0] == "on" and all(values)
                until(shown)
                if not phone:
                    height = driver.execute_script("return document.body.scrollHeight")
                    driver.set_window_size(1280, height + 900 - driver.execute_script(
                        "return window.innerHeight"))
                time.sleep(0.5)
                driver.save_screenshot(os.path.join(DOCS, name))
            finally:
                driver.quit()


if __name__ == "__main__":
    panel()
    page()
