"""pv7100d's PJLink UDP face against pv7100-sim, on loopback: the time from a change on the wire
to its notification datagram, and what a flood of searches costs (answers a second, the
daemon's CPU and memory). Built as build-bench/bench/pv7100_bench_pjlink_udp; every figure is
printed as a Markdown table row.

The wire is the simulator's own log (--verbose: "<- C0D" as each line is taken), stamped on
arrival by a reader thread; datagrams are stamped as they are read, on the same clock.
"""
import argparse
import select
import socket
import statistics
import subprocess
import tempfile
import threading
import time

from process_figures import cpu_seconds, free_port, memory_mib, row


class Wire:
    """pv7100-sim, and when each line reached it."""

    def __init__(self, sim, directory):
        self.link = directory + "/pty"
        self.process = subprocess.Popen([sim, "--link", self.link, "--count-down", "1000",
                                         "--verbose"], stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, text=True)
        self.process.stdout.readline()
        self.lines = []
        threading.Thread(target=self.read, daemon=True).start()

    def read(self):
        for line in self.process.stderr:
            if line.startswith("<- "):
                self.lines.append((time.time(), line[3:].strip()))

    def last(self, code):
        return max((stamp for stamp, line in list(self.lines) if line == code), default=None)


def next_datagram(sock, seconds):
    ready, _, _ = select.select([sock], [], [], seconds)
    if not ready:
        return None, None
    data = sock.recv(512)
    return time.time(), data.decode(errors="replace")


def line_client(path, code):
    with socket.socket(socket.AF_UNIX) as client:
        client.connect(path)
        client.sendall(code.encode() + b"\r")
        client.settimeout(3)
        client.recv(64)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--daemon", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--changes", type=int, default=20)
    parser.add_argument("--seconds", type=float, default=10)
    arguments = parser.parse_args()
    directory = tempfile.mkdtemp(prefix="pv7100-bench-udp-")
    wire = Wire(arguments.sim, directory)
    controller = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    controller.bind(("127.0.0.1", 0))
    udp_port, tcp_port = free_port(socket.SOCK_DGRAM), free_port()
    daemon = subprocess.Popen(
        [arguments.daemon, "--config", "/dev/null", "--port", wire.link, "--listen",
         f"127.0.0.1:{tcp_port}", "--socket", directory + "/line.sock", "--pjlink-udp-port",
         str(udp_port), "--pjlink-controller-port", str(controller.getsockname()[1])],
        stderr=open(directory + "/stderr", "w"))
    try:
        print(next_datagram(controller, 10)[1].strip())  # the link-up
        with socket.create_connection(("127.0.0.1", tcp_port)) as pjlink:
            pjlink.recv(64)
            pjlink.sendall(b"%1POWR 1\r")
            pjlink.recv(64)
        notified = next_datagram(controller, 10)[1]
        print(notified.strip())
        row("Change", "notifications", "p50 ms", "max ms")
        for name, codes, told in [("mute (told by the ACK)", ["C0D", "C0E"], "AVMT"),
                                  ("input (told by the read after it)", ["C06", "C05"], "INPT")]:
            delays = []
            for i in range(arguments.changes):
                code = codes[i % 2]
                line_client(directory + "/line.sock", code)
                stamp, text = next_datagram(controller, 5)
                if text and told in text:
                    delays.append((stamp - wire.last(code)) * 1000)
                time.sleep(0.2)
            row(name, len(delays), f"{statistics.median(delays):.1f}", f"{max(delays):.1f}")
        row("Searches sent a second", "answered a second", "CPU % of a core", "VmRSS MiB",
            "VmHWM MiB")
        search = b"%2SRCH\r"
        for rate in [0, 10, 100, 1000, None]:
            start, cpu, sent, answered = time.monotonic(), cpu_seconds(daemon.pid), 0, 0
            end = start + arguments.seconds
            while time.monotonic() < end:
                if rate is None or sent < (time.monotonic() - start) * rate:
                    controller.sendto(search, ("127.0.0.1", udp_port))
                    sent += 1
                elif rate:
                    time.sleep(min(1 / rate, 0.01))
                else:
                    time.sleep(0.05)
                while select.select([controller], [], [], 0)[0]:
                    answered += controller.recv(512).startswith(b"%2ACKN=")
            wall = time.monotonic() - start
            used = (cpu_seconds(daemon.pid) - cpu) / wall * 100
            row(f"{sent / wall:.0f}" + (" (flat out)" if rate is None else ""),
                f"{answered / wall:.1f}", f"{used:.2f}", f"{memory_mib(daemon.pid, 'VmRSS'):.1f}",
                f"{memory_mib(daemon.pid, 'VmHWM'):.1f}")
    finally:
        daemon.terminate()
        daemon.wait(5)
        wire.process.terminate()
        wire.process.wait(5)


if __name__ == "__main__":
    main()
