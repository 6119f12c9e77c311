#!/usr/bin/env python3
"""The headless program end to end, through real processes.

A fake sysfs tree feeds the real monitor server, which the program starts itself; the program runs
with the virtual cooler preloaded, and the reports it sends are read from the virtual cooler's log.
Scenarios:
  feed       two coolers: digits in Celsius, a setting changed with --set and by SIGHUP, the GPU,
             the dark display, one instance per user, unplug and plug again through the program's
             device-change entry point, and a clean end on SIGTERM that also ends the server.
  no_cooler  no cooler at all: the program runs and waits, and ends cleanly on SIGINT.
Usage: headless_e2e.py SCENARIO PROGRAM VIRTUAL_COOLER_LIBRARY
"""
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

SCENARIO, PROGRAM, COOLER_LIBRARY = sys.argv[1], sys.argv[2], sys.argv[3]
SERVER = os.path.join(os.path.dirname(PROGRAM), "Senvara", "Thermwatch")
TITLE = "Velmora Quillon"


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    raise SystemExit(1)


def report_hex(digits):
    """The log line's bytes of a display report with the three digits."""
    return "07ffff" + "".join("%02x" % d for d in digits) + "00" * 59


def write(path, text):
    with open(path, "w") as f:
        f.write(text)


def make_sysfs(root):
    sensors = {
        "hwmon0": {"name": "coretemp\n", "temp1_input": "45900\n", "temp1_label": "Package id 0\n"},
        "hwmon1": {"name": "amdgpu\n", "temp1_input": "61000\n", "temp1_label": "edge\n"},
    }
    for node, files in sensors.items():
        folder = os.path.join(root, "class", "hwmon", node)
        os.makedirs(folder)
        for name, text in files.items():
            write(os.path.join(folder, name), text)


class Run:
    def __init__(self, work, coolers):
        self.work = work
        self.log = os.path.join(work, "reports.log")
        self.control = os.path.join(work, "cooler-control")
        self.runtime = os.path.join(work, "runtime")
        self.map_name = "vq_e2e_%d_%s" % (os.getpid(), SCENARIO)
        os.mkdir(self.runtime, 0o700)
        os.mkdir(os.path.join(work, "config"))
        make_sysfs(os.path.join(work, "sys"))
        write(self.control, "")
        env = dict(os.environ)
        env.update({
            "LD_PRELOAD": COOLER_LIBRARY,
            "VIRTUAL_COOLER": "count=%d,control=%s" % (coolers, self.control),
            "VIRTUAL_COOLER_LOG": self.log,
            "XDG_CONFIG_HOME": os.path.join(work, "config"),
            "XDG_RUNTIME_DIR": self.runtime,
            "VQ_HARDWARE_MAP_NAME": self.map_name,
            "THERMWATCH_SYSFS": os.path.join(work, "sys"),
            "THERMWATCH_NVML": os.path.join(work, "no-nvml.so"),
        })
        # A sanitized program accepts the preloaded library only with this option.
        asan = env.get("ASAN_OPTIONS", "")
        if "verify_asan_link_order" not in asan:
            env["ASAN_OPTIONS"] = (asan + ":" if asan else "") + "verify_asan_link_order=0"
        self.env = env
        self.process = None

    def start(self):
        self.process = subprocess.Popen([PROGRAM, "--headless"], env=self.env, stderr=subprocess.PIPE)

    def program(self, *args):
        return subprocess.run([PROGRAM] + list(args), env=self.env, capture_output=True, text=True, timeout=30)

    def lines(self):
        try:
            with open(self.log) as f:
                return [line.split() for line in f.read().splitlines() if line.strip()]
        except FileNotFoundError:
            return []

    def wait_for_reports(self, digits, devices, after=0, timeout=15.0):
        """Waits until every device in `devices` got the report with `digits` after line `after`."""
        wanted = report_hex(digits)
        deadline = time.time() + timeout
        while time.time() < deadline:
            seen = {int(device) for device, data in self.lines()[after:] if data == wanted}
            if set(devices) <= seen:
                return len(self.lines())
            if self.process.poll() is not None:
                fail("the program ended early with %s" % self.process.returncode)
            time.sleep(0.2)
        fail("no report %s for devices %s; last lines: %s" % (digits, devices, self.lines()[-4:]))

    def command(self, text):
        sender = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        sender.sendto(text.encode(), os.path.join(self.runtime, TITLE + ".socket"))
        sender.close()

    def server_pids(self):
        """The monitor servers started for this run (found by executable and block name)."""
        pids = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                if os.path.realpath("/proc/%s/exe" % entry) != os.path.realpath(SERVER):
                    continue
                with open("/proc/%s/environ" % entry, "rb") as f:
                    environ = f.read().split(b"\0")
                with open("/proc/%s/stat" % entry) as f:
                    state = f.read().rsplit(")", 1)[1].split()[0]
            except OSError:
                continue
            if state != "Z" and ("VQ_HARDWARE_MAP_NAME=" + self.map_name).encode() in environ:
                pids.append(int(entry))
        return pids

    def stop(self, sig):
        self.process.send_signal(sig)
        try:
            code = self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            fail("the program did not end on signal %d" % sig)
        return code

    def cleanup(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        for pid in self.server_pids():
            os.kill(pid, signal.SIGKILL)
        try:
            os.unlink("/dev/shm/" + self.map_name)
        except OSError:
            pass


def scenario_feed(run):
    run.start()
    # CPU 45.9 C on both coolers (the very first reports may show 000 until the server writes).
    count = run.wait_for_reports((0, 4, 5), [0, 1], timeout=20)
    if not run.server_pids():
        fail("no monitor server runs for this program")

    second = run.program("--headless")
    if second.returncode != 0 or "already running" not in second.stderr:
        fail("a second instance did not step back: %d %r" % (second.returncode, second.stderr))

    refused = run.program("--set", "tempe_type=5")
    if refused.returncode != 2 or "tempe_type" not in refused.stderr:
        fail("an invalid value was not refused: %d %r" % (refused.returncode, refused.stderr))
    refused = run.program("--set", "brightness=1")
    if refused.returncode != 2 or "unknown setting" not in refused.stderr:
        fail("an unknown name was not refused: %d %r" % (refused.returncode, refused.stderr))

    # Fahrenheit through --set: 45 * 1.8 + 32 = 113.
    if run.program("--set", "tempe_type=1").returncode != 0:
        fail("--set tempe_type=1 failed")
    count = run.wait_for_reports((1, 1, 3), [0, 1], after=count, timeout=5)

    # The GPU in Fahrenheit: 61 C is 141 F.
    if run.program("--set", "device_type=1").returncode != 0:
        fail("--set device_type=1 failed")
    count = run.wait_for_reports((1, 4, 1), [0, 1], after=count, timeout=5)

    # Back to CPU and Celsius by editing the settings file and SIGHUP.
    settings = os.path.join(run.env["XDG_CONFIG_HOME"], TITLE, "settings")
    write(settings, "led_switch=1\ndevice_type=0\ntempe_type=0\n")
    run.process.send_signal(signal.SIGHUP)
    count = run.wait_for_reports((0, 4, 5), [0, 1], after=count, timeout=5)

    # Dark display: the report still arrives, with the digits at 0.
    if run.program("--set", "led_switch=2").returncode != 0:
        fail("--set led_switch=2 failed")
    count = run.wait_for_reports((0, 0, 0), [0, 1], after=count, timeout=5)
    run.program("--set", "led_switch=1")
    count = run.wait_for_reports((0, 4, 5), [0, 1], after=count, timeout=5)

    # Unplug both coolers: the removal reaches the program through its device-change entry point.
    write(run.control, "count=0\n")
    run.command("test-device-change removal hid /dev/hidraw-virtual-cooler/0/display#VID_1A2C&PID_434D")
    time.sleep(1.5)  # a report already under way may still land
    quiet_from = len(run.lines())
    time.sleep(2.5)
    if len(run.lines()) != quiet_from:
        fail("reports went on after the coolers were unplugged: %s" % run.lines()[quiet_from:])

    # Plug one cooler in again.
    write(run.control, "count=1\n")
    run.command("test-device-change arrival usb /dev/bus/usb/001/009#vid_1a2c&pid_434d")
    count = run.wait_for_reports((0, 4, 5), [0], after=quiet_from, timeout=5)
    if any(device != "0" for device, _ in run.lines()[quiet_from:]):
        fail("an unplugged cooler received reports")

    # Notifications of other devices change nothing; commands the program does not know neither.
    run.command("test-device-change removal hid /dev/hidraw7#VID_046D&PID_C52B")
    run.command("no such command")
    count = run.wait_for_reports((0, 4, 5), [0], after=count, timeout=5)

    servers = run.server_pids()
    code = run.stop(signal.SIGTERM)
    if code != 0:
        fail("exit code %d after SIGTERM" % code)
    deadline = time.time() + 5
    while time.time() < deadline and any(pid in run.server_pids() for pid in servers):
        time.sleep(0.1)
    if any(pid in run.server_pids() for pid in servers):
        fail("the monitor server was not swept at the end")


def scenario_no_cooler(run):
    run.start()
    time.sleep(3)
    if run.process.poll() is not None:
        fail("the program ended without a cooler: %s" % run.process.returncode)
    if run.lines():
        fail("reports without a cooler: %s" % run.lines())
    code = run.stop(signal.SIGINT)
    if code != 0:
        fail("exit code %d after SIGINT" % code)


def main():
    work = tempfile.mkdtemp(prefix="vq-e2e-%s-%d-" % (SCENARIO, os.getpid()))
    run = Run(work, 2 if SCENARIO == "feed" else 0)
    try:
        {"feed": scenario_feed, "no_cooler": scenario_no_cooler}[SCENARIO](run)
    finally:
        run.cleanup()
        if run.process and run.process.stderr:
            errors = run.process.stderr.read().decode(errors="replace")
            if errors:
                print("program's standard error:\n" + errors, file=sys.stderr)
        shutil.rmtree(work, ignore_errors=True)
    print("PASS " + SCENARIO)


if __name__ == "__main__":
    main()
