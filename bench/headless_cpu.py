#!/usr/bin/env python3
"""Whole-process CPU use of `velmora-quillon --headless` with two virtual coolers.

Runs the program from a build tree for a while (60 s unless given) with a fake sysfs tree, the real
monitor server and the virtual cooler preloaded, then prints the CPU time the program (all its
threads) and the server used, as a share of one core.
Usage: headless_cpu.py BUILD_DIR [SECONDS] [COOLERS]
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

build = sys.argv[1]
seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 60.0
coolers = int(sys.argv[3]) if len(sys.argv) > 3 else 2
program = os.path.join(build, "program", "velmora-quillon")
library = os.path.join(build, "program", "tools", "libvirtualcooler.so")
server = os.path.realpath(os.path.join(build, "program", "Senvara", "Thermwatch"))
ticks = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / ticks  # utime + stime


def server_pid(map_name):
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            if os.path.realpath("/proc/%s/exe" % entry) != server:
                continue
            with open("/proc/%s/environ" % entry, "rb") as f:
                if ("VQ_HARDWARE_MAP_NAME=" + map_name).encode() in f.read().split(b"\0"):
                    return int(entry)
        except OSError:
            pass
    return None


work = tempfile.mkdtemp(prefix="vq-cpu-")
try:
    hwmon = os.path.join(work, "sys", "class", "hwmon", "hwmon0")
    os.makedirs(hwmon)
    for name, text in {"name": "coretemp", "temp1_input": "45900", "temp1_label": "Package id 0"}.items():
        with open(os.path.join(hwmon, name), "w") as f:
            f.write(text + "\n")
    runtime = os.path.join(work, "runtime")
    os.mkdir(runtime, 0o700)
    map_name = "vq_cpu_%d" % os.getpid()
    env = dict(os.environ, LD_PRELOAD=library, VIRTUAL_COOLER="count=%d" % coolers,
               XDG_CONFIG_HOME=os.path.join(work, "config"), XDG_RUNTIME_DIR=runtime,
               VQ_HARDWARE_MAP_NAME=map_name, THERMWATCH_SYSFS=os.path.join(work, "sys"),
               THERMWATCH_NVML=os.path.join(work, "none.so"))
    process = subprocess.Popen([program, "--headless"], env=env)
    time.sleep(2)  # start-up: sweep, server launch, first refresh
    start_program = cpu_seconds(process.pid)
    spid = server_pid(map_name)
    start_server = cpu_seconds(spid) if spid else 0.0
    started = time.time()
    time.sleep(seconds)
    elapsed = time.time() - started
    used_program = cpu_seconds(process.pid) - start_program
    used_server = (cpu_seconds(spid) - start_server) if spid else float("nan")
    process.send_signal(signal.SIGTERM)
    process.wait(timeout=10)
    print("coolers: %d, measured: %.1f s" % (coolers, elapsed))
    print("velmora-quillon --headless: %.3f s CPU = %.3f %% of one core" % (used_program, 100 * used_program / elapsed))
    print("Thermwatch (monitor server): %.3f s CPU = %.3f %% of one core" % (used_server, 100 * used_server / elapsed))
finally:
    try:
        os.unlink("/dev/shm/" + "vq_cpu_%d" % os.getpid())
    except OSError:
        pass
    shutil.rmtree(work, ignore_errors=True)
