"""What the benchmarks read of a process they started (its CPU time, memory and sockets, from
/proc), a free loopback port for it, and a row of the Markdown tables they print."""
import os
import socket

TICKS = os.sysconf("SC_CLK_TCK")


def free_port(kind=socket.SOCK_STREAM):
    with socket.socket(socket.AF_INET, kind) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def row(*cells):
    print("| " + " | ".join(str(cell) for cell in cells) + " |", flush=True)


def cpu_seconds(pid):
    """utime + stime."""
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def memory_mib(pid, key):
    """VmRSS, VmHWM, ... in MiB."""
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith(key + ":"):
                return int(line.split()[1]) / 1024
    return 0.0


def descriptors(pid):
    """Open descriptors, and how many of them are sockets."""
    fds = os.listdir(f"/proc/{pid}/fd")
    sockets = 0
    for fd in fds:
        try:
            sockets += os.readlink(f"/proc/{pid}/fd/{fd}").startswith("socket:")
        except OSError:
            pass
    return len(fds), sockets
