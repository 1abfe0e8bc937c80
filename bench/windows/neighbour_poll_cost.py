#!/usr/bin/env python3
"""CPU share of the Windows neighbour poll (every 50 ms) beside Timer1's scan (every second),
under Wine, with 256 and 4,096 entries in the table (root only).

Each size gets a network namespace of its own holding that many static neighbours, with Wine
booted inside (tests/windows/wine_namespace.py). neighbour_poll_cost.exe then runs each mode for
a while: idle (the floor: Wine's own processes at rest), scan, poll, and both as the monitor runs
them. Wine answers the table calls in its own processes (wineserver, the NSI driver's host), so
their CPU time is counted with the program's; the share is the whole divided by the run's time.

usage: neighbour_poll_cost.py BENCH_EXE WINE_RUN WORK_DIR [SECONDS]
"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests",
                                "windows"))
from wine_namespace import WineNamespace, cpu_ticks, run  # noqa: E402

TICK = os.sysconf("SC_CLK_TCK")


def load_table(lan, count, work):
    """`count` static neighbours 10.64.x.y with MACs 02:00:00:00:x:y, loaded in one batch."""
    batch = os.path.join(work, f"neigh-{count}-{os.getpid()}")
    with open(batch, "w") as f:
        for i in range(count):
            b, c = (i >> 8) & 0xFF, i & 0xFF
            f.write(f"neigh replace 10.64.{b}.{c} lladdr 02:00:00:00:{b:02x}:{c:02x} "
                    f"dev veth0 nud permanent\n")
    run("ip", "-n", lan.ns, "-batch", batch)
    os.remove(batch)


def measure(lan, exe, wine_run, mode, seconds):
    before = {pid: cpu_ticks(pid) for pid in lan.pids()}
    start = time.monotonic()
    child = subprocess.Popen([*lan.in_ns, wine_run, exe, mode, str(seconds)], env=lan.env,
                             stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, text=True)
    out = child.stdout.read()
    _, status, usage = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(status)
    wall = time.monotonic() - start
    # Wine's processes that lived through the run; the program itself by its usage.
    helpers = sum(cpu_ticks(pid) - ticks for pid, ticks in before.items()
                  if cpu_ticks(pid) >= ticks) / TICK
    own = usage.ru_utime + usage.ru_stime
    line = out.strip().splitlines()[-1] if out.strip() else "(no output)"
    return wall, own, helpers, line


def main():
    exe, wine_run, work = (os.path.abspath(a) for a in sys.argv[1:4])
    seconds = int(sys.argv[4]) if len(sys.argv) > 4 else 20
    if os.geteuid() != 0:
        print("needs root (network namespaces)")
        return 1
    for count in (256, 4096):
        lan = WineNamespace("poll", work, wine_run, "02:00:00:ff:ff:fe", "10.64.255.254", 10)
        try:
            lan.create()
            load_table(lan, count, work)
            lan.start_wine()
            # The first run of a program in a fresh prefix pays for loading it.
            measure(lan, exe, wine_run, "idle", 1)
            results = {}
            for mode in ("idle", "scan", "poll", "both"):
                wall, own, helpers, line = measure(lan, exe, wine_run, mode, seconds)
                results[mode] = (own + helpers) / wall
                print(f"{count:5} entries  {mode:4}: {100 * results[mode]:6.2f} % of one core "
                      f"(program {own:.2f} s, Wine {helpers:.2f} s in {wall:.1f} s)  {line}",
                      flush=True)
            for mode in ("scan", "poll", "both"):
                print(f"{count:5} entries  {mode:4} above idle: "
                      f"{100 * (results[mode] - results['idle']):6.2f} %")
        finally:
            lan.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
