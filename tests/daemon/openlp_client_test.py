"""Debian's OpenLP (openlp/core/projectors, which nobody here wrote) against pv7100d on loopback,
without a display: Class 2, what it tells, and the notification its UDP listener (on the
projector's TCP port) hands to the projector; OpenLP 3.0.2 drops "%2POWR=" then, its table
holding POWR to be Class 1 only, and learns the power by asking."""
import ctypes
import os
import signal
import socket
import subprocess
import tempfile
import time
import types
import unittest

from PyQt5 import QtCore

from openlp.core.common.registry import Registry
from openlp.core.projectors.constants import S_ON, S_STANDBY
from openlp.core.projectors.pjlink import PJLink, PJLinkUDP


def free_port(kind):
    with socket.socket(socket.AF_INET, kind) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def listening(port):
    with socket.socket() as s:
        return s.connect_ex(("127.0.0.1", port)) == 0


class OpenlpClientTest(unittest.TestCase):
    def until(self, check, seconds=10.0):
        end = time.monotonic() + seconds
        while time.monotonic() < end and not check():
            self.app.processEvents(QtCore.QEventLoop.AllEvents, 50)
            time.sleep(0.01)
        return check()

    def start(self, *command):
        # Ended with the test, also when the test is killed.
        die_with_parent = lambda: ctypes.CDLL(None).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG
        process = subprocess.Popen(command, stdout=subprocess.DEVNULL, preexec_fn=die_with_parent)
        self.addCleanup(lambda: (process.terminate(), process.wait(5)))

    def test_class_two_and_a_notification(self):
        self.app = QtCore.QCoreApplication([])
        Registry.create()
        # The settings OpenLP's PJLink code reads: its UDP listener on.
        Registry().register("settings", types.SimpleNamespace(
            value=lambda key: key == "projector/udp broadcast listen"))
        directory, port = tempfile.mkdtemp(prefix="pv7100-openlp-"), free_port(socket.SOCK_STREAM)
        self.start(os.environ["PV7100_SIM"], "--link", directory + "/pty", "--count-down", "1000")
        self.assertTrue(self.until(lambda: os.path.exists(directory + "/pty")))
        self.start(os.environ["PV7100D"], "--config", "/dev/null", "--port", directory + "/pty",
                   "--listen", f"127.0.0.1:{port}", "--socket", directory + "/line.sock",
                   "--pjlink-udp-port", str(free_port(socket.SOCK_DGRAM)),
                   "--pjlink-controller-port", str(port))
        udp = PJLinkUDP(port=port)
        # A projector as OpenLP's database holds it.
        projector = PJLink(types.SimpleNamespace(
            ip="127.0.0.1", port=port, name="Hall-A", pin=None, location=None, notes=None,
            mac_adx=None, pjlink_class=None), poll_time=1)
        # What OpenLP's listener hands to this projector, after checking its address and port.
        handed, get_data = [], projector.get_data
        projector.get_data = lambda buff, **kwargs: (handed.append(buff), get_data(buff, **kwargs))
        udp.data_received.connect(projector.get_buffer)
        self.assertTrue(self.until(lambda: listening(port)))
        projector.connect_to_host()
        self.assertTrue(self.until(lambda: projector.sw_version and projector.power == S_STANDBY))
        # What this projector cannot tell (SNUM) stays unknown.
        self.assertEqual((projector.pjlink_class, projector.sw_version, projector.serial_no),
                         ("2", "PV7100 SIM V1.00", None))
        projector.poll_timer.stop()
        projector.set_power_on()
        self.assertTrue(self.until(lambda: "%2POWR=1\r" in handed, 8), handed)
        self.assertTrue(self.until(lambda: projector.power == S_ON, 8))


if __name__ == "__main__":
    unittest.main()
