"""Debian's OpenLP, whose projector code nobody here wrote, against pv7100d on pv7100-sim, all on
loopback and without a display: its PJLink client (openlp/core/projectors) connects, learns
that the projector is Class 2 and what it tells, switches it on, and its UDP listener takes the
notification datagram and hands it to that projector. OpenLP listens for datagrams on the
projector's TCP port, so the daemon sends them there. (OpenLP 3.0.2 then drops "%2POWR=",
whose class its table of commands holds to be 1, and learns the power by asking.)
"""
import os
import socket
import subprocess
import tempfile
import time
import unittest

from PyQt5 import QtCore

from openlp.core.common.registry import Registry
from openlp.core.projectors.constants import S_ON, S_STANDBY
from openlp.core.projectors.pjlink import PJLink, PJLinkUDP

DAEMON = os.environ["PV7100D"]
SIM = os.environ["PV7100_SIM"]


def free_port(kind=socket.SOCK_STREAM):
    with socket.socket(socket.AF_INET, kind) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Settings:
    """The two settings OpenLP's PJLink code reads."""

    def value(self, key):
        return {"projector/udp broadcast listen": True}.get(key, False)


class Entry:
    """A projector as OpenLP's database holds it."""

    def __init__(self, port):
        self.ip, self.port, self.name = "127.0.0.1", port, "Hall-A"
        self.pin = self.location = self.notes = self.mac_adx = self.pjlink_class = None


class OpenlpClientTest(unittest.TestCase):
    def setUp(self):
        self.app = QtCore.QCoreApplication.instance() or QtCore.QCoreApplication([])
        Registry.create()
        Registry().register("settings", Settings())
        directory = tempfile.mkdtemp(prefix="pv7100-openlp-")
        link = directory + "/pty"
        sim = subprocess.Popen([SIM, "--link", link, "--count-down", "1000"],
                               stdout=subprocess.PIPE)
        self.addCleanup(self.stop, sim)
        sim.stdout.readline()
        sim.stdout.close()
        self.port = free_port()
        self.stderr = open(directory + "/stderr", "w+")
        self.addCleanup(self.stderr.close)
        daemon = subprocess.Popen(
            [DAEMON, "--config", "/dev/null", "--port", link, "--listen",
             f"127.0.0.1:{self.port}", "--socket", directory + "/line.sock",
             "--pjlink-udp-port", str(free_port(socket.SOCK_DGRAM)),
             "--pjlink-controller-port", str(self.port)], stderr=self.stderr)
        self.addCleanup(self.stop, daemon)
        self.assertTrue(self.until(lambda: "PJLink on" in self.events()), self.events())

    @staticmethod
    def stop(process):
        process.terminate()
        process.wait(5)

    def events(self):
        self.stderr.seek(0)
        return self.stderr.read()

    def until(self, check, seconds=10.0):
        """Runs Qt's event loop until check() is true or `seconds` have passed."""
        end = time.monotonic() + seconds
        while time.monotonic() < end and not check():
            self.app.processEvents(QtCore.QEventLoop.AllEvents, 50)
            time.sleep(0.01)
        return check()

    def test_class_two_and_a_notification(self):
        udp = PJLinkUDP(port=self.port)
        projector = PJLink(Entry(self.port), poll_time=1)
        # What OpenLP's listener hands to this projector, after checking its address and port.
        handed, get_data = [], projector.get_data
        projector.get_data = lambda buff, **kwargs: (handed.append(buff), get_data(buff, **kwargs))
        udp.data_received.connect(projector.get_buffer)
        projector.connect_to_host()
        self.assertTrue(self.until(lambda: projector.sw_version is not None), self.events())
        self.assertEqual(projector.pjlink_class, "2")
        self.assertEqual(projector.sw_version, "PV7100 SIM V1.00")
        self.assertEqual((projector.manufacturer, projector.model), ("QUIVA", "PV7100"))
        self.assertEqual(projector.power, S_STANDBY)
        # What this projector cannot tell stays unknown.
        self.assertIsNone(projector.serial_no)
        projector.poll_timer.stop()
        projector.set_power_on()
        self.assertTrue(self.until(lambda: "%2POWR=1\r" in handed, 8), handed)
        self.assertTrue(self.until(lambda: projector.power == S_ON, 8))
        projector.disconnect_from_host()
        udp.udp_stop()


if __name__ == "__main__":
    unittest.main()
