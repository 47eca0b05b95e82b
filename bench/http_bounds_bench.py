"""pv7100d's web face against clients that hold connections or guess its password, on loopback
against pv7100-sim: the connections the face holds and the time a new client waits while 70
slow clients drip a byte a second (each back at once when closed), and what guessing from
ever-new addresses of one /24 gets answered. Built as build-bench/bench/pv7100_bench_http_bounds;
every figure is printed as a Markdown table row. Bounded: --seconds per phase (default 30).
"""
import argparse
import base64
import socket
import statistics
import subprocess
import tempfile
import threading
import time

from process_figures import cpu_seconds, descriptors, free_port


def ask(port, source, authorization=None, timeout=15.0):
    """The seconds until the status line of GET /api/state came, and the status."""
    start = time.monotonic()
    with socket.create_connection(("127.0.0.1", port), timeout, (source, 0)) as sock:
        head = f"GET /api/state HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\nConnection: close\r\n"
        if authorization:
            head += "Authorization: Basic " + base64.b64encode(
                b"u:" + authorization.encode()).decode() + "\r\n"
        sock.sendall((head + "\r\n").encode())
        line = sock.recv(64)
    return time.monotonic() - start, int(line.split()[1]) if line else 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--daemon", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--seconds", type=float, default=30)
    args = parser.parse_args()
    directory = tempfile.mkdtemp(prefix="pv7100-bench-bounds-")
    with open(directory + "/password", "w") as file:
        file.write("opensesame\n")
    sim = subprocess.Popen([args.sim, "--link", directory + "/pty"], stdout=subprocess.PIPE)
    sim.stdout.readline()
    port = free_port()
    stderr = open(directory + "/stderr", "w+")
    daemon = subprocess.Popen(
        [args.daemon, "--config", "/dev/null", "--port", directory + "/pty", "--listen",
         f"127.0.0.1:{free_port()}", "--socket", directory + "/line.sock", "--http",
         f"127.0.0.1:{port}", "--http-password-file", directory + "/password"], stderr=stderr)
    try:
        time.sleep(1)
        rest = descriptors(daemon.pid)[1]
        print("| Figure | Value |\n|---|---:|")

        done = threading.Event()

        def drip():
            drippers = {}
            while not done.wait(1):
                for n in range(1, 71):
                    try:  # one the daemon closed is back in the same round
                        if n in drippers and drippers[n].recv(1, socket.MSG_DONTWAIT) == b"":
                            drippers.pop(n)
                    except BlockingIOError:
                        pass
                    except OSError:
                        drippers.pop(n)
                    try:
                        if n not in drippers:
                            drippers[n] = socket.create_connection(
                                ("127.0.0.1", port), 0.2, (f"127.0.2.{n}", 0))
                        drippers[n].send(b"G")
                    except OSError:
                        drippers.pop(n, None)
        thread = threading.Thread(target=drip)
        thread.start()
        time.sleep(3)
        cpu, held, waits = cpu_seconds(daemon.pid), [], []
        end = time.monotonic() + args.seconds
        host = 2
        while time.monotonic() < end:
            held.append(descriptors(daemon.pid)[1] - rest)
            waits.append(ask(port, f"127.0.0.{host}", "opensesame")[0])
            host = host % 200 + 2
            time.sleep(0.5)
        cpu = (cpu_seconds(daemon.pid) - cpu) / args.seconds
        done.set()
        thread.join()
        print(f"| Connections the face holds while 70 clients drip (median, max) | "
              f"{statistics.median(held):.0f}, {max(held)} |")
        print(f"| A new client's wait for its answer meanwhile, s (median, max; {len(waits)} "
              f"clients) | {statistics.median(waits):.2f}, {max(waits):.2f} |")
        print(f"| The daemon's CPU meanwhile | {100 * cpu:.1f} % |")
        time.sleep(6)
        print(f"| A new client's wait after they stopped, s | {ask(port, '127.0.0.1')[0]:.3f} |")

        # Guessing: ever-new addresses of 127.0.4.0/24, three tries each, each waiting 50 ms.
        lines = len(open(stderr.name).read().splitlines())
        answered, tries, n = 0, 0, 0
        end = time.monotonic() + args.seconds
        while time.monotonic() < end:
            n += 1
            for _ in range(3):
                tries += 1
                try:
                    answered += ask(port, f"127.0.4.{n % 250 + 1}", "guess", 0.05)[1] == 401
                except OSError:
                    pass
        right = ask(port, "127.0.5.1", "opensesame")
        told = open(stderr.name).read().splitlines()[lines:]
        print(f"| Wrong tries from one /24 in {args.seconds:.0f} s: sent, answered | "
              f"{tries}, {answered} |")
        print(f"| Lines on standard error meanwhile | {len(told)} |")
        print(f"| The right password from another network: status, wait s | "
              f"{right[1]}, {right[0]:.3f} |")
    finally:
        for process in (daemon, sim):
            process.terminate()
            process.wait(5)


if __name__ == "__main__":
    main()
